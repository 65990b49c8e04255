// The inverse DCT regrouped for pmaddwd, which multiplies 16-bit pairs and
// sums each pair into 32 bits: every output of the 8-point transform written
// as a sum over the inputs, one factor each, from the named constants. Between
// the two shifts the transform is only sums and products, so the regrouping
// gives the reference's values modulo 2^32, which is what it computes.
#pragma once

#include "jpeg/decoder_stages.h"

// The odd part's outputs written as sums over x1, x3, x5, x7 alone (the
// reference forms y1..y5 first; expanded, each input has one factor).
inline constexpr int32_t ODD_X7_0 = IDCT_0_298631336 - IDCT_0_899976223 - IDCT_1_961570560 + IDCT_1_175875602;
inline constexpr int32_t ODD_X5_1 = IDCT_2_053119869 - IDCT_2_562915447 - IDCT_0_390180644 + IDCT_1_175875602;
inline constexpr int32_t ODD_X3_2 = IDCT_3_072711026 - IDCT_2_562915447 - IDCT_1_961570560 + IDCT_1_175875602;
inline constexpr int32_t ODD_X1_3 = IDCT_1_501321110 - IDCT_0_899976223 - IDCT_0_390180644 + IDCT_1_175875602;
inline constexpr int32_t ODD_17 = IDCT_1_175875602 - IDCT_0_899976223;  // x1 in output 0, x7 in output 3
inline constexpr int32_t ODD_37 = IDCT_1_175875602 - IDCT_1_961570560;  // x3 in 0, x7 in 2
inline constexpr int32_t ODD_35 = IDCT_1_175875602 - IDCT_2_562915447;  // x3 in 1, x5 in 2
inline constexpr int32_t ODD_15 = IDCT_1_175875602 - IDCT_0_390180644;  // x1 in 1, x5 in 3
inline constexpr int32_t EVEN_2 = IDCT_0_541196100 + IDCT_0_765366865;  // x2 in t3
inline constexpr int32_t EVEN_6 = IDCT_0_541196100 - IDCT_1_847759065;  // x6 in t2

static_assert(ODD_X7_0 >= -32768 && ODD_X1_3 <= 32767 && EVEN_6 >= -32768 && EVEN_2 <= 32767,
              "grouped factors are 16-bit");

// Factors a and b as one 32-bit lane of pmaddwd's second operand: a multiplies
// the first 16-bit value of each pair, b the second.
inline constexpr int32_t pair_factors(int32_t a, int32_t b)
{
    return static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) & 0xFFFF));
}
