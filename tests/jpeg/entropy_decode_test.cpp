// The bit reader, Huffman symbols, magnitude bits and block decoding.
#include "jpeg/decoder_stages.h"
#include "tests/support/test_streams.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

// A decoder reading `scan` as entropy-coded data from an exactly sized heap copy.
struct Reader {
    std::unique_ptr<JpegDecoder> dec{new JpegDecoder()};
    std::vector<uint8_t> data;
    explicit Reader(const Bytes &scan) : data(scan)
    {
        dec->data_start = data.data();
        dec->data_end = data.data() + data.size();
        dec->cursor = data.data();
        start_bits(dec.get());
    }
    uint32_t bits(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; i++)
            v = (v << 1) | static_cast<uint32_t>(next_bit(dec.get()));
        return v;
    }
    size_t offset() const
    {
        return static_cast<size_t>(dec->cursor - data.data());
    }
};

void fill_table(HuffmanTable *t, std::initializer_list<HuffmanCode> codes)
{
    *t = HuffmanTable();
    int i = 0;
    for (const HuffmanCode &c : codes)
        t->entries[i++] = c;
}

TEST(BitReader, MostSignificantBitFirst)
{
    Reader r({0xA5, 0x3C});
    EXPECT_EQ(r.bits(4), 0xAu);
    EXPECT_EQ(r.bits(8), 0x53u);
    EXPECT_EQ(r.bits(4), 0xCu);
}

TEST(BitReader, StuffedZeroIsSkippedAlsoAsFirstByte)
{
    Reader first({0xFF, 0x00, 0x81});
    EXPECT_EQ(first.bits(8), 0xFFu);
    EXPECT_EQ(first.bits(8), 0x81u);

    Reader later({0x12, 0xFF, 0x00, 0xFF, 0x00, 0x34});
    EXPECT_EQ(later.bits(8), 0x12u);
    EXPECT_EQ(later.bits(16), 0xFFFFu);
    EXPECT_EQ(later.bits(8), 0x34u);
}

TEST(BitReader, PastTheEndGivesZeroBitsAndStopsAtTheEnd)
{
    Reader r({0xFF});
    EXPECT_EQ(r.bits(8), 0xFFu);
    EXPECT_EQ(r.bits(32), 0u);
    EXPECT_EQ(r.offset(), 1u);

    Reader empty(Bytes{});
    EXPECT_EQ(empty.bits(20), 0u);
    EXPECT_EQ(empty.offset(), 0u);
}

TEST(ReceiveExtend, SignedMagnitudes)
{
    Reader one({0x40});  // bits 0, 1
    EXPECT_EQ(receive_extend(one.dec.get(), 1), -1);
    EXPECT_EQ(receive_extend(one.dec.get(), 1), 1);

    Reader three({0x50});  // bits 010 100
    EXPECT_EQ(receive_extend(three.dec.get(), 3), -5);
    EXPECT_EQ(receive_extend(three.dec.get(), 3), 4);

    Reader zero({0x80});
    EXPECT_EQ(receive_extend(zero.dec.get(), 0), 0);
    EXPECT_EQ(zero.bits(1), 1u);  // nothing was read

    Reader wide({0x00, 0x01, 0xFF, 0x00, 0xFE});  // 15 zero bits, a one, 15 one bits
    EXPECT_EQ(receive_extend(wide.dec.get(), 15), -32767);
    wide.bits(1);
    EXPECT_EQ(receive_extend(wide.dec.get(), 15), 32767);
}

TEST(DecodeSymbol, CanonicalCodesAndNoMatch)
{
    HuffmanTable t;
    fill_table(&t, {{0b00, 10, 2}, {0b01, 11, 2}, {0b100, 12, 3}});
    Reader r({0b00011000, 0xFF, 0x00, 0xFF, 0x00, 0xFE});
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), 10);
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), 11);
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), 12);
    // The code 111... matches nothing: -1 after 16 bits consumed.
    r.bits(1);
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), SYMBOL_NO_MATCH);
    EXPECT_EQ(r.bits(7), 0x7Fu);

    HuffmanTable empty = HuffmanTable();
    Reader e({0x00, 0x00, 0x80});
    EXPECT_EQ(decode_symbol(e.dec.get(), &empty), SYMBOL_NO_MATCH);
    EXPECT_EQ(e.bits(1), 1u);
}

