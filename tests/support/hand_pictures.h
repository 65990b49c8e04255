// Hand-built JPEG streams for the fast/reference equivalence tests and the fuzz
// seeds: chosen headers and Huffman tables (long codes, overfilled lengths,
// tables redefined with fewer codes) and scan data of random blocks coded with them.
#pragma once

#include "tests/support/huffman_encoder.h"
#include "tests/support/test_streams.h"

#include <vector>

struct HandPicture {
    int width = 24, height = 16;
    int components = 3;        // 1 or 3, in both the frame and the scan
    int luma_sampling = 0x11;  // the frame's sampling byte for component 1
    int quant = 2;             // every value of both quantisation tables
    // DHT segments in stream order; a later one for the same table overwrites
    // its first entries and leaves the rest.
    std::vector<std::vector<HuffmanSpec>> dht_segments;
    int chroma_tables = 0x11;  // DC id << 4 | AC id of components 2 and 3
    int restart_mcus = 0;      // > 0: DRI, and a marker after this many MCUs
    BlockStyle style;
    uint32_t seed = 1;
    bool eoi = true;
    Bytes after_eoi;  // bytes appended after the EOI (or the scan)
};

// The blocks per MCU as decode_picture reads them: 1, 2 or 4 luma blocks and
// two chroma blocks for products 1, 2 and 4 of a 3-component scan, else one.
int blocks_per_mcu(const HandPicture &p);

// The whole stream. Blocks are coded with the last DHT given for each table;
// restart markers are placed every `restart_mcus` MCUs with predictors reset,
// as an encoder would (the decoder restarts only after whole MCU rows).
Bytes build_hand_picture(const HandPicture &p);

// --- Tables ---

// Every baseline AC symbol (runs 0..15, sizes 1..10, EOB, ZRL) and run-0 sizes 11..15.
std::vector<uint8_t> all_ac_symbols();
// DC sizes 0..15.
std::vector<uint8_t> all_dc_symbols();
// Symbols at lengths first..16, at most `per_length` at each, one code left
// free so the all-ones pattern never matches.
HuffmanSpec spread_table(int class_id, const std::vector<uint8_t> &symbols, int first_length, int per_length);
// DC 0/1 and AC 0/1 tables in one segment, codes from `first_length` on.
std::vector<HuffmanSpec> table_set(int first_length, int per_length);

// --- Named pictures, shared by the tests and the fuzz seed generator ---

// The second DHT for the AC tables lists fewer codes than the first: the old
// entries after the new ones stay in the table and are searched, those shorter
// than the last new code in vain.
HandPicture stale_table_picture(uint32_t seed);
// A length listed with more codes than it can hold: those codes and every
// longer one never match, so blocks using them fall to the error pattern.
HandPicture overfilled_table_picture(uint32_t seed);
// Every code 9..16 bits long (AC also 2-bit EOB when `short_eob`).
HandPicture long_code_picture(uint32_t seed, bool short_eob);
// Blocks replaced by 16 one-bits (no code) in the middle of the picture.
HandPicture no_match_picture(uint32_t seed);
// DC differences of size 15 (all positive) and AC values of sizes 11..15
// through a coarse quantiser: the IDCT's 32-bit arithmetic wraps.
HandPicture huge_coefficient_picture(uint32_t seed);
// Random layout, size and quantiser, and random tables: counts that overfill
// lengths or run past 16 bits, sometimes a second segment redefining every table
// with fewer codes, random symbols.
HandPicture random_table_picture(TestRng &rng);
