// Pixel output of the fast picture phase: samples of one MCU written straight
// into the bitmap's lines, with exactly the colour conversion of put_ycbcr_pixel.
#pragma once

#include <stdint.h>

struct BITMAP;

// Byte offsets (0..2) of the red, green and blue channel inside a 24-bit pixel,
// read from the library's current colour shifts.
struct PixelLayout {
    int32_t r, g, b;
};

// False when the shifts are not a permutation of whole bytes; the caller then
// keeps to putpixel.
bool pixel_layout_24(PixelLayout *layout);

// Both writers store exactly the pixels putpixel would store in the solid
// drawing mode: those inside the bitmap and its clip rectangle (when clipping
// is on); the rest of the bitmap and the memory around it are not touched.

// One grey 8x8 block whose top-left pixel is (x0, y0): each sample clamped to
// 0..255 and written as (v, v, v). Pixels outside the bitmap are skipped.
void write_grey_block(BITMAP *bitmap, int32_t x0, int32_t y0, const int32_t luma[64]);

// One colour MCU whose top-left pixel is (x0, y0). `sampling` is the luma
// sampling product: 1 (8x8, luma[0]), 2 (16x8, luma[0] left, luma[1] right) or
// 4 (16x16, luma[0..3] top-left, top-right, bottom-left, bottom-right); chroma
// is repeated, never interpolated. Every pixel inside the bitmap equals what
// put_ycbcr_pixel writes for it; pixels outside are skipped.
void write_colour_mcu(BITMAP *bitmap, const PixelLayout *layout, int32_t x0, int32_t y0, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64]);
