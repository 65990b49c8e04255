// The picture phase: colour conversion, grey clamping, MCU layouts and their
// chroma indices, the bitmap's size, palette and depth.
#include "jpeg/decoder_stages.h"
#include "tests/support/rgb_pixel.h"
#include "tests/support/test_streams.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>

namespace
{

Rgb convert(int y, int cb, int cr)
{
    BITMAP *bmp = create_bitmap_ex(24, 1, 1);
    put_ycbcr_pixel(bmp, 0, 0, y, cb, cr);
    Rgb c = pixel_rgb(bmp, 0, 0);
    destroy_bitmap(bmp);
    return c;
}

TEST(ColourConversion, TruncatesThenClamps)
{
    EXPECT_EQ(convert(128, 128, 128), (Rgb{128, 128, 128}));
    EXPECT_EQ(convert(100, 128, 130), (Rgb{102, 98, 100}));   // 102.804, 98.57172
    EXPECT_EQ(convert(255, 128, 255), (Rgb{255, 164, 255}));  // R from 433.054
    EXPECT_EQ(convert(0, 0, 128), (Rgb{0, 44, 0}));           // B from -226.816
    // Truncation toward zero, not rounding: 0.99 and -0.7 both become 0.
    EXPECT_EQ(convert(0, 128, 128), (Rgb{0, 0, 0}));
    EXPECT_EQ(convert(0, 128, 129).r, 1);  // 1.402
    EXPECT_EQ(convert(1, 128, 127).r, 0);  // -0.402
    // Unclamped samples far outside 0..255 still give clamped channels.
    EXPECT_EQ(convert(-2000000000, 128, 128), (Rgb{0, 0, 0}));
    EXPECT_EQ(convert(2000000000, 2000000000, -2000000000), (Rgb{0, 255, 255}));
}

TEST(ColourConversion, OutsideTheBitmapIsDiscarded)
{
    BITMAP *bmp = create_bitmap_ex(24, 2, 2);
    clear_to_color(bmp, makecol24(1, 2, 3));
    put_ycbcr_pixel(bmp, 2, 0, 255, 128, 128);
    put_ycbcr_pixel(bmp, -1, 1, 255, 128, 128);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 2; x++)
            EXPECT_EQ(pixel_rgb(bmp, x, y), (Rgb{1, 2, 3}));
    destroy_bitmap(bmp);
}

// Streams whose every luminance block is flat (DC diff 0 then EOB, two zero
// bits) and whose chroma blocks name DC table 1, which is never defined: each
// chroma block becomes the error pattern, 255 on both diagonals, 0 elsewhere.
Bytes patterned_chroma_stream(int width, int height, int luma_sampling_byte)
{
    Bytes s;
    put_soi(s);
    put_app0(s);
    put_dqt(s, 0x00, 1);
    put_sof(s, width, height, {{1, luma_sampling_byte, 0}, {2, 0x11, 0}, {3, 0x11, 0}});
    put_dht(s, {one_code_table(0x00, 0), one_code_table(0x10, 0)});
    put_sos(s, {{1, 0x00}, {2, 0x10}, {3, 0x10}});
    // Scan data: nothing. Past the end every bit is 0, which is exactly what
    // the luminance blocks need; the chroma blocks fail whatever the bits.
    return s;
}

int pattern(int row, int column)
{
    return (row == column || row + column == 7) ? 255 : 0;
}

Rgb pattern_pixel(int chroma_row, int chroma_column)
{
    int c = pattern(chroma_row, chroma_column);
    return convert(128, c, c);
}

BITMAP *decode_bytes(const Bytes &s)
{
    std::vector<uint8_t> copy(s);
    return decode_jpeg(copy.data(), copy.size(), nullptr);
}

TEST(McuLayout, OneToOneChroma)
{
    BITMAP *bmp = decode_bytes(patterned_chroma_stream(8, 8, 0x11));
    ASSERT_NE(bmp, nullptr);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            EXPECT_EQ(pixel_rgb(bmp, x, y), pattern_pixel(y, x)) << x << "," << y;
    destroy_bitmap(bmp);
}

