// The reference picture phase: blocks decoded MCU by MCU in raster order,
// chrominance repeated (no interpolation), pixels written one at a time.
#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

// Truncation toward zero, then 0..255. Testing the double first gives the same
// result for every value and never converts one that does not fit an int.
static int to_channel(double v)
{
    if (v >= 255.0)
        return 255;
    if (v <= 0.0)
        return 0;
    return static_cast<int>(v);
}

void put_ycbcr_pixel(BITMAP *bitmap, int32_t x, int32_t y, int32_t luma, int32_t cb, int32_t cr)
{
    double r = luma + (cr - YCBCR_CHROMA_CENTRE) * YCBCR_CR_R;
    double g = luma - (cb - YCBCR_CHROMA_CENTRE) * YCBCR_CB_G - (cr - YCBCR_CHROMA_CENTRE) * YCBCR_CR_G;
    double b = luma + (cb - YCBCR_CHROMA_CENTRE) * YCBCR_CB_B;
    putpixel(bitmap, x, y, makecol24(to_channel(r), to_channel(g), to_channel(b)));
}

static void put_grey_pixel(BITMAP *bitmap, int32_t x, int32_t y, int32_t v)
{
    if (v >= 255)
        v = 255;
    else if (v < 0)
        v = 0;
    putpixel(bitmap, x, y, makecol24(v, v, v));
}

// Predictors of the three components, zeroed at the start and at each restart.
struct Predictors {
    int32_t y, cb, cr;
};

// The restart step after an MCU row: the two marker bytes follow the last byte
// loaded, so two bytes on puts `cursor` on the marker's second byte.
static void restart(JpegDecoder *dec, Predictors *pred)
{
    *pred = Predictors{0, 0, 0};
    for (int i = 0; i < 2 && dec->cursor < dec->data_end; i++)
        dec->cursor++;
    dec->bits_left = 0;
}

static void decode_luma(JpegDecoder *dec, int32_t block[64], Predictors *pred)
{
    decode_block(dec, block, dec->luma_dc_table, dec->luma_ac_table, dec->luma_quant, &pred->y);
}

static void decode_chroma(JpegDecoder *dec, int32_t cb[64], int32_t cr[64], Predictors *pred)
{
    decode_block(dec, cb, dec->chroma_dc_table, dec->chroma_ac_table, dec->chroma_quant, &pred->cb);
    decode_block(dec, cr, dec->chroma_dc_table, dec->chroma_ac_table, dec->chroma_quant, &pred->cr);
}

// Writes one luminance block at (x0, y0) with its chrominance taken from the
// quarter (or half) of the chroma blocks that it covers. `sub_x`/`sub_y` are 1
// when the chroma is repeated over 2 pixels in that direction; `cx0`/`cy0` the
// chroma row and column where this block's share starts.
static void put_colour_block(BITMAP *bitmap, const int32_t luma[64], const int32_t cb[64], const int32_t cr[64],
                             int32_t x0, int32_t y0, int sub_x, int sub_y, int cx0, int cy0)
{
    for (int i = 0; i < 8; i++) {
        for (int j = 0; j < 8; j++) {
            int c = (cy0 + (i >> sub_y)) * 8 + cx0 + (j >> sub_x);
            put_ycbcr_pixel(bitmap, x0 + j, y0 + i, luma[i * 8 + j], cb[c], cr[c]);
        }
    }
}

McuLayout mcu_layout(const JpegDecoder *dec)
{
    int32_t sampling = 0;
    if (dec->component_count == 3 && (dec->luma_sampling == 1 || dec->luma_sampling == 2 || dec->luma_sampling == 4))
        sampling = dec->luma_sampling;
    return McuLayout{sampling, sampling >= 2 ? 16 : 8, sampling == 4 ? 16 : 8, sampling == 0 ? 1 : sampling};
}

void decode_picture(JpegDecoder *dec, BITMAP *bitmap)
{
    int32_t y0[64], y1[64], y2[64], y3[64], cb[64], cr[64];
    Predictors pred = {0, 0, 0};

    McuLayout mcu = mcu_layout(dec);
    int layout = mcu.sampling, mcu_w = mcu.width, mcu_h = mcu.height;

    start_bits(dec);
    int32_t mcu_x = 0, mcu_y = 0;
    while (mcu_y < dec->height) {
        switch (layout) {
        case 0:
            decode_luma(dec, y0, &pred);
            for (int i = 0; i < 8; i++)
                for (int j = 0; j < 8; j++)
                    put_grey_pixel(bitmap, mcu_x + j, mcu_y + i, y0[i * 8 + j]);
            break;
        case 1:
            decode_luma(dec, y0, &pred);
            decode_chroma(dec, cb, cr, &pred);
            put_colour_block(bitmap, y0, cb, cr, mcu_x, mcu_y, 0, 0, 0, 0);
            break;
        case 2:
            decode_luma(dec, y0, &pred);
            decode_luma(dec, y1, &pred);
            decode_chroma(dec, cb, cr, &pred);
            put_colour_block(bitmap, y0, cb, cr, mcu_x, mcu_y, 1, 0, 0, 0);
            put_colour_block(bitmap, y1, cb, cr, mcu_x + 8, mcu_y, 1, 0, 4, 0);
            break;
        case 4:
            decode_luma(dec, y0, &pred);
            decode_luma(dec, y1, &pred);
            decode_luma(dec, y2, &pred);
            decode_luma(dec, y3, &pred);
            decode_chroma(dec, cb, cr, &pred);
            put_colour_block(bitmap, y0, cb, cr, mcu_x, mcu_y, 1, 1, 0, 0);
            put_colour_block(bitmap, y1, cb, cr, mcu_x + 8, mcu_y, 1, 1, 4, 0);
            put_colour_block(bitmap, y2, cb, cr, mcu_x, mcu_y + 8, 1, 1, 0, 4);
            put_colour_block(bitmap, y3, cb, cr, mcu_x + 8, mcu_y + 8, 1, 1, 4, 4);
            break;
        }
        mcu_x += mcu_w;
        if (mcu_x >= dec->width) {
            mcu_x = 0;
            mcu_y += mcu_h;
            if (dec->markers_seen & SEEN_DRI)
                restart(dec, &pred);
        }
    }
}
