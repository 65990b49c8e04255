// decode_jpeg (the fast picture phase) against decode_jpeg_reference: on every
// input, valid or not, both refuse or both give bitmaps of the same size whose
// every byte is the same. Real encodings from libjpeg-turbo with restarts at
// every interval, every truncation, random damage, hand-built streams with odd
// tables, and other channel orders and load depths.
#include "jpeg/decoder_stages.h"
#include "tests/support/compare_decoders.h"
#include "tests/support/hand_pictures.h"
#include "tests/support/libjpeg_codec.h"
#include "tests/support/stream_edits.h"
#include "tests/support/test_pictures.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <string>

namespace
{

// Both decoders over an exactly sized heap copy, so the sanitizer build sees
// any read past the end. Counts the streams that decode into `*decoded`.
::testing::AssertionResult decode_the_same(const Bytes &jpeg, int *decoded = nullptr)
{
    Bytes copy(jpeg);
    DecoderComparison c = compare_decoders(copy.data(), copy.size());
    if (decoded && c.decoded)
        ++*decoded;
    if (c.same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << c.difference << " (" << jpeg.size() << " bytes)";
}

// Frames this large are valid but only slow the random cases down.
bool small_frame(const Bytes &jpeg)
{
    static JpegDecoder header;
    if (!read_jpeg_headers(&header, jpeg.data(), jpeg.size()))
        return true;
    return static_cast<int64_t>(header.width) * header.height <= (1 << 18);
}

// Restart layouts: none, every MCU row, and intervals that are not a whole
// row, whose markers the decoder reads as scan data.
enum Restarts { NO_RESTARTS, ROW_RESTARTS, EVERY_MCU, EVERY_3_MCUS, EVERY_2_MCUS };

Bytes encode(const PictureLayout &s, int w, int h, int quality, bool optimize, Restarts restarts, uint32_t seed = 5)
{
    EncodeOptions o = encode_options(s, quality);
    o.optimize = optimize;
    o.restart_rows = restarts == ROW_RESTARTS;
    o.restart_mcus = restarts == EVERY_MCU ? 1 : restarts == EVERY_3_MCUS ? 3 : restarts == EVERY_2_MCUS ? 2 : 0;
    return libjpeg_encode(make_picture(w, h, s.components, seed + static_cast<uint32_t>(w * 7 + quality)), w, h, o);
}

std::string describe(const PictureLayout &s, int w, int h, int quality, bool optimize, Restarts restarts)
{
    static const char *restart_names[] = {"", " row restarts", " restart every MCU", " restart every 3 MCUs",
                                          " restart every 2 MCUs"};
    char text[128];
    snprintf(text, sizeof text, "%s %dx%d q%d%s%s", s.name, w, h, quality, optimize ? " optimised" : "",
             restart_names[restarts]);
    return text;
}

int restart_markers(const Bytes &jpeg)
{
    int n = 0;
    for (size_t i = scan_start(jpeg); i + 1 < jpeg.size(); i++)
        n += jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7;
    return n;
}

// --- libjpeg-turbo pictures ---

TEST(FastEquivalence, LibjpegPicturesOfEveryLayoutSizeAndQuality)
{
    struct SizeCase {
        int w, h;
        bool every_combination;  // else a few combinations, the picture being large
    };
    const SizeCase sizes[] = {{1, 1, true},   {7, 5, true},      {17, 9, true},
                              {33, 17, true}, {227, 149, false}, {800, 600, false}};
    const int qualities[] = {3, 25, 50, 75, 95, 100};
    for (const PictureLayout &s : picture_layouts) {
        for (const SizeCase &size : sizes) {
            int combination = 0;
            for (int q : qualities)
                for (int optimize = 0; optimize < 2; optimize++)
                    for (int r = NO_RESTARTS; r <= EVERY_3_MCUS; r++, combination++) {
                        // The large sizes take every 11th (227x149) or 23rd combination.
                        int step = size.every_combination ? 1 : size.w < 500 ? 11 : 23;
                        if (combination % step != 0)
                            continue;
                        Restarts restarts = static_cast<Restarts>(r);
                        Bytes jpeg = encode(s, size.w, size.h, q, optimize != 0, restarts);
                        ASSERT_FALSE(jpeg.empty());
                        int decoded = 0;
                        ASSERT_TRUE(decode_the_same(jpeg, &decoded))
                            << describe(s, size.w, size.h, q, optimize != 0, restarts);
                        ASSERT_EQ(decoded, 1) << describe(s, size.w, size.h, q, optimize != 0, restarts);
                    }
        }
    }
}

TEST(FastEquivalence, RestartIntervalsThatAreNotAWholeRow)
{
    for (const PictureLayout &s : picture_layouts) {
        for (Restarts restarts : {EVERY_MCU, EVERY_2_MCUS, EVERY_3_MCUS}) {
            for (int w : {50, 97}) {
                int h = 41;
                Bytes jpeg = encode(s, w, h, 80, w == 97, restarts);
                SCOPED_TRACE(describe(s, w, h, 80, w == 97, restarts));
                // The markers really fall inside MCU rows.
                int mcu_w = 8 * s.luma_h, mcu_h = 8 * s.luma_v;
                int rows = (h + mcu_h - 1) / mcu_h, per_row = (w + mcu_w - 1) / mcu_w;
                ASSERT_GT(restart_markers(jpeg), rows - 1);
                int interval = restarts == EVERY_MCU ? 1 : restarts == EVERY_2_MCUS ? 2 : 3;
                ASSERT_NE(interval % per_row, 0);
                ASSERT_TRUE(decode_the_same(jpeg));
            }
        }
    }
}

// --- Truncation ---

TEST(FastEquivalence, EveryTruncationOfASmallPicture)
{
    for (const PictureLayout &s : picture_layouts) {
        for (Restarts restarts : {ROW_RESTARTS, EVERY_MCU, NO_RESTARTS}) {
            Bytes jpeg = encode(s, 24, 17, 90, restarts == EVERY_MCU, restarts);
            SCOPED_TRACE(describe(s, 24, 17, 90, restarts == EVERY_MCU, restarts));
            int decoded = 0;
            for (size_t cut = 0; cut <= jpeg.size(); cut++)
                ASSERT_TRUE(decode_the_same(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(cut)), &decoded))
                    << "cut at " << cut;
            // Every cut inside the scan still decodes.
            EXPECT_GE(decoded, static_cast<int>(jpeg.size() - scan_start(jpeg)));
        }
    }
}

TEST(FastEquivalence, SampledTruncationsOfALargerPicture)
{
    struct Case {
        PictureLayout sampling;
        Restarts restarts;
    };
    for (const Case &c : {Case{picture_layouts[3], ROW_RESTARTS}, Case{picture_layouts[0], EVERY_3_MCUS},
                          Case{picture_layouts[2], ROW_RESTARTS}}) {
        Bytes jpeg = encode(c.sampling, 227, 149, 85, false, c.restarts);
        SCOPED_TRACE(describe(c.sampling, 227, 149, 85, false, c.restarts));
        size_t start = scan_start(jpeg);
        std::vector<size_t> cuts;
        for (size_t cut = start - 3; cut <= jpeg.size(); cut += 1499)
            cuts.push_back(cut);
        cuts.push_back(jpeg.size() - 1);
        // Right around restart markers and some stuffed 0xFF bytes.
        std::vector<size_t> ffs = ff_offsets(jpeg, start);
        int markers = 0, stuffed = 0;
        for (size_t at : ffs) {
            bool marker = at + 1 < jpeg.size() && jpeg[at + 1] != 0x00;
            if (marker ? markers++ % 6 != 0 : stuffed++ % 12 != 0)
                continue;
            for (size_t d = 0; d <= 3; d++)
                cuts.push_back(at + d - 1);
        }
        ASSERT_GT(markers, 3);
        ASSERT_GT(stuffed, 3);
        for (size_t cut : cuts) {
            if (cut > jpeg.size())
                continue;
            ASSERT_TRUE(decode_the_same(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(cut))))
                << "cut at " << cut;
        }
    }
}

