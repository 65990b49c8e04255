// The entropy layer: the bit reader over the scan data, Huffman symbols,
// magnitude bits and the decode of one block into 64 samples.
#pragma once

#include <stdint.h>

struct JpegDecoder;
struct HuffmanTable;

enum {
    SYMBOL_NO_MATCH = -1,  // no code of length 1..16 matched
    SYMBOL_RESTART = -2,   // the reader stands before a restart marker
};

// Makes the byte at `cursor` the current byte (a 0xFF steps over its stuffed byte).
void start_bits(JpegDecoder *dec);
// The next bit of the scan data; past the end of the stream every bit is 0.
int32_t next_bit(JpegDecoder *dec);
// Reads `size` bits (0..15) as a signed magnitude (EXTEND of the JPEG standard).
int32_t receive_extend(JpegDecoder *dec, int32_t size);
// Next symbol by linear search of `table`, or SYMBOL_NO_MATCH / SYMBOL_RESTART.
int32_t decode_symbol(JpegDecoder *dec, const HuffmanTable *table);
// Fills `block` with 64 row-major samples and returns 0, or with the error
// pattern (white X on black) and returns 1. Updates `*dc_predictor`.
int32_t decode_block(JpegDecoder *dec, int32_t block[64], int32_t dc_table_id,
                     int32_t ac_table_id, int32_t quant_table_id, int32_t *dc_predictor);
// Puts the error pattern into `block`: 255 on both diagonals, 0 elsewhere.
void put_error_pattern(int32_t block[64]);
