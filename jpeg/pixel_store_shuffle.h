// Byte planes to 3-byte pixels by byte shuffles (SSSE3), shared by the SSE4.1
// and AVX2 pixel writers; included after pixel_convert_sse.h, under the
// including file's SSE_TARGET.
#pragma once

#include "jpeg/pixel_convert_sse.h"

#include <tmmintrin.h>

namespace
{

// Output bytes 16k..16k+15 of a row take plane (p % 3)'s byte p / 3; -1 writes 0.
struct ShuffleMasks {
    alignas(16) int8_t part[3][3][16];
};

constexpr ShuffleMasks make_shuffle_masks()
{
    ShuffleMasks m = {};
    for (int k = 0; k < 3; k++)
        for (int c = 0; c < 3; c++)
            for (int i = 0; i < 16; i++) {
                const int p = 16 * k + i;
                m.part[k][c][i] = static_cast<int8_t>(p % 3 == c ? p / 3 : -1);
            }
    return m;
}

// Made at compile time: building them at each call cost more than using them.
constexpr ShuffleMasks shuffle_masks = make_shuffle_masks();

struct Shuffles {
    __m128i part[3][3];
    SSE_INLINE Shuffles()
    {
        for (int k = 0; k < 3; k++)
            for (int c = 0; c < 3; c++)
                part[k][c] = _mm_load_si128(reinterpret_cast<const __m128i *>(shuffle_masks.part[k][c]));
    }
};

SSE_INLINE __m128i interleaved(const Shuffles &s, int k, const __m128i planes[3])
{
    return _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(planes[0], s.part[k][0]), _mm_shuffle_epi8(planes[1], s.part[k][1])),
        _mm_shuffle_epi8(planes[2], s.part[k][2]));
}

SSE_INLINE void store_planes(const Shuffles &s, uint8_t *dst, const __m128i planes[3], int sub_x)
{
    __m128i *out = reinterpret_cast<__m128i *>(dst);
    _mm_storeu_si128(out, interleaved(s, 0, planes));
    if (!sub_x) {
        _mm_storel_epi64(out + 1, interleaved(s, 1, planes));
        return;
    }
    _mm_storeu_si128(out + 1, interleaved(s, 1, planes));
    _mm_storeu_si128(out + 2, interleaved(s, 2, planes));
}

// store_planes with the shuffles made once per MCU.
struct ShuffleStore {
    const Shuffles *s;
    SSE_INLINE void operator()(uint8_t *dst, const __m128i planes[3], int sub_x) const
    {
        store_planes(*s, dst, planes, sub_x);
    }
};

}  // namespace
