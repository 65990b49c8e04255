// The header phase: scans markers up to the first SOS and parses the segments the
// decoder understands. Every read is checked against the end of the stream.
#include "jpeg/decoder_stages.h"

#include <string.h>

// True when `count` bytes from `at` lie inside the stream (`at` never exceeds the end).
static bool available(const JpegDecoder *dec, const uint8_t *at, size_t count)
{
    return static_cast<size_t>(dec->data_end - at) >= count;
}

static int32_t read_u16(const uint8_t *at)
{
    return (at[0] << 8) | at[1];
}

// Records why a parser refuses; read_jpeg_headers adds where. Runs only on refusal.
static SegmentResult refuse(JpegDecoder *dec, JpegRefusalCode code, int32_t value, SegmentResult result)
{
    dec->refusal.code = code;
    dec->refusal.value = value;
    return result;
}

SegmentResult parse_sof(JpegDecoder *dec)
{
    const uint8_t *c = dec->cursor;
    if (!available(dec, c, 9))
        return REFUSED_PAST_END;
    if (c[3] != 8)
        return refuse(dec, JPEG_SAMPLE_PRECISION, c[3], REFUSED_UNSUPPORTED);
    dec->height = read_u16(c + 4);
    dec->width = read_u16(c + 6);
    if (dec->width == 0 || dec->height == 0)
        return refuse(dec, JPEG_EMPTY_FRAME, 0, REFUSED_OUT_OF_RANGE);
    int count = c[8];
    dec->cursor = c + 9;
    for (int n = 0; n < count; n++) {
        if (!available(dec, dec->cursor, 1))
            return REFUSED_PAST_END;
        int id = dec->cursor[0];
        if (id != 1 && id != 2 && id != 3)
            continue;  // the scan resumes at this byte
        if (!available(dec, dec->cursor, 3))
            return REFUSED_PAST_END;
        int quant = dec->cursor[2];
        if (quant > 1)
            return refuse(dec, JPEG_FRAME_QUANT_TABLE, quant, REFUSED_OUT_OF_RANGE);
        if (id == 1) {
            int s = dec->cursor[1];
            dec->luma_sampling = (s & 0x0F) * (s >> 4);
            dec->luma_quant = quant;
        } else {
            dec->chroma_quant = quant;
        }
        dec->cursor += 3;
    }
    return SEGMENT_ACCEPTED;
}

SegmentResult parse_dht(JpegDecoder *dec)
{
    const uint8_t *c = dec->cursor;
    if (!available(dec, c, 3))
        return REFUSED_PAST_END;
    uint32_t length = static_cast<uint32_t>(read_u16(c + 1));
    dec->cursor = c + 3;
    uint32_t consumed = 2;
    do {
        if (!available(dec, dec->cursor, 17))
            return REFUSED_PAST_END;
        int class_id = dec->cursor[0];
        HuffmanTable *table = &dec->huffman[((class_id >> 4) & 1) * 2 + (class_id & 1)];
        const uint8_t *counts = dec->cursor + 1;
        int total = 0;
        for (int l = 0; l < 16; l++)
            total += counts[l];
        if (total > 256)
            return refuse(dec, JPEG_HUFFMAN_CODE_COUNT, total, REFUSED_TABLE_OR_ID);
        dec->cursor += 17;
        consumed += 17;
        if (!available(dec, dec->cursor, static_cast<size_t>(total)))
            return REFUSED_PAST_END;

        // Canonical code assignment, as the JPEG standard does it.
        int32_t code = 0;
        int entry = 0;
        for (int l = 1; l <= 16; l++) {
            for (int n = 0; n < counts[l - 1]; n++) {
                HuffmanCode *hc = &table->entries[entry++];
                hc->code = code;
                hc->symbol = *dec->cursor++;
                hc->length = l;
                code++;
                consumed++;
            }
            code <<= 1;
        }
    } while (consumed < length);
    return SEGMENT_ACCEPTED;
}

