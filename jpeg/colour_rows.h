// The row walk of a colour MCU, shared by every pixel writer path: which
// chroma rows and pixel rows a wanted set of rows needs, in what order.
#pragma once

#include <stdint.h>

// The including file may name a target for the walk, which must cover its
// visitor's (SSE_TARGET in pixel_convert_sse.h).
#ifndef COLOUR_ROWS_TARGET
#define COLOUR_ROWS_TARGET
#endif

// For each chroma row cy that some wanted pixel row uses, visit.chroma_row(cy);
// then for each wanted pixel row y it covers, visit.pixel_row(rows[y], left,
// right): the luma rows under the MCU's left 8 pixels and, when chroma is
// halved across, its right 8 (else null). rows[y] null: row y is not wanted.
// The walk for one sampling, its loop bounds known to the compiler.
template <int SUB_X, int SUB_Y, typename Visitor>
inline __attribute__((always_inline)) COLOUR_ROWS_TARGET void walk_rows_of(uint8_t *const rows[16],
                                                                           const int32_t *const luma[4],
                                                                           Visitor &visit)
{
    for (int cy = 0; cy < 8; cy++) {
        const int first = cy << SUB_Y, last = first + (1 << SUB_Y);
        if (!rows[first] && !rows[last - 1])
            continue;
        visit.chroma_row(cy);
        for (int y = first; y < last; y++) {
            if (!rows[y])
                continue;
            const int32_t *const *blocks = luma + (y >> 3) * 2;
            visit.pixel_row(rows[y], blocks[0] + (y & 7) * 8, SUB_X ? blocks[1] + (y & 7) * 8 : nullptr);
        }
    }
}

template <typename Visitor>
inline __attribute__((always_inline)) COLOUR_ROWS_TARGET void walk_colour_rows(uint8_t *const rows[16],
                                                                               int32_t sampling,
                                                                               const int32_t *const luma[4],
                                                                               Visitor &visit)
{
    if (sampling == 4)
        walk_rows_of<1, 1>(rows, luma, visit);
    else if (sampling == 2)
        walk_rows_of<1, 0>(rows, luma, visit);
    else
        walk_rows_of<0, 0>(rows, luma, visit);
}
