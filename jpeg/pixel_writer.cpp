// Placeholder: putpixel-based writers until the line writers land.
#include "jpeg/decode_jpeg.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

bool pixel_layout_24(PixelLayout *layout)
{
    *layout = PixelLayout{_rgb_r_shift_24 / 8, _rgb_g_shift_24 / 8, _rgb_b_shift_24 / 8};
    return true;
}

void write_grey_block(BITMAP *bitmap, const PixelLayout *, int32_t x0, int32_t y0,
                      const int32_t luma[64])
{
    for (int i = 0; i < 8; i++)
        for (int j = 0; j < 8; j++) {
            int v = luma[i * 8 + j];
            v = v >= 255 ? 255 : v < 0 ? 0 : v;
            putpixel(bitmap, x0 + j, y0 + i, makecol24(v, v, v));
        }
}

void write_colour_mcu(BITMAP *bitmap, const PixelLayout *, int32_t x0, int32_t y0,
                      int32_t sampling, const int32_t *const luma[4], const int32_t cb[64],
                      const int32_t cr[64])
{
    int sub_x = sampling >= 2, sub_y = sampling == 4;
    int w = sampling >= 2 ? 16 : 8, h = sampling == 4 ? 16 : 8;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const int32_t *l = luma[(y >> 3) * 2 + (x >> 3)];
            int c = (y >> sub_y) * 8 + (x >> sub_x);
            put_ycbcr_pixel(bitmap, x0 + x, y0 + y, l[(y & 7) * 8 + (x & 7)], cb[c], cr[c]);
        }
}
