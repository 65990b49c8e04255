// The AVX2 conversion path: four doubles per vector, the same operations in the
// same order as the portable path, pixels packed to 3 bytes with byte shuffles;
// 4:2:0 through the exact integer offsets of the SSE paths (pixel_convert_sse.h
// and pixel_store_shuffle.h, compiled here for AVX2).
#include "jpeg/decoder_stages.h"
#include "jpeg/pixel_writer_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define AVX2 __attribute__((target("avx2")))
#define SSE_TARGET AVX2
#include "jpeg/pixel_store_shuffle.h"

// Eight pixels already squeezed to 12 bytes per vector, stored end to end:
// exactly 24 bytes, nothing past them.
AVX2 static inline void store_eight(uint8_t *dst, __m128i p0, __m128i p1)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + 16), _mm_srli_si128(p1, 4));
}

AVX2 void grey_rows_avx2(uint8_t *const rows[8], const int32_t luma[64])
{
    // Byte 0 of each clamped sample, three times per pixel, 12 bytes per lane.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 4, 4, 4, 8, 8, 8, 12, 12, 12, -1, -1, -1, -1, 0, 0, 0, 4, 4, 4, 8,
                                            8, 8, 12, 12, 12, -1, -1, -1, -1);
    const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi32(255);
    for (int i = 0; i < 8; i++) {
        if (!rows[i])
            continue;
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(luma + i * 8));
        v = _mm256_min_epi32(_mm256_max_epi32(v, zero), top);
        v = _mm256_shuffle_epi8(v, spread);
        store_eight(rows[i], _mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    }
}

// Byte shuffles from three 16-byte channel planes (red, green, blue) to 48 bytes
// of pixels: part[k][c] takes channel c's bytes for output bytes 16k..16k+15.
struct Interleave {
    __m128i part[3][3];
};

AVX2 static inline void interleave_masks(const PixelLayout *layout, Interleave *m)
{
    // Output byte p belongs to pixel p / 3 at byte offset p % 3.
    const __m128i pixel[3] = {_mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5),
                              _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10),
                              _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15)};
    const __m128i offset[3] = {_mm_setr_epi8(0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0),
                               _mm_setr_epi8(1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1),
                               _mm_setr_epi8(2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2)};
    const int32_t channel_offset[3] = {layout->r, layout->g, layout->b};
    const __m128i zeroing = _mm_set1_epi8(-128);  // a set top bit makes the shuffle write 0
    for (int c = 0; c < 3; c++) {
        const __m128i wanted = _mm_set1_epi8(static_cast<char>(channel_offset[c]));
        for (int k = 0; k < 3; k++)
            m->part[k][c] = _mm_or_si128(pixel[k], _mm_andnot_si128(_mm_cmpeq_epi8(offset[k], wanted), zeroing));
    }
}

AVX2 static inline __m128i interleaved(const Interleave *m, int k, __m128i r, __m128i g, __m128i b)
{
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(r, m->part[k][0]), _mm_shuffle_epi8(g, m->part[k][1])),
                        _mm_shuffle_epi8(b, m->part[k][2]));
}

// Four channel values as int32: above 255 becomes 255 in the double, so the
// truncation always fits; anything below 0 truncates to 0 or a negative value,
// which the saturating packs turn into 0.
AVX2 static inline __m128i truncated(__m256d v)
{
    return _mm256_cvttpd_epi32(_mm256_min_pd(v, _mm256_set1_pd(255.0)));
}

// Chroma terms of the pixel columns 4v..4v+3 of one chroma row.
struct ChromaVectors {
    __m256d cr_r[4], cb_g[4], cr_g[4], cb_b[4];
};

