// The portable conversion path: plain C++ with fixed-length loops over a row so
// that the compiler can vectorise them on any target.
#include "jpeg/chroma_offsets.h"
#include "jpeg/colour_rows.h"
#include "jpeg/decoder_stages.h"
#include "jpeg/pixel_writer_paths.h"

#include <string.h>

// A pixel is held as a uint32_t whose bits 8k..8k+7 are the byte at offset k
// (and whose top byte is 0). `count` is a multiple of 8.
static inline __attribute__((always_inline)) void store_pixels(uint8_t *dst, const uint32_t *pixels, int count)
{
    for (int at = 0; at < count; at += 8, dst += 24) {
        uint64_t p[8];
        for (int j = 0; j < 8; j++)
            p[j] = pixels[at + j];
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Eight pixels are 24 bytes: three 8-byte stores rather than eight
        // 4-byte ones (stores are what this loop waits on).
        // Each word stored on its own: copied as one array, the compiler would
        // read the words back as a vector, which waits on the stores.
        const uint64_t w0 = p[0] | p[1] << 24 | p[2] << 48;
        const uint64_t w1 = p[2] >> 16 | p[3] << 8 | p[4] << 32 | p[5] << 56;
        const uint64_t w2 = p[5] >> 8 | p[6] << 16 | p[7] << 40;
        memcpy(dst, &w0, 8);
        memcpy(dst + 8, &w1, 8);
        memcpy(dst + 16, &w2, 8);
#else
        for (int j = 0; j < 8; j++) {
            dst[3 * j] = static_cast<uint8_t>(p[j]);
            dst[3 * j + 1] = static_cast<uint8_t>(p[j] >> 8);
            dst[3 * j + 2] = static_cast<uint8_t>(p[j] >> 16);
        }
#endif
    }
}

void grey_rows_portable(uint8_t *const rows[8], const int32_t luma[64])
{
    for (int i = 0; i < 8; i++) {
        if (!rows[i])
            continue;
        uint32_t pixels[8];
        for (int j = 0; j < 8; j++) {
            int32_t v = luma[i * 8 + j];
            v = v < 0 ? 0 : v;
            v = v > 255 ? 255 : v;
            pixels[j] = static_cast<uint32_t>(v) * 0x010101u;
        }
        store_pixels(rows[i], pixels, 8);
    }
}

// Clamping the double before truncating equals "255 at or above 255, 0 at or
// below 0, else toward zero", and never converts a value that does not fit.
static inline uint32_t to_channel(double v)
{
    v = v > 0.0 ? v : 0.0;
    v = v < 255.0 ? v : 255.0;
    return static_cast<uint32_t>(static_cast<int32_t>(v));
}

// The chroma terms of one chroma row, repeated for each pixel column of the MCU.
// Each is the very double that put_ycbcr_pixel computes for that sample.
struct ChromaTerms {
    double cr_r[16], cb_g[16], cr_g[16], cb_b[16];
};

static void chroma_terms(const int32_t cb[8], const int32_t cr[8], int sub_x, ChromaTerms *t)
{
    double cr_r[8], cb_g[8], cr_g[8], cb_b[8];
    for (int k = 0; k < 8; k++) {
        const double cbd = cb[k] - YCBCR_CHROMA_CENTRE, crd = cr[k] - YCBCR_CHROMA_CENTRE;
        cr_r[k] = crd * YCBCR_CR_R;
        cb_g[k] = cbd * YCBCR_CB_G;
        cr_g[k] = crd * YCBCR_CR_G;
        cb_b[k] = cbd * YCBCR_CB_B;
    }
    for (int j = 0; j < 16; j++) {
        const int k = (j >> sub_x) & 7;
        t->cr_r[j] = cr_r[k];
        t->cb_g[j] = cb_g[k];
        t->cr_g[j] = cr_g[k];
        t->cb_b[j] = cb_b[k];
    }
}

// Eight pixels of one row; `first` is the MCU column of luma[0]. Results go to
// a local array first: with no possible aliasing the loop vectorises at -O2.
static inline __attribute__((always_inline)) void convert_eight(const int32_t luma[8], const ChromaTerms *t, int first,
                                                                const PixelLayout *layout, uint32_t pixels[8])
{
    const uint32_t rs = 8 * layout->r, gs = 8 * layout->g, bs = 8 * layout->b;
    const double *cr_r = t->cr_r + first, *cb_g = t->cb_g + first;
    const double *cr_g = t->cr_g + first, *cb_b = t->cb_b + first;
    uint32_t out[8];
    for (int j = 0; j < 8; j++) {
        const double y = luma[j];
        const uint32_t r = to_channel(y + cr_r[j]);
        const uint32_t g = to_channel(y - cb_g[j] - cr_g[j]);
        const uint32_t b = to_channel(y + cb_b[j]);
        out[j] = r << rs | g << gs | b << bs;
    }
    memcpy(pixels, out, sizeof out);
}

