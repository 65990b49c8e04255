// The colour step in integers, exactly: for a chroma sample whose terms lie
// clear of whole numbers, every channel put_ycbcr_pixel gives is
// clamp(luma + offset) with one integer offset per channel, so the double
// arithmetic is replaced by a few integer operations per chroma sample.
#pragma once

#include <stdint.h>

// Why this holds: a channel is trunc(fl(luma + t)) clamped to 0..255, with t
// (for green -(a + b), rounded twice) a double. For |luma| < 2^15 and |t| <
// 2^14 the roundings move the sum by under 2^-35, so its integer part is
// luma + floor(t) unless t lies that close to a whole number. A larger |luma|
// makes the channel 0 or 255 either way, the offsets being far smaller than
// 2^15 - 255.
//
// The factors are decimals with small denominators (1.402 = 701/500, 1.772 =
// 443/250, 0.34414 + 0.71414 over 50000), and each double product lies within
// 10^-13 of the exact fraction, which itself is a whole number or at least
// 1/denominator away from one. Where the fraction is whole, red and blue's
// doubles are that very number (the unit test runs every sample of the
// range), so their offsets are exact everywhere; green is refused when its
// fraction is whole but not 0, as then (luma - a) - b may fall either side.
//
// Chroma samples from CHROMA_OFFSETS_LOW to CHROMA_OFFSETS_HIGH - 1 have
// offsets; real pictures stay well inside, damaged ones take the doubles.
enum { CHROMA_OFFSETS_LOW = 128 - 317, CHROMA_OFFSETS_HIGH = 128 + 318 };

struct ChromaOffsets {
    alignas(32) int16_t r[64];
    alignas(32) int16_t g[64];
    alignas(32) int16_t b[64];
};

// The offsets of the 64 samples of a Cb and a Cr block, or false when some
// sample lies outside the range or green lies on a whole number: then the MCU
// takes the double arithmetic. chroma_offsets uses SSE2 where the processor is
// x86 (every such processor has it); chroma_offsets_portable is plain C++, the
// same results on every input.
bool chroma_offsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out);
bool chroma_offsets_portable(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out);
// The same with AVX2: call only when the processor has it.
bool chroma_offsets_avx2(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out);

// The offsets of blocks that each hold one value 64 times (cb and cr): one
// sample's offsets, everywhere; the same results as the others give them.
bool flat_chroma_offsets(int32_t cb, int32_t cr, ChromaOffsets *out);
