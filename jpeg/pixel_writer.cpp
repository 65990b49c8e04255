// Pixel output of the fast picture phase: the channel layout, the choice of
// conversion path, and the clipping of MCUs that cross the bitmap's edges.
#include "jpeg/pixel_writer_paths.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <string.h>

bool pixel_layout_24(PixelLayout *layout)
{
    const int shifts[3] = {_rgb_r_shift_24, _rgb_g_shift_24, _rgb_b_shift_24};
    int32_t offsets[3];
    int seen = 0;
    for (int i = 0; i < 3; i++) {
        if (shifts[i] != 0 && shifts[i] != 8 && shifts[i] != 16)
            return false;
        seen |= 1 << (shifts[i] / 8);
#ifdef ALLEGRO_BIG_ENDIAN
        offsets[i] = 2 - shifts[i] / 8;  // the library stores the high byte first
#else
        offsets[i] = shifts[i] / 8;
#endif
    }
    if (seen != 7)
        return false;
    *layout = PixelLayout{offsets[0], offsets[1], offsets[2]};
    return true;
}

// Samples of one grey block or colour MCU.
struct McuSamples {
    bool grey;
    const PixelLayout *layout;
    int32_t sampling;
    const int32_t *const *luma;
    const int32_t *cb;
    const int32_t *cr;
    bool chroma_flat;
};

static void convert(VectorPath path, const McuSamples *s, uint8_t *const rows[16])
{
    typedef void (*GreyRows)(uint8_t *const[8], const int32_t[64]);
    typedef void (*ColourRows)(uint8_t *const[16], const PixelLayout *, int32_t, const int32_t *const[4],
                               const int32_t[64], const int32_t[64], bool);
    static const GreyRows grey[VECTOR_PATH_COUNT] = {grey_rows_portable, grey_rows_sse2, grey_rows_sse4,
                                                     grey_rows_avx2};
    static const ColourRows colour[VECTOR_PATH_COUNT] = {colour_rows_portable, colour_rows_sse2, colour_rows_sse4,
                                                         colour_rows_avx2};
    if (s->grey)
        grey[path](rows, s->luma[0]);
    else
        colour[path](rows, s->layout, s->sampling, s->luma, s->cb, s->cr, s->chroma_flat);
}

// The `w` x `h` pixels at (x0, y0): straight into the lines when all of them are
// visible, else through a buffer of which only the visible part is copied.
// Visible means what putpixel would write: inside the clip rectangle, and
// inside the bitmap.
static void write_mcu(VectorPath path, BITMAP *bitmap, int32_t x0, int32_t y0, int w, int h, const McuSamples *s)
{
    int64_t left = 0, top = 0, right = bitmap->w, bottom = bitmap->h;
    if (bitmap->clip) {
        left = bitmap->cl > 0 ? bitmap->cl : 0;
        top = bitmap->ct > 0 ? bitmap->ct : 0;
        right = bitmap->cr < bitmap->w ? bitmap->cr : bitmap->w;
        bottom = bitmap->cb < bitmap->h ? bitmap->cb : bitmap->h;
    }
    const int64_t x = x0, y = y0;
    if (left >= right || top >= bottom)  // an empty clip rectangle
        return;
    if (x >= right || y >= bottom || x + w <= left || y + h <= top)
        return;

    uint8_t *rows[16];
    if (x >= left && x + w <= right && y >= top && y + h <= bottom) {
        for (int i = 0; i < h; i++)
            rows[i] = bitmap->line[y + i] + 3 * x;
        convert(path, s, rows);
        return;
    }

    uint8_t buffer[16 * 48];
    for (int i = 0; i < h; i++)
        rows[i] = y + i >= top && y + i < bottom ? buffer + 48 * i : nullptr;
    convert(path, s, rows);
    const int64_t from = x > left ? x : left;
    const int64_t to = x + w < right ? x + w : right;
    for (int i = 0; i < h; i++)
        if (rows[i])
            memcpy(bitmap->line[y + i] + 3 * from, rows[i] + 3 * (from - x), static_cast<size_t>(3 * (to - from)));
}

void write_grey_block_on(VectorPath path, BITMAP *bitmap, int32_t x0, int32_t y0, const int32_t luma[64])
{
    const int32_t *const blocks[1] = {luma};
    const McuSamples s = {true, nullptr, 0, blocks, nullptr, nullptr, false};
    write_mcu(path, bitmap, x0, y0, 8, 8, &s);
}

void write_colour_mcu_on(VectorPath path, BITMAP *bitmap, const PixelLayout *layout, int32_t x0, int32_t y0,
                         int32_t sampling, const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64],
                         bool chroma_flat)
{
    const McuSamples s = {false, layout, sampling, luma, cb, cr, chroma_flat};
    write_mcu(path, bitmap, x0, y0, sampling >= 2 ? 16 : 8, sampling == 4 ? 16 : 8, &s);
}

void write_grey_block(BITMAP *bitmap, int32_t x0, int32_t y0, const int32_t luma[64])
{
    write_grey_block_on(fastest_vector_path(), bitmap, x0, y0, luma);
}

void write_colour_mcu(BITMAP *bitmap, const PixelLayout *layout, int32_t x0, int32_t y0, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64])
{
    write_colour_mcu_on(fastest_vector_path(), bitmap, layout, x0, y0, sampling, luma, cb, cr);
}
