// The damaged-datafile corpus: each damage changes one field, size or byte of a
// built datafile and mostly keeps the file whole in length, the way a copy gone
// wrong or an edited file would. The random choices come from a seeded
// mt19937, so every run makes the same files.
#include "tests/shell/datafile_damage.h"

#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include <random>

namespace
{

const uint32_t PROP = 0x70726F70;  // "prop"
const uint32_t BMP = 0x424D5020, FONT = 0x464F4E54, SAMP = 0x53414D50, DATA = 0x44415441;
const uint32_t FILE_KIND = 0x46494C45, MIDI = 0x4D494449, RLE = 0x524C4520, INFO = 0x696E666F;
const uint32_t END_MARKER = 0xFFFFFFFF;
const size_t COUNT_AT = 8;  // after the pack magic and the datafile magic

// Rewrites an object's payload to `size` bytes (cut at its end, or zeros
// added) with both chunk sizes following, so the file stays whole.
DatBytes with_payload_size(const DatBytes &file, const ObjectAt &o, size_t size)
{
    DatBytes out = file;
    if (size < o.size)
        out.erase(out.begin() + o.payload_at + size, out.begin() + o.payload_at + o.size);
    else
        out.insert(out.begin() + o.payload_at + o.size, size - o.size, 0);
    put_be32(out, o.type_at + 4, (uint32_t)size);
    put_be32(out, o.type_at + 8, (uint32_t)size);
    return out;
}

struct Maker {
    const DatBytes &file;
    std::mt19937 &rng;
    std::vector<DamagedFile> &out;

    uint32_t pick(uint32_t n)
    {
        return (uint32_t)(rng() % n);
    }

