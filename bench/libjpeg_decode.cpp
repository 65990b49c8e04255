// libjpeg-turbo decode to RGB and header read-out for the bench.
#include "bench/libjpeg_decode.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

struct LibjpegDecoder {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr mgr;
    jmp_buf jump;
    uint8_t *pixels;  // the buffer being filled, freed when libjpeg bails out
};

static void trap_error(j_common_ptr cinfo)
{
    LibjpegDecoder *decoder = static_cast<LibjpegDecoder *>(cinfo->client_data);
    longjmp(decoder->jump, 1);
}

static void silence(j_common_ptr, int) {}

LibjpegDecoder *libjpeg_decoder_create()
{
    LibjpegDecoder *decoder = new LibjpegDecoder();
    decoder->cinfo.err = jpeg_std_error(&decoder->mgr);
    decoder->mgr.error_exit = trap_error;
    decoder->mgr.emit_message = silence;
    jpeg_create_decompress(&decoder->cinfo);
    decoder->cinfo.client_data = decoder;
    return decoder;
}

void libjpeg_decoder_destroy(LibjpegDecoder *decoder)
{
    jpeg_destroy_decompress(&decoder->cinfo);
    delete decoder;
}

uint8_t *libjpeg_decode_rgb(LibjpegDecoder *decoder, const uint8_t *data, size_t size,
                            int *width, int *height)
{
    jpeg_decompress_struct *cinfo = &decoder->cinfo;
    decoder->pixels = nullptr;
    if (setjmp(decoder->jump)) {
        jpeg_abort_decompress(cinfo);  // the object stays usable for the next picture
        free(decoder->pixels);
        decoder->pixels = nullptr;
        return nullptr;
    }
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = JCS_RGB;
    cinfo->dct_method = JDCT_ISLOW;
    cinfo->do_fancy_upsampling = FALSE;
    cinfo->do_block_smoothing = FALSE;
    jpeg_start_decompress(cinfo);
    size_t stride = static_cast<size_t>(cinfo->output_width) * 3;
    decoder->pixels = static_cast<uint8_t *>(malloc(stride * cinfo->output_height));
    if (!decoder->pixels) {
        jpeg_abort_decompress(cinfo);
        return nullptr;
    }
    // Up to 16 rows a call: libjpeg hands out what one MCU row gives at once.
    JSAMPROW rows[16];
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION first = cinfo->output_scanline;
        JDIMENSION count = cinfo->output_height - first;
        if (count > 16)
            count = 16;
        for (JDIMENSION i = 0; i < count; i++)
            rows[i] = decoder->pixels + (first + i) * stride;
        jpeg_read_scanlines(cinfo, rows, count);
    }
    jpeg_finish_decompress(cinfo);
    *width = static_cast<int>(cinfo->output_width);
    *height = static_cast<int>(cinfo->output_height);
    uint8_t *pixels = decoder->pixels;
    decoder->pixels = nullptr;
    return pixels;
}

JpegLayout libjpeg_read_layout(LibjpegDecoder *decoder, const uint8_t *data, size_t size)
{
    jpeg_decompress_struct *cinfo = &decoder->cinfo;
    JpegLayout layout = {};
    if (setjmp(decoder->jump)) {
        jpeg_abort_decompress(cinfo);
        return JpegLayout{};
    }
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    layout.ok = true;
    layout.width = static_cast<int>(cinfo->image_width);
    layout.height = static_cast<int>(cinfo->image_height);
    layout.components = cinfo->num_components;
    layout.luma_h = cinfo->comp_info[0].h_samp_factor;
    layout.luma_v = cinfo->comp_info[0].v_samp_factor;
    layout.restart_interval = cinfo->restart_interval;
    jpeg_abort_decompress(cinfo);
    return layout;
}

std::string layout_name(const JpegLayout &layout)
{
    std::string name;
    if (layout.components == 1)
        name = "grey";
    else if (layout.luma_h == 1 && layout.luma_v == 1)
        name = "4:4:4";
    else if (layout.luma_h == 2 && layout.luma_v == 1)
        name = "4:2:2";
    else if (layout.luma_h == 2 && layout.luma_v == 2)
        name = "4:2:0";
    else
        name = std::to_string(layout.luma_h) + "x" + std::to_string(layout.luma_v);
    if (layout.restart_interval > 0)
        name += " rst";
    return name;
}
