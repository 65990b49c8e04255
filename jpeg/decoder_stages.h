// The decoder's inside: the stage functions behind decode_jpeg and the tables
// and small rules they share. Included by the decoder and its tests, never by
// the game shell, which knows only jpeg/decode_jpeg.h.
#pragma once

#include "jpeg/cpu_features.h"
#include "jpeg/decode_jpeg.h"

#include <stddef.h>
#include <stdint.h>

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

// --- Shared tables and rules ---

// Entry i (row-major index) is that coefficient's position in the stream's zigzag order.
inline constexpr int32_t zigzag_order[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};

// The integer inverse DCT (Loeffler-Ligtenberg-Moschytz): each constant is the
// named factor scaled by 2^IDCT_CONST_BITS. The reference and both vector
// paths use these names and no other numbers.
inline constexpr int32_t IDCT_CONST_BITS = 13;
inline constexpr int32_t IDCT_ONE = 1 << IDCT_CONST_BITS;  // 8192
inline constexpr int32_t IDCT_0_298631336 = 2446;
inline constexpr int32_t IDCT_0_390180644 = 3196;
inline constexpr int32_t IDCT_0_541196100 = 4433;
inline constexpr int32_t IDCT_0_765366865 = 6270;
inline constexpr int32_t IDCT_0_899976223 = 7373;
inline constexpr int32_t IDCT_1_175875602 = 9633;
inline constexpr int32_t IDCT_1_501321110 = 12299;
inline constexpr int32_t IDCT_1_847759065 = 15137;
inline constexpr int32_t IDCT_1_961570560 = 16069;
inline constexpr int32_t IDCT_2_053119869 = 16819;
inline constexpr int32_t IDCT_2_562915447 = 20995;
inline constexpr int32_t IDCT_3_072711026 = 25172;
// Two fraction bits kept between the column and the row pass; the row pass also
// removes the transform's factor 8. Both shifts round half up.
inline constexpr int32_t IDCT_FRACTION_BITS = 2;
inline constexpr int32_t IDCT_COLUMN_SHIFT = IDCT_CONST_BITS - IDCT_FRACTION_BITS;   // 11
inline constexpr int32_t IDCT_ROW_SHIFT = IDCT_CONST_BITS + IDCT_FRACTION_BITS + 3;  // 18
inline constexpr int32_t IDCT_COLUMN_ROUND = 1 << (IDCT_COLUMN_SHIFT - 1);
inline constexpr int32_t IDCT_ROW_ROUND = 1 << (IDCT_ROW_SHIFT - 1);
inline constexpr int32_t SAMPLE_LEVEL_SHIFT = 128;

// JFIF YCbCr to RGB, in double precision: R = Y + CR_R (Cr - centre),
// G = Y - CB_G (Cb - centre) - CR_G (Cr - centre), B = Y + CB_B (Cb - centre).
inline constexpr double YCBCR_CHROMA_CENTRE = 128.0;
inline constexpr double YCBCR_CR_R = 1.402;
inline constexpr double YCBCR_CB_G = 0.34414;
inline constexpr double YCBCR_CR_G = 0.71414;
inline constexpr double YCBCR_CB_B = 1.772;

