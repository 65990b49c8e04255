// Every "graphics.dat" picture through the game's own decoder: 800 by 600, grey
// where it should be, the fields and the button's place left plain, and each 8 by 8
// block close to what libjpeg-turbo makes of the same bytes (so no block failed,
// restarts included).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "jpeg/decode_jpeg.h"
#include "play_datafiles.h"
#include "shell/screens.h"
#include "tests/support/libjpeg_codec.h"
#include "tests/support/rgb_pixel.h"

namespace
{

BITMAP *decode_object(int n)
{
    DATAFILE *d = play_datafile(graphics_file_name);
    return decode_jpeg(static_cast<const uint8_t *>(d[n].dat), size_t(d[n].size), nullptr);
}

// The reference decode: libjpeg-turbo with chroma repeated (no smoothing), RGB out.
std::vector<uint8_t> reference_rgb(int n)
{
    DATAFILE *d = play_datafile("graphics.dat");
    LibjpegDecoder *libjpeg = libjpeg_decoder_create();
    int w = 0, h = 0;
    uint8_t *rgb = libjpeg_decode_rgb(libjpeg, static_cast<const uint8_t *>(d[n].dat), size_t(d[n].size), &w, &h);
    std::vector<uint8_t> out(rgb, rgb + (rgb ? size_t(w) * h * 3 : 0));
    free(rgb);
    libjpeg_decoder_destroy(libjpeg);
    return out;
}

// Every pixel of the rectangle (less `inset` on each side) within `tolerance` of `want`.
void expect_plain(BITMAP *b, int x, int y, int w, int h, int inset, Rgb want, int tolerance, const char *what)
{
    int worst = 0;
    for (int yy = y + inset; yy < y + h - inset; ++yy)
        for (int xx = x + inset; xx < x + w - inset; ++xx) {
            Rgb p = pixel_rgb(b, xx, yy);
            worst = std::max({worst, std::abs(p.r - want.r), std::abs(p.g - want.g), std::abs(p.b - want.b)});
        }
    EXPECT_LE(worst, tolerance) << what;
}

TEST(ContentDecode, EveryPictureDecodesTo800By600)
{
    for (int n = 0; n < 10; ++n) {
        BITMAP *b = decode_object(n);
        ASSERT_NE(b, nullptr) << "object " << n;
        EXPECT_EQ(b->w, 800) << "object " << n;
        EXPECT_EQ(b->h, 600) << "object " << n;
        EXPECT_EQ(bitmap_color_depth(b), 24) << "object " << n;
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, EveryBlockMatchesTheReferenceDecoder)
{
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        BITMAP *b = decode_object(n);
        ASSERT_NE(b, nullptr);
        const std::vector<uint8_t> ref = reference_rgb(n);
        int worst_block = 0;
        for (int by = 0; by < 600; by += 8)
            for (int bx = 0; bx < 800; bx += 8) {
                int sum = 0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) {
                        Rgb p = pixel_rgb(b, x, y);
                        const uint8_t *q = &ref[(size_t(y) * 800 + size_t(x)) * 3];
                        sum += std::abs(p.r - q[0]) + std::abs(p.g - q[1]) + std::abs(p.b - q[2]);
                    }
                worst_block = std::max(worst_block, sum / 192);
            }
        EXPECT_LE(worst_block, 3);  // rounding of the colour conversion only
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, OnlyTheEmptySquaresResultIsGrey)
{
    for (int n = 0; n < 10; ++n) {
        BITMAP *b = decode_object(n);
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

// Where the luminance changes most along `n` pixels from (x, y) in steps of
// (dx, dy): how many steps from the start the pixel after that change lies.
int strongest_step(BITMAP *b, int x, int y, int dx, int dy, int n)
{
    auto luma = [b](int px, int py) {
        Rgb p = pixel_rgb(b, px, py);
        return 299 * p.r + 587 * p.g + 114 * p.b;
    };
    int best = 0, best_step = -1;
    for (int i = 1; i < n; ++i) {
        int step = std::abs(luma(x + i * dx, y + i * dy) - luma(x + (i - 1) * dx, y + (i - 1) * dy));
        if (step > best_step)
            best = i, best_step = step;
    }
    return best;
}

// The picture's own edges of what it draws for a dialog object lie exactly on
// the object's rectangle: the strongest change across each side is between
// the object's last pixel and the first pixel outside it.
void expect_drawn_at(BITMAP *b, const DIALOG &d, const std::string &what)
{
    const int reach = 4, mx = d.x + d.w / 2, my = d.y + d.h / 2;
    EXPECT_EQ(strongest_step(b, d.x - reach, my, 1, 0, 2 * reach), reach) << what << ", left side";
    EXPECT_EQ(strongest_step(b, d.x + d.w - reach, my, 1, 0, 2 * reach), reach) << what << ", right side";
    EXPECT_EQ(strongest_step(b, mx, d.y - reach, 0, 1, 2 * reach), reach) << what << ", top";
    EXPECT_EQ(strongest_step(b, mx, d.y + d.h - reach, 0, 1, 2 * reach), reach) << what << ", bottom";
}

TEST(ContentDecode, FieldsAndButtonPlaceAreLeftPlainWhereTheDialogsPutThem)
{
    // The form's fields: white inside (the field paints only its text rows),
    // framed exactly where the form dialog puts its text fields.
    BITMAP *form = decode_object(FORM_BACKGROUND);
    ASSERT_NE(form, nullptr);
    for (int f = 1; f <= FORM_FIELD_COUNT; ++f) {
        const DIALOG &d = form_dialog[f];
        expect_plain(form, d.x, d.y, d.w, d.h, 3, {255, 255, 255}, 12, "field");
        expect_drawn_at(form, d, "field " + std::to_string(f));
    }
    destroy_bitmap(form);

    // The OK button's rectangle: one flat colour under the button on every
    // screen with one, on a plate centred on it.
    for (int n = 0; n < BACKGROUND_COUNT; ++n) {
        if (n == BOARD_BACKGROUND)
            continue;
        BITMAP *b = decode_object(n);
        ASSERT_NE(b, nullptr);
        for (const DIALOG *d : {&confirm_dialog[CONFIRM_OK], &form_dialog[FORM_OK]}) {
            const std::string what = "button of object " + std::to_string(n);
            expect_plain(b, d->x, d->y, d->w, d->h, 2, pixel_rgb(b, d->x + d->w / 2, d->y + d->h / 2), 6, what.c_str());
            // A little wider than the plate's margins, short of the art around it.
            const int across = 24, along = 12, mx = d->x + d->w / 2, my = d->y + d->h / 2;
            const int left = strongest_step(b, d->x - 1, my, -1, 0, across);
            const int right = strongest_step(b, d->x + d->w, my, 1, 0, across);
            const int top = strongest_step(b, mx, d->y - 1, 0, -1, along);
            const int bottom = strongest_step(b, mx, d->y + d->h, 0, 1, along);
            EXPECT_EQ(left, right) << what << ": the plate is not centred across the button";
            EXPECT_EQ(top, bottom) << what << ": the plate is not centred along the button";
        }
        destroy_bitmap(b);
    }
}

TEST(ContentDecode, BoardCellsSitOnTheFrameBetweenGapsWhereTheDialogPutsThem)
{
    // Between two cells the 4-pixel gap shows the frame, and every cell place is the
    // same colour, so a cell drawn smaller than its square leaves no stray art.
    setup_dialogs();
    BITMAP *b = decode_object(BOARD_BACKGROUND);
    ASSERT_NE(b, nullptr);
    const DIALOG &first = board_dialog[0];
    const Rgb cell = pixel_rgb(b, first.x + first.w / 2, first.y + first.h / 2);
    for (int i = 0; i < BOARD_SIZE; ++i) {
        const DIALOG &d = board_dialog[i];
        expect_plain(b, d.x, d.y, d.w, d.h, 8, cell, 8, "cell");
        expect_drawn_at(b, d, "cell " + std::to_string(i));
    }
    const Rgb gap = pixel_rgb(b, first.x + first.w + 2, first.y + first.h / 2);
    EXPECT_GT(std::abs(gap.b - cell.b) + std::abs(gap.g - cell.g), 10);
    destroy_bitmap(b);
}

}  // namespace
