// What the processor can run, and the one rule that picks the vector path of
// the fast transform and the pixel writers from it.
#pragma once

// The implementations behind inverse_dct_fast and the pixel writers, slowest first.
enum VectorPath {
    VECTOR_PATH_PORTABLE,  // plain C++ the compiler vectorises; runs anywhere
    VECTOR_PATH_SSE2,      // SSE2 intrinsics (every x86-64 processor)
    VECTOR_PATH_SSE4,      // SSE4.1 intrinsics (the 32-bit multiply, byte shuffles)
    VECTOR_PATH_AVX2,      // AVX2 intrinsics
    VECTOR_PATH_COUNT,
};

// The path's name as TABELLONE_JPEG_PATH and jpeg_bench --path spell it:
// "portable", "sse2", "sse4" or "avx2".
const char *vector_path_name(VectorPath path);

// The path called `name`; false when no path has that name.
bool vector_path_from_name(const char *name, VectorPath *path);

// True when the path was built in and the processor can run it.
bool vector_path_available(VectorPath path);

// The path the decoder takes, decided once, since neither the processor nor
// the environment changes under a running program: the path named by the
// environment variable TABELLONE_JPEG_PATH when it is set, else the fastest
// available. A name that is no path, or a path this processor cannot run, is
// never replaced by another: one line goes to stderr and the program exits
// with status 2, at the first decode.
VectorPath fastest_vector_path();
