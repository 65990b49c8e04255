// Zigzag reordering, dequantisation and the integer inverse DCT of one 8x8 block.
#pragma once

#include <stdint.h>

struct QuantTable;

// Entry i (row-major index) is that coefficient's position in the stream's zigzag order.
inline constexpr int32_t zigzag_order[64] = {
     0,  1,  5,  6, 14, 15, 27, 28,
     2,  4,  7, 13, 16, 26, 29, 42,
     3,  8, 12, 17, 25, 30, 41, 43,
     9, 11, 18, 24, 31, 40, 44, 53,
    10, 19, 23, 32, 39, 45, 52, 54,
    20, 22, 33, 38, 46, 51, 55, 60,
    21, 34, 37, 47, 50, 56, 59, 61,
    35, 36, 48, 49, 57, 58, 62, 63,
};

// Reorders 64 values from zigzag (stream) order into row-major order, in place.
void dezigzag(int32_t values[64]);

// Dequantises the row-major coefficients with `table` and replaces them by 64
// samples, level-shifted by 128 and not clamped. Arithmetic is 32-bit two's
// complement (wrapping), so garbage coefficients give garbage samples, never UB.
void inverse_dct(int32_t block[64], const QuantTable *table);
