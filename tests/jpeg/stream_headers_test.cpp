// The header phase: which streams are accepted, what the parsers store, the
// reason each refused stream is given, and that no segment is read past the
// end of the stream.
#include "jpeg/decoder_stages.h"
#include "tests/support/test_streams.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{

HuffmanSpec dc0()
{
    return one_code_table(0x00, 0);
}
HuffmanSpec ac0()
{
    return one_code_table(0x10, 0);
}

// SOI, APP0, DQT, SOF0, DHT, SOS of a 16x16 grey picture.
Bytes minimal_headers()
{
    return grey_headers(16, 16, 1, {dc0(), ac0()});
}

// Runs the header phase over an exactly sized heap copy, so the sanitizer
// catches any read past the end.
struct Headers {
    std::unique_ptr<JpegDecoder> dec{new JpegDecoder};
    std::vector<uint8_t> data;
    bool accepted = false;
    std::string reason;  // the refusal's text, empty when accepted
    size_t offset() const
    {
        return static_cast<size_t>(dec->cursor - data.data());
    }
};

Headers read(const Bytes &stream)
{
    Headers h;
    h.data.assign(stream.begin(), stream.end());
    h.accepted = read_jpeg_headers(h.dec.get(), h.data.data(), h.data.size());
    if (!h.accepted) {
        char text[160];
        describe_jpeg_refusal(&h.dec->refusal, text, sizeof text);
        h.reason = text;
    }
    return h;
}

std::string why(const Bytes &stream)
{
    return read(stream).reason;
}

// A decoder whose cursor stands on the code byte of the segment at `stream`.
struct Segment {
    std::unique_ptr<JpegDecoder> dec{new JpegDecoder()};
    std::vector<uint8_t> data;
    explicit Segment(const Bytes &stream) : data(stream.begin() + 1, stream.end())
    {
        dec->data_start = data.data();
        dec->data_end = data.data() + data.size();
        dec->cursor = data.data();
    }
    size_t offset() const
    {
        return static_cast<size_t>(dec->cursor - data.data());
    }
};

TEST(StreamHeaders, UsualOrderLeavesCursorOnEntropyData)
{
    Bytes s = minimal_headers();
    size_t header_size = s.size();
    s.push_back(0x12);
    Headers h = read(s);
    ASSERT_TRUE(h.accepted);
    EXPECT_EQ(h.offset(), header_size);
    EXPECT_EQ(h.dec->markers_seen, 0x3Fu);
    EXPECT_EQ(h.dec->width, 16);
    EXPECT_EQ(h.dec->height, 16);
    EXPECT_EQ(h.dec->component_count, 1);
    EXPECT_EQ(h.dec->luma_sampling, 1);
}

TEST(StreamHeaders, RequiredMarkersAndOrder)
{
    // Leading bytes without 0xFF are skipped.
    Bytes lead = {0x00, 0x12, 0x34};
    Bytes s = minimal_headers();
    lead.insert(lead.end(), s.begin(), s.end());
    EXPECT_TRUE(read(lead).accepted);

    // Each required segment left out refuses the stream.
    Bytes no_app0, no_dqt, no_soi, no_dht;
    put_soi(no_app0);
    put_dqt(no_app0, 0, 1);
    put_sof(no_app0, 8, 8, {{1, 0x11, 0}});
    put_dht(no_app0, {dc0(), ac0()});
    put_sos(no_app0, {{1, 0}});
    EXPECT_EQ(why(no_app0), "no APP0 (JFIF) segment before the SOS");
    put_soi(no_dqt);
    put_app0(no_dqt);
    put_sof(no_dqt, 8, 8, {{1, 0x11, 0}});
    put_dht(no_dqt, {dc0(), ac0()});
    put_sos(no_dqt, {{1, 0}});
    EXPECT_EQ(why(no_dqt), "no DQT segment before the SOS");
    put_app0(no_soi);
    put_dqt(no_soi, 0, 1);
    put_sof(no_soi, 8, 8, {{1, 0x11, 0}});
    put_dht(no_soi, {dc0(), ac0()});
    put_sos(no_soi, {{1, 0}});
    EXPECT_EQ(why(no_soi), "no SOI marker before the SOS");
    put_soi(no_dht);
    put_app0(no_dht);
    put_dqt(no_dht, 0, 1);
    put_sof(no_dht, 8, 8, {{1, 0x11, 0}});
    put_sos(no_dht, {{1, 0}});
    EXPECT_EQ(why(no_dht), "no DHT segment before the SOS");

    // SOS before the others ends the scan early: refused.
    Bytes early;
    put_soi(early);
    put_app0(early);
    put_sos(early, {{1, 0}});
    put_dqt(early, 0, 1);
    put_sof(early, 8, 8, {{1, 0x11, 0}});
    put_dht(early, {dc0(), ac0()});
    EXPECT_EQ(why(early), "no DQT segment before the SOS");

    // Any order with SOS last is fine.
    Bytes shuffled;
    put_dht(shuffled, {dc0(), ac0()});
    put_sof(shuffled, 8, 8, {{1, 0x11, 0}});
    put_dqt(shuffled, 0, 1);
    put_app0(shuffled);
    put_soi(shuffled);
    put_sos(shuffled, {{1, 0}});
    EXPECT_TRUE(read(shuffled).accepted);
}