// --- Random damage ---

// `cases` copies of `jpeg`, each with one to four random edits; a fixed seed
// per picture keeps every run the same.
void check_random_edits(const Bytes &jpeg, uint32_t seed, int cases, const std::string &what)
{
    TestRng rng(seed);
    int decoded = 0, tried = 0;
    for (int n = 0; n < cases; n++) {
        Bytes damaged = jpeg;
        uint32_t edits = 1 + rng.below(4);
        std::string kinds;
        for (uint32_t e = 0; e < edits; e++) {
            // Header flips are one edit in twenty: most of them only get the stream refused.
            ScanEdit kind = rng.chance(5) ? EDIT_HEADER_FLIP : static_cast<ScanEdit>(rng.below(EDIT_HEADER_FLIP));
            kinds += std::to_string(kind) + " ";
            apply_edit(&damaged, kind, rng);
        }
        if (!small_frame(damaged))
            continue;
        tried++;
        ASSERT_TRUE(decode_the_same(damaged, &decoded)) << what << ", case " << n << ", edits " << kinds;
    }
    // Nearly all damage is in the scan, which never makes the stream refused.
    EXPECT_GT(decoded, tried * 3 / 4) << what;
}

TEST(FastEquivalence, RandomDamageOfLibjpegPictures)
{
    struct Case {
        PictureLayout sampling;
        int w, h, quality;
        bool optimize;
        Restarts restarts;
    };
    const Case cases[] = {
        {picture_layouts[0], 33, 17, 75, false, ROW_RESTARTS}, {picture_layouts[3], 40, 40, 60, true, NO_RESTARTS},
        {picture_layouts[2], 33, 17, 90, false, EVERY_3_MCUS}, {picture_layouts[1], 24, 16, 100, false, EVERY_MCU},
        {picture_layouts[3], 48, 33, 100, true, ROW_RESTARTS},
    };
    uint32_t seed = 1000;
    for (const Case &c : cases) {
        Bytes jpeg = encode(c.sampling, c.w, c.h, c.quality, c.optimize, c.restarts);
        check_random_edits(jpeg, seed++, 700, describe(c.sampling, c.w, c.h, c.quality, c.optimize, c.restarts));
    }
}

