// The JPEG decoder's public face: baseline JFIF held in memory becomes a 24-bit
// Allegro bitmap. The stages behind it are in jpeg/decoder_stages.h.
//
// The picture format this decoder reads. The game's pictures are made to it and
// the tests fix it, so what lies outside it is refused or decoded in the stated
// way on purpose, not by accident:
// - SOI, APP0 (JFIF, major version 1), DQT, DHT, SOF0/SOF1 and SOS are all
//   required; a stream without APP0 is refused. COM and DRI may appear; any
//   other marker before the scan refuses the stream.
// - The SOS marker's 0xFF lies within the first JPEG_SOS_LIMIT (10000) bytes.
// - 8-bit samples; a scan of one or three components (identifiers 1..3); at
//   most two quantisation tables (8-bit) and two Huffman tables of each class.
// - With a DRI, a restart marker follows every MCU row, whatever the interval
//   says; without one there are none.
// - Three components with luminance sampling 1x1 (4:4:4), 2x1 (4:2:2) or 2x2
//   (4:2:0) are colour, chroma 1x1 and repeated, never interpolated; any other
//   sampling product, and one component, decode as grey: one block an MCU,
//   read with the first component's tables.
// - Samples are not clamped before the colour step: YCbCr to RGB in double
//   precision, truncated toward zero, then clamped to 0..255.
// - Damage never refuses a stream whose headers were read: a block without a
//   matching code becomes a white X on black, data past the end reads as zeros.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct BITMAP;
struct RGB;

enum {
    JPEG_SOS_LIMIT = 10000,     // the SOS marker's 0xFF lies at most this far from the start
    JPEG_MAX_PIXELS = 1 << 28,  // Allegro sizes a bitmap in int: 2^28 pixels x 3 bytes stays clear of it
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

// Why a stream was refused. Each code has one short English text
// (describe_jpeg_refusal); docs/decoder.md lists them.
enum JpegRefusalCode {
    JPEG_ACCEPTED = 0,
    JPEG_CUT_SHORT,             // the data ends inside a segment, or before the SOS
    JPEG_PROGRESSIVE,           // SOF2, SOF6, SOF10, SOF14
    JPEG_LOSSLESS,              // SOF3, SOF7, SOF11, SOF15
    JPEG_HIERARCHICAL,          // SOF5
    JPEG_ARITHMETIC,            // SOF9, SOF13, DAC
    JPEG_APP_SEGMENT,           // APP1..APP15 (Exif, XMP, ICC profiles, Adobe)
    JPEG_UNEXPECTED_MARKER,     // any other code after an 0xFF before the SOS
    JPEG_SAMPLE_PRECISION,      // samples of other than 8 bits
    JPEG_EMPTY_FRAME,           // width or height 0
    JPEG_FRAME_QUANT_TABLE,     // a frame component names a quantisation table above 1
    JPEG_QUANT_TABLE_ID,        // a DQT table id above 1
    JPEG_QUANT_16_BIT,          // 16-bit quantisation values
    JPEG_HUFFMAN_CODE_COUNT,    // a Huffman table of more than 256 codes
    JPEG_SCAN_COMPONENT_COUNT,  // a scan of other than 1 or 3 components
    JPEG_SCAN_COMPONENT_ID,     // a scan component identifier other than 1, 2, 3
    JPEG_SCAN_TABLE_ID,         // a scan names a Huffman table above 1
    JPEG_NOT_JFIF,              // APP0 shorter than 16 bytes or not "JFIF"
    JPEG_JFIF_VERSION,          // JFIF major version other than 1
    JPEG_SOS_TOO_LATE,          // no SOS marker within the first JPEG_SOS_LIMIT bytes
    JPEG_MISSING_SEGMENT,       // the SOS comes before SOI, APP0, DQT, SOF or DHT
    JPEG_TOO_LARGE,             // more than JPEG_MAX_PIXELS pixels
    JPEG_NO_MEMORY,             // the bitmap could not be created
};

// A refusal with the numbers its text names. Written only when a stream is
// refused, so an accepted decode pays nothing for it.
struct JpegRefusal {
    int32_t code;    // JpegRefusalCode
    int32_t value;   // the offending number: marker code, bits, table id, count, version, missing marker
    int32_t marker;  // code byte of the segment where it was met, 0 for none
    size_t at;       // offset of that segment's (or marker's) 0xFF
    size_t end;      // the stream's size: where a stream cut short ends
    int32_t width;   // the frame's size, for JPEG_TOO_LARGE and JPEG_NO_MEMORY
    int32_t height;
};

// Working record of one decode_jpeg call; zero-filled at its start.
struct JpegDecoder {
    const uint8_t *data_start;
    const uint8_t *data_end;  // one past the last byte: nothing at or after it is ever read
    const uint8_t *cursor;    // the one read position; never moves past data_end
    int32_t bits_left;
    int32_t current_byte;
    int32_t width;
    int32_t height;
    int32_t component_count;
    HuffmanTable huffman[4];  // DC 0, DC 1, AC 0, AC 1: class * 2 + id
    QuantTable quant[2];
    int32_t luma_sampling;
    int32_t luma_quant;
    int32_t chroma_quant;
    int32_t luma_ac_table;
    int32_t chroma_ac_table;
    int32_t luma_dc_table;
    int32_t chroma_dc_table;
    uint32_t markers_seen;  // SEEN_* bits
    JpegRefusal refusal;    // why the header phase refused, when it did
};

// Decodes the `size` bytes at `data` into a new 24-bit bitmap (converted to the
// depth the library asks for loaded images). `palette` (a PALETTE, or null)
// receives the 3-3-2 palette. Returns null when the stream is refused or the
// bitmap cannot be created (decode_jpeg_with_reason says which). Never reads
// outside data[0..size).
BITMAP *decode_jpeg(const uint8_t *data, size_t size, RGB *palette);

// decode_jpeg that also says why: on refusal (null) `*refusal` gets the
// reason, on success its code is JPEG_ACCEPTED. The same pixels as decode_jpeg.
BITMAP *decode_jpeg_with_reason(const uint8_t *data, size_t size, RGB *palette, JpegRefusal *refusal);

// One line of English for a refusal, e.g. "progressive JPEG (SOF2 at byte 20)"
// or "cut short at byte 1234 (in the DHT segment at byte 160)".
void describe_jpeg_refusal(const JpegRefusal *refusal, char *text, size_t text_size);

// The same decode through the straightforward picture phase (linear code search,
// one putpixel per pixel): the reference the fast path must equal on every input.
BITMAP *decode_jpeg_reference(const uint8_t *data, size_t size, RGB *palette);

// Reads only the headers, as both entry points do first: true, with the
// picture's size, when decode_jpeg accepts the stream (it can then fail only
// for want of memory for the bitmap). On refusal `*refusal` (when given) says why.
bool jpeg_picture_size(const uint8_t *data, size_t size, int32_t *width, int32_t *height,
                       JpegRefusal *refusal = nullptr);
