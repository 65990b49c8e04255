// The payloads of bitmaps, fonts and samples against what Allegro 4.4's loader
// reads and allocates for them. The loader trusts every size it reads: a
// payload shorter than its header says makes it read on past the object, a
// size beyond the payload makes it allocate by it, and a depth or format it
// does not know leaves it with a null bitmap, which it frees twice.
#include <stdio.h>

#include "shell/datafile_format.h"

int stored_pixel_bytes(int depth)
{
    switch (depth) {
    case 8:
        return 1;
    case 15:
    case 16:
        return 2;
    case 24:
    case 32:
        return 3;
    case -32:
        return 4;
    default:
        return 0;
    }
}

bool check_bitmap_payload(const uint8_t *data, size_t size, char *fault)
{
    ByteReader r = {data, data + size};
    uint32_t depth, width, height;
    if (!take_u16(r, &depth) || !take_u16(r, &width) || !take_u16(r, &height)) {
        snprintf(fault, FAULT_SIZE, "%zu bytes cannot hold a bitmap's header", size);
        return false;
    }
    int signed_depth = (int16_t)depth;
    int pixel_bytes = stored_pixel_bytes(signed_depth);
    if (pixel_bytes == 0) {
        snprintf(fault, FAULT_SIZE, "depth %d is not one of 8, 15, 16, 24, 32 and -32", signed_depth);
        return false;
    }
    // An empty bitmap still costs a line pointer per row, for no pixel.
    if (width == 0 || height == 0) {
        snprintf(fault, FAULT_SIZE, "a %ux%u bitmap has no pixels", width, height);
        return false;
    }
    uint64_t needed = BITMAP_HEADER_SIZE + (uint64_t)width * height * pixel_bytes;
    if (needed != size) {
        snprintf(fault, FAULT_SIZE, "%ux%u pixels at depth %d take %llu bytes but the object holds %zu", width, height,
                 signed_depth, (unsigned long long)needed, size);
        return false;
    }
    return true;
}

// Glyph data bytes of one glyph: monochrome rows are padded to whole bytes.
static uint64_t glyph_bytes(bool mono, int pixel_bytes, uint32_t width, uint32_t height)
{
    return mono ? (uint64_t)((width + 7) / 8) * height : (uint64_t)width * height * pixel_bytes;
}

