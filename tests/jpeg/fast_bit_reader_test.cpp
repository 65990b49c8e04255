// The fast path's bit reader and Huffman lookup against the one-bit-at-a-time
// reader and the linear code search: the same bits, the same symbols, the same
// cursor, on streams full of 0xFF bytes, markers and early ends.
#include "jpeg/decoder_stages.h"
#include "jpeg/bit_reader.h"
#include "jpeg/huffman_lookup.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// Both readers over one exactly sized heap copy of `scan`.
struct TwoReaders {
    Bytes data;
    std::unique_ptr<JpegDecoder> ref{new JpegDecoder()};
    BitReader fast;
    explicit TwoReaders(const Bytes &scan) : data(scan)
    {
        ref->data_start = data.data();
        ref->data_end = data.data() + data.size();
        ref->cursor = data.data();
        start_bits(ref.get());
        start_bit_reader(&fast, data.data(), data.data() + data.size());
    }
    uint32_t ref_bits(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; i++)
            v = (v << 1) | static_cast<uint32_t>(next_bit(ref.get()));
        return v;
    }
    uint32_t fast_bits(int n)
    {
        ensure_bits(&fast, 32);
        uint32_t v = peek_bits(&fast, n);
        skip_bits(&fast, n);
        return v;
    }
    // The reference's restart step: two bytes on, the current byte used up.
    void restart_both()
    {
        for (int i = 0; i < 2 && ref->cursor < ref->data_end; i++)
            ref->cursor++;
        ref->bits_left = 0;
        restart_bit_reader(&fast);
    }
};

// Random bytes rich in 0xFF, stuffed zeros and restart markers.
Bytes marker_rich_bytes(std::mt19937 *rng, size_t n)
{
    Bytes b;
    while (b.size() < n) {
        switch ((*rng)() % 6) {
        case 0:
            b.push_back(0xFF);
            break;
        case 1:
            b.push_back(0xFF);
            b.push_back(0x00);
            break;
        case 2:
            b.push_back(0xFF);
            b.push_back(static_cast<uint8_t>(0xD0 + (*rng)() % 8));
            break;
        default:
            b.push_back(static_cast<uint8_t>((*rng)()));
            break;
        }
    }
    b.resize(n);
    return b;
}

TEST(FastBitReader, SameBitsAndCursorAsTheOneBitReader)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 400; round++) {
        TwoReaders r(marker_rich_bytes(&rng, 1 + rng() % 40));
        for (int step = 0; step < 60; step++) {
            int n = 1 + static_cast<int>(rng() % 16);
            ASSERT_EQ(r.fast_bits(n), r.ref_bits(n)) << "round " << round << " step " << step;
            ASSERT_EQ(reference_cursor(&r.fast), r.ref->cursor) << "round " << round;
            if (rng() % 10 == 0) {
                r.restart_both();
                ASSERT_EQ(reference_cursor(&r.fast), r.ref->cursor);
            }
        }
    }
}

TEST(FastBitReader, CursorRightAfterTheStartAndAfterARestart)
{
    TwoReaders ff_first({0xFF, 0x00, 0x12});
    EXPECT_EQ(reference_cursor(&ff_first.fast), ff_first.ref->cursor);  // on the stuffed byte
    ff_first.restart_both();
    EXPECT_EQ(reference_cursor(&ff_first.fast), ff_first.data.data() + 3);

    TwoReaders empty(Bytes{});
    EXPECT_EQ(empty.fast_bits(16), 0u);
    EXPECT_EQ(reference_cursor(&empty.fast), empty.data.data());
}

TEST(FastBitReader, ARestartStepLandingOnAMarkerSticks)
{
    // Eight bits read, two bytes on: the cursor stands on FF D3.
    TwoReaders r({0x55, 0x00, 0xFF, 0xD3, 0x80});
    r.fast_bits(8);
    r.restart_both();
    EXPECT_TRUE(r.fast.stuck);
    EXPECT_EQ(reference_cursor(&r.fast), r.data.data() + 2);
    // The next step moves on past the marker's code byte, and reading resumes.
    r.restart_both();
    EXPECT_FALSE(r.fast.stuck);
    EXPECT_EQ(r.fast_bits(8), r.ref_bits(8));
}

TEST(FastBitReader, InnerMarkerPatternIsFound)
{
    Bytes plain = {0x12, 0xFF, 0x00, 0xFF, 0xD0, 0xFF, 0xFF, 0x00};
    EXPECT_FALSE(has_inner_marker_pattern(plain.data(), plain.data() + plain.size()));
    Bytes inner = {0x12, 0xFF, 0xFF, 0xD7};
    EXPECT_TRUE(has_inner_marker_pattern(inner.data(), inner.data() + inner.size()));
    EXPECT_FALSE(has_inner_marker_pattern(inner.data(), inner.data() + 3));  // cut before the code
}

// A table from per-length counts, codes assigned canonically as the DHT parser does,
// over whatever entries `t` already holds (so earlier entries can stay behind).
void assign_codes(HuffmanTable *t, const int counts[16], std::mt19937 *rng)
{
    int32_t code = 0;
    int entry = 0;
    for (int l = 1; l <= 16; l++) {
        for (int i = 0; i < counts[l - 1] && entry < 256; i++)
            t->entries[entry++] = HuffmanCode{code++, static_cast<int32_t>((*rng)() % 256), l};
        code <<= 1;
    }
}

