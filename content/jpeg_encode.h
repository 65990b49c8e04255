// Baseline JFIF encoding of the backgrounds with libjpeg-turbo, with the choices
// (grey, chroma sampling, restarts, Huffman tables) that vary across the pictures.
#pragma once

#include "datafile_writer.h"

enum class Sampling { grey, s444, s422, s420 };

struct JpegOptions {
    Sampling sampling = Sampling::s444;
    bool restart_every_row = false;  // DRI plus a restart marker after each MCU row
    bool optimise_huffman = false;   // per-image tables instead of the standard ones
    int quality = 90;
};

// rgb: width*height*3 bytes, rows top to bottom. Returns a complete JPEG file.
Bytes encode_jpeg(int width, int height, const Bytes &rgb, const JpegOptions &options);
