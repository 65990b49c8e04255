// Hand-built JPEG streams for the decoder's tests: segments appended to a byte
// vector, and a bit writer for entropy-coded data with byte stuffing.
#pragma once

#include <stdint.h>
#include <string.h>
#include <initializer_list>
#include <vector>

typedef std::vector<uint8_t> Bytes;

inline void put16(Bytes &b, int v)
{
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

inline void put_soi(Bytes &b)
{
    b.push_back(0xFF);
    b.push_back(0xD8);
}

inline void put_app0(Bytes &b, int major = 1, const char *id = "JFIF", int xt = 0, int yt = 0)
{
    b.push_back(0xFF);
    b.push_back(0xE0);
    put16(b, 16 + 3 * xt * yt);
    b.insert(b.end(), id, id + 5);
    b.push_back(static_cast<uint8_t>(major));
    b.push_back(1);  // minor
    b.push_back(0);  // units
    put16(b, 1);
    put16(b, 1);
    b.push_back(static_cast<uint8_t>(xt));
    b.push_back(static_cast<uint8_t>(yt));
    for (int i = 0; i < 3 * xt * yt; i++)
        b.push_back(0x55);
}

// One DQT segment holding a table of one value for every coefficient.
inline void put_dqt(Bytes &b, int pq_tq, int value)
{
    b.push_back(0xFF);
    b.push_back(0xDB);
    put16(b, 67);
    b.push_back(static_cast<uint8_t>(pq_tq));
    for (int i = 0; i < 64; i++)
        b.push_back(static_cast<uint8_t>(value));
}

struct FrameComponent {
    int id, sampling, quant;
};

inline void put_sof(Bytes &b, int width, int height, std::initializer_list<FrameComponent> comps, int marker = 0xC0,
                    int precision = 8)
{
    b.push_back(0xFF);
    b.push_back(static_cast<uint8_t>(marker));
    put16(b, 8 + 3 * static_cast<int>(comps.size()));
    b.push_back(static_cast<uint8_t>(precision));
    put16(b, height);
    put16(b, width);
    b.push_back(static_cast<uint8_t>(comps.size()));
    for (const FrameComponent &c : comps) {
        b.push_back(static_cast<uint8_t>(c.id));
        b.push_back(static_cast<uint8_t>(c.sampling));
        b.push_back(static_cast<uint8_t>(c.quant));
    }
}

struct HuffmanSpec {
    int class_id;  // Tc << 4 | Th
    uint8_t counts[16];
    std::vector<uint8_t> symbols;
};

inline void put_dht(Bytes &b, const std::vector<HuffmanSpec> &tables)
{
    int length = 2;
    for (const HuffmanSpec &t : tables)
        length += 17 + static_cast<int>(t.symbols.size());
    b.push_back(0xFF);
    b.push_back(0xC4);
    put16(b, length);
    for (const HuffmanSpec &t : tables) {
        b.push_back(static_cast<uint8_t>(t.class_id));
        b.insert(b.end(), t.counts, t.counts + 16);
        b.insert(b.end(), t.symbols.begin(), t.symbols.end());
    }
}

struct ScanComponent {
    int id, tables;  // tables: DC id << 4 | AC id
};

inline void put_sos(Bytes &b, std::initializer_list<ScanComponent> comps)
{
    b.push_back(0xFF);
    b.push_back(0xDA);
    put16(b, 6 + 2 * static_cast<int>(comps.size()));
    b.push_back(static_cast<uint8_t>(comps.size()));
    for (const ScanComponent &c : comps) {
        b.push_back(static_cast<uint8_t>(c.id));
        b.push_back(static_cast<uint8_t>(c.tables));
    }
    b.push_back(0);
    b.push_back(63);
    b.push_back(0);
}

inline void put_dri(Bytes &b, int interval)
{
    b.push_back(0xFF);
    b.push_back(0xDD);
    put16(b, 4);
    put16(b, interval);
}

inline void put_com(Bytes &b, const char *text)
{
    b.push_back(0xFF);
    b.push_back(0xFE);
    put16(b, 2 + static_cast<int>(strlen(text)));
    b.insert(b.end(), text, text + strlen(text));
}

// One code of length 1 (code 0) for `symbol`: DC 0 / EOB streams of zero bits.
inline HuffmanSpec one_code_table(int class_id, uint8_t symbol)
{
    HuffmanSpec t = {class_id, {1}, {symbol}};
    return t;
}

// Writes bits most significant first; a 0xFF byte is followed by a stuffed 0x00.
struct BitWriter {
    Bytes bytes;
    uint32_t acc = 0;
    int count = 0;

    void put(uint32_t bits, int length)
    {
        for (int i = length - 1; i >= 0; i--) {
            acc = (acc << 1) | ((bits >> i) & 1);
            if (++count == 8) {
                bytes.push_back(static_cast<uint8_t>(acc));
                if (acc == 0xFF)
                    bytes.push_back(0x00);
                acc = 0;
                count = 0;
            }
        }
    }
    // Pads the last byte with one-bits, as encoders do before a marker.
    void flush()
    {
        while (count != 0)
            put(1, 1);
    }
};

// The headers of a valid stream: SOI, JFIF 1.01, both tables of value `q`,
// SOF0, DHT with the given tables, SOS (all components on tables 0).
inline Bytes grey_headers(int width, int height, int q, std::initializer_list<HuffmanSpec> tables)
{
    Bytes b;
    put_soi(b);
    put_app0(b);
    put_dqt(b, 0x00, q);
    put_sof(b, width, height, {{1, 0x11, 0}});
    put_dht(b, tables);
    put_sos(b, {{1, 0x00}});
    return b;
}
