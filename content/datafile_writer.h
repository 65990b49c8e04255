// Writes Allegro 4 datafiles (unpacked) and the payloads of the object kinds the
// game uses: raw data, 24-bit bitmaps, monochrome fonts and 16-bit samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct DatObject {
    uint32_t type;     // four-character id, e.g. dat_id("BMP ")
    std::string name;  // NAME property; empty for none
    Bytes payload;
};

constexpr uint32_t dat_id(const char (&s)[5])
{
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
           uint32_t(uint8_t(s[3]));
}

// One glyph of a monochrome font: rows of ((width + 7) / 8) bytes, MSB leftmost.
struct MonoGlyph {
    int width = 0;
    int height = 0;
    Bytes bits;
};

struct MonoRange {
    uint32_t first;                 // code point of glyphs[0]
    std::vector<MonoGlyph> glyphs;  // consecutive code points
};

Bytes datafile_bytes(const std::vector<DatObject> &objects);
Bytes bitmap24_payload(int width, int height, const Bytes &rgb);  // rgb: width*height*3
Bytes mono_font_payload(const std::vector<MonoRange> &ranges);
Bytes sample16_payload(int rate, const std::vector<int16_t> &mono);

bool write_file(const std::string &path, const Bytes &bytes);
