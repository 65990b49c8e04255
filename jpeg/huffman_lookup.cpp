// Building the Huffman lookup tables, and the codes too long for them.
#include "jpeg/huffman_lookup.h"

// The entries the search can find at `length`: those before the first entry of
// a greater length, of exactly that length. Returns their count.
static int32_t entries_of_length(const HuffmanTable *table, int32_t length, const HuffmanCode *found[256])
{
    int32_t n = 0;
    for (int i = 0; i < 256; i++) {
        const HuffmanCode *hc = &table->entries[i];
        if (hc->length > length)
            break;
        if (hc->length == length)
            found[n++] = hc;
    }
    return n;
}

// Fills `coded` from `fast`: where the symbol's magnitude bits follow its code
// within the lookahead, the value they give. Symbols of size 0 carry value 0
// and their run, except end-of-block, whose run of 64 ends any block.
static void build_coded_values(HuffmanLookup *lookup)
{
    for (uint32_t bits = 0; bits < (1u << HUFFMAN_LOOKAHEAD); bits++) {
        uint32_t entry = lookup->fast[bits];
        int32_t code_length = static_cast<int32_t>(entry >> 8);
        int32_t symbol = static_cast<int32_t>(entry & 0xFF);
        int32_t size = symbol & 0x0F;
        int32_t length = code_length + size;
        if (code_length == 0 || length > HUFFMAN_LOOKAHEAD)
            continue;
        int32_t v = 0;
        if (size > 0) {
            v = extend_sign(static_cast<int32_t>((bits >> (HUFFMAN_LOOKAHEAD - length)) & ((1u << size) - 1)), size);
        }
        int32_t run = symbol == 0 ? 64 : symbol >> 4;
        lookup->coded[bits] =
            CodedValue{static_cast<int16_t>(v), static_cast<uint8_t>(run), static_cast<uint8_t>(length)};
    }
}

void build_huffman_lookup(const HuffmanTable *table, HuffmanLookup *lookup)
{
    memset(lookup, 0, sizeof *lookup);
    lookup->table = table;
    lookup->long_in_order = true;
    const HuffmanCode *found[256];
    int32_t symbols = 0;
    for (int32_t length = 1; length <= 16; length++) {
        int32_t n = entries_of_length(table, length, found);
        if (length <= HUFFMAN_LOOKAHEAD) {
            // Shorter codes were filled first and the first entry of a code comes
            // first; slots of a code are an aligned run, wholly free or wholly taken.
            int32_t shift = HUFFMAN_LOOKAHEAD - length;
            for (int32_t i = 0; i < n; i++) {
                if (found[i]->code < 0 || found[i]->code >= (1 << length))
                    continue;  // can never match
                uint32_t first = static_cast<uint32_t>(found[i]->code) << shift;
                if (lookup->fast[first] != 0)
                    continue;
                uint16_t entry = static_cast<uint16_t>((length << 8) | (found[i]->symbol & 0xFF));
                for (uint32_t s = 0; s < (1u << shift); s++)
                    lookup->fast[first + s] = entry;
            }
            continue;
        }
        lookup->long_first[length] = n > 0 ? found[0]->code : 0;
        lookup->long_count[length] = n;
        lookup->long_offset[length] = symbols;
        for (int32_t i = 0; i < n; i++) {
            if (found[i]->code != found[0]->code + i)
                lookup->long_in_order = false;
            lookup->long_symbols[symbols++] = static_cast<uint8_t>(found[i]->symbol);
        }
    }
    build_coded_values(lookup);
}

// The next `length` bits of `bits`.
static uint32_t top_bits(uint64_t bits, int32_t length)
{
    return static_cast<uint32_t>(bits >> (64 - length));
}

// The linear search for lengths past the lookahead.
static LongSymbol search_long_symbol(const HuffmanTable *table, uint64_t bits)
{
    for (int32_t length = HUFFMAN_LOOKAHEAD + 1; length <= 16; length++) {
        int32_t code = static_cast<int32_t>(top_bits(bits, length));
        for (int i = 0; i < 256; i++) {
            const HuffmanCode *hc = &table->entries[i];
            if (hc->length > length)
                break;
            if (hc->length == length && hc->code == code)
                return LongSymbol{hc->symbol, length};
        }
    }
    return LongSymbol{SYMBOL_NO_MATCH, 16};
}

LongSymbol decode_long_symbol(const HuffmanLookup *lookup, uint64_t bits)
{
    if (!lookup->long_in_order)
        return search_long_symbol(lookup->table, bits);
    for (int32_t length = HUFFMAN_LOOKAHEAD + 1; length <= 16; length++) {
        uint32_t offset = top_bits(bits, length) - static_cast<uint32_t>(lookup->long_first[length]);
        if (offset < static_cast<uint32_t>(lookup->long_count[length]))
            return LongSymbol{lookup->long_symbols[lookup->long_offset[length] + offset], length};
    }
    return LongSymbol{SYMBOL_NO_MATCH, 16};
}
