// The three datafiles load with the library's own loader, with the objects, kinds
// and sizes the game takes by index.
#include <gtest/gtest.h>

#include <set>

#include "play_datafiles.h"

namespace
{

BITMAP *bitmap_at(int index)
{
    return static_cast<BITMAP *>(play_datafile("battle.dat")[index].dat);
}

TEST(ContentDatafiles, GraphicsHoldsTenRawJpegFiles)
{
    DATAFILE *d = play_datafile("graphics.dat");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(datafile_count(d), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d[i].type, DAT_DATA);
        const uint8_t *p = static_cast<const uint8_t *>(d[i].dat);
        ASSERT_GT(d[i].size, 1000);
        EXPECT_EQ(p[0], 0xFF);
        EXPECT_EQ(p[1], 0xD8);  // SOI
        EXPECT_EQ(p[d[i].size - 2], 0xFF);
        EXPECT_EQ(p[d[i].size - 1], 0xD9);  // EOI: the whole file, nothing cut
    }
}

TEST(ContentDatafiles, BattleHoldsSpritesFontAndRevealSound)
{
    DATAFILE *d = play_datafile("battle.dat");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(datafile_count(d), 11);
    const int kinds[11] = {DAT_BITMAP, DAT_FONT,   DAT_BITMAP, DAT_SAMPLE, DAT_BITMAP, DAT_BITMAP,
                           DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(d[i].type, kinds[i]) << "object " << i;
    for (int i : {0, 4, 5, 6, 7, 8, 9, 10}) {
        BITMAP *b = bitmap_at(i);
        EXPECT_EQ(b->w, 42) << "object " << i;
        EXPECT_EQ(b->h, 42) << "object " << i;
        EXPECT_EQ(bitmap_color_depth(b), 24) << "object " << i;
    }
    BITMAP *ok = bitmap_at(2);
    EXPECT_EQ(ok->w, 100);
    EXPECT_EQ(ok->h, 23);
    EXPECT_EQ(bitmap_color_depth(ok), 24);
}

TEST(ContentDatafiles, MusicHoldsOneSample)
{
    DATAFILE *d = play_datafile("music.dat");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(datafile_count(d), 1);
    EXPECT_EQ(d[0].type, DAT_SAMPLE);
}

TEST(ContentSprites, ColoursLoadInTheirChannels)
{
    // The OK button is gold: much red, little blue, at a pixel away from the label.
    int c = getpixel(bitmap_at(2), 8, 12);
    EXPECT_GT(getr24(c), 180);
    EXPECT_GT(getg24(c), 120);
    EXPECT_LT(getb24(c), 110);
    // The covered square is blue in its middle band, left of the question mark.
    c = getpixel(bitmap_at(0), 8, 21);
    EXPECT_GT(getb24(c), getr24(c) + 40);
}

TEST(ContentSprites, NoPixelIsTheMaskColour)
{
    // The dialogs may draw these bitmaps as sprites, where magenta is a hole.
    ASSERT_NE(play_datafile("battle.dat"), nullptr);  // the library is up before makecol24
    const int magenta = makecol24(255, 0, 255);
    for (int i : {0, 2, 4, 5, 6, 7, 8, 9, 10}) {
        BITMAP *b = bitmap_at(i);
        int holes = 0;
        for (int y = 0; y < b->h; ++y)
            for (int x = 0; x < b->w; ++x)
                holes += getpixel(b, x, y) == magenta;
        EXPECT_EQ(holes, 0) << "object " << i;
    }
}

TEST(ContentSprites, TilesShareCornersWithTheBoardFrame)
{
    // Every cell image shows the frame's colour in its corners, so rounded tiles sit
    // in the grid without a seam, covered or not.
    const int frame = getpixel(bitmap_at(0), 0, 0);
    for (int i : {0, 4, 5, 6, 7, 8, 9, 10}) {
        BITMAP *b = bitmap_at(i);
        EXPECT_EQ(getpixel(b, 0, 0), frame) << "object " << i;
        EXPECT_EQ(getpixel(b, 41, 0), frame) << "object " << i;
        EXPECT_EQ(getpixel(b, 0, 41), frame) << "object " << i;
        EXPECT_EQ(getpixel(b, 41, 41), frame) << "object " << i;
    }
}

TEST(ContentSprites, EveryCellImageIsDistinct)
{
    std::set<std::vector<int>> seen;
    for (int i : {0, 4, 5, 6, 7, 8, 9, 10}) {
        BITMAP *b = bitmap_at(i);
        std::vector<int> pixels;
        for (int y = 0; y < 42; ++y)
            for (int x = 0; x < 42; ++x)
                pixels.push_back(getpixel(b, x, y));
        EXPECT_TRUE(seen.insert(pixels).second) << "object " << i << " repeats another image";
    }
}

TEST(ContentSprites, PrizeTilesAreLightAndTheCoverDark)
{
    // A revealed square must stand out from the covered ones at a glance.
    auto mean_luma = [](BITMAP *b) {
        long sum = 0;
        for (int y = 0; y < 42; ++y)
            for (int x = 0; x < 42; ++x) {
                int c = getpixel(b, x, y);
                sum += (299 * getr24(c) + 587 * getg24(c) + 114 * getb24(c)) / 1000;
            }
        return sum / (42 * 42);
    };
    const long cover = mean_luma(bitmap_at(0));
    for (int i = 4; i <= 10; ++i)
        EXPECT_GT(mean_luma(bitmap_at(i)), cover + 60) << "object " << i;
}

}  // namespace
