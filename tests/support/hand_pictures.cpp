// Hand-built pictures: headers, tables and scans of random blocks.
#include "tests/support/hand_pictures.h"

#include <algorithm>

static int sampling_product(const HandPicture &p)
{
    return (p.luma_sampling & 0x0F) * (p.luma_sampling >> 4);
}

// The layout decode_picture picks: 1, 2 or 4 for colour, 0 for grey.
static int layout(const HandPicture &p)
{
    int product = sampling_product(p);
    if (p.components == 3 && (product == 1 || product == 2 || product == 4))
        return product;
    return 0;
}

int blocks_per_mcu(const HandPicture &p)
{
    int l = layout(p);
    return l == 0 ? 1 : l + 2;
}

Bytes build_hand_picture(const HandPicture &p)
{
    Bytes s;
    put_soi(s);
    put_app0(s);
    put_dqt(s, 0x00, p.quant);
    put_dqt(s, 0x01, p.quant);
    if (p.restart_mcus > 0)
        put_dri(s, p.restart_mcus);
    if (p.components == 3)
        put_sof(s, p.width, p.height, {{1, p.luma_sampling, 0}, {2, 0x11, 1}, {3, 0x11, 1}});
    else
        put_sof(s, p.width, p.height, {{1, p.luma_sampling, 0}});

    // The decoder's four tables after every segment, and the codes that reach them.
    std::vector<TableEntry> tables[4];
    for (const std::vector<HuffmanSpec> &segment : p.dht_segments) {
        put_dht(s, segment);
        for (const HuffmanSpec &t : segment)
            load_table(&tables[((t.class_id >> 4) & 1) * 2 + (t.class_id & 1)], t);
    }
    CodeBook books[4];
    for (int i = 0; i < 4; i++)
        books[i] = make_code_book(tables[i]);

    if (p.components == 3)
        put_sos(s, {{1, 0x00}, {2, p.chroma_tables}, {3, p.chroma_tables}});
    else
        put_sos(s, {{1, 0x00}});

    int l = layout(p);
    int mcu_w = l >= 2 ? 16 : 8, mcu_h = l == 4 ? 16 : 8;
    int mcus = ((p.width + mcu_w - 1) / mcu_w) * ((p.height + mcu_h - 1) / mcu_h);
    int luma_blocks = l == 0 ? 1 : l;
    const CodeBook &chroma_dc = books[(p.chroma_tables >> 4) & 1];
    const CodeBook &chroma_ac = books[2 + (p.chroma_tables & 1)];
    TestRng rng(p.seed);
    BitWriter w;
    for (int m = 0; m < mcus; m++) {
        for (int b = 0; b < luma_blocks; b++)
            put_random_block(w, rng, books[0], books[2], p.style);
        if (l != 0) {
            put_random_block(w, rng, chroma_dc, chroma_ac, p.style);
            put_random_block(w, rng, chroma_dc, chroma_ac, p.style);
        }
        if (p.restart_mcus > 0 && (m + 1) % p.restart_mcus == 0 && m + 1 < mcus) {
            w.flush();
            w.bytes.push_back(0xFF);
            w.bytes.push_back(static_cast<uint8_t>(0xD0 + ((m + 1) / p.restart_mcus - 1) % 8));
        }
    }
    w.flush();
    s.insert(s.end(), w.bytes.begin(), w.bytes.end());
    if (p.eoi) {
        s.push_back(0xFF);
        s.push_back(0xD9);
    }
    s.insert(s.end(), p.after_eoi.begin(), p.after_eoi.end());
    return s;
}

std::vector<uint8_t> all_ac_symbols()
{
    std::vector<uint8_t> symbols = {0x00, 0xF0};
    for (int run = 0; run < 16; run++)
        for (int size = 1; size <= 10; size++)
            symbols.push_back(static_cast<uint8_t>(run << 4 | size));
    for (int size = 11; size <= 15; size++)
        symbols.push_back(static_cast<uint8_t>(size));
    return symbols;
}

std::vector<uint8_t> all_dc_symbols()
{
    std::vector<uint8_t> symbols;
    for (int size = 0; size <= 15; size++)
        symbols.push_back(static_cast<uint8_t>(size));
    return symbols;
}

HuffmanSpec spread_table(int class_id, const std::vector<uint8_t> &symbols, int first_length, int per_length)
{
    HuffmanSpec t = {class_id, {0}, symbols};
    size_t left = symbols.size();
    uint32_t free_codes = 1;  // codes still free at the current length
    for (int l = 1; l <= 16; l++) {
        free_codes *= 2;
        if (l < first_length || left == 0)
            continue;
        size_t n = l == 16 ? left : static_cast<size_t>(per_length);
        if (n > left)
            n = left;
        if (n > free_codes - 1)
            n = free_codes - 1;
        t.counts[l - 1] = static_cast<uint8_t>(n);
        free_codes -= static_cast<uint32_t>(n);
        left -= n;
    }
    t.symbols.resize(symbols.size() - left);
    return t;
}

std::vector<HuffmanSpec> table_set(int first_length, int per_length)
{
    return {spread_table(0x00, all_dc_symbols(), first_length, per_length),
            spread_table(0x01, all_dc_symbols(), first_length, per_length),
            spread_table(0x10, all_ac_symbols(), first_length, per_length),
            spread_table(0x11, all_ac_symbols(), first_length, per_length)};
}

