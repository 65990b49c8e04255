// The fast picture phase's bit reader: up to 64 bits buffered at once, with the
// byte-stuffing and end-of-data rules of next_bit, and enough bookkeeping to
// tell where the one-bit-at-a-time reader's cursor would stand.
#pragma once

#include "jpeg/decoder_stages.h"

#include <stdint.h>
#include <string.h>

struct BitReader {
    uint64_t bits;        // unread bits, the next one in bit 63; zeros below `count`
    int32_t count;        // valid bits in `bits`
    const uint8_t *next;  // next stream byte to load
    const uint8_t *end;   // nothing at or after it is read
    // A segment starts at the first byte loaded after start_bits or a restart step;
    // bytes are counted from there so the reference cursor can be recomputed.
    const uint8_t *segment_start;
    uint64_t loaded;                // bytes loaded in this segment, zero bytes past the end included
    const uint8_t *restart_cursor;  // reference cursor left by the last restart step (null before any)
    bool stuck;                     // the restart step left the cursor on a marker: every symbol reads as 0
};

// The one-byte path: a 0xFF byte steps over the byte after it, past the end come zeros.
static inline void load_byte(BitReader *br)
{
    uint64_t byte = 0;
    if (br->next < br->end) {
        byte = *br->next;
        br->next += (byte == 0xFF && br->end - br->next >= 2) ? 2 : 1;
    }
    br->bits |= byte << (56 - br->count);
    br->count += 8;
    br->loaded++;
}

// Tops the buffer up to at least 57 bits. Eight bytes at a time when none of
// the bytes taken is 0xFF, one at a time otherwise.
static inline void refill_bits(BitReader *br)
{
    if (br->end - br->next >= 8) {
        uint64_t word;
        memcpy(&word, br->next, 8);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        word = __builtin_bswap64(word);  // the stream's first byte on top
#endif
        int32_t take = (64 - br->count) >> 3;
        uint64_t taken = take == 8 ? word : word & ~(~0ULL >> (8 * take));
        // A 0xFF byte taken is a zero byte of ~taken; the bytes not taken are 0x00
        // in `taken`, so they never look like one.
        uint64_t inverted = ~taken;
        uint64_t has_ff = (inverted - 0x0101010101010101ULL) & ~inverted & 0x8080808080808080ULL;
        if (!has_ff) {
            br->bits |= taken >> br->count;
            br->count += 8 * take;
            br->next += take;
            br->loaded += static_cast<uint64_t>(take);
            return;
        }
    }
    while (br->count <= 56)
        load_byte(br);
}

static inline void ensure_bits(BitReader *br, int32_t wanted)
{
    if (br->count < wanted)
        refill_bits(br);
}

// The next `n` (1..16) bits, right-aligned, without consuming them.
static inline uint32_t peek_bits(const BitReader *br, int32_t n)
{
    return static_cast<uint32_t>(br->bits >> (64 - n));
}

static inline void skip_bits(BitReader *br, int32_t n)
{
    br->bits <<= n;
    br->count -= n;
}

// `size` (0..15) bits as a signed magnitude, as receive_extend reads them.
static inline int32_t read_extended(BitReader *br, int32_t size)
{
    if (size == 0)
        return 0;
    int32_t v = static_cast<int32_t>(peek_bits(br, size));
    skip_bits(br, size);
    return extend_sign(v, size);
}

// start_bits: the segment begins at `cursor`.
void start_bit_reader(BitReader *br, const uint8_t *cursor, const uint8_t *end);

// The restart step after an MCU row: where the reference reader's cursor stands,
// two bytes on, the buffer emptied; `stuck` when that lands on a restart marker.
void restart_bit_reader(BitReader *br);

// Where the one-bit-at-a-time reader's cursor would stand now.
const uint8_t *reference_cursor(const BitReader *br);

// True when the data holds 0xFF 0xFF 0xD0..0xD7: there the reference reader may
// meet a restart marker in mid-row, which the fast path leaves to it.
bool has_inner_marker_pattern(const uint8_t *data, const uint8_t *end);
