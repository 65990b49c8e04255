// The background cache on a memory screen: a picture is decoded on its first
// show only, and a picture the decoder refuses leaves the screen black
// without being tried again.
#include <stdlib.h>

#include <vector>

#include <gtest/gtest.h>

#include "shell/screens.h"
#include "tests/support/libjpeg_codec.h"

namespace
{

const int TITLE = 0, FORM = 1;

class BackgroundCacheTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        set_color_depth(24);
        screen = create_bitmap(SCREEN_WIDTH, SCREEN_HEIGHT);
    }
    static void TearDownTestSuite()
    {
        destroy_bitmap(screen);
        screen = NULL;
    }
    void SetUp() override
    {
        // A picture of four colour bands, the size of the screen.
        std::vector<uint8_t> rgb(SCREEN_WIDTH * SCREEN_HEIGHT * 3);
        for (size_t i = 0; i < rgb.size(); i++)
            rgb[i] = (uint8_t)(60 * ((i / 3) % SCREEN_WIDTH / 200) + 20 * (i % 3));
        jpeg_ = libjpeg_encode(rgb, SCREEN_WIDTH, SCREEN_HEIGHT, EncodeOptions{});
        for (int n = 0; n < BACKGROUND_COUNT; n++) {
            objects_[n] = DATAFILE{jpeg_.data(), DAT_DATA, (long)jpeg_.size(), NULL};
            background_cache.background_images[n] = NULL;
            background_cache.background_decoded[n] = 0;
        }
        objects_[BACKGROUND_COUNT] = DATAFILE{NULL, DAT_END, 0, NULL};
        graphics_data = objects_;
        clear_to_color(screen, makecol24(255, 255, 255));
    }
    void TearDown() override
    {
        graphics_data = NULL;
    }

    static bool screen_equals(BITMAP *picture)
    {
        for (int y = 0; y < SCREEN_HEIGHT; y++)
            for (int x = 0; x < SCREEN_WIDTH; x++)
                if (getpixel(screen, x, y) != getpixel(picture, x, y))
                    return false;
        return true;
    }
    static bool screen_is(int colour)
    {
        for (int y = 0; y < SCREEN_HEIGHT; y++)
            for (int x = 0; x < SCREEN_WIDTH; x++)
                if (getpixel(screen, x, y) != colour)
                    return false;
        return true;
    }

    std::vector<uint8_t> jpeg_;
    DATAFILE objects_[BACKGROUND_COUNT + 1];
};

TEST_F(BackgroundCacheTest, DecodesOnTheFirstShowOnly)
{
    show_background(FORM);
    BITMAP *decoded = background_cache.background_images[FORM];
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(background_cache.background_decoded[FORM], 1);
    EXPECT_EQ(background_cache.background_decoded[TITLE], 0);
    EXPECT_TRUE(screen_equals(decoded));

    // A second show blits the kept picture, even when the object has gone bad.
    objects_[FORM].size = 4;
    clear_to_color(screen, 0);
    show_background(FORM);
    EXPECT_EQ(background_cache.background_images[FORM], decoded);
    EXPECT_TRUE(screen_equals(decoded));
}

TEST_F(BackgroundCacheTest, RefusedPictureClearsToBlackAndIsNotRetried)
{
    std::vector<uint8_t> garbage(jpeg_.begin(), jpeg_.begin() + 20);
    objects_[TITLE] = DATAFILE{garbage.data(), DAT_DATA, (long)garbage.size(), NULL};
    show_background(TITLE);
    EXPECT_EQ(background_cache.background_images[TITLE], nullptr);
    EXPECT_EQ(background_cache.background_decoded[TITLE], 1);
    EXPECT_TRUE(screen_is(0));

    objects_[TITLE] = DATAFILE{jpeg_.data(), DAT_DATA, (long)jpeg_.size(), NULL};
    clear_to_color(screen, makecol24(255, 255, 255));
    show_background(TITLE);
    EXPECT_EQ(background_cache.background_images[TITLE], nullptr);
    EXPECT_TRUE(screen_is(0));
}

TEST_F(BackgroundCacheTest, DecoderIsHandedTheObjectSize)
{
    // The same bytes, but the object ends before the picture's scan data.
    objects_[TITLE].size = 100;
    show_background(TITLE);
    EXPECT_EQ(background_cache.background_images[TITLE], nullptr);
    EXPECT_TRUE(screen_is(0));
}

}  // namespace
