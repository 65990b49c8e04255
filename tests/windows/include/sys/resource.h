// No file size limit on Windows: every call fails, and the case that needs one is left out.
#pragma once
#include <errno.h>
typedef unsigned long long rlim_t;
struct rlimit {
    rlim_t rlim_cur;
    rlim_t rlim_max;
};
#define RLIMIT_FSIZE 1
inline int getrlimit(int, struct rlimit *limit) { limit->rlim_cur = limit->rlim_max = 0; errno = ENOSYS; return -1; }
inline int setrlimit(int, const struct rlimit *) { errno = ENOSYS; return -1; }
