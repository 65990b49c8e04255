// Canonical code assignment and the random block writer.
#include "tests/support/huffman_encoder.h"

void load_table(std::vector<TableEntry> *entries, const HuffmanSpec &table)
{
    int32_t code = 0;
    size_t next = 0;
    for (int l = 1; l <= 16; l++) {
        for (int n = 0; n < table.counts[l - 1] && next < table.symbols.size(); n++) {
            TableEntry e = {code++, l, table.symbols[next]};
            if (next < entries->size())
                (*entries)[next] = e;
            else
                entries->push_back(e);
            next++;
        }
        code <<= 1;
    }
}

// Index of the entry a search returns for the `length` bits of `code`, or -1.
static int search(const std::vector<TableEntry> &entries, int32_t code, int32_t length)
{
    for (int32_t l = 1; l <= length; l++) {
        int32_t prefix = code >> (length - l);
        for (size_t i = 0; i < entries.size(); i++) {
            if (entries[i].length > l)
                break;
            if (entries[i].length == l && entries[i].code == prefix)
                return l == length ? static_cast<int>(i) : -1;
        }
    }
    return -1;
}

CodeBook make_code_book(const std::vector<TableEntry> &entries)
{
    CodeBook book;
    for (int s = 0; s < 256; s++) {
        book.code[s] = 0;
        book.length[s] = 0;
    }
    for (size_t i = 0; i < entries.size(); i++) {
        const TableEntry &e = entries[i];
        if (book.length[e.symbol] != 0 || e.code >= (1 << e.length))
            continue;
        if (search(entries, e.code, e.length) != static_cast<int>(i))
            continue;
        book.code[e.symbol] = e.code;
        book.length[e.symbol] = e.length;
        book.usable.push_back(e.symbol);
    }
    return book;
}

static void put_symbol(BitWriter &w, const CodeBook &book, uint8_t symbol)
{
    w.put(static_cast<uint32_t>(book.code[symbol]), book.length[symbol]);
}

// `size` random magnitude bits, or all one-bits (the largest positive value).
static void put_magnitude(BitWriter &w, TestRng &rng, int size, bool largest)
{
    if (size == 0)
        return;
    uint32_t bits = largest ? (1u << size) - 1 : rng.next() & ((1u << size) - 1);
    w.put(bits, size);
}

void put_random_block(BitWriter &w, TestRng &rng, const CodeBook &dc, const CodeBook &ac, const BlockStyle &style)
{
    if (style.no_match_percent && rng.chance(style.no_match_percent)) {
        w.put(0xFFFF, 16);
        return;
    }
    if (dc.usable.empty() || ac.usable.empty()) {
        w.put(0xFFFF, 16);  // nothing to write with: read as the error pattern
        return;
    }
    uint8_t dc_symbol = dc.usable[rng.below(static_cast<uint32_t>(dc.usable.size()))];
    if (style.dc_size >= 0 && dc.length[style.dc_size] != 0)
        dc_symbol = static_cast<uint8_t>(style.dc_size);
    put_symbol(w, dc, dc_symbol);
    put_magnitude(w, rng, dc_symbol & 0x0F, style.dc_size >= 0);

    bool has_eob = ac.length[0x00] != 0;
    int k = 1;
    while (k < 64) {
        uint8_t symbol;
        if (has_eob && rng.chance(style.eob_percent))
            symbol = 0x00;
        else
            symbol = ac.usable[rng.below(static_cast<uint32_t>(ac.usable.size()))];
        put_symbol(w, ac, symbol);
        int run = symbol >> 4, size = symbol & 0x0F;
        put_magnitude(w, rng, size, false);
        if (symbol == 0x00)
            break;
        if (symbol == 0xF0) {
            k += 16;
            continue;
        }
        k += run;
        if (k >= 64)
            break;  // the value is dropped and the block ends
        k++;
    }
}