TEST(StreamHeaders, NothingAfterTheFirstSosIsReadAsHeaders)
{
    // A DHT, a second SOS, an APP1 and an EOI after the first SOS change nothing.
    Bytes s = minimal_headers();
    size_t header_size = s.size();
    put_dht(s, {one_code_table(0x00, 9)});
    put_sos(s, {{1, 0x11}});
    s.insert(s.end(), {0xFF, 0xE1, 0x00, 0x02, 0xFF, 0xD9});
    Headers h = read(s);
    ASSERT_TRUE(h.accepted);
    EXPECT_EQ(h.offset(), header_size);
    EXPECT_EQ(h.dec->huffman[0].entries[0].symbol, 0);
    EXPECT_EQ(h.dec->luma_dc_table, 0);
}

TEST(StreamHeaders, RefusedMarkers)
{
    Bytes base = minimal_headers();
    size_t sos = base.size() - 10;  // the SOS segment of one component is 10 bytes
    ASSERT_EQ(base[sos + 1], 0xDA);
    // APP1 (Exif), EOI, RST, DAC, other frame kinds and fill bytes before the SOS.
    const std::string at = " at byte " + std::to_string(sos);
    const struct {
        Bytes insert;
        std::string reason;
    } cases[] = {
        {{0xFF, 0xE1, 0x00, 0x02}, "APP1 segment (Exif or other metadata)" + at},
        {{0xFF, 0xEE, 0x00, 0x02}, "APP14 segment (Exif or other metadata)" + at},
        {{0xFF, 0xD9}, "unexpected marker EOI" + at},
        {{0xFF, 0xD0}, "unexpected marker RST0" + at},
        {{0xFF, 0x00}, "unexpected marker 0xFF00" + at},
        {{0xFF, 0xFF, 0xDA}, "unexpected marker 0xFFFF" + at},
        {{0xFF, 0xCC, 0x00, 0x02}, "arithmetic coding (DAC" + at + ")"},
        {{0xFF, 0xC9}, "arithmetic coding (SOF9" + at + ")"},
        {{0xFF, 0xCA}, "progressive JPEG (SOF10" + at + ")"},
        {{0xFF, 0xC3}, "lossless JPEG (SOF3" + at + ")"},
        {{0xFF, 0xC5}, "hierarchical JPEG (SOF5" + at + ")"},
    };
    for (const auto &c : cases) {
        Bytes s = base;
        s.insert(s.begin() + static_cast<long>(sos), c.insert.begin(), c.insert.end());
        EXPECT_EQ(why(s), c.reason);
    }
    Bytes sof2;
    put_soi(sof2);
    put_app0(sof2);
    put_dqt(sof2, 0, 1);
    put_sof(sof2, 8, 8, {{1, 0x11, 0}}, 0xC2);
    put_dht(sof2, {dc0(), ac0()});
    put_sos(sof2, {{1, 0}});
    EXPECT_EQ(why(sof2), "progressive JPEG (SOF2 at byte 89)");
}