// Decodes 300 random bit strings with both and compares symbol and bits used.
void expect_same_symbols(const HuffmanTable &table, std::mt19937 *rng, const char *what)
{
    std::unique_ptr<HuffmanLookup> lookup(new HuffmanLookup());
    build_huffman_lookup(&table, lookup.get());
    for (int round = 0; round < 300; round++) {
        Bytes scan;
        for (int i = 0; i < 12; i++) {
            uint8_t b = static_cast<uint8_t>((*rng)());
            scan.push_back(b);
            if (b == 0xFF)
                scan.push_back(0x00);
        }
        TwoReaders r(scan);
        for (int s = 0; s < 3; s++) {
            int32_t want = decode_symbol(r.ref.get(), &table);
            ensure_bits(&r.fast, 32);
            int32_t got = lookup_symbol(&r.fast, lookup.get());
            ASSERT_EQ(got, want) << what << " round " << round;
            ASSERT_EQ(r.fast_bits(12), r.ref_bits(12)) << what << ": bits used differ";
        }
    }
}

TEST(HuffmanLookup, SameSymbolsAsTheLinearSearch)
{
    std::mt19937 rng(11);
    // Standard-like tables: many short codes, a tail of long ones.
    const int luma_ac[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 125};
    const int dc[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    // Long codes only, and one code per length down to 16 bits.
    const int long_only[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 6};
    const int ladder[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Overfull: more codes than a length holds, so some can never match.
    const int overfull[16] = {3, 4, 9, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0};
    for (const int *counts : {luma_ac, dc, long_only, ladder, overfull}) {
        HuffmanTable t = {};
        assign_codes(&t, counts, &rng);
        expect_same_symbols(t, &rng, "table");
    }
}

TEST(HuffmanLookup, StaleEntriesAfterASecondTableDecodeAsTheSearchFinds)
{
    std::mt19937 rng(12);
    const int first[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 125};
    const int second[16] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0};
    HuffmanTable t = {};
    assign_codes(&t, first, &rng);
    assign_codes(&t, second, &rng);  // overwrites the first 8 entries only
    expect_same_symbols(t, &rng, "stale");

    // Shuffled lengths and duplicate codes: the first entry of a code wins.
    HuffmanTable odd = {};
    for (int i = 0; i < 60; i++) {
        int32_t l = 1 + static_cast<int32_t>(rng() % 16);
        odd.entries[i] = HuffmanCode{static_cast<int32_t>(rng() % (1u << l)), static_cast<int32_t>(rng() % 256), l};
    }
    expect_same_symbols(odd, &rng, "shuffled");

    // Lengths in order but codes drawn small, so codes repeat and shorter codes
    // shadow longer ones with the same prefix; long codes out of sequence.
    for (int n = 0; n < 20; n++) {
        HuffmanTable clash = {};
        int32_t lengths[120];
        for (int32_t &l : lengths)
            l = 1 + static_cast<int32_t>(rng() % 16);
        std::sort(lengths, lengths + 120);
        for (int i = 0; i < 120; i++) {
            uint32_t span = 1u << (lengths[i] < 4 ? lengths[i] : lengths[i] - 3);
            clash.entries[i] =
                HuffmanCode{static_cast<int32_t>(rng() % span), static_cast<int32_t>(rng() % 256), lengths[i]};
        }
        expect_same_symbols(clash, &rng, "clashing");

        // Only codes past the lookahead, in no order, some repeated.
        HuffmanTable scattered = {};
        for (int i = 0; i < 200; i++) {
            int32_t l = HUFFMAN_LOOKAHEAD + 1 + i * (16 - HUFFMAN_LOOKAHEAD) / 200;
            int32_t code = static_cast<int32_t>(rng() % (1u << l));
            if (i > 0 && rng() % 8 == 0 && scattered.entries[i - 1].length == l)
                code = scattered.entries[i - 1].code;
            scattered.entries[i] = HuffmanCode{code, static_cast<int32_t>(rng() % 256), l};
        }
        expect_same_symbols(scattered, &rng, "scattered");
    }
}

TEST(HuffmanLookup, EmptyTableNeverMatchesAndUsesSixteenBits)
{
    std::mt19937 rng(13);
    HuffmanTable empty = {};
    expect_same_symbols(empty, &rng, "empty");
}

TEST(HuffmanLookup, CodedValuesAreTheExtendedMagnitudes)
{
    HuffmanTable t = {};
    t.entries[0] = HuffmanCode{0, 0x23, 2};  // run 2, size 3, code 00
    t.entries[1] = HuffmanCode{1, 0x0A, 2};  // size 10: too long to resolve with its code
    std::unique_ptr<HuffmanLookup> lookup(new HuffmanLookup());
    build_huffman_lookup(&t, lookup.get());
    const int shift = HUFFMAN_LOOKAHEAD - 5;
    CodedValue low = lookup->coded[0x01u << shift];   // 00 001: -6
    CodedValue high = lookup->coded[0x06u << shift];  // 00 110: 6
    EXPECT_EQ(low.value, -6);
    EXPECT_EQ(high.value, 6);
    EXPECT_EQ(high.run, 2);
    EXPECT_EQ(high.length, 5);
    EXPECT_EQ(lookup->coded[0x08u << shift].length, 0);

    // Size 0: value 0; end of block is a run of 64, sixteen zeros a run of 15.
    HuffmanTable ends = {};
    ends.entries[0] = HuffmanCode{0, 0x00, 1};
    ends.entries[1] = HuffmanCode{2, 0xF0, 2};
    build_huffman_lookup(&ends, lookup.get());
    EXPECT_EQ(lookup->coded[0].run, 64);
    EXPECT_EQ(lookup->coded[0].length, 1);
    CodedValue zeros = lookup->coded[2u << (HUFFMAN_LOOKAHEAD - 2)];
    EXPECT_EQ(zeros.run, 15);
    EXPECT_EQ(zeros.value, 0);
    EXPECT_EQ(zeros.length, 2);
}

}  // namespace
