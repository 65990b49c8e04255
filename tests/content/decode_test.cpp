// Every "graphics.dat" picture through the game's own decoder: 800 by 600, grey
// where it should be, the fields and the button's place left plain, and each 8 by 8
// block close to what libjpeg-turbo makes of the same bytes (so no block failed,
// restarts included).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "jpeg/decode_jpeg.h"
#include "play_datafiles.h"
#include "tests/support/libjpeg_codec.h"
#include "tests/support/rgb_pixel.h"

namespace {

BITMAP* decode_object(int n) {
    DATAFILE* d = play_datafile("graphics.dat");
    return decode_jpeg(static_cast<const uint8_t*>(d[n].dat), size_t(d[n].size), nullptr);
}

// The reference decode: libjpeg-turbo with chroma repeated (no smoothing), RGB out.
std::vector<uint8_t> reference_rgb(int n) {
    DATAFILE* d = play_datafile("graphics.dat");
    LibjpegDecoder* libjpeg = libjpeg_decoder_create();
    int w = 0, h = 0;
    uint8_t* rgb = libjpeg_decode_rgb(libjpeg, static_cast<const uint8_t*>(d[n].dat), size_t(d[n].size), &w, &h);
    std::vector<uint8_t> out(rgb, rgb + (rgb ? size_t(w) * h * 3 : 0));
    free(rgb);
    libjpeg_decoder_destroy(libjpeg);
    return out;
}

// Every pixel of the rectangle (less `inset` on each side) within `tolerance` of `want`.
void expect_plain(BITMAP* b, int x, int y, int w, int h, int inset, Rgb want, int tolerance, const char* what) {
    int worst = 0;
    for (int yy = y + inset; yy < y + h - inset; ++yy)
        for (int xx = x + inset; xx < x + w - inset; ++xx) {
            Rgb p = pixel_rgb(b, xx, yy);
            worst = std::max({worst, std::abs(p.r - want.r), std::abs(p.g - want.g), std::abs(p.b - want.b)});
        }
    EXPECT_LE(worst, tolerance) << what;
}

TEST(ContentDecode, EveryPictureDecodesTo800By600) {
    for (int n = 0; n < 10; ++n) {
        BITMAP* b = decode_object(n);
        ASSERT_NE(b, nullptr) << "object " << n;
        EXPECT_EQ(b->w, 800) << "object " << n;
        EXPECT_EQ(b->h, 600) << "object " << n;
        EXPECT_EQ(bitmap_color_depth(b), 24) << "object " << n;
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, EveryBlockMatchesTheReferenceDecoder) {
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        BITMAP* b = decode_object(n);
        ASSERT_NE(b, nullptr);
        const std::vector<uint8_t> ref = reference_rgb(n);
        int worst_block = 0;
        for (int by = 0; by < 600; by += 8)
            for (int bx = 0; bx < 800; bx += 8) {
                int sum = 0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) {
                        Rgb p = pixel_rgb(b, x, y);
                        const uint8_t* q = &ref[(size_t(y) * 800 + size_t(x)) * 3];
                        sum += std::abs(p.r - q[0]) + std::abs(p.g - q[1]) + std::abs(p.b - q[2]);
                    }
                worst_block = std::max(worst_block, sum / 192);
            }
        EXPECT_LE(worst_block, 3);  // rounding of the colour conversion only
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, OnlyTheEmptySquaresResultIsGrey) {
    for (int n = 0; n < 10; ++n) {
        BITMAP* b = decode_object(n);
        ASSERT_NE(b, nullptr);
        int coloured = 0;
        for (int y = 0; y < 600; y += 3)
            for (int x = 0; x < 800; x += 3) {
                Rgb p = pixel_rgb(b, x, y);
                coloured += std::abs(p.r - p.b) > 24 || std::abs(p.r - p.g) > 24;
            }
        if (n == 9)
            EXPECT_EQ(coloured, 0) << "object 9 should be grey";
        else
            EXPECT_GT(coloured, 10000) << "object " << n << " should be in colour";
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, FieldsAndButtonPlaceAreLeftPlain) {
    // The form's fields: white inside (the field paints only its text rows).
    BITMAP* form = decode_object(1);
    ASSERT_NE(form, nullptr);
    const int fields[3][2] = {{46, 221}, {442, 221}, {46, 310}};
    for (const auto& f : fields) expect_plain(form, f[0], f[1], 311, 27, 3, {255, 255, 255}, 12, "field");
    destroy_bitmap(form);

    // The OK button's rectangle: one flat colour under the button on every screen with one.
    for (int n : {0, 1, 3, 4, 5, 6, 7, 8, 9}) {
        BITMAP* b = decode_object(n);
        ASSERT_NE(b, nullptr);
        expect_plain(b, 350, 544, 100, 23, 2, pixel_rgb(b, 400, 555), 6, ("button of object " + std::to_string(n)).c_str());
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, BoardCellsSitOnTheFrameBetweenGaps) {
    // Between two cells the 4-pixel gap shows the frame, and every cell place is the
    // same colour, so a cell drawn smaller than its square leaves no stray art.
    BITMAP* b = decode_object(2);
    ASSERT_NE(b, nullptr);
    const Rgb cell = pixel_rgb(b, 66 + 21, 105 + 21);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            expect_plain(b, 66 + 46 * c, 105 + 46 * r, 42, 42, 8, cell, 8, "cell");
    const Rgb gap = pixel_rgb(b, 66 + 42 + 2, 105 + 21);
    EXPECT_GT(std::abs(gap.b - cell.b) + std::abs(gap.g - cell.g), 10);
    destroy_bitmap(b);
}

}  // namespace
