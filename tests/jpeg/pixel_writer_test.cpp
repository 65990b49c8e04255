// The line writers of the fast picture phase against the putpixel reference:
// every conversion path, grey and the three samplings, samples far outside
// 0..255, flat chroma written as such, MCUs across and beyond the edges, and
// other channel orders.
#include "jpeg/decoder_stages.h"
#include "jpeg/pixel_writer_paths.h"
#include "tests/support/rgb_pixel.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string.h>

namespace
{

const int32_t kMin = std::numeric_limits<int32_t>::min();
const int32_t kMax = std::numeric_limits<int32_t>::max();

// The straightforward picture phase: one putpixel per pixel.
void reference_grey(BITMAP *bmp, int32_t x0, int32_t y0, const int32_t luma[64])
{
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            int v = luma[y * 8 + x];
            v = v >= 255 ? 255 : v < 0 ? 0 : v;
            putpixel(bmp, x0 + x, y0 + y, makecol24(v, v, v));
        }
}

void reference_colour(BITMAP *bmp, int32_t x0, int32_t y0, int sampling, const int32_t *const luma[4],
                      const int32_t cb[64], const int32_t cr[64])
{
    int sub_x = sampling >= 2, sub_y = sampling == 4;
    for (int y = 0; y < 8 << sub_y; y++)
        for (int x = 0; x < 8 << sub_x; x++) {
            int c = (y >> sub_y) * 8 + (x >> sub_x);
            put_ycbcr_pixel(bmp, x0 + x, y0 + y, luma[(y >> 3) * 2 + (x >> 3)][(y & 7) * 8 + (x & 7)], cb[c], cr[c]);
        }
}

enum Range { BYTES, WIDE, EXTREME };

int32_t draw(std::mt19937 &rng, Range range)
{
    if (range == BYTES)
        return std::uniform_int_distribution<int32_t>(0, 255)(rng);
    if (range == WIDE)
        return std::uniform_int_distribution<int32_t>(-3000, 3000)(rng);
    static const int32_t special[] = {kMin, kMin + 1, kMax, kMax - 1, -1, 0, 255, 256, 1 << 30};
    if (rng() % 3 == 0)
        return special[rng() % 9];
    return static_cast<int32_t>(rng());
}

struct Mcu {
    int32_t luma[4][64], cb[64], cr[64];
    const int32_t *blocks[4] = {luma[0], luma[1], luma[2], luma[3]};
};

// flat_chroma: Cb and Cr each one value, as blocks without AC give them.
void fill(Mcu *m, std::mt19937 &rng, Range range, bool flat_chroma = false)
{
    for (int i = 0; i < 64; i++) {
        for (int b = 0; b < 4; b++)
            m->luma[b][i] = draw(rng, range);
        m->cb[i] = flat_chroma && i > 0 ? m->cb[0] : draw(rng, range);
        m->cr[i] = flat_chroma && i > 0 ? m->cr[0] : draw(rng, range);
    }
}

// A `w` x `h` view inside a larger bordered parent, reference and tested side by
// side: whatever lands outside the view shows in the parent's border.
struct Canvas {
    BITMAP *parent[2], *view[2];
    Canvas(int w, int h)
    {
        for (int i = 0; i < 2; i++) {
            parent[i] = create_bitmap_ex(24, w + 8, h + 6);
            clear_to_color(parent[i], makecol24(7, 77, 177));
            view[i] = create_sub_bitmap(parent[i], 3, 2, w, h);
        }
    }
    ~Canvas()
    {
        for (int i = 0; i < 2; i++) {
            destroy_bitmap(view[i]);
            destroy_bitmap(parent[i]);
        }
    }
    ::testing::AssertionResult same() const
    {
        for (int y = 0; y < parent[0]->h; y++)
            for (int x = 0; x < parent[0]->w; x++)
                if (memcmp(parent[0]->line[y] + 3 * x, parent[1]->line[y] + 3 * x, 3) != 0)
                    return ::testing::AssertionFailure()
                           << "parent pixel (" << x << "," << y << "): expected 0x" << std::hex
                           << getpixel(parent[0], x, y) << ", written 0x" << getpixel(parent[1], x, y);
        return ::testing::AssertionSuccess();
    }
};

// Saves the library's 24-bit channel shifts and puts them back.
struct ShiftGuard {
    int r = _rgb_r_shift_24, g = _rgb_g_shift_24, b = _rgb_b_shift_24;
    ~ShiftGuard()
    {
        set(r, g, b);
    }
    static void set(int rs, int gs, int bs)
    {
        _rgb_r_shift_24 = rs;
        _rgb_g_shift_24 = gs;
        _rgb_b_shift_24 = bs;
    }
};

struct Size {
    int w, h;
};
const Size kSizes[] = {{1, 1}, {17, 9}, {23, 31}, {40, 24}};

class PixelWriterPath : public ::testing::TestWithParam<VectorPath>
{
protected:
    void SetUp() override
    {
        if (!vector_path_available(GetParam()))
            GTEST_SKIP() << "this processor cannot run the path";
    }

