// The colour step in integers, exactly: for a chroma sample whose terms lie
// clear of whole numbers, every channel put_ycbcr_pixel gives is
// clamp(luma + offset) with one integer offset per channel, so the double
// arithmetic is looked up once per chroma value instead of run for each pixel.
#pragma once

#include <stdint.h>

// Why this holds: a channel is trunc(fl(luma + t)) clamped to 0..255, with t
// (for green -(a + b), rounded twice) a double. For |luma| < 2^15 and |t| <
// 2^14 the roundings move the sum by under 2^-35, so its integer part is
// luma + floor(t) unless t lies that close to a whole number, which the
// offsets refuse (t exactly 0 is exact). A larger |luma| makes the channel 0
// or 255 either way, the offsets being far smaller than 2^15 - 255.
//
// Chroma samples from CHROMA_TABLE_LOW to CHROMA_TABLE_HIGH - 1 have offsets;
// real pictures stay well inside, damaged ones take the double arithmetic.
enum { CHROMA_TABLE_LOW = -1024, CHROMA_TABLE_HIGH = 1280 };

struct ChromaOffsets {
    alignas(32) int16_t r[64];
    alignas(32) int16_t g[64];
    alignas(32) int16_t b[64];
};

// The offsets of the 64 samples of a Cb and a Cr block, or false when some
// sample lies outside the table or too close to a whole number: then the MCU
// takes the double arithmetic.
bool chroma_offsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out);
