// Allegro 4 datafile serialisation: big-endian headers, unpacked objects with an
// optional NAME property, and the exact payload layouts the library's loader reads.
#include "datafile_writer.h"

#include <cstdio>

namespace
{

constexpr uint32_t nopack_magic = 0x736C682E;  // "slh.": the file is not LZSS packed

void put16(Bytes &out, unsigned v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void put32(Bytes &out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void append(Bytes &out, const Bytes &more)
{
    out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

Bytes datafile_bytes(const std::vector<DatObject> &objects)
{
    Bytes out;
    put32(out, nopack_magic);
    put32(out, dat_id("ALL."));
    put32(out, uint32_t(objects.size()));
    for (const DatObject &o : objects) {
        if (!o.name.empty()) {
            put32(out, dat_id("prop"));
            put32(out, dat_id("NAME"));
            put32(out, uint32_t(o.name.size()));
            out.insert(out.end(), o.name.begin(), o.name.end());
        }
        put32(out, o.type);
        put32(out, uint32_t(o.payload.size()));  // stored size
        put32(out, uint32_t(o.payload.size()));  // positive: not compressed
        append(out, o.payload);
    }
    return out;
}

Bytes bitmap24_payload(int width, int height, const Bytes &rgb)
{
    Bytes out;
    put16(out, 24);
    put16(out, unsigned(width));
    put16(out, unsigned(height));
    out.insert(out.end(), rgb.begin(), rgb.begin() + size_t(width) * size_t(height) * 3);
    return out;
}

Bytes mono_font_payload(const std::vector<MonoRange> &ranges)
{
    Bytes out;
    put16(out, 0);  // current font format: a list of ranges follows
    put16(out, unsigned(ranges.size()));
    for (const MonoRange &r : ranges) {
        out.push_back(1);  // monochrome glyphs
        put32(out, r.first);
        put32(out, r.first + uint32_t(r.glyphs.size()) - 1);
        for (const MonoGlyph &g : r.glyphs) {
            put16(out, unsigned(g.width));
            put16(out, unsigned(g.height));
            append(out, g.bits);
        }
    }
    return out;
}

Bytes sample16_payload(int rate, const std::vector<int16_t> &mono)
{
    Bytes out;
    put16(out, 16);  // bits; positive = mono
    put16(out, unsigned(rate));
    put32(out, uint32_t(mono.size()));
    // The library keeps 16-bit samples unsigned (0x8000 is silence), little-endian.
    for (int16_t s : mono) {
        uint16_t u = uint16_t(s) ^ 0x8000u;
        out.push_back(uint8_t(u));
        out.push_back(uint8_t(u >> 8));
    }
    return out;
}

bool write_file(const std::string &path, const Bytes &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}