// The integer offsets (chroma_offsets.h) of one chroma row, repeated for each
// pixel column of the MCU.
struct OffsetTerms {
    int32_t r[16], g[16], b[16];
};

static void offset_terms(const ChromaOffsets *o, int cy, int sub_x, OffsetTerms *t)
{
    const int16_t *r = o->r + cy * 8, *g = o->g + cy * 8, *b = o->b + cy * 8;
    if (!sub_x) {
        for (int j = 0; j < 8; j++) {
            t->r[j] = r[j];
            t->g[j] = g[j];
            t->b[j] = b[j];
        }
        return;
    }
    // Each offset written twice in a row: a form the compiler vectorises.
    for (int j = 0; j < 8; j++) {
        t->r[2 * j] = t->r[2 * j + 1] = r[j];
        t->g[2 * j] = t->g[2 * j + 1] = g[j];
        t->b[2 * j] = t->b[2 * j + 1] = b[j];
    }
}

static inline int32_t clamp_byte(int32_t v)
{
    v = v < 0 ? 0 : v;
    return v > 255 ? 255 : v;
}

// Eight pixels of one row through the offsets: each channel clamp(luma +
// offset), luma limited to the int16 range as the offsets assume.
static inline __attribute__((always_inline)) void offset_eight(const int32_t luma[8], const OffsetTerms *t, int first,
                                                               const PixelLayout *layout, uint32_t pixels[8])
{
    const uint32_t rs = 8 * layout->r, gs = 8 * layout->g, bs = 8 * layout->b;
    const int32_t *r = t->r + first, *g = t->g + first, *b = t->b + first;
    uint32_t out[8];
    for (int j = 0; j < 8; j++) {
        int32_t y = luma[j];
        y = y < -32768 ? -32768 : y;
        y = y > 32767 ? 32767 : y;
        out[j] = static_cast<uint32_t>(clamp_byte(y + r[j])) << rs | static_cast<uint32_t>(clamp_byte(y + g[j])) << gs |
                 static_cast<uint32_t>(clamp_byte(y + b[j])) << bs;
    }
    memcpy(pixels, out, sizeof out);
}

#define ROW_INLINE inline __attribute__((always_inline))

// The rows of a colour MCU through the offsets.
struct OffsetRowsPortable {
    const ChromaOffsets *offsets;
    const PixelLayout *layout;
    int sub_x;
    OffsetTerms t;
    ROW_INLINE void chroma_row(int cy)
    {
        offset_terms(offsets, cy, sub_x, &t);
    }
    ROW_INLINE void pixel_row(uint8_t *row, const int32_t *left, const int32_t *right)
    {
        uint32_t pixels[16];
        offset_eight(left, &t, 0, layout, pixels);
        if (right)
            offset_eight(right, &t, 8, layout, pixels + 8);
        store_pixels(row, pixels, right ? 16 : 8);
    }
};

// The same through the doubles.
struct DoubleRowsPortable {
    const int32_t *cb, *cr;
    const PixelLayout *layout;
    int sub_x;
    ChromaTerms t;
    ROW_INLINE void chroma_row(int cy)
    {
        chroma_terms(cb + cy * 8, cr + cy * 8, sub_x, &t);
    }
    ROW_INLINE void pixel_row(uint8_t *row, const int32_t *left, const int32_t *right)
    {
        uint32_t pixels[16];
        convert_eight(left, &t, 0, layout, pixels);
        if (right)
            convert_eight(right, &t, 8, layout, pixels + 8);
        store_pixels(row, pixels, right ? 16 : 8);
    }
};

void colour_rows_portable(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                          const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat)
{
    // The integer offsets whenever every sample has them, else the doubles.
    ChromaOffsets offsets;
    if (chroma_flat ? flat_chroma_offsets(cb[0], cr[0], &offsets) : chroma_offsets_portable(cb, cr, &offsets)) {
        OffsetRowsPortable visit = {&offsets, layout, sampling >= 2, {}};
        walk_colour_rows(rows, sampling, luma, visit);
        return;
    }
    DoubleRowsPortable visit = {cb, cr, layout, sampling >= 2, {}};
    walk_colour_rows(rows, sampling, luma, visit);
}