TEST(McuLayout, TwoBlocksSideBySideShareChromaByHalves)
{
    // Width 17 takes two MCUs per row, at x = 0 and x = 16; a product of 2 is
    // laid out side by side even for factors 1x2.
    for (int sampling : {0x21, 0x12}) {
        BITMAP *bmp = decode_bytes(patterned_chroma_stream(17, 8, sampling));
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(bmp->w, 17);
        EXPECT_EQ(bmp->h, 8);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 17; x++)
                EXPECT_EQ(pixel_rgb(bmp, x, y), pattern_pixel(y, (x % 16) >> 1)) << x << "," << y;
        destroy_bitmap(bmp);
    }
}

TEST(McuLayout, FourBlocksShareChromaByQuarters)
{
    BITMAP *bmp = decode_bytes(patterned_chroma_stream(20, 18, 0x22));
    ASSERT_NE(bmp, nullptr);
    for (int y = 0; y < 18; y++)
        for (int x = 0; x < 20; x++)
            EXPECT_EQ(pixel_rgb(bmp, x, y), pattern_pixel((y % 16) >> 1, (x % 16) >> 1)) << x << "," << y;
    // The chroma sample at row 2, column 5 colours columns 10, 11 of rows 4, 5.
    EXPECT_EQ(pixel_rgb(bmp, 10, 4), pattern_pixel(2, 5));
    EXPECT_EQ(pixel_rgb(bmp, 11, 5), pattern_pixel(2, 5));
    EXPECT_NE(pixel_rgb(bmp, 10, 4), pixel_rgb(bmp, 12, 4));
    destroy_bitmap(bmp);
}

TEST(McuLayout, OtherSamplingProductsDecodeAsGrey)
{
    // Product 3: every block is read as luminance; all flat -> mid grey.
    BITMAP *bmp = decode_bytes(patterned_chroma_stream(8, 8, 0x31));
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(pixel_rgb(bmp, 3, 3), (Rgb{128, 128, 128}));
    destroy_bitmap(bmp);
}

// A grey picture whose blocks carry the given DC values (quantisation 8, so a
// DC value d gives the sample d + 128 everywhere in its block).
Bytes grey_dc_stream(int width, int height, const std::vector<int> &dc_values, bool restarts = false)
{
    // DC table: symbol s has the 4-bit code s. AC table: "0" is EOB.
    HuffmanSpec dc = {0x00, {0, 0, 0, 12}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    Bytes s = grey_headers(width, height, 8, {dc, one_code_table(0x10, 0)});
    if (restarts) {
        Bytes dri;
        put_dri(dri, 1);
        s.insert(s.begin() + 2, dri.begin(), dri.end());
    }
    BitWriter w;
    int pred = 0;
    int blocks_per_row = (width + 7) / 8, done = 0;
    for (int dc_value : dc_values) {
        int diff = dc_value - pred;
        pred = dc_value;
        int size = 0;
        while ((diff < 0 ? -diff : diff) >> size)
            size++;
        w.put(static_cast<uint32_t>(size), 4);
        if (size)
            w.put(static_cast<uint32_t>(diff < 0 ? diff + (1 << size) - 1 : diff), size);
        w.put(0, 1);  // EOB
        if (restarts && ++done % blocks_per_row == 0 && done < static_cast<int>(dc_values.size())) {
            w.flush();
            w.bytes.push_back(0xFF);
            w.bytes.push_back(static_cast<uint8_t>(0xD0 + (done / blocks_per_row - 1) % 8));
            pred = 0;
        }
    }
    w.flush();
    s.insert(s.end(), w.bytes.begin(), w.bytes.end());
    s.push_back(0xFF);
    s.push_back(0xD9);
    return s;
}

TEST(GreyPicture, McusPastTheEdgesAreClippedAndSamplesClamped)
{
    // 20x12: 3 by 2 MCUs. Samples 300 and -5 become 255 and 0.
    std::vector<int> dc = {172, -133, 10, -20, 30, -40};
    BITMAP *bmp = decode_bytes(grey_dc_stream(20, 12, dc));
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->w, 20);
    EXPECT_EQ(bmp->h, 12);
    EXPECT_EQ(bitmap_color_depth(bmp), 24);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 20; x++) {
            int v = dc[(y / 8) * 3 + x / 8] + 128;
            v = v > 255 ? 255 : v < 0 ? 0 : v;
            EXPECT_EQ(pixel_rgb(bmp, x, y), (Rgb{v, v, v})) << x << "," << y;
        }
    destroy_bitmap(bmp);
}

