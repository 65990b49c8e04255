// Unit tests of the bench's own parts: when timed rounds count as settled, how
// the rounds alternate, the generated pictures' layouts, and libjpeg's side
// staying usable after a refused stream.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>

#include "bench/generated_pictures.h"
#include "tests/support/libjpeg_codec.h"
#include "bench/round_timer.h"

TEST(RoundTimer, MediansAndSettling)
{
    EXPECT_DOUBLE_EQ(median_of({3, 1, 2}), 2);
    EXPECT_DOUBLE_EQ(median_of({4, 1, 3, 2}), 2.5);
    // The window ends where asked and shrinks at the start.
    EXPECT_DOUBLE_EQ(window_median({9, 1, 2, 3, 50}, 4, 3), 2);
    EXPECT_DOUBLE_EQ(window_median({9, 1}, 2, 5), 5);

    TimingRules rules;  // window 5, three medians within 2%
    double variation = -1;
    // Too few rounds for three windows: never settled, however steady.
    EXPECT_FALSE(settled({10, 10, 10, 10, 10, 10}, rules, &variation));
    EXPECT_TRUE(settled({10, 10, 10, 10, 10, 10, 10}, rules, &variation));
    EXPECT_DOUBLE_EQ(variation, 0);
    // One slow round (another process) does not move the median.
    EXPECT_TRUE(settled({10, 10.1, 9.9, 10, 30, 10.2, 10.1}, rules, &variation));
    EXPECT_NEAR(variation, 0.01, 1e-9);  // window medians 10, 10.1, 10.1
    // A steady 3% drift per round never settles.
    std::vector<double> drifting;
    for (double v = 10; drifting.size() < 12; v *= 1.03)
        drifting.push_back(v);
    EXPECT_FALSE(settled(drifting, rules, &variation));
    EXPECT_NEAR(variation, 1.03 * 1.03 - 1, 1e-9);
}

TEST(RoundTimer, RoundsAlternateAndStopAtTheCap)
{
    std::string calls;
    auto spin = [](double ms) {
        double start = thread_cpu_ms();
        while (thread_cpu_ms() - start < ms) {
        }
    };
    TimingRules rules;
    rules.round_ms = 2;
    rules.max_rounds = 4;
    rules.tolerance = 0;  // never settled: only the cap ends it
    PairTiming timing = time_pair(
        [&] {
            calls += 'o';
            spin(0.5);
        },
        [&] {
            calls += 't';
            spin(0.25);
        },
        rules);
    EXPECT_EQ(timing.rounds, 4);
    EXPECT_FALSE(timing.settled);
    // One sample decode each, then four rounds of each side in turn.
    int runs = 0;
    for (size_t i = 0; i < calls.size(); i++)
        runs += i == 0 || calls[i] != calls[i - 1];
    EXPECT_EQ(runs, 2 + 2 * 4) << calls;
    EXPECT_EQ(calls.substr(0, 2), "ot");
    EXPECT_GE(timing.ours.ms_per_decode, 0.5);
    EXPECT_GE(timing.theirs.ms_per_decode, 0.25);
    // Thread CPU time: 0.5 against 0.25 ms in every round, however busy the machine.
    EXPECT_GT(timing.ratio, 1.6);
    EXPECT_LT(timing.ratio, 2.4);
}

TEST(GeneratedPictures, SixteenLayoutsAsNamed)
{
    std::vector<BenchPicture> pictures = generated_pictures();
    ASSERT_EQ(pictures.size(), 16u);
    LibjpegDecoder *libjpeg = libjpeg_decoder_create();
    const char *expected[] = {"grey", "grey rst", "4:4:4", "4:4:4 rst", "4:2:2", "4:2:2 rst", "4:2:0", "4:2:0 rst"};
    for (size_t i = 0; i < pictures.size(); i++) {
        SCOPED_TRACE(pictures[i].name);
        JpegLayout layout = libjpeg_read_layout(libjpeg, pictures[i].jpeg.data(), pictures[i].jpeg.size());
        ASSERT_TRUE(layout.ok);
        EXPECT_EQ(layout.width, i < 8 ? 800 : 1920);
        EXPECT_EQ(layout.height, i < 8 ? 600 : 1080);
        EXPECT_EQ(layout_name(layout), expected[i % 8]);
        // One restart per MCU row: the interval is the MCUs across the picture.
        int mcu_width = layout.components == 1 ? 8 : 8 * layout.luma_h;
        unsigned mcus_across = static_cast<unsigned>((layout.width + mcu_width - 1) / mcu_width);
        EXPECT_EQ(layout.restart_interval, i % 2 ? mcus_across : 0u);
        // Photo-like content costs well over a bit a pixel even in grey; a
        // flat or smooth-only picture would be a fraction of that.
        EXPECT_GT(pictures[i].jpeg.size() * 8, static_cast<size_t>(layout.width) * layout.height);
    }
    libjpeg_decoder_destroy(libjpeg);
}

TEST(GeneratedPictures, FixedSeedFixedPixels)
{
    std::vector<uint8_t> a = photo_like_rgb(64, 48, 7);
    EXPECT_EQ(a.size(), 64u * 48 * 3);
    EXPECT_EQ(a, photo_like_rgb(64, 48, 7));
    EXPECT_NE(a, photo_like_rgb(64, 48, 8));
    std::vector<uint8_t> grey = grey_of({255, 255, 255, 255, 0, 0, 0, 0, 255});
    EXPECT_EQ(grey, (std::vector<uint8_t>{255, 76, 29}));
}

TEST(LibjpegSide, RefusedStreamLeavesTheDecoderUsable)
{
    std::vector<BenchPicture> pictures = generated_pictures();
    const std::vector<uint8_t> &good = pictures[6].jpeg;  // 800x600 4:2:0
    LibjpegDecoder *libjpeg = libjpeg_decoder_create();
    const uint8_t junk[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x12, 0x34};
    int width = 0, height = 0;
    EXPECT_EQ(libjpeg_decode_rgb(libjpeg, junk, sizeof junk, &width, &height), nullptr);
    EXPECT_FALSE(libjpeg_read_layout(libjpeg, junk, sizeof junk).ok);
    // A stream cut in its picture data only warns (libjpeg pads it); whatever
    // it gives, the next whole picture must decode.
    uint8_t *pixels = libjpeg_decode_rgb(libjpeg, good.data(), good.size() / 2, &width, &height);
    free(pixels);
    pixels = libjpeg_decode_rgb(libjpeg, good.data(), good.size(), &width, &height);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    free(pixels);
    libjpeg_decoder_destroy(libjpeg);
}
