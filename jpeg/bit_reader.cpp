// The bit reader's slow moments: starting, the restart step and the recovery of
// the reference cursor, which depend on where each byte of the segment lay.
#include "jpeg/bit_reader.h"

void start_bit_reader(BitReader *br, const uint8_t *cursor, const uint8_t *end)
{
    *br = BitReader{};
    br->next = cursor;
    br->end = end;
    br->segment_start = cursor;
}

// Position of the segment's byte number `index`: a 0xFF takes its stuffed byte
// along, and once the end is reached every further byte lies at the end.
static const uint8_t *byte_position(const uint8_t *p, const uint8_t *end, uint64_t index)
{
    while (index > 0 && p < end) {
        uint64_t span = static_cast<uint64_t>(end - p);
        if (span > index)
            span = index;
        const void *ff = memchr(p, 0xFF, span);
        if (!ff) {
            p += span;
            index -= span;
            continue;
        }
        const uint8_t *at = static_cast<const uint8_t *>(ff);
        index -= static_cast<uint64_t>(at - p) + 1;
        p = end - at >= 2 ? at + 2 : end;
    }
    return p;
}

const uint8_t *reference_cursor(const BitReader *br)
{
    uint64_t consumed = br->loaded * 8 - static_cast<uint64_t>(br->count);
    if (consumed == 0 && br->restart_cursor)
        return br->restart_cursor;  // nothing read since the restart step
    // The current byte holds the last bit read (or is the first byte, before any).
    uint64_t current = consumed == 0 ? 0 : (consumed - 1) >> 3;
    const uint8_t *p = byte_position(br->segment_start, br->end, current);
    if (p >= br->end)
        return br->end;
    return *p == 0xFF ? p + 1 : p;
}

void restart_bit_reader(BitReader *br)
{
    const uint8_t *cursor = reference_cursor(br);
    const uint8_t *end = br->end;
    cursor += end - cursor >= 2 ? 2 : end - cursor;
    br->restart_cursor = cursor;
    br->stuck = is_restart_marker(cursor, end);
    br->segment_start = cursor < end ? cursor + 1 : end;
    br->next = br->segment_start;
    br->bits = 0;
    br->count = 0;
    br->loaded = 0;
}

bool has_inner_marker_pattern(const uint8_t *data, const uint8_t *end)
{
    while (end - data >= 3) {
        const void *ff = memchr(data, 0xFF, static_cast<size_t>(end - data - 2));
        if (!ff)
            return false;
        const uint8_t *at = static_cast<const uint8_t *>(ff);
        if (is_restart_marker(at + 1, end))
            return true;
        data = at + 1;
    }
    return false;
}
