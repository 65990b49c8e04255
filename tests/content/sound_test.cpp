// The reveal chime and the music loop: format, length, loudness and the seam
// where the looping music runs from its last sample back to its first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "play_datafiles.h"

namespace
{

SAMPLE *reveal()
{
    return static_cast<SAMPLE *>(play_datafile("battle.dat")[3].dat);
}
SAMPLE *music()
{
    return static_cast<SAMPLE *>(play_datafile("music.dat")[0].dat);
}

// Signed value of sample i (the library keeps 16-bit data unsigned around 0x8000).
int at(SAMPLE *s, unsigned long i)
{
    return int(static_cast<const uint16_t *>(s->data)[i]) - 0x8000;
}

int peak(SAMPLE *s)
{
    int p = 0;
    for (unsigned long i = 0; i < s->len; ++i)
        p = std::max(p, std::abs(at(s, i)));
    return p;
}

double rms(SAMPLE *s)
{
    double sum = 0;
    for (unsigned long i = 0; i < s->len; ++i)
        sum += double(at(s, i)) * at(s, i);
    return std::sqrt(sum / double(s->len));
}

// Both sounds are what the game mixes: 16-bit mono at 22050 Hz.
static void expect_game_format(const SAMPLE *s)
{
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->bits, 16);
    EXPECT_EQ(s->stereo, 0);
    EXPECT_EQ(s->freq, 22050);
}

TEST(ContentSounds, RevealChimeIsShortMonoAndEndsInSilence)
{
    SAMPLE *s = reveal();
    ASSERT_NE(s, nullptr);
    expect_game_format(s);
    EXPECT_LT(s->len, unsigned(s->freq));      // under a second
    EXPECT_GT(s->len, unsigned(s->freq) / 4);  // long enough to be heard
    EXPECT_GT(peak(s), 26000);                 // bright and clear
    EXPECT_LE(std::abs(at(s, 0)), 200);        // starts and ends without a click
    EXPECT_LE(std::abs(at(s, s->len - 1)), 200);
}

TEST(ContentSounds, MusicLoopIsLongAndQuieterThanTheChime)
{
    SAMPLE *m = music();
    ASSERT_NE(m, nullptr);
    expect_game_format(m);
    EXPECT_GE(m->len, 15ul * unsigned(m->freq));
    EXPECT_EQ(m->loop_start, 0ul);
    EXPECT_EQ(m->loop_end, m->len);  // the whole sample loops
    EXPECT_LT(peak(m), peak(reveal()) * 6 / 10);
    EXPECT_LT(rms(m), rms(reveal()));
    EXPECT_GT(rms(m), 1000);  // but clearly audible
}

TEST(ContentSounds, MusicLoopSeamIsNoLouderThanItsOrdinarySteps)
{
    SAMPLE *m = music();
    std::vector<int> steps;
    for (unsigned long i = 1; i < m->len; ++i)
        steps.push_back(std::abs(at(m, i) - at(m, i - 1)));
    std::sort(steps.begin(), steps.end());
    const int typical = steps[steps.size() * 99 / 100];
    const int seam = std::abs(at(m, 0) - at(m, m->len - 1));
    EXPECT_LE(seam, typical);
    // No fade to silence either: the music is playing across the loop point.
    long around = 0;
    for (unsigned long i = 0; i < 2205; ++i)
        around += std::abs(at(m, i)) + std::abs(at(m, m->len - 1 - i));
    EXPECT_GT(around / 4410, 300);
}

}  // namespace