// `size` (1..15) bits read as `v`, made a signed magnitude (EXTEND of the JPEG standard).
static inline int32_t extend_sign(int32_t v, int32_t size)
{
    return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// 32-bit wrap-around addition: a run of wild DC differences must not be UB.
static inline int32_t add_wrapping(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// A restart marker (0xFF 0xD0..0xD7) wholly inside the stream at `at`.
static inline bool is_restart_marker(const uint8_t *at, const uint8_t *end)
{
    return end - at >= 2 && at[0] == 0xFF && at[1] >= 0xD0 && at[1] <= 0xD7;
}

// --- The header phase ---

// What each segment parser returns: accepted, or why the stream is refused.
enum SegmentResult {
    SEGMENT_ACCEPTED = 0,
    REFUSED_TABLE_OR_ID = 1,   // Huffman counts over 256; DQT id above 1 or 16-bit; APP0 not JFIF 1.x
    REFUSED_UNSUPPORTED = 2,   // precision not 8; a scan of other than 1 or 3 components
    REFUSED_OUT_OF_RANGE = 3,  // width or height 0; a table id, selector or component id out of range
    REFUSED_PAST_END = 4,      // the segment (or a table or thumbnail in it) runs past the end
};

// Each parser starts with `cursor` on the marker's code byte (after the 0xFF)
// and advances it.
SegmentResult parse_sof(JpegDecoder *dec);
SegmentResult parse_dht(JpegDecoder *dec);
SegmentResult parse_dqt(JpegDecoder *dec);
SegmentResult parse_sos(JpegDecoder *dec);
SegmentResult parse_app0(JpegDecoder *dec);

// Zero-fills `dec` and runs the marker scan over data[0..size) up to the first
// SOS. Returns true when every required segment was met and accepted; `cursor`
// then stands on the first byte of the entropy-coded data.
bool read_jpeg_headers(JpegDecoder *dec, const uint8_t *data, size_t size);

// --- The entropy layer: bits, Huffman symbols, blocks ---

enum {
    SYMBOL_NO_MATCH = -1,  // no code of length 1..16 matched
    SYMBOL_RESTART = -2,   // the reader stands before a restart marker
};

// Makes the byte at `cursor` the current byte (a 0xFF steps over its stuffed byte).
void start_bits(JpegDecoder *dec);
// The next bit of the scan data; past the end of the stream every bit is 0.
int32_t next_bit(JpegDecoder *dec);
// Reads `size` bits (0..15) as a signed magnitude.
int32_t receive_extend(JpegDecoder *dec, int32_t size);
// Next symbol by linear search of `table`, or SYMBOL_NO_MATCH / SYMBOL_RESTART.
int32_t decode_symbol(JpegDecoder *dec, const HuffmanTable *table);
// Fills `block` with 64 row-major samples and returns 0, or with the error
// pattern (white X on black) and returns 1. Updates `*dc_predictor`. The picture
// phase needs only the block; the result tells the tests which one it got.
int32_t decode_block(JpegDecoder *dec, int32_t block[64], int32_t dc_table_id, int32_t ac_table_id,
                     int32_t quant_table_id, int32_t *dc_predictor);
// Puts the error pattern into `block`: 255 on both diagonals, 0 elsewhere.
void put_error_pattern(int32_t block[64]);

// --- The transform ---

// Reorders 64 values from zigzag (stream) order into row-major order, in place.
void dezigzag(int32_t values[64]);
// Dequantises the row-major coefficients with `table` and replaces them by 64
// samples, level-shifted by 128 and not clamped. Arithmetic is 32-bit two's
// complement (wrapping), so garbage coefficients give garbage samples, never UB.
void inverse_dct(int32_t block[64], const QuantTable *table);
// The same samples as inverse_dct, bit for bit, on every input, through the
// fastest vector path the processor runs.
void inverse_dct_fast(int32_t block[64], const QuantTable *table);

// --- The picture phase ---

// JFIF YCbCr to RGB in double precision, truncated toward zero then clamped to 0..255;
// the samples themselves are not clamped. Writes the pixel with putpixel (clipped).
void put_ycbcr_pixel(BITMAP *bitmap, int32_t x, int32_t y, int32_t luma, int32_t cb, int32_t cr);

// How the scan's MCUs are laid out: the luminance sampling product (1, 2 or 4)
// of a three-component scan, or 0 for grey. A three-component scan of another
// sampling product goes the grey way.
struct McuLayout {
    int32_t sampling;     // 0, 1, 2 or 4
    int32_t width;        // 8 or 16 pixels
    int32_t height;       // 8 or 16 pixels
    int32_t luma_blocks;  // 1, 2 or 4
};
McuLayout mcu_layout(const JpegDecoder *dec);

// Decodes the scan of a decoder whose headers were read into `bitmap`
// (`width` x `height`), MCU by MCU, from `cursor` on.
void decode_picture(JpegDecoder *dec, BITMAP *bitmap);

// The same picture phase through lookup-table Huffman decoding, the fast
// transform and line writers: the same pixels as decode_picture on every input.
// The vector path is fastest_vector_path(), or `path` (which must be available).
void decode_picture_fast(JpegDecoder *dec, BITMAP *bitmap);
void decode_picture_fast_on(VectorPath path, JpegDecoder *dec, BITMAP *bitmap);

// decode_jpeg on the given vector path (which must be available), whatever
// TABELLONE_JPEG_PATH says: how the tests and the fuzzer run every path.
BITMAP *decode_jpeg_on(VectorPath path, const uint8_t *data, size_t size, RGB *palette);
