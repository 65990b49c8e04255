// The implementations behind inverse_dct_fast, exposed so tests can check
// each of them against inverse_dct whichever one fastest_vector_path picks.
#pragma once

#include "jpeg/cpu_features.h"

#include <stdint.h>

struct QuantTable;

// A quant table as the 16-bit lanes take it, narrowed once per picture rather
// than at every block; `fits` is false when some value is no int16.
struct NarrowQuant {
    alignas(16) int16_t values[64];
    bool fits;
};
void narrow_quant(const QuantTable *table, NarrowQuant *narrow);

// inverse_dct_fast through the given path (which must be available).
void inverse_dct_on(VectorPath path, int32_t block[64], const QuantTable *table);

// The function behind inverse_dct_on for `path`, for callers that pick once
// and keep the table narrowed beside the table itself.
typedef void (*InverseDct)(int32_t block[64], const QuantTable *table, const NarrowQuant *narrow);
InverseDct inverse_dct_for(VectorPath path);

// Plain C++ (uint32 arithmetic over 8-lane loops); runs anywhere.
void inverse_dct_portable(int32_t block[64], const QuantTable *table);

// SSE2 intrinsics in 16-bit lanes, the portable path for blocks whose values
// do not fit them; also the SSE4.1 path's transform (the 16-bit lanes need
// nothing SSE4.1 adds). inverse_dct_sse2_16 is its 16-bit part alone: false,
// with `block` untouched, when the values do not fit. inverse_dct_sse2_narrowed
// is inverse_dct_sse2 with the table already narrowed.
void inverse_dct_sse2(int32_t block[64], const QuantTable *table);
bool inverse_dct_sse2_16(int32_t block[64], const QuantTable *table);
void inverse_dct_sse2_narrowed(int32_t block[64], const QuantTable *table, const NarrowQuant *narrow);

// AVX2 intrinsics; call only when vector_path_available(VECTOR_PATH_AVX2).
// Elsewhere than x86 it is the portable path under another name.
void inverse_dct_avx2(int32_t block[64], const QuantTable *table);
