// libjpeg-turbo's side of the bench: one reusable decompress object that turns
// a JPEG in memory into a fresh malloc'd RGB buffer, and a header read that
// names a picture's layout. Kept apart from Allegro's headers.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>

struct LibjpegDecoder;

LibjpegDecoder *libjpeg_decoder_create();
void libjpeg_decoder_destroy(LibjpegDecoder *decoder);

// Integer IDCT, plain (non-fancy) upsampling, RGB out also for grey pictures:
// the work our decoder does. Returns width*height*3 bytes the caller frees with
// free(), or null when libjpeg refuses the stream.
uint8_t *libjpeg_decode_rgb(LibjpegDecoder *decoder, const uint8_t *data, size_t size,
                            int *width, int *height);

struct JpegLayout {
    bool ok;
    int width, height;
    int components;
    int luma_h, luma_v;           // chroma is 1x1 in every picture the game takes
    unsigned restart_interval;    // in MCUs; 0 without a DRI
};

JpegLayout libjpeg_read_layout(LibjpegDecoder *decoder, const uint8_t *data, size_t size);

// "grey", "4:4:4", "4:2:2" or "4:2:0" (else "HxV"), with " rst" when the
// stream has restart markers.
std::string layout_name(const JpegLayout &layout);