AVX2 static inline void chroma_vectors(const int32_t cb[8], const int32_t cr[8], int sub_x, ChromaVectors *t)
{
    const __m256d centre = _mm256_set1_pd(YCBCR_CHROMA_CENTRE);
    __m256d cr_r[2], cb_g[2], cr_g[2], cb_b[2];
    for (int k = 0; k < 2; k++) {
        const __m256d cbd =
            _mm256_sub_pd(_mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + 4 * k))), centre);
        const __m256d crd =
            _mm256_sub_pd(_mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + 4 * k))), centre);
        cr_r[k] = _mm256_mul_pd(crd, _mm256_set1_pd(YCBCR_CR_R));
        cb_g[k] = _mm256_mul_pd(cbd, _mm256_set1_pd(YCBCR_CB_G));
        cr_g[k] = _mm256_mul_pd(crd, _mm256_set1_pd(YCBCR_CR_G));
        cb_b[k] = _mm256_mul_pd(cbd, _mm256_set1_pd(YCBCR_CB_B));
    }
    if (!sub_x) {
        for (int k = 0; k < 2; k++) {
            t->cr_r[k] = cr_r[k];
            t->cb_g[k] = cb_g[k];
            t->cr_g[k] = cr_g[k];
            t->cb_b[k] = cb_b[k];
        }
        return;
    }
    // Each sample twice: samples 0,0,1,1 then 2,2,3,3 of each half.
    for (int k = 0; k < 2; k++) {
        t->cr_r[2 * k] = _mm256_permute4x64_pd(cr_r[k], 0x50);
        t->cb_g[2 * k] = _mm256_permute4x64_pd(cb_g[k], 0x50);
        t->cr_g[2 * k] = _mm256_permute4x64_pd(cr_g[k], 0x50);
        t->cb_b[2 * k] = _mm256_permute4x64_pd(cb_b[k], 0x50);
        t->cr_r[2 * k + 1] = _mm256_permute4x64_pd(cr_r[k], 0xFA);
        t->cb_g[2 * k + 1] = _mm256_permute4x64_pd(cb_g[k], 0xFA);
        t->cr_g[2 * k + 1] = _mm256_permute4x64_pd(cr_g[k], 0xFA);
        t->cb_b[2 * k + 1] = _mm256_permute4x64_pd(cb_b[k], 0xFA);
    }
}

// The three channels of pixel columns 4v..4v+3 as int32 (see truncated).
struct FourPixels {
    __m128i r, g, b;
};

AVX2 static inline FourPixels convert_four(const int32_t luma[4], const ChromaVectors *t, int v)
{
    const __m256d y = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(luma)));
    return FourPixels{truncated(_mm256_add_pd(y, t->cr_r[v])),
                      truncated(_mm256_sub_pd(_mm256_sub_pd(y, t->cb_g[v]), t->cr_g[v])),
                      truncated(_mm256_add_pd(y, t->cb_b[v]))};
}

// The rows of a colour MCU through four doubles per vector.
struct DoubleRowsAvx2 {
    const int32_t *cb, *cr;
    int sub_x;
    const Interleave *masks;
    ChromaVectors terms;
    AVX2 inline void chroma_row(int cy)
    {
        chroma_vectors(cb + cy * 8, cr + cy * 8, sub_x, &terms);
    }
    AVX2 inline void pixel_row(uint8_t *row, const int32_t *left, const int32_t *right)
    {
        const FourPixels p0 = convert_four(left, &terms, 0);
        const FourPixels p1 = convert_four(left + 4, &terms, 1);
        __m128i *dst = reinterpret_cast<__m128i *>(row);
        if (!right) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i r = plane(p0.r, p1.r, zero, zero);
            const __m128i g = plane(p0.g, p1.g, zero, zero);
            const __m128i b = plane(p0.b, p1.b, zero, zero);
            _mm_storeu_si128(dst, interleaved(masks, 0, r, g, b));
            _mm_storel_epi64(dst + 1, interleaved(masks, 1, r, g, b));
            return;
        }
        const FourPixels p2 = convert_four(right, &terms, 2);
        const FourPixels p3 = convert_four(right + 4, &terms, 3);
        const __m128i r = plane(p0.r, p1.r, p2.r, p3.r);
        const __m128i g = plane(p0.g, p1.g, p2.g, p3.g);
        const __m128i b = plane(p0.b, p1.b, p2.b, p3.b);
        _mm_storeu_si128(dst, interleaved(masks, 0, r, g, b));
        _mm_storeu_si128(dst + 1, interleaved(masks, 1, r, g, b));
        _mm_storeu_si128(dst + 2, interleaved(masks, 2, r, g, b));
    }
};

AVX2 void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                           const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64])
{
    // Four doubles per vector cost less than the offsets where each pixel has
    // a chroma sample of its own; where two or four share one, the offsets pay.
    if (sampling >= 2) {
        const Shuffles s;
        colour_rows_sse(rows, layout, sampling, luma, cb, cr, ShuffleStore{&s}, chroma_offsets_avx2);
        return;
    }
    Interleave masks;
    interleave_masks(layout, &masks);
    DoubleRowsAvx2 visit = {cb, cr, sampling >= 2, &masks, {}};
    walk_colour_rows(rows, sampling, luma, visit);
}

#else

// Not an x86 target: the path is never chosen; these only keep the link whole.
void grey_rows_avx2(uint8_t *const rows[8], const int32_t luma[64])
{
    grey_rows_portable(rows, luma);
}

void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64])
{
    colour_rows_portable(rows, layout, sampling, luma, cb, cr);
}

#endif
