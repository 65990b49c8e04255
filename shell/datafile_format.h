// The Allegro 4.4 datafile format as the library's loader reads it: header
// sizes, the limits the check holds files to, a bounded big-endian reader over
// bytes in memory, and the checks of the payloads of the kinds the loader
// converts (datafile_objects.cpp). Type ids are the library's DAT_* values.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    OBJECT_HEADER_SIZE = 12,     // type id, then the chunk's two sizes
    PROPERTY_HEADER_SIZE = 12,   // "prop", property id, value size
    BITMAP_HEADER_SIZE = 6,      // depth, width, height
    SAMPLE_HEADER_SIZE = 8,      // bits (negative: stereo), frequency, length
    FONT_HEADER_SIZE = 4,        // format (0: ranges follow), range count
    FONT_RANGE_HEADER_SIZE = 9,  // glyph format, first and last character
    GLYPH_HEADER_SIZE = 4,       // width, height
    FONT_MONO = 1,               // glyph formats of a range the loader reads
    FONT_MONO_ALSO = 255,        //   as monochrome
    FONT_COLOUR_OLD = 0,         //   as 8-bit colour, like 8
    // The loader's own lists grow by one reallocation per property.
    MAX_PROPERTIES_PER_OBJECT = 64,
    // The loader recurses once per nested datafile.
    MAX_NESTING = 4,
    // The loader sizes its blocks in int; the game's files are far smaller.
    MAX_CONTENT_SIZE = 256 << 20,
    FAULT_SIZE = 200,
};

// Bytes not yet read; every take fails rather than read past `end`.
struct ByteReader {
    const uint8_t *at;
    const uint8_t *end;
};

inline size_t bytes_left(const ByteReader &r)
{
    return (size_t)(r.end - r.at);
}

inline bool take_u8(ByteReader &r, uint32_t *v)
{
    if (bytes_left(r) < 1)
        return false;
    *v = r.at[0];
    r.at += 1;
    return true;
}

inline bool take_u16(ByteReader &r, uint32_t *v)
{
    if (bytes_left(r) < 2)
        return false;
    *v = (uint32_t)r.at[0] << 8 | r.at[1];
    r.at += 2;
    return true;
}

inline bool take_u32(ByteReader &r, uint32_t *v)
{
    if (bytes_left(r) < 4)
        return false;
    *v = (uint32_t)r.at[0] << 24 | (uint32_t)r.at[1] << 16 | (uint32_t)r.at[2] << 8 | r.at[3];
    r.at += 4;
    return true;
}

// Stored bytes per pixel of a bitmap (BMP object, or a colour font glyph) of
// the given depth field, 0 when the loader does not read that depth. 32 bits
// are stored as RGB; -32 as RGBA.
int stored_pixel_bytes(int depth);

// Payload checks: true when the loader reads exactly `size` bytes and
// allocates in proportion to them; otherwise `fault` says why.
bool check_bitmap_payload(const uint8_t *data, size_t size, char *fault);
bool check_font_payload(const uint8_t *data, size_t size, char *fault);
bool check_sample_payload(const uint8_t *data, size_t size, char *fault);