TEST(FastEquivalence, RandomDamageOfHandBuiltPictures)
{
    HandPicture restarted = long_code_picture(3, true);
    restarted.restart_mcus = 3;
    check_random_edits(build_hand_picture(long_code_picture(2, false)), 2000, 300, "long codes");
    check_random_edits(build_hand_picture(restarted), 2001, 300, "long codes, restarts every 3 MCUs");
    check_random_edits(build_hand_picture(stale_table_picture(4)), 2002, 300, "stale table");
}

// --- Hand-built streams ---

// Each picture under several seeds, whole and cut inside its scan.
void check_hand_picture(HandPicture p, const std::string &what, int seeds = 6)
{
    for (int n = 0; n < seeds; n++) {
        p.seed = static_cast<uint32_t>(n * 7 + 1);
        Bytes jpeg = build_hand_picture(p);
        int decoded = 0;
        ASSERT_TRUE(decode_the_same(jpeg, &decoded)) << what << ", seed " << p.seed;
        ASSERT_EQ(decoded, 1) << what << ", seed " << p.seed;
        size_t start = scan_start(jpeg);
        for (size_t cut = start; cut < jpeg.size(); cut += 1 + (jpeg.size() - start) / 23)
            ASSERT_TRUE(decode_the_same(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(cut))))
                << what << ", seed " << p.seed << ", cut at " << cut;
    }
}

TEST(FastEquivalence, SecondTableWithFewerCodesKeepsStaleEntries)
{
    HandPicture p = stale_table_picture(1);
    // The old entries behind the new ones really are reached by some code.
    for (int class_id : {0x10, 0x11}) {
        std::vector<TableEntry> entries;
        for (const auto &segment : p.dht_segments)
            for (const HuffmanSpec &t : segment)
                if (t.class_id == class_id)
                    load_table(&entries, t);
        CodeBook book = make_code_book(entries);
        ASSERT_GT(book.usable.size(), 4u) << class_id;
    }
    check_hand_picture(p, "stale AC tables");
    p.luma_sampling = 0x22;
    p.restart_mcus = 2;
    check_hand_picture(p, "stale AC tables, 4:2:0, restarts");
}

TEST(FastEquivalence, OverfilledLengthsNeverMatch)
{
    HandPicture p = overfilled_table_picture(1);
    check_hand_picture(p, "overfilled lengths");
    p.components = 1;
    check_hand_picture(p, "overfilled lengths, grey");
}

TEST(FastEquivalence, CommonSymbolsWithLongCodes)
{
    for (bool short_eob : {false, true}) {
        HandPicture p = long_code_picture(1, short_eob);
        for (int sampling : {0x11, 0x21, 0x22}) {
            p.luma_sampling = sampling;
            check_hand_picture(p, std::string("long codes, sampling ") + std::to_string(sampling));
        }
        p.components = 1;
        p.width = 64;
        p.height = 40;
        check_hand_picture(p, "long codes, grey");
    }
}

