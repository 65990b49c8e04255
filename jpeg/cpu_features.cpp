// The processor feature query behind the choice of vector paths.
#include "jpeg/cpu_features.h"

bool cpu_has_avx2()
{
#if defined(__x86_64__) || defined(__i386__)
    // cpu_init first: a decode may run from a static initialiser, before libgcc's.
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
#else
    return false;
#endif
}
