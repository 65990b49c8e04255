// chroma_offsets against put_ycbcr_pixel: wherever the offsets are given, each
// channel is clamp(luma + offset) with luma limited to the int16 range, as the
// writers compute it, for every chroma pair of real pictures and lumas across
// and far beyond 0..255; samples outside the table are refused.
#include "jpeg/chroma_offsets.h"
#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>

namespace
{

int clamp_byte(int32_t v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

int32_t limit_int16(int32_t v)
{
    return v < -32768 ? -32768 : v > 32767 ? 32767 : v;
}

void fill(int32_t block[64], int32_t value)
{
    for (int i = 0; i < 64; i++)
        block[i] = value;
}

TEST(ChromaOffsets, EveryChromaPairOfRealPicturesGivesTheReferenceChannels)
{
    BITMAP *pixel = create_bitmap_ex(24, 1, 1);
    ASSERT_NE(pixel, nullptr);
    const int32_t lumas[] = {-40000, -300, -1, 0, 1, 100, 200, 254, 255, 256, 700, 40000};
    long pairs = 0, accepted = 0;
    for (int32_t cb = -120; cb <= 380; cb++) {
        for (int32_t cr = -120; cr <= 380; cr++) {
            int32_t cbs[64], crs[64];
            fill(cbs, cb);
            fill(crs, cr);
            ChromaOffsets o;
            pairs++;
            if (!chroma_offsets(cbs, crs, &o))
                continue;
            accepted++;
            for (int32_t luma : lumas) {
                put_ycbcr_pixel(pixel, 0, 0, luma, cb, cr);
                const int want = getpixel(pixel, 0, 0);
                const int32_t y = limit_int16(luma);
                ASSERT_EQ(clamp_byte(y + o.r[63]), getr24(want)) << luma << " " << cb << " " << cr;
                ASSERT_EQ(clamp_byte(y + o.g[63]), getg24(want)) << luma << " " << cb << " " << cr;
                ASSERT_EQ(clamp_byte(y + o.b[63]), getb24(want)) << luma << " " << cb << " " << cr;
            }
        }
    }
    destroy_bitmap(pixel);
    // Real chroma nearly always takes the integers, neutral grey among it.
    EXPECT_GT(accepted, pairs * 99 / 100) << accepted << " of " << pairs;
    int32_t grey[64];
    fill(grey, 128);
    ChromaOffsets o;
    EXPECT_TRUE(chroma_offsets(grey, grey, &o));
}

TEST(ChromaOffsets, ASampleOutsideTheTableRefusesTheBlock)
{
    int32_t cb[64], cr[64];
    fill(cb, 100);
    fill(cr, 150);
    ChromaOffsets o;
    ASSERT_TRUE(chroma_offsets(cb, cr, &o));
    const int32_t outside[] = {CHROMA_TABLE_LOW - 1, CHROMA_TABLE_HIGH, INT32_MIN, INT32_MAX};
    for (int32_t v : outside) {
        cr[37] = v;
        EXPECT_FALSE(chroma_offsets(cb, cr, &o)) << v;
        cr[37] = 150;
        cb[5] = v;
        EXPECT_FALSE(chroma_offsets(cb, cr, &o)) << v;
        cb[5] = 100;
    }
    cb[5] = CHROMA_TABLE_LOW;
    cr[37] = CHROMA_TABLE_HIGH - 1;
    EXPECT_TRUE(chroma_offsets(cb, cr, &o));
}

}  // namespace
