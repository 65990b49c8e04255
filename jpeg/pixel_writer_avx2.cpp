// The AVX2 conversion path: the SSE paths' exact integer offsets and byte
// shuffles (pixel_convert_sse.h and pixel_store_shuffle.h, compiled here for
// AVX2) with the offsets computed two chroma rows per vector, and 4:4:4 pixel
// rows two per vector; grey rows eight samples per vector.
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

// Shuffles from the byte planes of a row of eight pixels to its 24 bytes:
// [part][source], part 0 making bytes 0..15 and part 1 bytes 16..23; source 0
// is the first two planes (bytes 0..7 and 8..15 of one vector), source 1 the
// third (bytes 0..7 of another); -1 writes 0. Each half of a vector holds one
// row, so both halves take the same mask.
struct RowPairMasks {
    alignas(32) int8_t part[2][2][32];
};

constexpr RowPairMasks make_row_pair_masks()
{
    RowPairMasks m = {};
    for (int part = 0; part < 2; part++)
        for (int source = 0; source < 2; source++)
            for (int i = 0; i < 32; i++) {
                const int o = 16 * part + i % 16, pixel = o / 3, channel = o % 3;
                int8_t v = -1;
                if (o < 24 && source == 0 && channel < 2)
                    v = static_cast<int8_t>(8 * channel + pixel);
                if (o < 24 && source == 1 && channel == 2)
                    v = static_cast<int8_t>(pixel);
                m.part[part][source][i] = v;
            }
    return m;
}

constexpr RowPairMasks row_pair_masks = make_row_pair_masks();

AVX2 static inline __m256i row_pair_part(int part, __m256i first_two, __m256i third)
{
    const __m256i *masks = reinterpret_cast<const __m256i *>(row_pair_masks.part[part]);
    return _mm256_or_si256(_mm256_shuffle_epi8(first_two, _mm256_load_si256(masks)),
                           _mm256_shuffle_epi8(third, _mm256_load_si256(masks + 1)));
}

// 4:4:4 through the integer offsets, two pixel rows per vector: the SSE
// walk's 128-bit rows leave half of each AVX2 vector idle there.
AVX2 static void rows_444_exact(uint8_t *const rows[16], const PixelLayout *layout, const int32_t luma[64],
                                const ChromaOffsets *o)
{
    for (int y = 0; y < 8; y += 2) {
        if (!rows[y] && !rows[y + 1])
            continue;
        // packs keeps 128-bit halves apart; the permute puts row y below row y + 1.
        const __m256i packed =
            _mm256_packs_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(luma + 8 * y)),
                               _mm256_loadu_si256(reinterpret_cast<const __m256i *>(luma + 8 * y + 8)));
        const __m256i y16 = _mm256_permute4x64_epi64(packed, 0xD8);
        __m256i planes[3];
        planes[layout->r] = _mm256_adds_epi16(y16, _mm256_load_si256(reinterpret_cast<const __m256i *>(o->r + 8 * y)));
        planes[layout->g] = _mm256_adds_epi16(y16, _mm256_load_si256(reinterpret_cast<const __m256i *>(o->g + 8 * y)));
        planes[layout->b] = _mm256_adds_epi16(y16, _mm256_load_si256(reinterpret_cast<const __m256i *>(o->b + 8 * y)));
        // Per half (one row): planes 0 and 1 as bytes 0..15, plane 2 as bytes 0..7.
        const __m256i first_two = _mm256_packus_epi16(planes[0], planes[1]);
        const __m256i third = _mm256_packus_epi16(planes[2], planes[2]);
        const __m256i low = row_pair_part(0, first_two, third), high = row_pair_part(1, first_two, third);
        for (int half = 0; half < 2; half++) {
            uint8_t *dst = rows[y + half];
            if (!dst)
                continue;
            const __m128i l = half ? _mm256_extracti128_si256(low, 1) : _mm256_castsi256_si128(low);
            const __m128i h = half ? _mm256_extracti128_si256(high, 1) : _mm256_castsi256_si128(high);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), l);
            _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + 16), h);
        }
    }
}

AVX2 void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                           const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    if (sampling == 1) {
        ChromaOffsets offsets;
        if (mcu_chroma_offsets(cb, cr, chroma_flat, chroma_offsets_avx2, &offsets)) {
            rows_444_exact(rows, layout, luma[0], &offsets);
            return;
        }
    }
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