    // Tilings of random MCUs, shifted by `shift` pixels both ways, from fully
    // outside on the top-left to fully outside on the bottom-right. The MCUs of
    // one tiling never overlap, so every pixel that each one writes is compared.
    // flat_chroma: flat chroma blocks, written as such.
    ::testing::AssertionResult tile(int w, int h, int sampling, Range range, int shift, std::mt19937 &rng,
                                    const int *clip = nullptr, bool flat_chroma = false)
    {
        Canvas c(w, h);
        if (clip)
            for (int i = 0; i < 2; i++)
                set_clip_rect(c.view[i], clip[0], clip[1], clip[2], clip[3]);
        PixelLayout layout;
        if (!pixel_layout_24(&layout))
            return ::testing::AssertionFailure() << "no byte layout";
        const int mw = sampling >= 2 ? 16 : 8, mh = sampling == 4 ? 16 : 8;
        Mcu m;
        for (int y0 = shift - 2 * mh; y0 <= h; y0 += mh)
            for (int x0 = shift - 2 * mw; x0 <= w; x0 += mw) {
                fill(&m, rng, range, flat_chroma);
                if (sampling == 0) {
                    reference_grey(c.view[0], x0, y0, m.luma[0]);
                    write_grey_block_on(GetParam(), c.view[1], x0, y0, m.luma[0]);
                } else {
                    reference_colour(c.view[0], x0, y0, sampling, m.blocks, m.cb, m.cr);
                    write_colour_mcu_on(GetParam(), c.view[1], &layout, x0, y0, sampling, m.blocks, m.cb, m.cr,
                                        flat_chroma);
                }
            }
        return c.same() << " (sampling " << sampling << ", range " << range << ", " << w << "x" << h << ", shift "
                        << shift << (flat_chroma ? ", flat chroma" : "") << ")";
    }
};

TEST_P(PixelWriterPath, GreyAndEverySamplingMatchTheReferenceAcrossEdges)
{
    std::mt19937 rng(20240611);
    for (int sampling : {0, 1, 2, 4})
        for (Range range : {BYTES, WIDE, EXTREME})
            for (Size s : kSizes)
                for (int shift : {0, -5, -11})
                    for (bool flat_chroma : {false, true})
                        EXPECT_TRUE(tile(s.w, s.h, sampling, range, shift, rng, nullptr, flat_chroma));
}

TEST_P(PixelWriterPath, KeepsToTheClipRectangleAsPutpixelDoes)
{
    std::mt19937 rng(7);
    // Inclusive corners: a frame, a one-pixel row and column, an inverted (empty) one.
    const int clips[][4] = {{5, 5, 34, 18}, {0, 3, 39, 3}, {12, 0, 12, 23}, {20, 3, 9, 20}};
    for (const auto &clip : clips)
        for (int sampling : {0, 1, 4})
            for (int shift : {-3, 7})
                EXPECT_TRUE(tile(40, 24, sampling, BYTES, shift, rng, clip))
                    << "clip " << clip[0] << "," << clip[1] << "," << clip[2] << "," << clip[3];
}

TEST_P(PixelWriterPath, McusFarOutsideTouchNothing)
{
    PixelLayout layout;
    ASSERT_TRUE(pixel_layout_24(&layout));
    Mcu m;
    std::mt19937 rng(3);
    fill(&m, rng, BYTES);
    Canvas c(17, 9);
    const int32_t spots[][2] = {{kMin, 0}, {0, kMin}, {kMax - 3, 0}, {0, kMax - 3}, {kMax, kMax},
                                {-16, 0},  {0, -16},  {-16, -16},    {17, 0},       {0, 9}};
    for (const auto &p : spots) {
        write_grey_block_on(GetParam(), c.view[1], p[0], p[1], m.luma[0]);
        for (int sampling : {1, 2, 4})
            write_colour_mcu_on(GetParam(), c.view[1], &layout, p[0], p[1], sampling, m.blocks, m.cb, m.cr);
    }
    EXPECT_TRUE(c.same());
}

TEST_P(PixelWriterPath, FollowsEveryByteOrderOfTheChannels)
{
    ShiftGuard guard;
    const int orders[][3] = {{0, 8, 16}, {0, 16, 8}, {8, 0, 16}, {8, 16, 0}, {16, 0, 8}, {16, 8, 0}};
    std::mt19937 rng(11);
    for (const auto &o : orders) {
        ShiftGuard::set(o[0], o[1], o[2]);
        for (int sampling : {1, 2, 4})
            EXPECT_TRUE(tile(23, 31, sampling, WIDE, -7, rng)) << "shifts " << o[0] << "," << o[1] << "," << o[2];
    }
}

// Converts one flat 8x8 MCU and reads back its bottom-right pixel.
Rgb convert_flat(VectorPath path, int32_t y, int32_t cb, int32_t cr)
{
    Mcu m;
    for (int i = 0; i < 64; i++) {
        m.luma[0][i] = y;
        m.cb[i] = cb;
        m.cr[i] = cr;
    }
    PixelLayout layout;
    EXPECT_TRUE(pixel_layout_24(&layout));
    BITMAP *bmp = create_bitmap_ex(24, 8, 8);
    write_colour_mcu_on(path, bmp, &layout, 0, 0, 1, m.blocks, m.cb, m.cr);
    Rgb c = pixel_rgb(bmp, 7, 7);
    destroy_bitmap(bmp);
    return c;
}

