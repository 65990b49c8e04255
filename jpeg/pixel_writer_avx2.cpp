// The AVX2 conversion path: the SSE paths' exact integer offsets and byte
// shuffles (pixel_convert_sse.h and pixel_store_shuffle.h, compiled here for
// AVX2) with the offsets computed two chroma rows per vector; grey rows eight
// samples per vector.
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

AVX2 void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                           const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    const Shuffles s;
    colour_rows_sse(rows, layout, sampling, luma, cb, cr, chroma_flat, ShuffleStore{&s}, chroma_offsets_avx2);
}

#else

// Not an x86 target: the path is never chosen; these only keep the link whole.
void grey_rows_avx2(uint8_t *const rows[8], const int32_t luma[64])
{
    grey_rows_portable(rows, luma);
}

void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    colour_rows_portable(rows, layout, sampling, luma, cb, cr, chroma_flat);
}

#endif
