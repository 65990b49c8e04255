// The processor feature query and the choice of vector path made from it.
#include "jpeg/cpu_features.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *const path_names[VECTOR_PATH_COUNT] = {"portable", "sse2", "sse4", "avx2"};

#if defined(__x86_64__) || defined(__i386__)
// cpu_init first: a decode may run from a static initialiser, before libgcc's.
static bool cpu_supports(VectorPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case VECTOR_PATH_SSE2:
        return __builtin_cpu_supports("sse2");
    case VECTOR_PATH_SSE4:
        return __builtin_cpu_supports("sse4.1");
    case VECTOR_PATH_AVX2:
        return __builtin_cpu_supports("avx2");
    default:
        return true;
    }
}
#else
static bool cpu_supports(VectorPath path)
{
    return path == VECTOR_PATH_PORTABLE;
}
#endif

const char *vector_path_name(VectorPath path)
{
    return path >= 0 && path < VECTOR_PATH_COUNT ? path_names[path] : "?";
}

bool vector_path_from_name(const char *name, VectorPath *path)
{
    for (int i = 0; i < VECTOR_PATH_COUNT; i++) {
        if (strcmp(name, path_names[i]) == 0) {
            *path = static_cast<VectorPath>(i);
            return true;
        }
    }
    return false;
}

bool vector_path_available(VectorPath path)
{
    // __builtin_cpu_supports reads what cpu_init stored: cheap enough to ask each time.
    return path >= 0 && path < VECTOR_PATH_COUNT && cpu_supports(path);
}

static VectorPath choose_path()
{
    const char *forced = getenv("TABELLONE_JPEG_PATH");
    if (forced) {
        VectorPath path;
        if (!vector_path_from_name(forced, &path)) {
            fprintf(stderr, "TABELLONE_JPEG_PATH=%s: not a path (avx2, sse4, sse2 or portable)\n", forced);
            exit(2);
        }
        if (!vector_path_available(path)) {
            fprintf(stderr, "TABELLONE_JPEG_PATH=%s: this processor cannot run that path\n", forced);
            exit(2);
        }
        return path;
    }
    for (int i = VECTOR_PATH_COUNT - 1; i > 0; i--)
        if (vector_path_available(static_cast<VectorPath>(i)))
            return static_cast<VectorPath>(i);
    return VECTOR_PATH_PORTABLE;
}

VectorPath fastest_vector_path()
{
    // A function-local static: initialised once, safely across threads.
    static const VectorPath path = choose_path();
    return path;
}
