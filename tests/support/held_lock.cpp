// The folder lock held through a handle of the test's own.
#include "tests/support/held_lock.h"

#include "platform/folder_lock.h"

#ifdef _WIN32
#include <windows.h>

static HANDLE held = INVALID_HANDLE_VALUE;

bool hold_lock_elsewhere()
{
    held = CreateFileA(lock_file_name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
    OVERLAPPED whole = {};
    return held != INVALID_HANDLE_VALUE &&
           LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

void release_lock_elsewhere()
{
    CloseHandle(held);
}
#else
#include <fcntl.h>
#include <unistd.h>

static int held = -1;

bool hold_lock_elsewhere()
{
    held = open(lock_file_name, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    struct flock whole = {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    return held >= 0 && fcntl(held, F_OFD_SETLK, &whole) == 0;
}

void release_lock_elsewhere()
{
    close(held);
}
#endif