TEST(FastEquivalence, UnmatchedCodesMidPictureGiveErrorBlocks)
{
    HandPicture p = no_match_picture(1);
    check_hand_picture(p, "unmatched codes");
    p.restart_mcus = 6;  // one MCU row
    p.luma_sampling = 0x21;
    p.width = 96;
    check_hand_picture(p, "unmatched codes, 4:2:2, row restarts");
    p.components = 1;
    check_hand_picture(p, "unmatched codes, grey");
}

TEST(FastEquivalence, HugeCoefficientsWrapTheSameWay)
{
    HandPicture p = huge_coefficient_picture(1);
    check_hand_picture(p, "huge coefficients, grey");
    p.components = 3;
    p.luma_sampling = 0x22;
    p.chroma_tables = 0x00;
    check_hand_picture(p, "huge coefficients, 4:2:0");
}

TEST(FastEquivalence, DcPredictorWrapsPastInt32)
{
    // 72x65535 grey: 9 x 8192 blocks, each adding 32767 to the predictor, which
    // passes 2^31 after 65538 blocks and wraps to negative values.
    HandPicture p = huge_coefficient_picture(1);
    p.width = 72;
    p.height = 65535;
    p.quant = 1;
    p.style.eob_percent = 100;
    ASSERT_TRUE(decode_the_same(build_hand_picture(p)));
}

TEST(FastEquivalence, OtherSamplingProductsDecodeAsGrey)
{
    HandPicture p = long_code_picture(1, true);
    p.dht_segments = {table_set(2, 5)};
    for (int sampling : {0x31, 0x13, 0x32, 0x33, 0x41, 0x14, 0x12, 0x00, 0x44}) {
        p.luma_sampling = sampling;
        check_hand_picture(p, std::string("sampling ") + std::to_string(sampling), 3);
    }
}

TEST(FastEquivalence, ScanEndingMidMcuWithoutEoi)
{
    HandPicture p = long_code_picture(5, true);
    p.eoi = false;
    Bytes jpeg = build_hand_picture(p);
    size_t start = scan_start(jpeg);
    // Every cut in the first and last 40 bytes of the scan, and some between.
    for (size_t cut = start; cut <= jpeg.size(); cut++) {
        if (cut > start + 40 && cut + 40 < jpeg.size() && cut % 9 != 0)
            continue;
        ASSERT_TRUE(decode_the_same(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(cut)))) << "cut at " << cut;
    }
}

TEST(FastEquivalence, DataAfterEoi)
{
    Bytes other = encode(picture_layouts[3], 16, 16, 50, false, ROW_RESTARTS);
    Bytes junk = {0xFF, 0xD0, 0x12, 0xFF, 0xFF, 0xD3, 0xFF, 0x00, 0xAB, 0xFF, 0xD9, 0x00, 0xFF};
    for (const PictureLayout &s : picture_layouts) {
        for (bool whole : {true, false}) {
            Bytes jpeg = encode(s, 40, 24, 70, false, ROW_RESTARTS);
            // A scan cut short before its EOI: the reader runs on into what follows.
            if (!whole)
                jpeg.erase(jpeg.begin() + static_cast<long>((scan_start(jpeg) + scan_end(jpeg)) / 2),
                           jpeg.begin() + static_cast<long>(scan_end(jpeg)));
            for (const Bytes &tail : {other, junk}) {
                Bytes joined = jpeg;
                joined.insert(joined.end(), tail.begin(), tail.end());
                ASSERT_TRUE(decode_the_same(joined)) << s.name << (whole ? " whole" : " cut");
            }
        }
    }
}

// Random tables and layouts; half of the scans then become random bytes with
// stray 0xFF, markers and stuffing.
TEST(FastEquivalence, RandomTablesOverRandomScans)
{
    TestRng rng(77);
    int decoded = 0;
    for (int n = 0; n < 400; n++) {
        Bytes jpeg = build_hand_picture(random_table_picture(rng));
        // Replace the coded scan by random bytes half of the time.
        if (rng.chance(50)) {
            size_t start = scan_start(jpeg);
            for (size_t i = start; i + 2 < jpeg.size(); i++) {
                uint32_t r = rng.below(100);
                jpeg[i] = r < 8    ? 0xFF
                          : r < 10 ? static_cast<uint8_t>(0xD0 + rng.below(8))
                                   : static_cast<uint8_t>(rng.next());
            }
        }
        ASSERT_TRUE(decode_the_same(jpeg, &decoded)) << "case " << n;
    }
    EXPECT_GT(decoded, 300);
}

