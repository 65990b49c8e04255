// libjpeg-turbo as the independent side of the tests and the bench: it encodes
// the test pictures, decodes them (grey with its integer IDCT, RGB the way the
// game's decoder works), hands out the DCT coefficients of colour ones and
// names a picture's layout. Kept apart from Allegro's headers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

struct EncodeOptions {
    int components = 3;  // 1 grey, 3 YCbCr
    int luma_h = 1;      // luminance sampling factors (chroma stays 1x1)
    int luma_v = 1;
    int quality = 75;
    bool optimize = false;      // optimised Huffman tables instead of the standard ones
    bool restart_rows = false;  // a restart marker after every MCU row
    int restart_mcus = 0;       // else, when > 0, a restart marker after this many MCUs
    bool progressive = false;   // libjpeg's simple progression (SOF2), which the game refuses
    bool arithmetic = false;    // arithmetic coding (SOF9), which the game refuses
};

// The four layouts the game's decoder reads, and the encode options that make each.
struct PictureLayout {
    const char *name;  // "grey", "4:4:4", "4:2:2", "4:2:0"
    const char *tag;   // the same without colons, for file and picture names
    int components, luma_h, luma_v;
};
extern const PictureLayout picture_layouts[4];
EncodeOptions encode_options(const PictureLayout &layout, int quality);

// `pixels` holds width*height*components bytes (RGB or grey).
std::vector<uint8_t> libjpeg_encode(const std::vector<uint8_t> &pixels, int width, int height,
                                    const EncodeOptions &options);

// Grey decode with the integer ("islow") IDCT; false if libjpeg fails.
bool libjpeg_decode_grey(const std::vector<uint8_t> &jpeg, std::vector<uint8_t> *pixels, int *width, int *height);

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
bool libjpeg_read_coefficients(const std::vector<uint8_t> &jpeg, std::vector<ComponentCoefficients> *components,
                               int *width, int *height);

// One reusable decompress object, for the bench's many decodes.
struct LibjpegDecoder;
LibjpegDecoder *libjpeg_decoder_create();
void libjpeg_decoder_destroy(LibjpegDecoder *decoder);

// Integer IDCT, plain (non-fancy) upsampling, RGB out also for grey pictures:
// the work the game's decoder does. Returns width*height*3 bytes the caller
// frees with free(), or null when libjpeg refuses the stream.
uint8_t *libjpeg_decode_rgb(LibjpegDecoder *decoder, const uint8_t *data, size_t size, int *width, int *height);

struct JpegLayout {
    bool ok;
    int width, height;
    int components;
    int luma_h, luma_v;         // chroma is 1x1 in every picture the game takes
    unsigned restart_interval;  // in MCUs; 0 without a DRI
};

JpegLayout libjpeg_read_layout(LibjpegDecoder *decoder, const uint8_t *data, size_t size);

// "grey", "4:4:4", "4:2:2" or "4:2:0" (else "HxV"), with " rst" when the
// stream has restart markers.
std::string layout_name(const JpegLayout &layout);
