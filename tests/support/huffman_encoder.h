// Entropy coding for hand-built test streams: the canonical codes of a DHT
// table and blocks of random coefficients written with them, ending each block
// exactly where decode_block stops reading it.
#pragma once

#include "tests/support/test_rng.h"
#include "tests/support/test_streams.h"

#include <stdint.h>
#include <vector>

// One entry of a decoder's table, in the order the DHT segment lists them.
struct TableEntry {
    int32_t code, length;
    uint8_t symbol;
};

// Writes the canonical codes of `table` over the first entries of `entries`,
// as a DHT segment does: entries past its count keep what an earlier segment put.
void load_table(std::vector<TableEntry> *entries, const HuffmanSpec &table);

// The code that reaches each symbol through a search of the entries in order,
// where the first entry of the length read so far with the code read wins and
// an entry longer than that length ends the search. Codes wider than their
// length (an overfilled length) and shadowed entries are never reached.
struct CodeBook {
    int32_t code[256];
    int32_t length[256];  // 0: no entry of this symbol is ever reached
    std::vector<uint8_t> usable;
};

CodeBook make_code_book(const std::vector<TableEntry> &entries);

// How the random blocks of a picture look.
struct BlockStyle {
    uint32_t eob_percent = 20;      // chance of ending a block at each AC step
    int dc_size = -1;               // -1: any DC symbol of the table; else always this size, all one-bits
    uint32_t no_match_percent = 0;  // chance of 16 one-bits in place of a block's DC code
};

// Writes one block: a DC symbol and magnitude, then AC symbols picked from the
// table (runs, ZRL and values past the 64th coefficient included) until EOB or
// the block is full, mirroring decode_block's reading so the stream stays in step.
// A block written as 16 one-bits (see BlockStyle) is read as the error pattern.
void put_random_block(BitWriter &w, TestRng &rng, const CodeBook &dc, const CodeBook &ac, const BlockStyle &style);
