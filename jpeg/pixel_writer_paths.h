// The conversion paths behind pixel_writer.h (portable C++, SSE2, SSE4.1, AVX2), kept
// apart so that each can be run and checked on its own.
#pragma once

#include "jpeg/cpu_features.h"
#include "jpeg/pixel_writer.h"

#include <stdint.h>

// write_grey_block and write_colour_mcu through the given path (which must be available).
void write_grey_block_on(VectorPath path, BITMAP *bitmap, int32_t x0, int32_t y0, const int32_t luma[64]);
// chroma_flat: cb and cr each hold one value 64 times (blocks without AC), so
// one sample's offsets serve the whole MCU.
void write_colour_mcu_on(VectorPath path, BITMAP *bitmap, const PixelLayout *layout, int32_t x0, int32_t y0,
                         int32_t sampling, const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64],
                         bool chroma_flat = false);

// The kernels: a whole block or MCU into rows of 3-byte pixels. rows[i] receives
// row i (8 or 16 pixels wide) or is null when that row is not wanted.
void grey_rows_portable(uint8_t *const rows[8], const int32_t luma[64]);
void colour_rows_portable(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                          const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat);
void grey_rows_sse2(uint8_t *const rows[8], const int32_t luma[64]);
void colour_rows_sse2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat);
void grey_rows_sse4(uint8_t *const rows[8], const int32_t luma[64]);
void colour_rows_sse4(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat);
void grey_rows_avx2(uint8_t *const rows[8], const int32_t luma[64]);
void colour_rows_avx2(uint8_t *const rows[16], const PixelLayout *layout, int32_t sampling,
                      const int32_t *const luma[4], const int32_t cb[64], const int32_t cr[64], bool chroma_flat);