    void add(const std::string &label, DatBytes bytes, bool must_refuse)
    {
        out.push_back({label, std::move(bytes), must_refuse});
    }
    void set32(const std::string &label, size_t at, uint32_t v, bool must_refuse)
    {
        DatBytes b = file;
        put_be32(b, at, v);
        add(label, std::move(b), must_refuse);
    }
    void set16(const std::string &label, size_t at, uint32_t v, bool must_refuse)
    {
        DatBytes b = file;
        put_be16(b, at, v);
        add(label, std::move(b), must_refuse);
    }
};

std::string name_of(size_t i, uint32_t kind)
{
    char s[40];
    snprintf(s, sizeof s, "object %zu (%c%c%c%c): ", i, (char)(kind >> 24), (char)(kind >> 16), (char)(kind >> 8),
             (char)kind);
    return s;
}

void damage_bitmap(Maker &m, const std::string &name, const ObjectAt &o)
{
    size_t at = o.payload_at;
    uint32_t w = get_be16(m.file, at + 2), h = get_be16(m.file, at + 4);
    // The built bitmaps are 24-bit: 32 is stored in as many bytes.
    const int depths[] = {0, 1, 4, 8, 15, 16, 32, -32, -24, -8, 0x7FFF, -1};
    for (int k = 0; k < 4; k++) {
        int d = depths[m.pick(sizeof depths / sizeof depths[0])];
        m.set16(name + "depth " + std::to_string(d), at, (uint32_t)d, d != 32);
    }
    m.set16(name + "width + 1", at + 2, w + 1, true);
    m.set16(name + "width - 1", at + 2, w - 1, true);
    m.set16(name + "width 0", at + 2, 0, true);
    m.set16(name + "width 65535", at + 2, 0xFFFF, true);
    m.set16(name + "height + 1", at + 4, h + 1, true);
    m.set16(name + "height x 2", at + 4, h * 2, true);
    m.set16(name + "height 65535", at + 4, 0xFFFF, true);
    DatBytes swapped = m.file;
    put_be16(swapped, at + 2, h);
    put_be16(swapped, at + 4, w);
    m.add(name + "width and height swapped", swapped, false);
}

void damage_font(Maker &m, const std::string &name, const ObjectAt &o)
{
    size_t at = o.payload_at;
    m.set16(name + "format 8 (old fixed font)", at, 8, true);
    m.set16(name + "format -1 (old proportional font)", at, 0xFFFF, true);
    uint32_t ranges = get_be16(m.file, at + 2);
    m.set16(name + "no ranges", at + 2, 0, true);
    m.set16(name + "one range more", at + 2, ranges + 1, true);
    m.set16(name + "65535 ranges", at + 2, 0xFFFF, true);
    // Walk the monochrome ranges the builder writes.
    size_t p = at + 4;
    uint32_t previous_begin = 0;
    for (uint32_t r = 0; r < ranges; r++) {
        std::string range = name + "range " + std::to_string(r) + ": ";
        uint32_t begin = get_be32(m.file, p + 1), end = get_be32(m.file, p + 5);
        const uint32_t flags[] = {0, 8, 24, 2, 255};
        uint32_t flag = flags[m.pick(5)];
        DatBytes b = m.file;
        b[p] = (uint8_t)flag;
        m.add(range + "glyph format " + std::to_string(flag), b, flag != 255);
        m.set32(range + "end before begin", p + 5, begin - 2, true);
        m.set32(range + "end + 1", p + 5, end + 1, true);
        m.set32(range + "end 0x7FFFFFFF", p + 5, 0x7FFFFFFF, true);
        m.set32(range + "end 0xFFFFFFFF", p + 5, 0xFFFFFFFF, true);
        m.set32(range + "begin 0x80000000", p + 1, 0x80000000u, true);
        m.set32(range + "begin after end", p + 1, end + 1, true);
        if (r > 0)
            m.set32(range + "begins where the range before begins", p + 1, previous_begin, true);
        previous_begin = begin;
        size_t glyph = p + 9;
        uint32_t damaged = m.pick(end - begin + 1);
        for (uint32_t g = 0; g <= end - begin; g++) {
            uint32_t gw = get_be16(m.file, glyph), gh = get_be16(m.file, glyph + 2);
            if (g == damaged) {
                std::string what = range + "glyph " + std::to_string(g) + " ";
                m.set16(what + "width + 8", glyph, gw + 8, gh != 0);
                m.set16(what + "height + 1", glyph + 2, gh + 1, gw != 0);
                m.set16(what + "height 65535", glyph + 2, 0xFFFF, gw != 0);
                m.set16(what + "width 65535", glyph, 0xFFFF, gh != 0);
            }
            glyph += 4 + (gw + 7) / 8 * gh;
        }
        p = glyph;
    }
}

void damage_sample(Maker &m, const std::string &name, const ObjectAt &o)
{
    size_t at = o.payload_at;
    uint32_t length = get_be32(m.file, at + 4);
    // The built samples are 16-bit mono: 8-bit stereo takes as many bytes.
    const int bits[] = {8, -8, -16, 12, 0, 32, 24, 1};
    for (int k = 0; k < 3; k++) {
        int b = bits[m.pick(sizeof bits / sizeof bits[0])];
        m.set16(name + "bits " + std::to_string(b), at, (uint32_t)b, b != -8);
    }
    m.set16(name + "frequency 0", at + 2, 0, true);
    m.set32(name + "length + 1", at + 4, length + 1, true);
    m.set32(name + "length - 1", at + 4, length - 1, true);
    m.set32(name + "length 0", at + 4, 0, true);
    m.set32(name + "length x 2", at + 4, length * 2, true);
    m.set32(name + "length 0xFFFFFFFF", at + 4, 0xFFFFFFFF, true);
    DatBytes stereo = m.file;
    put_be16(stereo, at, (uint32_t)-16);
    put_be32(stereo, at + 4, length / 2);
    m.add(name + "stereo at half the length", stereo, length % 2 != 0);
}

void damage_properties(Maker &m, const std::string &name, const ObjectAt &o)
{
    if (o.start == o.type_at)
        return;
    size_t size_at = o.start + 8, value_at = o.start + 12;
    uint32_t size = get_be32(m.file, size_at);
    m.set32(name + "property size + 1", size_at, size + 1, true);
    m.set32(name + "property size - 1", size_at, size - 1, true);
    m.set32(name + "property size 0xFFFFFFF0", size_at, 0xFFFFFFF0, true);
    m.set32(name + "property id 0x01020304", o.start + 4, 0x01020304, true);
    if (size > 0) {
        DatBytes b = m.file;
        b[value_at + m.pick(size)] = 0xFF;
        m.add(name + "property value byte 0xFF", b, true);
        b = m.file;
        b[value_at + m.pick(size)] = 0;
        m.add(name + "property value byte 0", b, true);
    }
    // Properties added before the object, well formed or too many.
    for (int added : {3, 100}) {
        DatBytes b = m.file;
        DatBytes props;
        for (int k = 0; k < added; k++) {
            size_t n = props.size();
            props.resize(n + 14);
            put_be32(props, n, PROP);
            put_be32(props, n + 4, 0x58585858 + (uint32_t)k % 16);  // "XXXX".."XXXg"
            put_be32(props, n + 8, 2);
            props[n + 12] = 'o';
            props[n + 13] = 'k';
        }
        b.insert(b.begin() + o.start, props.begin(), props.end());
        m.add(name + std::to_string(added) + " properties added", b, added > 64);
    }
}

}  // namespace

void put_be32(DatBytes &b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)(v >> 24);
    b[at + 1] = (uint8_t)(v >> 16);
    b[at + 2] = (uint8_t)(v >> 8);
    b[at + 3] = (uint8_t)v;
}

void put_be16(DatBytes &b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)(v >> 8);
    b[at + 1] = (uint8_t)v;
}

