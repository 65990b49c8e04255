// libjpeg-turbo to memory. Only what the game's decoder accepts is written: SOI,
// JFIF 1.01 APP0, DQT, SOF0, DHT, optional DRI, one sequential scan.
#include "jpeg_encode.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

Bytes encode_jpeg(int width, int height, const Bytes &rgb, const JpegOptions &options)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);  // errors exit: the builder cannot go on
    jpeg_create_compress(&cinfo);

    unsigned char *mem = nullptr;
    unsigned long mem_size = 0;
    jpeg_mem_dest(&cinfo, &mem, &mem_size);

    const bool grey = options.sampling == Sampling::grey;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (grey)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    jpeg_set_quality(&cinfo, options.quality, TRUE);

    cinfo.write_JFIF_header = TRUE;
    cinfo.JFIF_major_version = 1;
    cinfo.JFIF_minor_version = 1;
    cinfo.write_Adobe_marker = FALSE;
    cinfo.optimize_coding = options.optimise_huffman ? TRUE : FALSE;
    cinfo.restart_in_rows = options.restart_every_row ? 1 : 0;
    cinfo.dct_method = JDCT_ISLOW;

    if (!grey) {
        // Luma factors give the MCU shape; chroma always one block per MCU.
        int h = 1, v = 1;
        if (options.sampling == Sampling::s422)
            h = 2;
        if (options.sampling == Sampling::s420)
            h = v = 2;
        cinfo.comp_info[0].h_samp_factor = h;
        cinfo.comp_info[0].v_samp_factor = v;
        for (int c = 1; c < 3; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }

    // Grey input is fed as RGB too; libjpeg converts it to luminance.
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t(cinfo.next_scanline) * size_t(width) * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    Bytes out(mem, mem + mem_size);
    std::free(mem);
    return out;
}
