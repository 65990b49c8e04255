// libjpeg-turbo encode, decodes and header read-out for the tests and the bench;
// every call traps libjpeg's errors with the one handler here.
#include "tests/support/libjpeg_codec.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

namespace
{

// libjpeg's error manager first, so the handler finds the jump from cinfo->err.
struct ErrorTrap {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void trap_error(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorTrap *>(cinfo->err)->jump, 1);
}

void silence(j_common_ptr, int) {}

jpeg_error_mgr *set_trap(ErrorTrap *trap)
{
    jpeg_std_error(&trap->mgr);
    trap->mgr.error_exit = trap_error;
    trap->mgr.emit_message = silence;
    return &trap->mgr;
}

// The header of `data`, read into a created object; errors jump to its trap.
void read_header(jpeg_decompress_struct *cinfo, const uint8_t *data, size_t size)
{
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
}

// The decode the game's decoder is compared with, started after the header:
// integer IDCT, no smoothing, chroma repeated.
void begin_compared_decode(jpeg_decompress_struct *cinfo, J_COLOR_SPACE space)
{
    cinfo->out_color_space = space;
    cinfo->dct_method = JDCT_ISLOW;
    cinfo->do_fancy_upsampling = FALSE;
    cinfo->do_block_smoothing = FALSE;
    jpeg_start_decompress(cinfo);
}

// The compared decode of `data`; errors jump to the caller's trap.
void start_decode(jpeg_decompress_struct *cinfo, const uint8_t *data, size_t size, J_COLOR_SPACE space)
{
    read_header(cinfo, data, size);
    begin_compared_decode(cinfo, space);
}

// A decompress object for one call: `body` reads from it after the header;
// false when libjpeg gave up on the picture.
template <typename Body> bool with_header_read(const std::vector<uint8_t> &jpeg, Body body)
{
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = set_trap(&trap);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    read_header(&cinfo, jpeg.data(), jpeg.size());
    body(&cinfo);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Every output row into `pixels`, up to 16 rows a call: what one MCU row gives at once.
void read_rows(jpeg_decompress_struct *cinfo, uint8_t *pixels)
{
    size_t stride = static_cast<size_t>(cinfo->output_width) * cinfo->output_components;
    JSAMPROW rows[16];
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION first = cinfo->output_scanline;
        JDIMENSION count = cinfo->output_height - first;
        if (count > 16)
            count = 16;
        for (JDIMENSION i = 0; i < count; i++)
            rows[i] = pixels + (first + i) * stride;
        jpeg_read_scanlines(cinfo, rows, count);
    }
}

}  // namespace

struct LibjpegDecoder {
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    uint8_t *pixels;  // the buffer being filled, freed when libjpeg bails out
};

const PictureLayout picture_layouts[4] = {
    {"grey", "grey", 1, 1, 1}, {"4:4:4", "444", 3, 1, 1}, {"4:2:2", "422", 3, 2, 1}, {"4:2:0", "420", 3, 2, 2}};

EncodeOptions encode_options(const PictureLayout &layout, int quality)
{
    EncodeOptions o;
    o.components = layout.components;
    o.luma_h = layout.luma_h;
    o.luma_v = layout.luma_v;
    o.quality = quality;
    return o;
}

std::vector<uint8_t> libjpeg_encode(const std::vector<uint8_t> &pixels, int width, int height,
                                    const EncodeOptions &options)
{
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = set_trap(&trap);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        free(buffer);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = options.components;
    cinfo.in_color_space = options.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    cinfo.optimize_coding = options.optimize ? TRUE : FALSE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.restart_in_rows = options.restart_rows ? 1 : 0;
    if (!options.restart_rows)
        cinfo.restart_interval = static_cast<unsigned int>(options.restart_mcus);
    cinfo.comp_info[0].h_samp_factor = options.luma_h;
    cinfo.comp_info[0].v_samp_factor = options.luma_v;
    for (int c = 1; c < cinfo.num_components; c++) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    size_t stride = static_cast<size_t>(width) * options.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels[cinfo.next_scanline * stride]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    free(buffer);
    return out;
}

