// Zigzag reordering, dequantisation and the integer inverse DCT of one 8x8 block.
#pragma once

#include <stdint.h>

struct QuantTable;

// Entry i (row-major index) is that coefficient's position in the stream's zigzag order.
extern const int32_t zigzag_order[64];

// Reorders 64 values from zigzag (stream) order into row-major order, in place.
void dezigzag(int32_t values[64]);

// Dequantises the row-major coefficients with `table` and replaces them by 64
// samples, level-shifted by 128 and not clamped. Arithmetic is 32-bit two's
// complement (wrapping), so garbage coefficients give garbage samples, never UB.
void inverse_dct(int32_t block[64], const QuantTable *table);