uint32_t get_be32(const DatBytes &b, size_t at)
{
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

uint32_t get_be16(const DatBytes &b, size_t at)
{
    return (uint32_t)b[at] << 8 | b[at + 1];
}

std::vector<ObjectAt> object_outline(const DatBytes &file)
{
    std::vector<ObjectAt> objects;
    uint32_t count = get_be32(file, COUNT_AT);
    size_t p = COUNT_AT + 4;
    for (uint32_t i = 0; i < count; i++) {
        ObjectAt o;
        o.start = p;
        while (get_be32(file, p) == PROP)
            p += 12 + get_be32(file, p + 8);
        o.type_at = p;
        o.kind = get_be32(file, p);
        o.size = get_be32(file, p + 8);
        o.payload_at = p + 12;
        p = o.payload_at + o.size;
        objects.push_back(o);
    }
    return objects;
}

std::vector<DamagedFile> damaged_copies(const DatBytes &file, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<DamagedFile> out;
    Maker m{file, rng, out};
    std::vector<ObjectAt> objects = object_outline(file);
    uint32_t count = (uint32_t)objects.size();

    m.set32("datafile magic changed", 4, 0x414C4C2F, true);
    m.set32("object count + 1", COUNT_AT, count + 1, true);
    m.set32("object count - 1", COUNT_AT, count - 1, true);
    m.set32("object count 0", COUNT_AT, 0, true);
    m.set32("object count 0x7FFFFFFF", COUNT_AT, 0x7FFFFFFF, true);
    m.set32("object count 0xFFFFFFFF", COUNT_AT, 0xFFFFFFFF, true);

    for (size_t i = 0; i < objects.size(); i++) {
        const ObjectAt &o = objects[i];
        std::string name = name_of(i, o.kind);
        // Every object the game takes must keep its kind.
        const uint32_t kinds[] = {BMP, FONT, SAMP, DATA, FILE_KIND, MIDI, RLE, INFO, END_MARKER};
        for (int k = 0; k < 3; k++) {
            uint32_t kind = kinds[m.pick(sizeof kinds / sizeof kinds[0])];
            if (kind != o.kind)
                m.set32(name + "kind " + name_of(0, kind).substr(10, 6), o.type_at, kind, true);
        }
        bool sized = o.kind != DATA;  // a JPEG's tail is not in its headers
        m.add(name + "payload 1 byte short", with_payload_size(file, o, o.size - 1), sized);
        m.add(name + "payload cut to half", with_payload_size(file, o, o.size / 2), sized);
        m.add(name + "payload cut to 3 bytes", with_payload_size(file, o, 3), true);
        m.add(name + "payload 5 bytes longer", with_payload_size(file, o, o.size + 5), sized);
        m.set32(name + "unpacked size + 1", o.type_at + 4, (uint32_t)o.size + 1, true);
        m.set32(name + "stored size negative (packed alone)", o.type_at + 8, (uint32_t) - (int32_t)o.size, true);
        m.set32(name + "unpacked size - 4", o.type_at + 4, (uint32_t)o.size - 4, true);
        {
            DatBytes b = file;
            put_be32(b, o.type_at + 4, (uint32_t)o.size - 4);
            put_be32(b, o.type_at + 8, (uint32_t)o.size - 4);
            m.add(name + "both chunk sizes 4 less than the payload", b, true);
        }
        if (o.kind == BMP)
            damage_bitmap(m, name, o);
        else if (o.kind == FONT)
            damage_font(m, name, o);
        else if (o.kind == SAMP)
            damage_sample(m, name, o);
        damage_properties(m, name, o);
        // A few bytes of the payload's first 64 changed at random.
        for (int k = 0; k < 2; k++) {
            DatBytes b = file;
            size_t at = o.payload_at + m.pick((uint32_t)std::min<size_t>(o.size, 64));
            b[at] ^= (uint8_t)(1 + m.pick(255));
            m.add(name + "payload byte " + std::to_string(at - o.payload_at) + " changed", b, false);
        }
    }
    return out;
}

DatBytes shrunk_copy(const DatBytes &file)
{
    DatBytes out = file;
    std::vector<ObjectAt> objects = object_outline(file);
    // From the last object back, so earlier offsets hold.
    for (size_t i = objects.size(); i-- > 0;) {
        const ObjectAt &o = objects[i];
        if (o.kind == BMP) {
            int pixel_bytes =
                o.size == 6 + (size_t)get_be16(file, o.payload_at + 2) * get_be16(file, o.payload_at + 4) * 3 ? 3 : 0;
            if (pixel_bytes == 0)
                continue;
            out = with_payload_size(out, o, 6 + 4 * 3);
            put_be16(out, o.payload_at + 2, 2);
            put_be16(out, o.payload_at + 4, 2);
        } else if (o.kind == SAMP) {
            int bytes = get_be16(file, o.payload_at) == 8 ? 1 : 2;
            out = with_payload_size(out, o, 8 + 16 * bytes);
            put_be32(out, o.payload_at + 4, 16);
        } else if (o.kind != FONT && o.size > 64) {
            out = with_payload_size(out, o, 64);
        }
    }
    return out;
}

MemoryFile memory_file(const uint8_t *data, size_t size)
{
    MemoryFile file = {memfd_create("datafile", 0), ""};
    if (file.fd < 0 || write(file.fd, data, size) != (ssize_t)size)
        return file;
    file.path = "/proc/self/fd/" + std::to_string(file.fd);
    return file;
}

void close_memory_file(MemoryFile &file)
{
    if (file.fd >= 0)
        close(file.fd);
    file.fd = -1;
}
