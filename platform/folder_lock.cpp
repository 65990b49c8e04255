// One game per folder: an exclusive lock of the operating system on "tabellone.lock".
//
// On Linux the lock is an open-file-description lock (F_OFD_SETLK) rather than
// a classic fcntl lock, because a classic lock is dropped when the process
// closes ANY descriptor of the file, and unlike flock it can be queried
// (F_OFD_GETLK) without being taken, so a query never makes a game that is
// starting at that instant believe the folder is busy.
#include "platform/folder_lock.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#define LOCK_FILE "tabellone.lock"
const char *const lock_file_name = LOCK_FILE;

static const char held_elsewhere[] = "another Tabellone is already running in this folder";

#ifdef _WIN32
static HANDLE held = INVALID_HANDLE_VALUE;  // kept open, and so locked, until the process ends

static HANDLE open_lock_file()
{
    // Everyone opens it for reading and lets others in, so the lock and not the
    // sharing mode is what tells a second game that the folder is taken.
    return CreateFileW(L"" LOCK_FILE, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

static bool lock_exclusively(HANDLE file)
{
    OVERLAPPED whole = {};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

bool lock_folder(char *reason, size_t reason_size)
{
    if (held != INVALID_HANDLE_VALUE)
        return true;
    HANDLE file = open_lock_file();
    if (file == INVALID_HANDLE_VALUE) {
        snprintf(reason, reason_size, "cannot open %s (Windows error %lu)", lock_file_name, GetLastError());
        return false;
    }
    if (!lock_exclusively(file)) {
        DWORD error = GetLastError();
        CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION)
            snprintf(reason, reason_size, "%s", held_elsewhere);
        else
            snprintf(reason, reason_size, "cannot lock %s (Windows error %lu)", lock_file_name, error);
        return false;
    }
    held = file;
    return true;
}

bool folder_locked_elsewhere()
{
    if (held != INVALID_HANDLE_VALUE)
        return false;
    // Windows cannot ask about a lock without trying it: it is let go at once.
    HANDLE file = open_lock_file();
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    bool taken = !lock_exclusively(file) && GetLastError() == ERROR_LOCK_VIOLATION;
    if (!taken) {
        OVERLAPPED whole = {};
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    }
    CloseHandle(file);
    return taken;
}
#else
static int held = -1;  // kept open, and so locked, until the process ends

static struct flock whole_file(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;  // start 0 and length 0: the whole file, however long
    return lock;
}

bool lock_folder(char *reason, size_t reason_size)
{
    if (held >= 0)
        return true;
    int fd = open(lock_file_name, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        snprintf(reason, reason_size, "cannot open %s: %s", lock_file_name, strerror(errno));
        return false;
    }
    struct flock lock = whole_file(F_WRLCK);
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        int error = errno;
        close(fd);
        if (error == EAGAIN || error == EACCES)
            snprintf(reason, reason_size, "%s", held_elsewhere);
        else
            snprintf(reason, reason_size, "cannot lock %s: %s", lock_file_name, strerror(error));
        return false;
    }
    held = fd;
    return true;
}

bool folder_locked_elsewhere()
{
    // The query below would see this process's own lock as a conflict.
    if (held >= 0)
        return false;
    int fd = open(lock_file_name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;  // no file, so no game has run here since it was removed
    struct flock lock = whole_file(F_WRLCK);
    bool taken = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return taken;
}
#endif

void unlock_folder()
{
#ifdef _WIN32
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
#else
    if (held >= 0)
        close(held);
    held = -1;
#endif
}