SegmentResult parse_dqt(JpegDecoder *dec)
{
    const uint8_t *c = dec->cursor;
    if (!available(dec, c, 3))
        return REFUSED_PAST_END;
    uint32_t length = static_cast<uint32_t>(read_u16(c + 1));
    dec->cursor = c + 3;
    uint32_t consumed = 2;
    do {
        if (!available(dec, dec->cursor, 1))
            return REFUSED_PAST_END;
        int pq = dec->cursor[0] >> 4;
        int tq = dec->cursor[0] & 0x0F;
        if (tq > 1)
            return refuse(dec, JPEG_QUANT_TABLE_ID, tq, REFUSED_TABLE_OR_ID);
        if (pq != 0)
            return refuse(dec, JPEG_QUANT_16_BIT, pq, REFUSED_TABLE_OR_ID);
        if (!available(dec, dec->cursor, 65))
            return REFUSED_PAST_END;
        dec->cursor += 1;
        int32_t *values = dec->quant[tq].values;
        for (int i = 0; i < 64; i++)
            values[i] = dec->cursor[i];
        dec->cursor += 64;
        consumed += 65;
        dezigzag(values);
    } while (consumed < length);
    return SEGMENT_ACCEPTED;
}

SegmentResult parse_sos(JpegDecoder *dec)
{
    const uint8_t *c = dec->cursor;
    if (!available(dec, c, 4))
        return REFUSED_PAST_END;
    int count = c[3];
    dec->component_count = count;
    dec->cursor = c + 4;
    if (count != 1 && count != 3)
        return refuse(dec, JPEG_SCAN_COMPONENT_COUNT, count, REFUSED_UNSUPPORTED);
    for (int n = 0; n < count; n++) {
        if (!available(dec, dec->cursor, 2))
            return REFUSED_PAST_END;
        int id = dec->cursor[0];
        int dc = dec->cursor[1] >> 4;
        int ac = dec->cursor[1] & 0x0F;
        if (id != 1 && id != 2 && id != 3)
            return refuse(dec, JPEG_SCAN_COMPONENT_ID, id, REFUSED_OUT_OF_RANGE);
        if (dc > 1 || ac > 1)
            return refuse(dec, JPEG_SCAN_TABLE_ID, dc > 1 ? dc : ac, REFUSED_OUT_OF_RANGE);
        if (id == 1) {
            dec->luma_dc_table = dc;
            dec->luma_ac_table = ac;
        } else {
            dec->chroma_dc_table = dc;
            dec->chroma_ac_table = ac;
        }
        dec->cursor += 2;
    }
    // Spectral selection and successive approximation are not read.
    if (!available(dec, dec->cursor, 3))
        return REFUSED_PAST_END;
    dec->cursor += 3;
    return SEGMENT_ACCEPTED;
}

SegmentResult parse_app0(JpegDecoder *dec)
{
    const uint8_t *c = dec->cursor;
    if (!available(dec, c, 3))
        return REFUSED_PAST_END;
    if (read_u16(c + 1) < 16)
        return refuse(dec, JPEG_NOT_JFIF, 0, REFUSED_TABLE_OR_ID);
    if (!available(dec, c, 17))
        return REFUSED_PAST_END;
    if (memcmp(c + 3, "JFIF", 5) != 0)
        return refuse(dec, JPEG_NOT_JFIF, 0, REFUSED_TABLE_OR_ID);
    if (c[8] != 1)
        return refuse(dec, JPEG_JFIF_VERSION, c[8], REFUSED_TABLE_OR_ID);
    // Skip the thumbnail; the segment length itself only served the test above.
    size_t thumbnail = 3u * c[15] * c[16];
    if (!available(dec, c + 17, thumbnail))
        return REFUSED_PAST_END;
    dec->cursor = c + 17 + thumbnail;
    return SEGMENT_ACCEPTED;
}

// Moves `cursor` `count` bytes on; false (cursor unmoved) when that passes the end.
static bool skip(JpegDecoder *dec, size_t count)
{
    if (!available(dec, dec->cursor, count))
        return false;
    dec->cursor += count;
    return true;
}

// What a marker the header phase does not take announces.
static JpegRefusalCode refused_marker_kind(int code)
{
    switch (code) {
    case 0xC2:
    case 0xC6:
    case 0xCA:
    case 0xCE:
        return JPEG_PROGRESSIVE;
    case 0xC3:
    case 0xC7:
    case 0xCB:
    case 0xCF:
        return JPEG_LOSSLESS;
    case 0xC5:
        return JPEG_HIERARCHICAL;
    case 0xC9:
    case 0xCC:
    case 0xCD:
        return JPEG_ARITHMETIC;
    default:
        return code >= 0xE1 && code <= 0xEF ? JPEG_APP_SEGMENT : JPEG_UNEXPECTED_MARKER;
    }
}

