// The colour conversion in SSE2 doubles, two per vector, shared by the SSE2
// and SSE4.1 pixel writers (each includes it with its own SSE_TARGET): the same
// operations in the same order as put_ycbcr_pixel, channels out as byte planes.
// Only the interleaving of the planes into 3-byte pixels differs between them.
#pragma once

#include "jpeg/chroma_offsets.h"
#include "jpeg/decoder_stages.h"
#include "jpeg/pixel_writer.h"

#include <emmintrin.h>

// The including file may name a target (an attribute, which GCC and clang
// both take) for every function here.
#ifndef SSE_TARGET
#define SSE_TARGET
#endif
#define SSE_INLINE inline __attribute__((always_inline)) SSE_TARGET
#define COLOUR_ROWS_TARGET SSE_TARGET
#include "jpeg/colour_rows.h"

namespace
{

// Chroma terms of pixel columns 2v, 2v+1 of one chroma row (16 columns at most).
struct ChromaPairs {
    __m128d cr_r[8], cb_g[8], cr_g[8], cb_b[8];
};

SSE_INLINE void chroma_pairs(const int32_t cb[8], const int32_t cr[8], int sub_x, ChromaPairs *t)
{
    const __m128d centre = _mm_set1_pd(YCBCR_CHROMA_CENTRE);
    for (int k = 0; k < 4; k++) {
        const __m128d cbd =
            _mm_sub_pd(_mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cb + 2 * k))), centre);
        const __m128d crd =
            _mm_sub_pd(_mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cr + 2 * k))), centre);
        const __m128d cr_r = _mm_mul_pd(crd, _mm_set1_pd(YCBCR_CR_R));
        const __m128d cb_g = _mm_mul_pd(cbd, _mm_set1_pd(YCBCR_CB_G));
        const __m128d cr_g = _mm_mul_pd(crd, _mm_set1_pd(YCBCR_CR_G));
        const __m128d cb_b = _mm_mul_pd(cbd, _mm_set1_pd(YCBCR_CB_B));
        if (!sub_x) {
            t->cr_r[k] = cr_r;
            t->cb_g[k] = cb_g;
            t->cr_g[k] = cr_g;
            t->cb_b[k] = cb_b;
            continue;
        }
        // Each sample twice: columns 4k, 4k+1 take sample 2k, columns 4k+2, 4k+3 sample 2k+1.
        t->cr_r[2 * k] = _mm_unpacklo_pd(cr_r, cr_r);
        t->cb_g[2 * k] = _mm_unpacklo_pd(cb_g, cb_g);
        t->cr_g[2 * k] = _mm_unpacklo_pd(cr_g, cr_g);
        t->cb_b[2 * k] = _mm_unpacklo_pd(cb_b, cb_b);
        t->cr_r[2 * k + 1] = _mm_unpackhi_pd(cr_r, cr_r);
        t->cb_g[2 * k + 1] = _mm_unpackhi_pd(cb_g, cb_g);
        t->cr_g[2 * k + 1] = _mm_unpackhi_pd(cr_g, cr_g);
        t->cb_b[2 * k + 1] = _mm_unpackhi_pd(cb_b, cb_b);
    }
}

// Two channel values as int32 in the low half: above 255 becomes 255 in the
// double, so the truncation always fits; anything below 0 truncates to 0 or a
// negative value, which the saturating packs turn into 0.
SSE_INLINE __m128i truncated(__m128d v)
{
    return _mm_cvttpd_epi32(_mm_min_pd(v, _mm_set1_pd(255.0)));
}

// Channels of four pixel columns (pairs v, v+1) as int32.
struct FourChannels {
    __m128i r, g, b;
};

