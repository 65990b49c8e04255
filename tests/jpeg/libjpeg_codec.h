// libjpeg-turbo as the independent side of the differential tests: it encodes
// the test pictures, decodes grey ones with its integer IDCT, and hands out the
// DCT coefficients of colour ones. Kept apart from Allegro's headers.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

struct EncodeOptions {
    int components = 3;   // 1 grey, 3 YCbCr
    int luma_h = 1;       // luminance sampling factors (chroma stays 1x1)
    int luma_v = 1;
    int quality = 75;
    bool optimize = false;  // optimised Huffman tables instead of the standard ones
    bool restart_rows = false;  // a restart marker after every MCU row
    int restart_mcus = 0;       // else, when > 0, a restart marker after this many MCUs
};

// `pixels` holds width*height*components bytes (RGB or grey).
std::vector<uint8_t> libjpeg_encode(const std::vector<uint8_t> &pixels, int width, int height,
                                    const EncodeOptions &options);

// Grey decode with the integer ("islow") IDCT; false if libjpeg fails.
bool libjpeg_decode_grey(const std::vector<uint8_t> &jpeg, std::vector<uint8_t> *pixels,
                         int *width, int *height);

struct ComponentCoefficients {
    int h_samp, v_samp;
    int width_in_blocks, height_in_blocks;  // padded to whole MCUs
    std::vector<int32_t> blocks;            // 64 per block, natural order, row by row
    int32_t quant[64];                      // natural order
    const int32_t *block(int row, int column) const
    {
        return &blocks[(static_cast<size_t>(row) * width_in_blocks + column) * 64];
    }
};

// The quantised DCT coefficients of every component, as libjpeg decodes them.
bool libjpeg_read_coefficients(const std::vector<uint8_t> &jpeg,
                               std::vector<ComponentCoefficients> *components,
                               int *width, int *height);
