// What the processor can run, and the one rule that picks the vector path of
// the fast transform and the pixel writers from it.
#pragma once

// Whether this CPU (and OS) can run AVX2 code; false off x86.
bool cpu_has_avx2();

// The implementations behind inverse_dct_fast and the pixel writers.
enum VectorPath {
    VECTOR_PATH_PORTABLE,  // plain C++ the compiler vectorises; runs anywhere
    VECTOR_PATH_AVX2,      // AVX2 intrinsics
};

// True when the path was built in and the processor can run it.
bool vector_path_available(VectorPath path);

// AVX2 where available, else portable; decided once, since the processor does
// not change under a running program.
VectorPath fastest_vector_path();
