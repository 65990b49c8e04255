// Writes that are on disk when they return: a whole file replaced atomically,
// and appends that either land whole or leave the file as it was.
#include "platform/durable_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// Every record is written byte for byte: never through text mode.
#define OPEN_FLAGS O_BINARY
// _commit is FlushFileBuffers on the descriptor's handle.
#define fsync _commit
#define ftruncate _chsize_s
#else
#include <unistd.h>
#define OPEN_FLAGS O_CLOEXEC
#endif

static const char line_end[] = "\r\n";

static bool write_all(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, (unsigned)size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= (size_t)n;
    }
    return true;
}

// Reads exactly size bytes at offset; false when the file ends first or a read fails.
static bool read_at(int fd, long offset, char *out, size_t size)
{
    if (lseek(fd, offset, SEEK_SET) != offset)
        return false;
    while (size > 0) {
        ssize_t n = read(fd, out, (unsigned)size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        size -= (size_t)n;
    }
    return true;
}

// Closes fd but keeps the errno of the first failure.
static bool close_keeping_errno(int fd, bool ok)
{
    int saved = errno;
    if (close(fd) != 0 && ok)
        return false;
    if (!ok)
        errno = saved;
    return ok;
}

#ifdef _WIN32
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
#endif

#ifdef _WIN32
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
    *wait = *wait * 2 < BUSY_LONGEST_WAIT_MS ? *wait * 2 : BUSY_LONGEST_WAIT_MS;
    return true;
}
#endif

// open(), tried again while the file is busy; the C library says EACCES for a
// sharing violation as for access denied.
static int open_file(const char *path, int flags)
{
    int fd = open(path, flags, 0644);
#ifdef _WIN32
    DWORD started = GetTickCount(), wait = BUSY_FIRST_WAIT_MS;
    while (fd < 0 && errno == EACCES && wait_while_busy(started, &wait))
        fd = open(path, flags, 0644);
#endif
    return fd;
}

static bool rename_over(const char *from, const char *to)
{
#ifdef _WIN32
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
#else
    return rename(from, to) == 0;
#endif
}

// Each call starts afresh, so an old rename's words never explain a new failure.
static void forget_windows_error()
{
#ifdef _WIN32
    windows_error = 0;
#endif
}

std::string write_error_text(int error)
{
#ifdef _WIN32
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
#endif
    return strerror(error);
}

// Makes a rename or a new file's name durable; a folder that cannot be synced is not an error.
static void sync_folder_of(const char *path)
{
#ifndef _WIN32
    const char *slash = strrchr(path, '/');
    std::string folder = slash ? std::string(path, slash - path + 1) : ".";
    int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)path;
#endif
}

bool replace_file_durably(const char *path, const char *bytes, size_t size)
{
    forget_windows_error();
    std::string temporary = std::string(path) + ".tmp";
    int fd = open_file(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | OPEN_FLAGS);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, bytes, size) && fsync(fd) == 0;
    ok = close_keeping_errno(fd, ok) && rename_over(temporary.c_str(), path);
    if (!ok) {
        int saved = errno;
        remove(temporary.c_str());
        errno = saved;
        return false;
    }
    sync_folder_of(path);
    return true;
}

bool find_append_point(const char *path, AppendPoint *point)
{
    forget_windows_error();
    point->size = 0;
    point->line_break = "";
    int fd = open_file(path, O_RDONLY | OPEN_FLAGS);
    if (fd < 0)
        return errno == ENOENT;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && info.st_size > 0) {
        point->size = (long)info.st_size;
        char last[2] = {0, 0};
        long tail = point->size < 2 ? point->size : 2;
        ok = read_at(fd, point->size - tail, last + 2 - tail, (size_t)tail);
        if (ok && !(last[0] == line_end[0] && last[1] == line_end[1]))
            point->line_break = line_end;
    }
    return close_keeping_errno(fd, ok);
}

// The file's bytes from `at` on, at most `size` of them, compared with `bytes`:
// how many of them agree before the first difference or the end of the file.
static bool agreeing_bytes(int fd, long at, long file_size, const std::string &bytes, size_t *agreeing)
{
    size_t there = (size_t)(file_size - at) < bytes.size() ? (size_t)(file_size - at) : bytes.size();
    std::string held(there, '\0');
    if (there > 0 && !read_at(fd, at, &held[0], there))
        return false;
    size_t n = 0;
    while (n < there && held[n] == bytes[n])
        n++;
    *agreeing = n;
    return true;
}

AppendOutcome append_at_durably(const char *path, long at, const std::string &bytes)
{
    forget_windows_error();
    int fd = open_file(path, O_RDWR | O_CREAT | OPEN_FLAGS);
    if (fd < 0)
        return APPEND_FAILED;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close_keeping_errno(fd, false);
        return APPEND_FAILED;
    }
    long size = (long)info.st_size;
    bool created = size == 0 && at == 0;
    if (size < at) {
        close(fd);
        return APPEND_CONFLICT;
    }
    if (size > at) {
        size_t agreeing = 0;
        if (!agreeing_bytes(fd, at, size, bytes, &agreeing)) {
            close_keeping_errno(fd, false);
            return APPEND_FAILED;
        }
        bool whole = agreeing == bytes.size();
        bool torn = agreeing == (size_t)(size - at) && (size_t)(size - at) < bytes.size();
        if (whole || !torn) {
            close(fd);
            return whole ? APPEND_ALREADY_THERE : APPEND_CONFLICT;
        }
    }
    // Written from `at`, so a torn earlier attempt is simply overwritten.
    bool ok = ftruncate(fd, at) == 0 && lseek(fd, at, SEEK_SET) == at && write_all(fd, bytes.data(), bytes.size()) &&
              fsync(fd) == 0;
    if (!ok) {
        int saved = errno;
        // Never leave part of a line behind.
        if (ftruncate(fd, at) == 0)
            fsync(fd);
        errno = saved;
    }
    if (!close_keeping_errno(fd, ok))
        return APPEND_FAILED;
    if (created)
        sync_folder_of(path);
    return APPEND_WRITTEN;
}
