// The processor feature query and the choice of vector path made from it.
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

bool vector_path_available(VectorPath path)
{
    return path == VECTOR_PATH_PORTABLE || (path == VECTOR_PATH_AVX2 && cpu_has_avx2());
}

VectorPath fastest_vector_path()
{
    // A function-local static: initialised once, safely across threads.
    static const VectorPath path =
        vector_path_available(VECTOR_PATH_AVX2) ? VECTOR_PATH_AVX2 : VECTOR_PATH_PORTABLE;
    return path;
}
