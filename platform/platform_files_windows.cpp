// The file operations of the records on Windows: the C library's descriptors
// in binary mode, MoveFileExW for a rename over a file, and a few tries more
// while another program holds a file for a moment.
#include "platform/platform_files.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

// Every record is written byte for byte: never through text mode.
static const int open_flags[] = {O_RDONLY | O_BINARY, O_RDWR | O_CREAT | O_BINARY,
                                 O_WRONLY | O_CREAT | O_TRUNC | O_BINARY};

static DWORD windows_error;  // of the last MoveFileExW that failed
static int windows_errno;    // the errno it was given

static std::wstring wide(const char *path)
{
    // The same code page as the C library's open() uses for the name.
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, NULL, 0);
    std::wstring text(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, path, -1, &text[0], n);
    text.resize(wcslen(text.c_str()));
    return text;
}

static int errno_of(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    default:
        return EIO;
    }
}

// Antivirus scanners, the search indexer and backup tools open a file for a
// moment right after it is written, and a replace or an open meeting them fails
// with a sharing violation or access denied. Such a step is tried again for
// up to two seconds (as robust Windows tools do), waiting 1, 2, 4 ... up to
// 100 ms between tries: long enough for a scan, short enough that a player
// barely notices. What stays busy longer, or is really read-only, fails as
// any other write.
enum { BUSY_BOUND_MS = 2000, BUSY_FIRST_WAIT_MS = 1, BUSY_LONGEST_WAIT_MS = 100 };

static bool is_busy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Waits before the next try of a busy step; false once the bound has passed.
static bool wait_while_busy(DWORD started, DWORD *wait)
{
    if (GetTickCount() - started >= BUSY_BOUND_MS)
        return false;
    Sleep(*wait);
    *wait = *wait * 2 < BUSY_LONGEST_WAIT_MS ? *wait * 2 : (DWORD)BUSY_LONGEST_WAIT_MS;
    return true;
}

// The C library says EACCES for a sharing violation as for access denied.
FileHandle file_open(const char *path, FileMode mode)
{
    // Each write of the records starts with an open, so an old rename's words never explain a new failure.
    windows_error = 0;
    int fd = open(path, open_flags[mode], 0644);
    DWORD started = GetTickCount(), wait = BUSY_FIRST_WAIT_MS;
    while (fd < 0 && errno == EACCES && wait_while_busy(started, &wait))
        fd = open(path, open_flags[mode], 0644);
    return fd;
}

long file_read_at(FileHandle file, long offset, char *out, size_t size)
{
    if (lseek(file, offset, SEEK_SET) != offset)
        return -1;
    return read(file, out, (unsigned)size);
}

bool file_write_at(FileHandle file, long offset, const char *bytes, size_t size)
{
    if (lseek(file, offset, SEEK_SET) != offset)
        return false;
    while (size > 0) {
        int n = write(file, bytes, (unsigned)size);
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= (size_t)n;
    }
    return true;
}

long file_size(FileHandle file)
{
    struct stat info;
    return fstat(file, &info) == 0 ? (long)info.st_size : -1;
}

bool file_truncate(FileHandle file, long size)
{
    return _chsize_s(file, size) == 0;
}

// _commit is FlushFileBuffers on the descriptor's handle.
bool file_sync(FileHandle file)
{
    return _commit(file) == 0;
}

bool file_close(FileHandle file)
{
    return close(file) == 0;
}

bool file_rename(const char *from, const char *to)
{
    DWORD started = GetTickCount(), wait = BUSY_FIRST_WAIT_MS;
    for (;;) {
        if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            windows_error = 0;  // a busy try that passed explains nothing
            return true;
        }
        windows_error = GetLastError();
        if (!is_busy(windows_error) || !wait_while_busy(started, &wait))
            break;
    }
    windows_errno = errno = errno_of(windows_error);
    return false;
}

bool file_remove(const char *path)
{
    return remove(path) == 0;
}

// MOVEFILE_WRITE_THROUGH has put a rename on the disk already, and Windows
// cannot open a folder to sync it.
void folder_sync(const char *)
{
}

std::string file_error_text(int error)
{
    // A failed rename is told in Windows' own words, which say more than any errno.
    if (windows_error != 0 && error == windows_errno) {
        char text[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, windows_error, 0, text,
                       sizeof text, NULL);
        size_t n = strlen(text);
        while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' || text[n - 1] == '.'))
            text[--n] = '\0';
        char line[320];
        snprintf(line, sizeof line, "Windows error %lu%s%s", (unsigned long)windows_error, n ? ": " : "", text);
        return line;
    }
    return strerror(error);
}
