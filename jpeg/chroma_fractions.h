// The colour factors as exact fractions, and the fixed point and float forms
// the vector versions of the chroma offsets compute them in, with the proofs
// that those forms give the fractions' floors over the whole range.
#pragma once

#include "jpeg/chroma_offsets.h"
#include "jpeg/decoder_stages.h"

#include <stdint.h>

namespace chroma_fractions
{

// The factors as fractions; the doubles are these fractions rounded.
inline constexpr int32_t CR_R_NUM = 701, CR_R_DEN = 500;
inline constexpr int32_t CB_B_NUM = 443, CB_B_DEN = 250;
inline constexpr int32_t GREEN_DEN = 50000, CB_G_NUM = 17207, CR_G_NUM = 35707;
static_assert(static_cast<double>(CR_R_NUM) / CR_R_DEN == YCBCR_CR_R, "red factor");
static_assert(static_cast<double>(CB_B_NUM) / CB_B_DEN == YCBCR_CB_B, "blue factor");
static_assert(static_cast<double>(CB_G_NUM) / GREEN_DEN == YCBCR_CB_G, "green factor of Cb");
static_assert(static_cast<double>(CR_G_NUM) / GREEN_DEN == YCBCR_CR_G, "green factor of Cr");
static_assert(YCBCR_CHROMA_CENTRE == 128.0, "the range is centred on 128");

inline constexpr int32_t LARGEST_D = 128 - CHROMA_OFFSETS_LOW;  // |sample - 128| at most this
static_assert(CHROMA_OFFSETS_HIGH - 1 - 128 == LARGEST_D, "the range is symmetric");

// Red and blue: floor((d F + BIAS) / 2^FIXED_BITS), F the factor rounded to
// FIXED_BITS fraction bits. Its error times |d| stays under BIAS, and BIAS
// plus that error under 2^FIXED_BITS / denominator, so the result lies above
// the exact fraction and below the next multiple of 1/denominator: its floor
// is the fraction's, whole fractions included.
inline constexpr int FIXED_BITS = 20;
inline constexpr int32_t FIXED_BIAS = 1 << 10;
inline constexpr int32_t fixed_factor(int32_t num, int32_t den)
{
    return static_cast<int32_t>(((static_cast<int64_t>(num) << (FIXED_BITS + 1)) + den) / (2 * den));
}
inline constexpr int32_t RED_FIXED = fixed_factor(CR_R_NUM, CR_R_DEN);
inline constexpr int32_t BLUE_FIXED = fixed_factor(CB_B_NUM, CB_B_DEN);
inline constexpr bool fixed_factor_fits(int32_t fixed, int32_t num, int32_t den)
{
    // |F - 2^FIXED_BITS num / den| in units of 1 / den, times the largest |d|.
    const int64_t error = static_cast<int64_t>(fixed) * den - (static_cast<int64_t>(num) << FIXED_BITS);
    const int64_t worst = (error < 0 ? -error : error) * LARGEST_D;
    return worst < static_cast<int64_t>(FIXED_BIAS) * den &&
           static_cast<int64_t>(FIXED_BIAS) * den + worst < (int64_t{1} << FIXED_BITS);
}
static_assert(fixed_factor_fits(RED_FIXED, CR_R_NUM, CR_R_DEN), "red's fixed point is exact over the range");
static_assert(fixed_factor_fits(BLUE_FIXED, CB_B_NUM, CB_B_DEN), "blue's fixed point is exact over the range");

// Green: n = -(CB_G_NUM dcb + CR_G_NUM dcr), exact in an int32 and a float;
// the offset is floor(n / GREEN_DEN), refused where that division is whole
// and n is not 0 (a sample at the centre has no green term at all).
static_assert(static_cast<int64_t>(CB_G_NUM + CR_G_NUM) * LARGEST_D < (1 << 24), "n exact in a float");

}  // namespace chroma_fractions
