// The SSE2 conversion path: doubles two per vector (pixel_convert_sse.h), then
// the byte planes interleaved into 3-byte pixels with unpacks and shifts, as
// SSE2 has no byte shuffle.
#include "jpeg/pixel_writer_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include "jpeg/pixel_convert_sse.h"

namespace
{

// Four 4-byte pixels (top byte 0) squeezed to 12 bytes at the bottom of the vector.
SSE_INLINE __m128i squeeze_four(__m128i pixels)
{
    const __m128i low_pixel = _mm_set_epi32(0, -1, 0, -1);
    const __m128i pairs =
        _mm_or_si128(_mm_and_si128(pixels, low_pixel), _mm_srli_epi64(_mm_andnot_si128(low_pixel, pixels), 8));
    const __m128i low_pair = _mm_set_epi32(0, 0, -1, -1);
    return _mm_or_si128(_mm_and_si128(pairs, low_pair), _mm_srli_si128(_mm_andnot_si128(low_pair, pairs), 2));
}

// Eight pixels (two squeezed fours) stored end to end: exactly 24 bytes.
SSE_INLINE void store_eight(uint8_t *dst, __m128i p0, __m128i p1)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + 16), _mm_srli_si128(p1, 4));
}

// Byte planes in pixel byte order to 8 or 16 pixels of 3 bytes.
SSE_INLINE void store_planes(uint8_t *dst, const __m128i planes[3], int sub_x)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i pairs_lo = _mm_unpacklo_epi8(planes[0], planes[1]);
    const __m128i third_lo = _mm_unpacklo_epi8(planes[2], zero);
    const __m128i q0 = squeeze_four(_mm_unpacklo_epi16(pairs_lo, third_lo));
    const __m128i q1 = squeeze_four(_mm_unpackhi_epi16(pairs_lo, third_lo));
    if (!sub_x) {
        store_eight(dst, q0, q1);
        return;
    }
    const __m128i pairs_hi = _mm_unpackhi_epi8(planes[0], planes[1]);
    const __m128i third_hi = _mm_unpackhi_epi8(planes[2], zero);
    const __m128i q2 = squeeze_four(_mm_unpacklo_epi16(pairs_hi, third_hi));
    const __m128i q3 = squeeze_four(_mm_unpackhi_epi16(pairs_hi, third_hi));
    __m128i *out = reinterpret_cast<__m128i *>(dst);
    _mm_storeu_si128(out, _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
    _mm_storeu_si128(out + 1, _mm_or_si128(_mm_srli_si128(q1, 4), _mm_slli_si128(q2, 8)));
    _mm_storeu_si128(out + 2, _mm_or_si128(_mm_srli_si128(q2, 8), _mm_slli_si128(q3, 4)));
}

}  // namespace

void grey_rows_sse2(uint8_t *const rows[8], const int32_t luma[64])
{
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 8; i++) {
        if (!rows[i])
            continue;
        __m128i v;
        grey_plane_row(luma + 8 * i, &v);
        const __m128i pairs = _mm_unpacklo_epi8(v, v), third = _mm_unpacklo_epi8(v, zero);
        store_eight(rows[i], squeeze_four(_mm_unpacklo_epi16(pairs, third)),
                    squeeze_four(_mm_unpackhi_epi16(pairs, third)));
    }
}

void colour_rows_sse2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    colour_rows_sse(rows, layout, sampling, luma, cb, cr, chroma_flat,
                    [](uint8_t *dst, const __m128i planes[3], int sub_x) { store_planes(dst, planes, sub_x); });
}

#else

// Not an x86 target: the path is never chosen; these only keep the link whole.
void grey_rows_sse2(uint8_t *const rows[8], const int32_t luma[64])
{
    grey_rows_portable(rows, luma);
}

void colour_rows_sse2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    colour_rows_portable(rows, layout, sampling, luma, cb, cr, chroma_flat);
}

#endif