SSE_INLINE FourChannels convert_four(const int32_t luma[4], const ChromaPairs *t, int v)
{
    const __m128d y0 = _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(luma)));
    const __m128d y1 = _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(luma + 2)));
    const __m128i r0 = truncated(_mm_add_pd(y0, t->cr_r[v]));
    const __m128i r1 = truncated(_mm_add_pd(y1, t->cr_r[v + 1]));
    const __m128i g0 = truncated(_mm_sub_pd(_mm_sub_pd(y0, t->cb_g[v]), t->cr_g[v]));
    const __m128i g1 = truncated(_mm_sub_pd(_mm_sub_pd(y1, t->cb_g[v + 1]), t->cr_g[v + 1]));
    const __m128i b0 = truncated(_mm_add_pd(y0, t->cb_b[v]));
    const __m128i b1 = truncated(_mm_add_pd(y1, t->cb_b[v + 1]));
    return FourChannels{_mm_unpacklo_epi64(r0, r1), _mm_unpacklo_epi64(g0, g1), _mm_unpacklo_epi64(b0, b1)};
}

// Saturating packs: int32 to int16 keeps 0..255 and negatives negative, then
// int16 to unsigned bytes makes negatives 0.
SSE_INLINE __m128i plane(__m128i a, __m128i b, __m128i c, __m128i d)
{
    return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}

// One row of eight (sub_x 0) or sixteen pixels as three byte planes, the
// channels in the order of their byte offset in a pixel.
SSE_INLINE void convert_row(const int32_t *left, const int32_t *right, const ChromaPairs *t, int sub_x,
                            const PixelLayout *layout, __m128i planes[3])
{
    const FourChannels p0 = convert_four(left, t, 0);
    const FourChannels p1 = convert_four(left + 4, t, 2);
    __m128i r, g, b;
    if (!sub_x) {
        const __m128i zero = _mm_setzero_si128();
        r = plane(p0.r, p1.r, zero, zero);
        g = plane(p0.g, p1.g, zero, zero);
        b = plane(p0.b, p1.b, zero, zero);
    } else {
        const FourChannels p2 = convert_four(right, t, 4);
        const FourChannels p3 = convert_four(right + 4, t, 6);
        r = plane(p0.r, p1.r, p2.r, p3.r);
        g = plane(p0.g, p1.g, p2.g, p3.g);
        b = plane(p0.b, p1.b, p2.b, p3.b);
    }
    planes[layout->r] = r;
    planes[layout->g] = g;
    planes[layout->b] = b;
}

SSE_INLINE void grey_plane_row(const int32_t luma[8], __m128i *bytes)
{
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma + 4));
    // Saturating packs clamp to 0..255 as the grey writer's clamp does.
    *bytes = _mm_packus_epi16(_mm_packs_epi32(lo, hi), _mm_setzero_si128());
}

// The chroma offsets of one chroma row over the MCU's columns: [0] for
// columns 0..7, [1] for 8..15.
struct OffsetRow {
    __m128i r[2], g[2], b[2];
};

SSE_INLINE void spread(__m128i v, int sub_x, __m128i out[2])
{
    out[0] = sub_x ? _mm_unpacklo_epi16(v, v) : v;
    out[1] = _mm_unpackhi_epi16(v, v);
}

SSE_INLINE void offset_row(const ChromaOffsets *o, int cy, int sub_x, OffsetRow *t)
{
    spread(_mm_load_si128(reinterpret_cast<const __m128i *>(o->r + 8 * cy)), sub_x, t->r);
    spread(_mm_load_si128(reinterpret_cast<const __m128i *>(o->g + 8 * cy)), sub_x, t->g);
    spread(_mm_load_si128(reinterpret_cast<const __m128i *>(o->b + 8 * cy)), sub_x, t->b);
}

// Eight luma samples as int16, saturated: see chroma_offsets.h for why a
// saturated sample still gives the right channels.
SSE_INLINE __m128i luma16(const int32_t *luma)
{
    return _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(luma)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(luma + 4)));
}