HandPicture stale_table_picture(uint32_t seed)
{
    HandPicture p;
    p.width = 40;
    p.height = 24;
    p.seed = seed;
    std::vector<HuffmanSpec> first = table_set(3, 6);
    first[2] = spread_table(0x10, all_ac_symbols(), 2, 3);
    p.dht_segments.push_back(first);
    // AC 0 becomes codes of 1, 2 and 5 bits: the old 3- and 4-bit entries
    // behind the 5-bit one are never reached (the longer entry ends the
    // search), the old 5-bit and longer ones are. AC 1 becomes four short
    // codes followed by the old entries of 3 bits and more.
    std::vector<HuffmanSpec> shorter = {
        {0x10, {1, 1, 0, 0, 1}, {0x00, 0x01, 0x11}},
        {0x11, {0, 2, 2}, {0x00, 0x02, 0x21, 0xF0}},
    };
    p.dht_segments.push_back(shorter);
    return p;
}

HandPicture overfilled_table_picture(uint32_t seed)
{
    HandPicture p;
    p.width = 24;
    p.height = 24;
    p.luma_sampling = 0x21;
    p.seed = seed;
    p.dht_segments.push_back(table_set(2, 3));
    // Three codes of length 1 (the third, 2, fits no 1-bit read) push every
    // later code past its width: only 0 and 1 ever match.
    HuffmanSpec dc = {0x00, {3, 2, 4}, {0, 1, 2, 3, 4, 5, 6, 7, 8}};
    HuffmanSpec ac = {0x10, {1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200}, {}};
    std::vector<uint8_t> symbols = all_ac_symbols();
    for (int i = 0; i < 204; i++)
        ac.symbols.push_back(symbols[static_cast<size_t>(i) % symbols.size()]);
    p.dht_segments.push_back({dc, ac});
    return p;
}

HandPicture long_code_picture(uint32_t seed, bool short_eob)
{
    HandPicture p;
    p.width = 33;
    p.height = 17;
    p.luma_sampling = 0x22;
    p.seed = seed;
    p.style.eob_percent = 8;
    std::vector<HuffmanSpec> tables = table_set(9, 24);
    if (short_eob) {
        // EOB and one value at 2 bits, everything else still 9..16 bits.
        std::vector<uint8_t> rest = all_ac_symbols();
        rest.erase(rest.begin());
        rest.erase(rest.begin() + 1);  // 0x01
        HuffmanSpec ac = spread_table(0x10, rest, 9, 24);
        ac.counts[1] = 2;
        ac.symbols.insert(ac.symbols.begin(), {0x00, 0x01});
        tables[2] = ac;
    }
    p.dht_segments.push_back(tables);
    return p;
}

HandPicture no_match_picture(uint32_t seed)
{
    HandPicture p;
    p.width = 48;
    p.height = 16;
    p.seed = seed;
    p.dht_segments.push_back(table_set(2, 4));
    p.style.no_match_percent = 15;
    return p;
}

HandPicture huge_coefficient_picture(uint32_t seed)
{
    HandPicture p;
    p.width = 32;
    p.height = 32;
    p.components = 1;
    p.quant = 255;
    p.seed = seed;
    std::vector<uint8_t> big;
    for (int size = 11; size <= 15; size++)
        big.push_back(static_cast<uint8_t>(size));
    big.push_back(0x00);
    big.push_back(0xF0);
    p.dht_segments.push_back({spread_table(0x00, {15}, 1, 1), spread_table(0x10, big, 2, 2)});
    p.style.dc_size = 15;
    p.style.eob_percent = 3;
    return p;
}

HandPicture random_table_picture(TestRng &rng)
{
    HandPicture p;
    p.components = rng.chance(30) ? 1 : 3;
    static const int sampling_bytes[] = {0x11, 0x21, 0x12, 0x22, 0x31};
    p.luma_sampling = sampling_bytes[rng.below(5)];
    p.width = 1 + static_cast<int>(rng.below(40));
    p.height = 1 + static_cast<int>(rng.below(40));
    p.quant = 1 + static_cast<int>(rng.below(40));
    p.chroma_tables = rng.chance(50) ? 0x11 : 0x00;
    p.restart_mcus = rng.chance(40) ? 1 + static_cast<int>(rng.below(4)) : 0;
    int segments = 1 + static_cast<int>(rng.below(2));
    for (int seg = 0; seg < segments; seg++) {
        std::vector<HuffmanSpec> segment;
        for (int t = 0; t < 4; t++) {
            HuffmanSpec table = {(t >> 1) << 4 | (t & 1), {0}, {}};
            int total = 0, budget = seg == 0 ? 256 : 1 + static_cast<int>(rng.below(12));
            for (int l = 0; l < 16; l++) {
                int count = rng.chance(30) ? static_cast<int>(rng.below(1u << std::min(l + 2, 6))) : 0;
                count = std::min(count, budget - total);
                table.counts[l] = static_cast<uint8_t>(count);
                total += count;
            }
            for (int i = 0; i < total; i++)
                table.symbols.push_back(static_cast<uint8_t>(rng.chance(50) ? rng.below(16) : rng.next()));
            segment.push_back(table);
        }
        p.dht_segments.push_back(segment);
    }
    p.seed = rng.next();
    return p;
}