TEST(StreamHeaders, App0Variants)
{
    auto with_app0 = [](int major, const char *id) {
        Bytes s;
        put_soi(s);
        put_app0(s, major, id);
        put_dqt(s, 0, 1);
        put_sof(s, 8, 8, {{1, 0x11, 0}});
        put_dht(s, {dc0(), ac0()});
        put_sos(s, {{1, 0}});
        return why(s);
    };
    EXPECT_EQ(with_app0(1, "JFIF"), "");
    EXPECT_EQ(with_app0(2, "JFIF"), "JFIF version 2 (1 taken)");
    EXPECT_EQ(with_app0(1, "JFXX"), "the APP0 segment at byte 2 is not JFIF");

    Bytes short_app0 = {0xFF, 0xE0, 0x00, 0x0F, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 0};
    Segment seg(short_app0);
    EXPECT_EQ(parse_app0(seg.dec.get()), REFUSED_TABLE_OR_ID);

    // A thumbnail is stepped over: 2x1 pixels, 6 bytes.
    Bytes thumb;
    put_app0(thumb, 1, "JFIF", 2, 1);
    thumb.push_back(0xAB);
    Segment t(thumb);
    EXPECT_EQ(parse_app0(t.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(t.offset(), thumb.size() - 2);
}

TEST(StreamHeaders, ComAndDriSegments)
{
    Bytes s;
    put_soi(s);
    put_app0(s);
    put_com(s, "made by hand \xFF\xD9 not a marker");
    put_dri(s, 1234);
    put_dqt(s, 0, 1);
    put_sof(s, 8, 8, {{1, 0x11, 0}});
    put_dht(s, {dc0(), ac0()});
    put_sos(s, {{1, 0}});
    Headers h = read(s);
    ASSERT_TRUE(h.accepted);
    EXPECT_EQ(h.dec->markers_seen, 0x7Fu);
    EXPECT_EQ(h.offset(), s.size());
}

TEST(StreamHeaders, SosLimitOf10000Bytes)
{
    // Filler without 0xFF puts the SOS marker's 0xFF exactly at `at`.
    auto sos_at = [](size_t at) {
        Bytes s;
        put_soi(s);
        put_app0(s);
        put_dqt(s, 0, 1);
        put_sof(s, 8, 8, {{1, 0x11, 0}});
        put_dht(s, {dc0(), ac0()});
        s.resize(at, 0x00);
        put_sos(s, {{1, 0}});
        return why(s);
    };
    EXPECT_EQ(sos_at(10000), "");
    EXPECT_EQ(sos_at(10001), "SOS after byte 10000");
}

TEST(StreamHeaders, SofFields)
{
    Bytes s;
    put_sof(s, 640, 480, {{1, 0x22, 1}, {2, 0x11, 0}, {3, 0x11, 1}}, 0xC1);
    Segment seg(s);
    ASSERT_EQ(parse_sof(seg.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(seg.dec->width, 640);
    EXPECT_EQ(seg.dec->height, 480);
    EXPECT_EQ(seg.dec->luma_sampling, 4);
    EXPECT_EQ(seg.dec->luma_quant, 1);
    EXPECT_EQ(seg.dec->chroma_quant, 1);  // the later chroma component wins
    EXPECT_EQ(seg.offset(), s.size() - 1);

    Bytes twelve;
    put_sof(twelve, 8, 8, {{1, 0x11, 0}}, 0xC0, 12);
    EXPECT_EQ(parse_sof(Segment(twelve).dec.get()), REFUSED_UNSUPPORTED);

    // Identifier 0 stops the component list: nothing from it on is stored and
    // the cursor stays on it.
    Bytes zero;
    put_sof(zero, 8, 8, {{0, 0x21, 1}, {1, 0x22, 1}, {2, 0x11, 1}});
    Segment z(zero);
    ASSERT_EQ(parse_sof(z.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(z.dec->luma_sampling, 0);
    EXPECT_EQ(z.dec->chroma_quant, 0);
    EXPECT_EQ(z.offset(), 9u);
}

TEST(StreamHeaders, SofRefusesZeroSizeAndMissingQuantTables)
{
    Bytes w0, h0, q2, cq2;
    put_sof(w0, 0, 8, {{1, 0x11, 0}});
    put_sof(h0, 8, 0, {{1, 0x11, 0}});
    put_sof(q2, 8, 8, {{1, 0x11, 2}});
    put_sof(cq2, 8, 8, {{1, 0x11, 0}, {2, 0x11, 4}, {3, 0x11, 1}});
    EXPECT_EQ(parse_sof(Segment(w0).dec.get()), REFUSED_OUT_OF_RANGE);
    EXPECT_EQ(parse_sof(Segment(h0).dec.get()), REFUSED_OUT_OF_RANGE);
    EXPECT_EQ(parse_sof(Segment(q2).dec.get()), REFUSED_OUT_OF_RANGE);
    EXPECT_EQ(parse_sof(Segment(cq2).dec.get()), REFUSED_OUT_OF_RANGE);
}

TEST(StreamHeaders, DqtTablesAndRefusals)
{
    Bytes both = {0xFF, 0xDB, 0x00, 132};
    for (int t = 0; t < 2; t++) {
        both.push_back(static_cast<uint8_t>(t));
        for (int i = 0; i < 64; i++)
            both.push_back(static_cast<uint8_t>(t * 100 + i));
    }
    Segment seg(both);
    ASSERT_EQ(parse_dqt(seg.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(seg.offset(), both.size() - 1);
    for (int t = 0; t < 2; t++)
        for (int i = 0; i < 64; i++)
            EXPECT_EQ(seg.dec->quant[t].values[i], t * 100 + zigzag_order[i]);

    Bytes id2, sixteen;
    put_dqt(id2, 0x02, 1);
    put_dqt(sixteen, 0x10, 1);
    EXPECT_EQ(parse_dqt(Segment(id2).dec.get()), REFUSED_TABLE_OR_ID);
    EXPECT_EQ(parse_dqt(Segment(sixteen).dec.get()), REFUSED_TABLE_OR_ID);
}

TEST(StreamHeaders, DhtFillsTablesCanonically)
{
    // Four tables in one segment; class/id bytes 0x02 and 0x13 fold to DC 0 and AC 1.
    HuffmanSpec a = {0x02, {0, 2, 1}, {5, 6, 7}};
    HuffmanSpec b = {0x01, {1}, {9}};
    HuffmanSpec c = {0x12, {0, 1}, {0x11}};
    HuffmanSpec d = {0x13, {0, 0, 3}, {1, 2, 3}};
    Bytes s;
    put_dht(s, {a, b, c, d});
    s.push_back(0xFF);
    s.push_back(0xD9);
    Segment seg(s);
    ASSERT_EQ(parse_dht(seg.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(seg.offset(), s.size() - 3);  // on the 0xFF of the next marker

    const HuffmanCode *dc0t = seg.dec->huffman[0].entries;
    EXPECT_EQ(dc0t[0].code, 0b00);
    EXPECT_EQ(dc0t[0].length, 2);
    EXPECT_EQ(dc0t[0].symbol, 5);
    EXPECT_EQ(dc0t[1].code, 0b01);
    EXPECT_EQ(dc0t[1].length, 2);
    EXPECT_EQ(dc0t[1].symbol, 6);
    EXPECT_EQ(dc0t[2].code, 0b100);
    EXPECT_EQ(dc0t[2].length, 3);
    EXPECT_EQ(dc0t[2].symbol, 7);
    EXPECT_EQ(dc0t[3].length, 0);
    EXPECT_EQ(seg.dec->huffman[1].entries[0].code, 0);
    EXPECT_EQ(seg.dec->huffman[1].entries[0].length, 1);
    EXPECT_EQ(seg.dec->huffman[2].entries[0].symbol, 0x11);
    EXPECT_EQ(seg.dec->huffman[3].entries[2].code, 0b010);
    EXPECT_EQ(seg.dec->huffman[3].entries[2].symbol, 3);
}

TEST(StreamHeaders, DhtRefusesMoreThan256Codes)
{
    HuffmanSpec big = {0x10, {}, {}};
    big.counts[15] = 200;
    big.counts[14] = 57;
    big.symbols.assign(257, 0x01);
    Bytes s;
    put_dht(s, {big});
    EXPECT_EQ(parse_dht(Segment(s).dec.get()), REFUSED_TABLE_OR_ID);

    Bytes whole = grey_headers(8, 8, 1, {dc0(), big});
    EXPECT_EQ(why(whole), "Huffman table of 257 codes (at most 256)");
    EXPECT_EQ(decode_jpeg(whole.data(), whole.size(), nullptr), nullptr);

    // Exactly 256 codes fit.
    big.counts[14] = 56;
    big.symbols.resize(256);
    Bytes fits;
    put_dht(fits, {big});
    EXPECT_EQ(parse_dht(Segment(fits).dec.get()), SEGMENT_ACCEPTED);
}

TEST(StreamHeaders, SosFieldsAndRefusals)
{
    Bytes s;
    put_sos(s, {{1, 0x01}, {2, 0x10}, {3, 0x11}});
    Segment seg(s);
    ASSERT_EQ(parse_sos(seg.dec.get()), SEGMENT_ACCEPTED);
    EXPECT_EQ(seg.dec->component_count, 3);
    EXPECT_EQ(seg.dec->luma_dc_table, 0);
    EXPECT_EQ(seg.dec->luma_ac_table, 1);
    EXPECT_EQ(seg.dec->chroma_dc_table, 1);  // component 3 wins
    EXPECT_EQ(seg.dec->chroma_ac_table, 1);
    EXPECT_EQ(seg.offset(), s.size() - 1);

    Bytes two, id0, dc2, ac5;
    put_sos(two, {{1, 0}, {2, 0}});
    put_sos(id0, {{0, 0}, {1, 0}, {2, 0}});
    put_sos(dc2, {{1, 0x20}});
    put_sos(ac5, {{1, 0}, {2, 0}, {3, 0x05}});
    EXPECT_EQ(parse_sos(Segment(two).dec.get()), REFUSED_UNSUPPORTED);
    EXPECT_EQ(parse_sos(Segment(id0).dec.get()), REFUSED_OUT_OF_RANGE);
    EXPECT_EQ(parse_sos(Segment(dc2).dec.get()), REFUSED_OUT_OF_RANGE);
    EXPECT_EQ(parse_sos(Segment(ac5).dec.get()), REFUSED_OUT_OF_RANGE);
}

// Each parser's refusal, and a frame past Allegro's limit, reaches the callers
// with its reason, through jpeg_picture_size and decode_jpeg_with_reason alike.
TEST(StreamHeaders, RefusalsNameTheirReason)
{
    // DQT at 20, SOF at 89, DHT at 108, SOS at 148 (162 bytes).
    Bytes base;
    put_soi(base);
    put_app0(base);
    put_dqt(base, 0, 1);
    put_sof(base, 8, 8, {{1, 0x11, 0}, {2, 0x11, 0}, {3, 0x11, 0}});
    put_dht(base, {dc0(), ac0()});
    put_sos(base, {{1, 0}, {2, 0}, {3, 0}});
    ASSERT_EQ(base.size(), 162u);
    const struct {
        size_t at;
        Bytes bytes;
        std::string reason;
    } cases[] = {
        {93, {12}, "12-bit samples"},
        {96, {0, 0}, "a frame of 0x8 pixels"},
        {101, {3}, "the frame uses quantisation table 3 (only 0 and 1)"},
        {24, {0x02}, "quantisation table id 2 (only 0 and 1)"},
        {24, {0x10}, "16-bit quantisation table"},
        {152, {2}, "a scan of 2 components (1 or 3 taken)"},
        {153, {0}, "scan component id 0 (1, 2 or 3 taken)"},
        {154, {0x02}, "the scan uses Huffman table 2 (only 0 and 1)"},
        {94, {0xFF, 0xFF, 0xFF, 0xFF}, "a 65535x65535 picture (more than 268435456 pixels)"},
    };
    for (const auto &c : cases) {
        Bytes s = base;
        std::copy(c.bytes.begin(), c.bytes.end(), s.begin() + static_cast<long>(c.at));
        JpegRefusal by_size, by_decode;
        int32_t w, h;
        char text[160];
        EXPECT_FALSE(jpeg_picture_size(s.data(), s.size(), &w, &h, &by_size));
        describe_jpeg_refusal(&by_size, text, sizeof text);
        EXPECT_EQ(text, c.reason);
        EXPECT_EQ(decode_jpeg_with_reason(s.data(), s.size(), nullptr, &by_decode), nullptr);
        describe_jpeg_refusal(&by_decode, text, sizeof text);
        EXPECT_EQ(text, c.reason);
    }
    JpegRefusal accepted;
    BITMAP *bitmap = decode_jpeg_with_reason(base.data(), base.size(), nullptr, &accepted);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(accepted.code, JPEG_ACCEPTED);
    destroy_bitmap(bitmap);
}

TEST(StreamHeaders, OneComponentScanOfColourFrame)
{
    Bytes s;
    put_soi(s);
    put_app0(s);
    put_dqt(s, 0, 1);
    put_sof(s, 16, 16, {{1, 0x22, 0}, {2, 0x11, 0}, {3, 0x11, 0}});
    put_dht(s, {dc0(), ac0()});
    put_sos(s, {{1, 0}});
    Headers h = read(s);
    ASSERT_TRUE(h.accepted);
    EXPECT_EQ(h.dec->component_count, 1);
    EXPECT_EQ(h.dec->luma_sampling, 4);
}

// Every prefix of a valid header is refused, and is read only within itself
// (the heap copy is exactly sized, so the sanitizer build catches overreads).
TEST(StreamHeaders, EveryTruncatedHeaderIsRefusedWithinBounds)
{
    Bytes s;
    put_soi(s);
    put_app0(s, 1, "JFIF", 1, 1);
    put_com(s, "x");
    put_dri(s, 2);
    put_dqt(s, 0, 1);
    put_sof(s, 8, 8, {{1, 0x11, 0}});
    put_dht(s, {dc0(), ac0()});
    put_sos(s, {{1, 0}});
    EXPECT_EQ(why({}), "no SOI marker");
    for (size_t n = 1; n < s.size(); n++) {
        Bytes prefix(s.begin(), s.begin() + static_cast<long>(n));
        Headers h = read(prefix);
        EXPECT_FALSE(h.accepted) << n;
        // Each names where it ends, and the segment it ends in.
        EXPECT_EQ(h.reason.rfind("cut short at byte " + std::to_string(n) + " ", 0), 0u) << h.reason;
        EXPECT_LE(h.dec->cursor, h.data.data() + h.data.size());
    }
    EXPECT_EQ(why(Bytes(s.begin(), s.begin() + 26)), "cut short at byte 26 (in the COM segment at byte 23)");
    EXPECT_EQ(why(Bytes(s.begin(), s.begin() + 28)), "cut short at byte 28 before the SOS");
    EXPECT_TRUE(read(s).accepted);
}

TEST(StreamHeaders, LengthFieldsPointingPastTheEndRefuse)
{
    // COM, thumbnail and DHT whose stated sizes run past the stream.
    Bytes com = {0xFF, 0xD8, 0xFF, 0xFE, 0x40, 0x00, 'x'};
    EXPECT_EQ(why(com), "cut short at byte 7 (in the COM segment at byte 2)");
    Bytes thumb;
    put_soi(thumb);
    put_app0(thumb, 1, "JFIF", 0, 0);
    thumb[thumb.size() - 2] = 200;
    thumb[thumb.size() - 1] = 200;
    Segment t(Bytes(thumb.begin() + 2, thumb.end()));
    EXPECT_EQ(parse_app0(t.dec.get()), REFUSED_PAST_END);
    EXPECT_EQ(why(thumb), "cut short at byte 20 (in the APP0 segment at byte 2)");

    HuffmanSpec many = {0x00, {0, 0, 0, 0, 0, 0, 0, 0, 100}, {}};
    many.symbols.assign(10, 0);
    Bytes dht;
    put_dht(dht, {many});
    EXPECT_EQ(parse_dht(Segment(dht).dec.get()), REFUSED_PAST_END);
    Bytes dri = {0xFF, 0xD8, 0xFF, 0xDD, 0x00, 0x04, 0x00};
    EXPECT_EQ(why(dri), "cut short at byte 7 (in the DRI segment at byte 2)");
}

}  // namespace
