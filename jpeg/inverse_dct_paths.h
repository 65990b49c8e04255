// The two implementations behind inverse_dct_fast, exposed so tests can check
// each of them against inverse_dct whichever one fastest_vector_path picks.
#pragma once

#include "jpeg/cpu_features.h"

#include <stdint.h>

struct QuantTable;

// inverse_dct_fast through the given path (which must be available).
void inverse_dct_on(VectorPath path, int32_t block[64], const QuantTable *table);

// Plain C++ (uint32 arithmetic over 8-lane loops); runs anywhere.
void inverse_dct_portable(int32_t block[64], const QuantTable *table);

// AVX2 intrinsics; call only when vector_path_available(VECTOR_PATH_AVX2).
// Elsewhere than x86 it is the portable path under another name.
void inverse_dct_avx2(int32_t block[64], const QuantTable *table);