TEST(GreyPicture, RestartStepResetsPredictorsEveryRow)
{
    std::vector<int> dc = {10, 20, -30, 40, 50, 60, -70, 80, 90};
    BITMAP *plain = decode_bytes(grey_dc_stream(24, 24, dc));
    BITMAP *restarted = decode_bytes(grey_dc_stream(24, 24, dc, true));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(restarted, nullptr);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            int v = dc[(y / 8) * 3 + x / 8] + 128;
            ASSERT_EQ(pixel_rgb(plain, x, y), (Rgb{v, v, v})) << x << "," << y;
            ASSERT_EQ(pixel_rgb(restarted, x, y), (Rgb{v, v, v})) << x << "," << y;
        }
    destroy_bitmap(plain);
    destroy_bitmap(restarted);
}

TEST(GreyPicture, UndecodableBlocksShowAWhiteX)
{
    // The scan names DC table 1, which no DHT defined.
    Bytes s;
    put_soi(s);
    put_app0(s);
    put_dqt(s, 0, 1);
    put_sof(s, 16, 8, {{1, 0x11, 0}});
    put_dht(s, {one_code_table(0x00, 0), one_code_table(0x10, 0)});
    put_sos(s, {{1, 0x10}});
    BITMAP *bmp = decode_bytes(s);
    ASSERT_NE(bmp, nullptr);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 16; x++) {
            int v = pattern(y, x % 8);
            EXPECT_EQ(pixel_rgb(bmp, x, y), (Rgb{v, v, v})) << x << "," << y;
        }
    destroy_bitmap(bmp);
}

TEST(DecodeJpeg, PaletteReceivesThe332Palette)
{
    PALETTE expected, got;
    generate_332_palette(expected);
    memset(got, 0, sizeof got);
    Bytes s = grey_dc_stream(8, 8, {0});
    BITMAP *bmp = decode_jpeg(s.data(), s.size(), got);
    ASSERT_NE(bmp, nullptr);
    for (int i = 0; i < PAL_SIZE; i++) {
        EXPECT_EQ(got[i].r, expected[i].r) << i;
        EXPECT_EQ(got[i].g, expected[i].g) << i;
        EXPECT_EQ(got[i].b, expected[i].b) << i;
    }
    destroy_bitmap(bmp);
}

TEST(DecodeJpeg, ConvertsToTheDepthTheLibraryAsksFor)
{
    Bytes s = grey_dc_stream(8, 8, {-28});
    set_color_depth(32);
    BITMAP *bmp = decode_jpeg(s.data(), s.size(), nullptr);
    set_color_depth(24);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bitmap_color_depth(bmp), 32);
    int p = getpixel(bmp, 4, 4);
    EXPECT_EQ(getr32(p), 100);
    destroy_bitmap(bmp);
}

TEST(DecodeJpeg, RefusesZeroAndTooLargeFrames)
{
    Bytes big = grey_headers(65535, 65535, 1, {one_code_table(0x00, 0), one_code_table(0x10, 0)});
    EXPECT_EQ(decode_bytes(big), nullptr);
    Bytes no_width = grey_headers(0, 8, 1, {one_code_table(0x00, 0), one_code_table(0x10, 0)});
    EXPECT_EQ(decode_bytes(no_width), nullptr);
    Bytes no_height = grey_headers(8, 0, 1, {one_code_table(0x00, 0), one_code_table(0x10, 0)});
    EXPECT_EQ(decode_bytes(no_height), nullptr);
}

}  // namespace
