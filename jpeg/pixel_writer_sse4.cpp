// The SSE4.1 conversion path: the SSE2 path's doubles (pixel_convert_sse.h,
// compiled here for SSE4.1), with the byte planes interleaved into 3-byte
// pixels by byte shuffles.
#include "jpeg/pixel_writer_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <smmintrin.h>

#define SSE_TARGET __attribute__((target("sse4.1")))
#include "jpeg/pixel_store_shuffle.h"


SSE_TARGET void grey_rows_sse4(uint8_t *const rows[8], const int32_t luma[64])
{
    const Shuffles s;
    for (int i = 0; i < 8; i++) {
        if (!rows[i])
            continue;
        __m128i planes[3];
        grey_plane_row(luma + 8 * i, &planes[0]);
        planes[1] = planes[2] = planes[0];
        __m128i *out = reinterpret_cast<__m128i *>(rows[i]);
        _mm_storeu_si128(out, interleaved(s, 0, planes));
        _mm_storel_epi64(out + 1, interleaved(s, 1, planes));
    }
}

SSE_TARGET void colour_rows_sse4(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                                 const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    const Shuffles s;
    colour_rows_sse(rows, layout, sampling, luma, cb, cr, chroma_flat, ShuffleStore{&s});
}

#else

// Not an x86 target: the path is never chosen; these only keep the link whole.
void grey_rows_sse4(uint8_t *const rows[8], const int32_t luma[64])
{
    grey_rows_portable(rows, luma);
}

void colour_rows_sse4(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    colour_rows_portable(rows, layout, sampling, luma, cb, cr, chroma_flat);
}

#endif