// convert_row through the integer offsets: saturating 16-bit sums, then
// unsigned saturation to bytes is the clamp to 0..255.
SSE_INLINE void convert_row_exact(const int32_t *left, const int32_t *right, const OffsetRow *t, int sub_x,
                                  const PixelLayout *layout, __m128i planes[3])
{
    const __m128i y0 = luma16(left);
    const __m128i y1 = sub_x ? luma16(right) : _mm_setzero_si128();
    const __m128i r = _mm_packus_epi16(_mm_adds_epi16(y0, t->r[0]), sub_x ? _mm_adds_epi16(y1, t->r[1]) : y1);
    const __m128i g = _mm_packus_epi16(_mm_adds_epi16(y0, t->g[0]), sub_x ? _mm_adds_epi16(y1, t->g[1]) : y1);
    const __m128i b = _mm_packus_epi16(_mm_adds_epi16(y0, t->b[0]), sub_x ? _mm_adds_epi16(y1, t->b[1]) : y1);
    planes[layout->r] = r;
    planes[layout->g] = g;
    planes[layout->b] = b;
}

// The rows of a colour MCU through the integer offsets, each row's planes
// handed to `store`.
template <typename Store>
struct ExactRows {
    const ChromaOffsets *offsets;
    const PixelLayout *layout;
    int sub_x;
    Store store;
    OffsetRow t;
    SSE_INLINE void chroma_row(int cy)
    {
        offset_row(offsets, cy, sub_x, &t);
    }
    SSE_INLINE void pixel_row(uint8_t *dst, const int32_t *left, const int32_t *right)
    {
        __m128i planes[3];
        convert_row_exact(left, right, &t, sub_x, layout, planes);
        store(dst, planes, sub_x);
    }
};

// The same through the doubles.
template <typename Store>
struct DoubleRows {
    const int32_t *cb, *cr;
    const PixelLayout *layout;
    int sub_x;
    Store store;
    ChromaPairs terms;
    SSE_INLINE void chroma_row(int cy)
    {
        chroma_pairs(cb + cy * 8, cr + cy * 8, sub_x, &terms);
    }
    SSE_INLINE void pixel_row(uint8_t *dst, const int32_t *left, const int32_t *right)
    {
        __m128i planes[3];
        convert_row(left, right, &terms, sub_x, layout, planes);
        store(dst, planes, sub_x);
    }
};

typedef bool (*ChromaOffsetsOf)(const int32_t cb[64], const int32_t cr[64], ChromaOffsets *out);

// The integer offsets of a colour MCU's chroma, through `offsets_of` (the
// version for this processor) or, for one chroma pair throughout, from that
// pair alone; false when the MCU must take the doubles.
SSE_INLINE bool mcu_chroma_offsets(const int32_t cb[64], const int32_t cr[64], bool chroma_flat,
                                   ChromaOffsetsOf offsets_of, ChromaOffsets *offsets)
{
    return chroma_flat ? flat_chroma_offsets(cb[0], cr[0], offsets) : offsets_of(cb, cr, offsets);
}

// A colour MCU, each wanted row's planes handed to `store`; `offsets_of` is
// the chroma offsets' version for this processor.
template <typename Store>
SSE_INLINE void colour_rows_sse(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                                const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64],
                                bool chroma_flat, Store store, ChromaOffsetsOf offsets_of = chroma_offsets)
{
    const int sub_x = sampling >= 2;
    // The integer offsets whenever every sample has them: a few integer
    // operations per chroma sample instead of doubles per pixel.
    ChromaOffsets offsets;
    if (mcu_chroma_offsets(cb, cr, chroma_flat, offsets_of, &offsets)) {
        ExactRows<Store> visit = {&offsets, layout, sub_x, store, {}};
        walk_colour_rows(rows, sampling, luma, visit);
        return;
    }
    DoubleRows<Store> visit = {cb, cr, layout, sub_x, store, {}};
    walk_colour_rows(rows, sampling, luma, visit);
}

}  // namespace
