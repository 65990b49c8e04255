// The decoder's entry points: the header phase, the bitmap, one of the two
// picture phases (the fast one on a vector path), then the depth the library asks for loaded images.
#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>
#include <allegro/internal/aintern.h>

// Larger than Allegro can size in an int: as if the bitmap could not be created.
static bool too_large(const JpegDecoder &dec)
{
    return static_cast<int64_t>(dec.width) * dec.height > JPEG_MAX_PIXELS;
}

bool jpeg_picture_size(const uint8_t *data, size_t size, int32_t *width, int32_t *height)
{
    JpegDecoder dec;
    if (!read_jpeg_headers(&dec, data, size) || too_large(dec))
        return false;
    *width = dec.width;
    *height = dec.height;
    return true;
}

// `path` is the fast picture phase's vector path, or REFERENCE_PHASE.
static const int REFERENCE_PHASE = -1;

static BITMAP *decode_with(const uint8_t *data, size_t size, RGB *palette, int path)
{
    JpegDecoder dec;
    if (!read_jpeg_headers(&dec, data, size))
        return nullptr;

    PALETTE own_palette;
    if (!palette)
        palette = own_palette;

    int load_depth = _color_load_depth(24, 0);
    if (too_large(dec))
        return nullptr;
    BITMAP *bitmap = create_bitmap_ex(24, dec.width, dec.height);
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
    return decode_with(data, size, palette, fastest_vector_path());
}

BITMAP *decode_jpeg_on(VectorPath path, const uint8_t *data, size_t size, RGB *palette)
{
    return decode_with(data, size, palette, path);
}

BITMAP *decode_jpeg_reference(const uint8_t *data, size_t size, RGB *palette)
{
    return decode_with(data, size, palette, REFERENCE_PHASE);
}
