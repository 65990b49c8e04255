// The inverse DCT of the fast picture phase: the same samples as inverse_dct,
// bit for bit, for every input (wrapping arithmetic and the column shortcut included).
#pragma once

#include <stdint.h>

struct QuantTable;

// Drop-in for inverse_dct: row-major coefficients in, 64 samples out, in place.
void inverse_dct_fast(int32_t block[64], const QuantTable *table);
