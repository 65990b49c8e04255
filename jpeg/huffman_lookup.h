// Huffman decoding by table lookup, built from a HuffmanTable's own entries by
// the rule of decode_symbol's linear search, so every table (stale entries after
// a second DHT, codes that can never match) decodes exactly as the search does.
#pragma once

#include "jpeg/bit_reader.h"

#include <stdint.h>

enum { HUFFMAN_LOOKAHEAD = 10 };  // bits resolved by one lookup

// A code and the magnitude bits after it, both inside the lookahead, resolved at once.
struct CodedValue {
    int16_t value;   // the magnitude read as receive_extend reads it
    uint8_t run;     // the symbol's high nibble: zeros before the value (AC); 64 for end of block
    uint8_t length;  // code length plus magnitude size; 0 when not resolved here
};

struct HuffmanLookup {
    // By the next HUFFMAN_LOOKAHEAD bits: (length << 8) | symbol of the code the
    // search finds, or 0 when no code of that many bits or fewer matches.
    uint16_t fast[1 << HUFFMAN_LOOKAHEAD];
    // By the same bits: the symbol's magnitude as well, for symbols whose code and
    // magnitude bits fit the lookahead together.
    CodedValue coded[1 << HUFFMAN_LOOKAHEAD];
    // Longer codes. When `long_in_order`, the codes of length l the search can find
    // are long_first[l] .. long_first[l] + long_count[l] - 1, their symbols listed
    // from long_symbols[long_offset[l]] on; otherwise the search itself runs.
    bool long_in_order;
    int32_t long_first[17];
    int32_t long_count[17];
    int32_t long_offset[17];
    uint8_t long_symbols[256];
    const HuffmanTable *table;
};

void build_huffman_lookup(const HuffmanTable *table, HuffmanLookup *lookup);

struct LongSymbol {
    int32_t symbol;  // 0..255 or SYMBOL_NO_MATCH
    int32_t length;  // bits the search consumed: the code's length, or 16
};

// Codes longer than the lookahead, from the next 16 bits (in the top of `bits`).
LongSymbol decode_long_symbol(const HuffmanLookup *lookup, uint64_t bits);

// The next symbol (0..255), or SYMBOL_NO_MATCH with 16 bits consumed, as
// decode_symbol gives it when no restart marker stands before the reader.
// Needs at least 16 bits buffered.
static inline int32_t lookup_symbol(BitReader *br, const HuffmanLookup *lookup)
{
    uint32_t entry = lookup->fast[peek_bits(br, HUFFMAN_LOOKAHEAD)];
    if (entry != 0) {
        skip_bits(br, static_cast<int32_t>(entry >> 8));
        return static_cast<int32_t>(entry & 0xFF);
    }
    LongSymbol found = decode_long_symbol(lookup, br->bits);
    skip_bits(br, found.length);
    return found.symbol;
}
