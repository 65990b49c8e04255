// The picture phase: MCU assembly, colour conversion and the bitmap.
#pragma once

#include <stdint.h>

struct BITMAP;
struct JpegDecoder;

// JFIF YCbCr to RGB in double precision, truncated toward zero then clamped to 0..255;
// the samples themselves are not clamped. Writes the pixel with putpixel (clipped).
void put_ycbcr_pixel(BITMAP *bitmap, int32_t x, int32_t y, int32_t luma, int32_t cb, int32_t cr);

// How the scan's MCUs are laid out: the luminance sampling product (1, 2 or 4)
// of a three-component scan, or 0 for grey. A three-component scan of another
// sampling product goes the grey way.
struct McuLayout {
    int32_t sampling;     // 0, 1, 2 or 4
    int32_t width;        // 8 or 16 pixels
    int32_t height;       // 8 or 16 pixels
    int32_t luma_blocks;  // 1, 2 or 4
};
McuLayout mcu_layout(const JpegDecoder *dec);

// Decodes the scan of a decoder whose headers were read into `bitmap`
// (`width` x `height`), MCU by MCU, from `cursor` on.
void decode_picture(JpegDecoder *dec, BITMAP *bitmap);

// The same picture phase through lookup-table Huffman decoding, the fast
// transform and line writers: the same pixels as decode_picture on every input.
void decode_picture_fast(JpegDecoder *dec, BITMAP *bitmap);
