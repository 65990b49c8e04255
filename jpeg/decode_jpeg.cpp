// The decoder's entry points: the header phase, the bitmap, one of the two
// picture phases (the fast one on a vector path), then the depth the library
// asks for loaded images; on refusal, the reason for a caller that asks.
#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>
#include <allegro/internal/aintern.h>

// Larger than Allegro can size in an int: as if the bitmap could not be created.
static bool too_large(const JpegDecoder &dec)
{
    return static_cast<int64_t>(dec.width) * dec.height > JPEG_MAX_PIXELS;
}

// Hands the header phase's verdict to a caller that asked for it, or `late`:
// a refusal met after the headers were read, which names the frame's size.
static void report(JpegDecoder &dec, JpegRefusalCode late, JpegRefusal *refusal)
{
    if (late != JPEG_ACCEPTED) {
        dec.refusal.code = late;
        dec.refusal.end = static_cast<size_t>(dec.data_end - dec.data_start);
        dec.refusal.width = dec.width;
        dec.refusal.height = dec.height;
    }
    if (refusal)
        *refusal = dec.refusal;
}

bool jpeg_picture_size(const uint8_t *data, size_t size, int32_t *width, int32_t *height, JpegRefusal *refusal)
{
    JpegDecoder dec;
    bool accepted = read_jpeg_headers(&dec, data, size);
    if (accepted && too_large(dec)) {
        report(dec, JPEG_TOO_LARGE, refusal);
        return false;
    }
    report(dec, JPEG_ACCEPTED, refusal);
    if (accepted) {
        *width = dec.width;
        *height = dec.height;
    }
    return accepted;
}

// `path` is the fast picture phase's vector path, or REFERENCE_PHASE.
static const int REFERENCE_PHASE = -1;

static BITMAP *decode_with(const uint8_t *data, size_t size, RGB *palette, int path, JpegRefusal *refusal)
{
    JpegDecoder dec;
    if (!read_jpeg_headers(&dec, data, size)) {
        report(dec, JPEG_ACCEPTED, refusal);
        return nullptr;
    }

    PALETTE own_palette;
    if (!palette)
        palette = own_palette;

    int load_depth = _color_load_depth(24, 0);
    BITMAP *bitmap = too_large(dec) ? nullptr : create_bitmap_ex(24, dec.width, dec.height);
    report(dec, bitmap ? JPEG_ACCEPTED : too_large(dec) ? JPEG_TOO_LARGE : JPEG_NO_MEMORY, refusal);
    if (!bitmap)
        return nullptr;

    if (path == REFERENCE_PHASE)
        decode_picture(&dec, bitmap);
    else
        decode_picture_fast_on(static_cast<VectorPath>(path), &dec, bitmap);

    generate_332_palette(palette);
    if (load_depth != 24)
        bitmap = _fixup_loaded_bitmap(bitmap, palette, load_depth);
    return bitmap;
}

BITMAP *decode_jpeg(const uint8_t *data, size_t size, RGB *palette)
{
    return decode_with(data, size, palette, fastest_vector_path(), nullptr);
}

BITMAP *decode_jpeg_with_reason(const uint8_t *data, size_t size, RGB *palette, JpegRefusal *refusal)
{
    return decode_with(data, size, palette, fastest_vector_path(), refusal);
}

BITMAP *decode_jpeg_on(VectorPath path, const uint8_t *data, size_t size, RGB *palette)
{
    return decode_with(data, size, palette, path, nullptr);
}

BITMAP *decode_jpeg_reference(const uint8_t *data, size_t size, RGB *palette)
{
    return decode_with(data, size, palette, REFERENCE_PHASE, nullptr);
}