bool check_font_payload(const uint8_t *data, size_t size, char *fault)
{
    ByteReader r = {data, data + size};
    uint32_t format, range_count;
    if (!take_u16(r, &format) || !take_u16(r, &range_count)) {
        snprintf(fault, FAULT_SIZE, "%zu bytes cannot hold a font's header", size);
        return false;
    }
    if (format != 0) {
        snprintf(fault, FAULT_SIZE, "format %d is an old font format the game does not read", (int16_t)format);
        return false;
    }
    // With no range the loader never sets the font's kind, and destroying it
    // calls through an unset pointer.
    if (range_count == 0) {
        snprintf(fault, FAULT_SIZE, "the font has no character range");
        return false;
    }
    // The font takes the kind of its last range for all of them.
    bool first_mono = false;
    int64_t previous_last = -1;
    uint64_t total = FONT_HEADER_SIZE;  // bytes the loader reads, as far as known
    for (uint32_t n = 0; n < range_count; n++) {
        uint32_t glyph_format, first, last;
        if (!take_u8(r, &glyph_format) || !take_u32(r, &first) || !take_u32(r, &last)) {
            snprintf(fault, FAULT_SIZE, "range %u runs past the %zu bytes the object holds", n, size);
            return false;
        }
        total += FONT_RANGE_HEADER_SIZE;
        bool mono = glyph_format == FONT_MONO || glyph_format == FONT_MONO_ALSO;
        int pixel_bytes = glyph_format == FONT_COLOUR_OLD ? 1 : stored_pixel_bytes((int)glyph_format);
        if (!mono && pixel_bytes == 0) {
            snprintf(fault, FAULT_SIZE,
                     "range %u: glyph format %u is neither 1 (monochrome) nor a depth of 8, 15, 16, 24 or 32", n,
                     glyph_format);
            return false;
        }
        if (n == 0)
            first_mono = mono;
        else if (mono != first_mono) {
            snprintf(fault, FAULT_SIZE, "range %u: monochrome and colour ranges are mixed", n);
            return false;
        }
        // The loader counts glyphs in int as last + 1 - first.
        if ((int32_t)first < 0 || (int32_t)last < (int32_t)first || last >= (uint32_t)INT32_MAX) {
            snprintf(fault, FAULT_SIZE, "range %u: characters %u to %u are not in order", n, first, last);
            return false;
        }
        if ((int64_t)first <= previous_last) {
            snprintf(fault, FAULT_SIZE, "range %u: begins at character %u, not after the range before it (%lld)", n,
                     first, (long long)previous_last);
            return false;
        }
        previous_last = last;
        // The loader allocates a pointer per glyph before reading any.
        uint64_t glyph_count = (uint64_t)last - first + 1;
        if (glyph_count * GLYPH_HEADER_SIZE > bytes_left(r)) {
            snprintf(fault, FAULT_SIZE, "range %u: %llu glyphs cannot fit in the %zu bytes the object holds", n,
                     (unsigned long long)glyph_count, size);
            return false;
        }
        for (uint64_t g = 0; g < glyph_count; g++) {
            uint32_t width = 0, height = 0;  // read: the range's room was checked above
            take_u16(r, &width);
            take_u16(r, &height);
            // A colour glyph is a bitmap: an empty one costs line pointers for no pixel.
            if (!mono && (width == 0 || height == 0)) {
                snprintf(fault, FAULT_SIZE, "range %u: glyph %llu is an empty %ux%u bitmap", n, (unsigned long long)g,
                         width, height);
                return false;
            }
            // The library keeps a monochrome glyph's sizes in shorts.
            if (mono && (width > INT16_MAX || height > INT16_MAX)) {
                snprintf(fault, FAULT_SIZE, "range %u: glyph %llu is %ux%u, larger than the library's glyphs", n,
                         (unsigned long long)g, width, height);
                return false;
            }
            uint64_t bytes = glyph_bytes(mono, pixel_bytes, width, height);
            total += GLYPH_HEADER_SIZE + bytes;
            if (bytes > bytes_left(r)) {
                bool last_glyph = n + 1 == range_count && g + 1 == glyph_count;
                snprintf(fault, FAULT_SIZE, "glyph sizes add up to %s%llu bytes but the object holds %zu",
                         last_glyph ? "" : "at least ", (unsigned long long)total, size);
                return false;
            }
            r.at += bytes;
            if (g + 1 < glyph_count && bytes_left(r) < GLYPH_HEADER_SIZE * (glyph_count - g - 1)) {
                snprintf(fault, FAULT_SIZE, "glyph sizes add up to at least %llu bytes but the object holds %zu",
                         (unsigned long long)(total + GLYPH_HEADER_SIZE * (glyph_count - g - 1)), size);
                return false;
            }
        }
    }
    if (total != size) {
        snprintf(fault, FAULT_SIZE, "glyph sizes add up to %llu bytes but the object holds %zu",
                 (unsigned long long)total, size);
        return false;
    }
    return true;
}

bool check_sample_payload(const uint8_t *data, size_t size, char *fault)
{
    ByteReader r = {data, data + size};
    uint32_t bits_field, frequency, length;
    if (!take_u16(r, &bits_field) || !take_u16(r, &frequency) || !take_u32(r, &length)) {
        snprintf(fault, FAULT_SIZE, "%zu bytes cannot hold a sample's header", size);
        return false;
    }
    int bits = (int16_t)bits_field;
    int channels = bits < 0 ? 2 : 1;
    if (bits < 0)
        bits = -bits;
    // The loader reads any other width as 16 bits.
    if (bits != 8 && bits != 16) {
        snprintf(fault, FAULT_SIZE, "%d bits a sample is not 8 or 16", bits);
        return false;
    }
    if (frequency == 0 || length == 0) {
        snprintf(fault, FAULT_SIZE, "a sample of %u samples at %u Hz holds no sound", length, frequency);
        return false;
    }
    uint64_t needed = SAMPLE_HEADER_SIZE + (uint64_t)length * channels * (bits / 8);
    if (needed != size) {
        snprintf(fault, FAULT_SIZE, "%u samples of %d bits on %d channel%s take %llu bytes but the object holds %zu",
                 length, bits, channels, channels == 1 ? "" : "s", (unsigned long long)needed, size);
        return false;
    }
    return true;
}
