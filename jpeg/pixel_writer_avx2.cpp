// The AVX2 conversion path: four doubles per vector, the same operations in the
// same order as the portable path, pixels packed to 3 bytes with byte shuffles.
#include "jpeg/pixel_writer_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define AVX2 __attribute__((target("avx2")))

bool avx2_supported()
{
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}

// Four 4-byte pixels (bytes 0..2 used) squeezed into the low 12 bytes.
AVX2 static inline __m128i squeeze(__m128i pixels)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    return _mm_shuffle_epi8(pixels, order);
}

// Eight or sixteen pixels already squeezed (12 bytes per vector) stored
// end to end: exactly 24 or 48 bytes, nothing past them.
AVX2 static inline void store_eight(uint8_t *dst, __m128i p0, __m128i p1)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + 16), _mm_srli_si128(p1, 4));
}

AVX2 static inline void store_sixteen(uint8_t *dst, __m128i p0, __m128i p1, __m128i p2,
                                      __m128i p3)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 16),
                     _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 32),
                     _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
}

AVX2 void grey_rows_avx2(uint8_t *const rows[8], const int32_t luma[64])
{
    // Byte 0 of each clamped sample, three times per pixel, 12 bytes per lane.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 4, 4, 4, 8, 8, 8, 12, 12, 12, -1, -1, -1, -1,
                                            0, 0, 0, 4, 4, 4, 8, 8, 8, 12, 12, 12, -1, -1, -1, -1);
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

// Channels of four pixels: clamped as doubles to 0..255, then truncated.
AVX2 static inline __m128i to_channels(__m256d v)
{
    v = _mm256_max_pd(v, _mm256_setzero_pd());
    v = _mm256_min_pd(v, _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(v);
}

// Chroma terms of the pixel columns 4v..4v+3 of one chroma row.
struct ChromaVectors {
    __m256d cr_r[4], cb_g[4], cr_g[4], cb_b[4];
};

// Shift counts putting each channel at its byte.
struct ChannelShifts {
    __m128i r, g, b;
};

AVX2 static inline void chroma_vectors(const int32_t cb[8], const int32_t cr[8], int sub_x,
                                       ChromaVectors *t)
{
    const __m256d centre = _mm256_set1_pd(128.0);
    __m256d cr_r[2], cb_g[2], cr_g[2], cb_b[2];
    for (int k = 0; k < 2; k++) {
        const __m256d cbd = _mm256_sub_pd(
            _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + 4 * k))),
            centre);
        const __m256d crd = _mm256_sub_pd(
            _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + 4 * k))),
            centre);
        cr_r[k] = _mm256_mul_pd(crd, _mm256_set1_pd(1.402));
        cb_g[k] = _mm256_mul_pd(cbd, _mm256_set1_pd(0.34414));
        cr_g[k] = _mm256_mul_pd(crd, _mm256_set1_pd(0.71414));
        cb_b[k] = _mm256_mul_pd(cbd, _mm256_set1_pd(1.772));
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

// Four pixels of pixel columns 4v..4v+3, squeezed to 12 bytes.
AVX2 static inline __m128i convert_four(const int32_t luma[4], const ChromaVectors *t, int v,
                                        const ChannelShifts *shifts)
{
    const __m256d y =
        _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i *>(luma)));
    const __m128i r = to_channels(_mm256_add_pd(y, t->cr_r[v]));
    const __m128i g = to_channels(_mm256_sub_pd(_mm256_sub_pd(y, t->cb_g[v]), t->cr_g[v]));
    const __m128i b = to_channels(_mm256_add_pd(y, t->cb_b[v]));
    const __m128i pixels = _mm_or_si128(_mm_or_si128(_mm_sll_epi32(r, shifts->r),
                                                     _mm_sll_epi32(g, shifts->g)),
                                        _mm_sll_epi32(b, shifts->b));
    return squeeze(pixels);
}

AVX2 void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                           const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64])
{
    const int sub_x = sampling >= 2, sub_y = sampling == 4;
    const int height = 8 << sub_y;
    const ChannelShifts shifts = {_mm_cvtsi32_si128(8 * layout->r),
                                  _mm_cvtsi32_si128(8 * layout->g),
                                  _mm_cvtsi32_si128(8 * layout->b)};
    ChromaVectors terms;
    for (int cy = 0; cy < height >> sub_y; cy++) {
        const int first = cy << sub_y, last = first + (1 << sub_y);
        if (!rows[first] && !rows[last - 1])
            continue;
        chroma_vectors(cb + cy * 8, cr + cy * 8, sub_x, &terms);
        for (int y = first; y < last; y++) {
            if (!rows[y])
                continue;
            const int32_t *const *blocks = luma + (y >> 3) * 2;
            const int32_t *left = blocks[0] + (y & 7) * 8;
            const __m128i p0 = convert_four(left, &terms, 0, &shifts);
            const __m128i p1 = convert_four(left + 4, &terms, 1, &shifts);
            if (!sub_x) {
                store_eight(rows[y], p0, p1);
                continue;
            }
            const int32_t *right = blocks[1] + (y & 7) * 8;
            const __m128i p2 = convert_four(right, &terms, 2, &shifts);
            const __m128i p3 = convert_four(right + 4, &terms, 3, &shifts);
            store_sixteen(rows[y], p0, p1, p2, p3);
        }
    }
}

#else

// Not an x86 target: the path is never chosen; these only keep the link whole.
bool avx2_supported()
{
    return false;
}

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