// --- Channel orders and load depths ---

// Sets the 24-bit channel shifts (and the colour depth) for one scope.
struct ShiftsScope {
    int r, g, b, depth;
    ShiftsScope(int new_r, int new_g, int new_b)
        : r(_rgb_r_shift_24), g(_rgb_g_shift_24), b(_rgb_b_shift_24), depth(get_color_depth())
    {
        _rgb_r_shift_24 = new_r;
        _rgb_g_shift_24 = new_g;
        _rgb_b_shift_24 = new_b;
    }
    ~ShiftsScope()
    {
        _rgb_r_shift_24 = r;
        _rgb_g_shift_24 = g;
        _rgb_b_shift_24 = b;
        set_color_depth(depth);
    }
};

std::vector<Bytes> channel_order_pictures()
{
    HandPicture hand = long_code_picture(9, true);
    hand.luma_sampling = 0x21;
    return {encode(picture_layouts[3], 33, 17, 90, false, ROW_RESTARTS),
            encode(picture_layouts[1], 17, 9, 100, true, NO_RESTARTS),
            encode(picture_layouts[2], 40, 24, 30, false, EVERY_3_MCUS),
            encode(picture_layouts[0], 17, 9, 75, false, NO_RESTARTS),
            build_hand_picture(hand),
            build_hand_picture(huge_coefficient_picture(2))};
}

TEST(FastEquivalence, OtherChannelOrders)
{
    const int orders[][3] = {{0, 8, 16}, {16, 8, 0}, {8, 0, 16}, {0, 16, 8}, {16, 0, 8}, {8, 16, 0}};
    std::vector<Bytes> pictures = channel_order_pictures();
    for (const auto &order : orders) {
        ShiftsScope scope(order[0], order[1], order[2]);
        for (size_t i = 0; i < pictures.size(); i++) {
            ASSERT_TRUE(decode_the_same(pictures[i]))
                << "shifts " << order[0] << "," << order[1] << "," << order[2] << ", picture " << i;
            // The order really reaches the bitmap: red 255 lands in the byte the shift names.
            BITMAP *bmp = create_bitmap_ex(24, 1, 1);
            putpixel(bmp, 0, 0, makecol24(255, 0, 0));
            EXPECT_EQ(bmp->line[0][order[0] / 8], 255);
            destroy_bitmap(bmp);
        }
    }
}

TEST(FastEquivalence, ShiftsThatAreNotWholeDistinctBytes)
{
    // Shifts off byte boundaries, and two channels sharing a byte: a writer
    // that assumed one byte per channel would place the bits differently.
    const int sets[][3] = {{4, 12, 20}, {1, 9, 17}, {16, 16, 0}, {0, 0, 8}, {3, 8, 16}};
    std::vector<Bytes> pictures = channel_order_pictures();
    for (const auto &set : sets) {
        ShiftsScope scope(set[0], set[1], set[2]);
        for (size_t i = 0; i < pictures.size(); i++)
            ASSERT_TRUE(decode_the_same(pictures[i]))
                << "shifts " << set[0] << "," << set[1] << "," << set[2] << ", picture " << i;
    }
}

TEST(FastEquivalence, OtherLoadDepths)
{
    std::vector<Bytes> pictures = channel_order_pictures();
    for (int depth : {32, 16, 15}) {
        ShiftsScope scope(_rgb_r_shift_24, _rgb_g_shift_24, _rgb_b_shift_24);
        set_color_depth(depth);
        for (size_t i = 0; i < pictures.size(); i++) {
            Bytes copy = pictures[i];
            BITMAP *bmp = decode_jpeg_reference(copy.data(), copy.size(), nullptr);
            ASSERT_NE(bmp, nullptr);
            EXPECT_EQ(bitmap_color_depth(bmp), depth);
            destroy_bitmap(bmp);
            ASSERT_TRUE(decode_the_same(pictures[i])) << "depth " << depth << ", picture " << i;
        }
    }
}

}  // namespace