#define EXPECT_RGB(c, R, G, B)                                                                                         \
    do {                                                                                                               \
        Rgb c_ = (c);                                                                                                  \
        EXPECT_EQ(c_.r, R);                                                                                            \
        EXPECT_EQ(c_.g, G);                                                                                            \
        EXPECT_EQ(c_.b, B);                                                                                            \
    } while (0)

TEST_P(PixelWriterPath, ExactConversionsTruncateAndKeepTheOperationOrder)
{
    const VectorPath p = GetParam();
    EXPECT_RGB(convert_flat(p, 100, 128, 130), 102, 98, 100);   // 102.804, 98.57172: not rounded
    EXPECT_RGB(convert_flat(p, 253, 128, 129), 254, 252, 253);  // 254.402, 252.28586
    EXPECT_RGB(convert_flat(p, 100, 0, 0), 0, 235, 0);          // G 235.45984, R -79.456
    EXPECT_RGB(convert_flat(p, 100, 255, 128), 100, 56, 255);   // G 56.29422, B 325.044
    EXPECT_RGB(convert_flat(p, 50, 101, 128), 50, 59, 2);       // G 59.29178, B 2.156
    EXPECT_RGB(convert_flat(p, 1, 128, 127), 0, 1, 1);          // R -0.402, G 1.71414
    // G where only (Y - a) - b gives the reference's double: Y - (a + b) and
    // (Y - b) - a land on the other side of 1.
    EXPECT_EQ(convert_flat(p, -20714, -59692, -52).g, 0);     // 0.99999999999951683
    EXPECT_EQ(convert_flat(p, 23739, -50518, 57774).g, 1);    // 1, not 0.999999999996
    EXPECT_EQ(convert_flat(p, -56514, -47860, -55884).g, 1);  // 1, not 0.999999999996
}

INSTANTIATE_TEST_SUITE_P(Paths, PixelWriterPath,
                         ::testing::Values(VECTOR_PATH_PORTABLE, VECTOR_PATH_SSE2, VECTOR_PATH_SSE4, VECTOR_PATH_AVX2),
                         [](const ::testing::TestParamInfo<VectorPath> &path) {
                             return std::string(vector_path_name(path.param));
                         });

TEST(PixelWriter, PublicEntriesMatchTheReference)
{
    PixelLayout layout;
    ASSERT_TRUE(pixel_layout_24(&layout));
    std::mt19937 rng(5);
    Mcu m;
    Canvas grey(23, 31), colour(23, 31);
    for (int y0 = -3; y0 < 31; y0 += 8)
        for (int x0 = -3; x0 < 23; x0 += 8) {
            fill(&m, rng, WIDE);
            reference_grey(grey.view[0], x0, y0, m.luma[0]);
            write_grey_block(grey.view[1], x0, y0, m.luma[0]);
        }
    for (int y0 = -5; y0 < 31; y0 += 16)
        for (int x0 = -5; x0 < 23; x0 += 16) {
            fill(&m, rng, WIDE);
            reference_colour(colour.view[0], x0, y0, 4, m.blocks, m.cb, m.cr);
            write_colour_mcu(colour.view[1], &layout, x0, y0, 4, m.blocks, m.cb, m.cr);
        }
    EXPECT_TRUE(grey.same());
    EXPECT_TRUE(colour.same());
}

TEST(PixelLayout, OffsetsAreWherePutpixelStoresEachChannel)
{
    ShiftGuard guard;
    const int orders[][3] = {{16, 8, 0}, {0, 8, 16}, {8, 16, 0}, {16, 0, 8}};
    for (const auto &o : orders) {
        ShiftGuard::set(o[0], o[1], o[2]);
        PixelLayout layout;
        ASSERT_TRUE(pixel_layout_24(&layout));
        BITMAP *bmp = create_bitmap_ex(24, 1, 1);
        putpixel(bmp, 0, 0, makecol24(11, 22, 33));
        EXPECT_EQ(bmp->line[0][layout.r], 11);
        EXPECT_EQ(bmp->line[0][layout.g], 22);
        EXPECT_EQ(bmp->line[0][layout.b], 33);
        destroy_bitmap(bmp);
    }
}

TEST(PixelLayout, RefusesShiftsThatAreNotWholeDistinctBytes)
{
    ShiftGuard guard;
    const int refused[][3] = {{4, 8, 16}, {0, 8, 24}, {0, 0, 16}, {16, 8, 8}, {0, 12, 16}, {-8, 8, 16}};
    for (const auto &o : refused) {
        ShiftGuard::set(o[0], o[1], o[2]);
        PixelLayout layout;
        EXPECT_FALSE(pixel_layout_24(&layout)) << o[0] << "," << o[1] << "," << o[2];
    }
}

}  // namespace