TEST(DecodeSymbol, RestartTestReadsNothing)
{
    HuffmanTable t;
    fill_table(&t, {{0, 7, 1}});
    // bits_left 0 and 0xFF 0xD3 at the cursor.
    Reader r({0xFF, 0xD3, 0x00});
    r.dec->cursor = r.data.data();
    r.dec->bits_left = 0;
    r.dec->current_byte = 0x5A;
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), SYMBOL_RESTART);
    EXPECT_EQ(r.offset(), 0u);
    EXPECT_EQ(r.dec->bits_left, 0);

    // Unread padding of ones still counts as before the marker; a zero bit does not.
    r.dec->bits_left = 3;
    r.dec->current_byte = 0x07;
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), SYMBOL_RESTART);
    r.dec->current_byte = 0x03;
    EXPECT_EQ(decode_symbol(r.dec.get(), &t), 7);

    // A data byte at the cursor hides the marker after it.
    Reader d({0x00, 0xFF, 0xD0});
    EXPECT_EQ(decode_symbol(d.dec.get(), &t), 7);

    // A marker cut off by the end of the stream is no marker.
    Reader cut({0xFF});
    cut.dec->bits_left = 0;
    EXPECT_NE(decode_symbol(cut.dec.get(), &t), SYMBOL_RESTART);
}

// Tables for block tests: DC symbols 0..11 and AC symbols by fixed 8-bit codes
// (code = symbol), so the test data spells out the block directly.
struct BlockStream {
    std::unique_ptr<JpegDecoder> dec{new JpegDecoder()};
    std::vector<uint8_t> data;
    explicit BlockStream(const Bytes &scan) : data(scan)
    {
        HuffmanTable *dc = &dec->huffman[0];
        HuffmanTable *ac = &dec->huffman[2];
        for (int s = 0; s < 12; s++)
            dc->entries[s] = HuffmanCode{s, s, 4};
        for (int s = 0; s < 256; s++)
            ac->entries[s] = HuffmanCode{s, s, 8};
        for (int i = 0; i < 64; i++)
            dec->quant[0].values[i] = 1;
        dec->data_start = data.data();
        dec->data_end = data.data() + data.size();
        dec->cursor = data.data();
        start_bits(dec.get());
    }
};

void expect_error_pattern(const int32_t block[64])
{
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 8; c++)
            EXPECT_EQ(block[r * 8 + c], (r == c || r + c == 7) ? 255 : 0) << r << "," << c;
}

// Coefficients of a block as they come from decode_block, before the transform:
// rebuilt here by transforming a zigzag-ordered copy the same way.
void expect_samples_of(const int32_t block[64], const int32_t zigzag_coefficients[64])
{
    int32_t expected[64];
    memcpy(expected, zigzag_coefficients, sizeof expected);
    dezigzag(expected);
    QuantTable q;
    for (int i = 0; i < 64; i++)
        q.values[i] = 1;
    inverse_dct(expected, &q);
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(block[i], expected[i]) << i;
}

TEST(DecodeBlock, DcPredictionAndEob)
{
    BitWriter w;
    w.put(3, 4);
    w.put(0b101, 3);  // DC diff +5
    w.put(0x00, 8);   // EOB
    w.put(2, 4);
    w.put(0b00, 2);  // DC diff -3
    w.put(0x00, 8);
    w.flush();
    BlockStream s(w.bytes);
    int32_t block[64], pred = 100;
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(pred, 105);
    int32_t coef[64] = {105};
    expect_samples_of(block, coef);
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(pred, 102);
}