bool libjpeg_decode_grey(const std::vector<uint8_t> &jpeg, std::vector<uint8_t> *pixels, int *width, int *height)
{
    return with_header_read(jpeg, [&](jpeg_decompress_struct *cinfo) {
        begin_compared_decode(cinfo, JCS_GRAYSCALE);
        *width = static_cast<int>(cinfo->output_width);
        *height = static_cast<int>(cinfo->output_height);
        pixels->assign(static_cast<size_t>(*width) * *height, 0);
        read_rows(cinfo, pixels->data());
    });
}

bool libjpeg_read_coefficients(const std::vector<uint8_t> &jpeg, std::vector<ComponentCoefficients> *components,
                               int *width, int *height)
{
    return with_header_read(jpeg, [&](jpeg_decompress_struct *cinfo) {
        jvirt_barray_ptr *arrays = jpeg_read_coefficients(cinfo);
        *width = static_cast<int>(cinfo->image_width);
        *height = static_cast<int>(cinfo->image_height);
        components->clear();
        for (int c = 0; c < cinfo->num_components; c++) {
            jpeg_component_info *info = &cinfo->comp_info[c];
            ComponentCoefficients out;
            out.h_samp = info->h_samp_factor;
            out.v_samp = info->v_samp_factor;
            // The stored arrays are padded to whole MCUs of the interleaved scan.
            out.width_in_blocks = static_cast<int>((info->width_in_blocks + info->h_samp_factor - 1) /
                                                   info->h_samp_factor * info->h_samp_factor);
            out.height_in_blocks = static_cast<int>((info->height_in_blocks + info->v_samp_factor - 1) /
                                                    info->v_samp_factor * info->v_samp_factor);
            for (int i = 0; i < 64; i++)
                out.quant[i] = info->quant_table->quantval[i];
            out.blocks.assign(static_cast<size_t>(out.width_in_blocks) * out.height_in_blocks * 64, 0);
            for (int row = 0; row < out.height_in_blocks; row++) {
                JBLOCKARRAY rows = (*cinfo->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(cinfo), arrays[c],
                                                                     static_cast<JDIMENSION>(row), 1, FALSE);
                for (int col = 0; col < out.width_in_blocks; col++)
                    for (int i = 0; i < 64; i++)
                        out.blocks[(static_cast<size_t>(row) * out.width_in_blocks + col) * 64 + i] = rows[0][col][i];
            }
            components->push_back(out);
        }
    });
}

LibjpegDecoder *libjpeg_decoder_create()
{
    LibjpegDecoder *decoder = new LibjpegDecoder();
    decoder->cinfo.err = set_trap(&decoder->trap);
    jpeg_create_decompress(&decoder->cinfo);
    return decoder;
}

void libjpeg_decoder_destroy(LibjpegDecoder *decoder)
{
    jpeg_destroy_decompress(&decoder->cinfo);
    delete decoder;
}

uint8_t *libjpeg_decode_rgb(LibjpegDecoder *decoder, const uint8_t *data, size_t size, int *width, int *height)
{
    jpeg_decompress_struct *cinfo = &decoder->cinfo;
    decoder->pixels = nullptr;
    if (setjmp(decoder->trap.jump)) {
        jpeg_abort_decompress(cinfo);  // the object stays usable for the next picture
        free(decoder->pixels);
        decoder->pixels = nullptr;
        return nullptr;
    }
    start_decode(cinfo, data, size, JCS_RGB);
    size_t stride = static_cast<size_t>(cinfo->output_width) * 3;
    decoder->pixels = static_cast<uint8_t *>(malloc(stride * cinfo->output_height));
    if (!decoder->pixels) {
        jpeg_abort_decompress(cinfo);
        return nullptr;
    }
    read_rows(cinfo, decoder->pixels);
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
    if (setjmp(decoder->trap.jump)) {
        jpeg_abort_decompress(cinfo);
        return JpegLayout{};
    }
    read_header(cinfo, data, size);
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
