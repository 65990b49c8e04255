// What the unit tests use of POSIX, for their Windows build: the calls that
// have a Windows counterpart map to it; those that have none (fork, symlinks
// to /dev/full, file size limits) fail, and the cases built on them are left
// out under Wine by tests/windows/CMakeLists.txt's filters.
#pragma once
#ifdef _WIN32
#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

inline int mkdir(const char *path, int)
{
    return _mkdir(path);
}
inline char *mkdtemp(char *pattern)
{
    return _mktemp_s(pattern, strlen(pattern) + 1) == 0 && _mkdir(pattern) == 0 ? pattern : nullptr;
}
inline int setenv(const char *name, const char *value, int)
{
    return _putenv_s(name, value);
}
inline int unsetenv(const char *name)
{
    return _putenv_s(name, "");
}
inline struct tm *localtime_r(const time_t *t, struct tm *out)
{
    return localtime_s(out, t) == 0 ? out : nullptr;
}
inline int pipe(int ends[2])
{
    return _pipe(ends, 4096, _O_BINARY);
}
inline int symlink(const char *, const char *)
{
    errno = ENOSYS;
    return -1;
}
// Read-only folder bits do not stop writes on Windows, as they do not for
// root: the tests then put a folder where the file would go instead.
inline int geteuid()
{
    return 0;
}
inline pid_t fork()
{
    errno = ENOSYS;
    return -1;
}
inline pid_t waitpid(pid_t, int *, int)
{
    errno = ECHILD;
    return -1;
}
inline int kill(pid_t, int)
{
    errno = ENOSYS;
    return -1;
}
inline int pause()
{
    errno = ENOSYS;
    return -1;
}
#ifndef SIGKILL
#define SIGKILL 9
#endif
#ifndef SIGXFSZ
#define SIGXFSZ SIGTERM
#endif
#endif