TEST(DecodeBlock, CoefficientSixtyThreeEndsWithoutEob)
{
    BitWriter w;
    w.put(0, 4);  // DC diff 0
    w.put(0xF0, 8);
    w.put(0xF0, 8);
    w.put(0xF0, 8);  // 48 zeros: k = 49
    w.put(0xD2, 8);
    w.put(0b11, 2);  // 13 zeros, then 3 at k = 62
    w.put(0x01, 8);
    w.put(0b0, 1);  // -1 at k = 63: block complete
    w.put(1, 4);
    w.put(0b1, 1);  // next block's DC: +1
    w.put(0x00, 8);
    w.flush();
    BlockStream s(w.bytes);
    int32_t block[64], pred = 0;
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    int32_t coef[64] = {};
    coef[62] = 3;
    coef[63] = -1;
    expect_samples_of(block, coef);
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(pred, 1);
}

TEST(DecodeBlock, ZrlAndRunsStopAtTheBlockEnd)
{
    BitWriter w;
    w.put(0, 4);
    w.put(0xF0, 8);
    w.put(0xF0, 8);
    w.put(0xF0, 8);  // k = 49
    w.put(0x01, 8);
    w.put(1, 1);     // +1 at k = 49, k = 50
    w.put(0xF0, 8);  // ZRL at 50 clears 50..63 and ends
    w.put(0, 4);     // next DC follows at once
    w.put(0xF0, 8);
    w.put(0xF0, 8);
    w.put(0xF0, 8);  // k = 49
    w.put(0xE1, 8);
    w.put(1, 1);  // run 14 reaches k = 63: +1 stored there
    w.put(0, 4);
    w.put(0xF0, 8);
    w.put(0xF0, 8);
    w.put(0xF0, 8);  // k = 49
    w.put(0xF1, 8);
    w.put(1, 1);  // run 15 reaches 64: value dropped
    w.put(0, 4);
    w.put(0x00, 8);
    w.flush();
    BlockStream s(w.bytes);
    int32_t block[64], pred = 0;

    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    int32_t first[64] = {};
    first[49] = 1;
    expect_samples_of(block, first);

    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    int32_t second[64] = {};
    second[63] = 1;
    expect_samples_of(block, second);

    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    int32_t third[64] = {};
    expect_samples_of(block, third);

    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(pred, 0);
}

TEST(DecodeBlock, UndefinedTableGivesErrorPatternAndKeepsPredictor)
{
    BitWriter w;
    w.put(0, 16);
    w.flush();
    BlockStream s(w.bytes);
    int32_t block[64], pred = 42;
    for (int i = 0; i < 64; i++)
        block[i] = -7;
    EXPECT_EQ(decode_block(s.dec.get(), block, 1, 1, 0, &pred), 1);
    EXPECT_EQ(pred, 42);
    expect_error_pattern(block);
}

TEST(DecodeBlock, UnmatchedAcSymbolGivesErrorPattern)
{
    BlockStream s({0x00, 0xFF, 0x00, 0xFF, 0x00});
    HuffmanTable *ac = &s.dec->huffman[2];
    *ac = HuffmanTable();
    ac->entries[0] = HuffmanCode{0, 0, 1};  // only "0" = EOB
    int32_t block[64], pred = 0;
    // First block: DC diff 0, AC "0" = EOB. Second: DC "0001" +1, then only ones: no AC code.
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 1);
    expect_error_pattern(block);
}

TEST(DecodeBlock, RestartAheadReadsAsSymbolZero)
{
    // Padding ones then RST0: the DC symbol reads as 0 and the AC loop ends as at EOB.
    BlockStream s({0xFF, 0x00, 0xFF, 0xD0});
    s.dec->bits_left = 0;
    s.dec->cursor = s.data.data() + 2;
    int32_t block[64], pred = 9;
    ASSERT_EQ(decode_block(s.dec.get(), block, 0, 0, 0, &pred), 0);
    EXPECT_EQ(pred, 9);
    int32_t coef[64] = {9};
    expect_samples_of(block, coef);
    EXPECT_EQ(s.dec->cursor, s.data.data() + 2);
}

}  // namespace