// Completes the refusal with where it was met and returns false. A reason the
// segment's parser gave stands; otherwise `code` is it.
static bool refused(JpegDecoder *dec, JpegRefusalCode code, int32_t marker, const uint8_t *marker_at)
{
    JpegRefusal *r = &dec->refusal;
    if (r->code == JPEG_ACCEPTED)
        r->code = code;
    r->marker = marker;
    r->at = static_cast<size_t>(marker_at - dec->data_start);
    r->end = static_cast<size_t>(dec->data_end - dec->data_start);
    r->width = dec->width;
    r->height = dec->height;
    return false;
}

// The first required marker the scan did not meet, as its SEEN_* bit.
static int32_t first_missing(uint32_t seen)
{
    static const uint32_t in_order[] = {SEEN_SOI, SEEN_APP0, SEEN_DQT, SEEN_SOF, SEEN_DHT, SEEN_SOS};
    for (uint32_t bit : in_order)
        if (!(seen & bit))
            return static_cast<int32_t>(bit);
    return 0;
}

bool read_jpeg_headers(JpegDecoder *dec, const uint8_t *data, size_t size)
{
    memset(dec, 0, sizeof *dec);
    dec->data_start = data;
    dec->data_end = data + size;
    dec->cursor = data;

    while (dec->cursor < dec->data_end) {
        if (*dec->cursor++ == 0xFF) {
            const uint8_t *marker_at = dec->cursor - 1;
            if (dec->cursor == dec->data_end)
                return refused(dec, JPEG_CUT_SHORT, 0, marker_at);
            int code = *dec->cursor;
            SegmentResult result = SEGMENT_ACCEPTED;
            switch (code) {
            case 0xC0:
            case 0xC1:
                dec->markers_seen |= SEEN_SOF;
                result = parse_sof(dec);
                break;
            case 0xC4:
                dec->markers_seen |= SEEN_DHT;
                result = parse_dht(dec);
                break;
            case 0xD8:
                dec->markers_seen |= SEEN_SOI;
                dec->cursor++;
                break;
            case 0xDA:
                dec->markers_seen |= SEEN_SOS;
                result = parse_sos(dec);
                break;
            case 0xDB:
                dec->markers_seen |= SEEN_DQT;
                result = parse_dqt(dec);
                break;
            case 0xDD:
                // Neither length nor interval is read: restarts come after every MCU row.
                dec->markers_seen |= SEEN_DRI;
                if (!skip(dec, 5))
                    return refused(dec, JPEG_CUT_SHORT, code, marker_at);
                break;
            case 0xE0:
                dec->markers_seen |= SEEN_APP0;
                result = parse_app0(dec);
                break;
            case 0xFE:
                if (!available(dec, dec->cursor, 3))
                    return refused(dec, JPEG_CUT_SHORT, code, marker_at);
                dec->cursor++;
                if (!skip(dec, static_cast<size_t>(read_u16(dec->cursor))))
                    return refused(dec, JPEG_CUT_SHORT, code, marker_at);
                break;
            default:
                dec->refusal.value = code;
                return refused(dec, refused_marker_kind(code), code, marker_at);
            }
            // Parsers name their own reason; running past the end is the one they leave to this.
            if (result != SEGMENT_ACCEPTED)
                return refused(dec, JPEG_CUT_SHORT, code, marker_at);
        }
        // The limit is tested between steps only: the SOS's 0xFF may lie at data + 10000.
        if (dec->cursor - dec->data_start > JPEG_SOS_LIMIT)
            break;
        if (dec->markers_seen & SEEN_SOS)
            break;
    }
    if ((dec->markers_seen & SEEN_REQUIRED) == SEEN_REQUIRED)
        return true;
    // Without SOI it is no JPEG at all, which says more than where it ends.
    bool sos = (dec->markers_seen & SEEN_SOS) != 0;
    if (sos || !(dec->markers_seen & SEEN_SOI)) {
        dec->refusal.value = first_missing(dec->markers_seen);
        return refused(dec, JPEG_MISSING_SEGMENT, sos ? 0xDA : 0, dec->cursor);
    }
    if (dec->cursor - dec->data_start > JPEG_SOS_LIMIT)
        return refused(dec, JPEG_SOS_TOO_LATE, 0, dec->cursor);
    return refused(dec, JPEG_CUT_SHORT, 0, dec->cursor);
}
