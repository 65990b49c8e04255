// The JPEG decoder's entry and its working record: baseline JFIF held in memory
// becomes a 24-bit Allegro bitmap. The stages live in the headers included below.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct BITMAP;
struct RGB;

// Bits of JpegDecoder::markers_seen.
enum {
    SEEN_SOF = 0x01,
    SEEN_DHT = 0x02,
    SEEN_SOI = 0x04,
    SEEN_SOS = 0x08,
    SEEN_DQT = 0x10,
    SEEN_APP0 = 0x20,
    SEEN_DRI = 0x40,
    SEEN_REQUIRED = 0x3F,  // every marker above but DRI
};

enum {
    JPEG_SOS_LIMIT = 10000,       // the SOS marker's 0xFF lies at most this far from the start
    JPEG_MAX_PIXELS = 1 << 28,    // Allegro sizes a bitmap in int: 2^28 pixels x 3 bytes stays clear of it
};

struct HuffmanCode {
    int32_t code;    // right-aligned; the stream's first bit is the most significant of `length`
    int32_t symbol;  // 0..255
    int32_t length;  // 1..16; 0 marks an empty entry
};

// Codes in the order the DHT segment lists them, empty entries after.
struct HuffmanTable {
    HuffmanCode entries[256];
};

// 64 quantisation values in natural row-major order.
struct QuantTable {
    int32_t values[64];
};

// Working record of one decode_jpeg call; zero-filled at its start.
struct JpegDecoder {
    const uint8_t *data_start;
    const uint8_t *data_end;   // one past the last byte: nothing at or after it is ever read
    const uint8_t *cursor;     // the one read position; never moves past data_end
    int32_t bits_left;
    int32_t current_byte;
    int32_t width;
    int32_t height;
    int32_t component_count;
    HuffmanTable huffman[4];   // DC 0, DC 1, AC 0, AC 1: class * 2 + id
    QuantTable quant[2];
    int32_t luma_sampling;
    int32_t luma_quant;
    int32_t chroma_quant;
    int32_t luma_ac_table;
    int32_t chroma_ac_table;
    int32_t luma_dc_table;
    int32_t chroma_dc_table;
    uint32_t markers_seen;
};

// Decodes the `size` bytes at `data` into a new 24-bit bitmap (converted to the
// depth the library asks for loaded images). `palette` (a PALETTE, or null)
// receives the 3-3-2 palette. Returns null when the stream is refused or the
// bitmap cannot be created. Never reads outside data[0..size).
BITMAP *decode_jpeg(const uint8_t *data, size_t size, RGB *palette);

// The same decode through the straightforward picture phase (linear code search,
// one putpixel per pixel): the reference the fast path must equal on every input.
BITMAP *decode_jpeg_reference(const uint8_t *data, size_t size, RGB *palette);

#include "jpeg/stream_headers.h"
#include "jpeg/entropy_decode.h"
#include "jpeg/inverse_dct.h"
#include "jpeg/mcu_output.h"
#include "jpeg/inverse_dct_fast.h"
#include "jpeg/pixel_writer.h"
