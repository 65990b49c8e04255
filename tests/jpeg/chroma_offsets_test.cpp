// chroma_offsets (SSE2, AVX2 and plain C++) against put_ycbcr_pixel: wherever the
// offsets are given, each channel is clamp(luma + offset) with luma limited to
// the int16 range, as the writers compute it, for every chroma pair of the
// range and around it and lumas across and far beyond 0..255; all give the
// same offsets, and samples outside the range are refused.
#include "jpeg/chroma_offsets.h"
#include "jpeg/cpu_features.h"
#include "jpeg/decoder_stages.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

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

typedef bool (*OffsetsFunction)(const int32_t[64], const int32_t[64], ChromaOffsets *);

// Every version this processor can run; the portable one first.
std::vector<OffsetsFunction> versions()
{
    std::vector<OffsetsFunction> v = {chroma_offsets_portable, chroma_offsets};
    if (vector_path_available(VECTOR_PATH_AVX2))
        v.push_back(chroma_offsets_avx2);
    return v;
}

TEST(ChromaOffsets, EveryChromaPairOfTheRangeGivesTheReferenceChannels)
{
    BITMAP *pixel = create_bitmap_ex(24, 1, 1);
    ASSERT_NE(pixel, nullptr);
    const std::vector<OffsetsFunction> functions = versions();
    const int32_t lumas[] = {-40000, -300, -1, 0, 1, 100, 200, 254, 255, 256, 700, 40000};
    long pairs = 0, accepted = 0;
    for (int32_t cb = CHROMA_OFFSETS_LOW - 3; cb < CHROMA_OFFSETS_HIGH + 3; cb++) {
        for (int32_t cr = CHROMA_OFFSETS_LOW - 3; cr < CHROMA_OFFSETS_HIGH + 3; cr++) {
            // The pair in one lane among neutral ones, the lane moving from pair to pair.
            const int lane = (cb * 7 + cr) & 63;
            int32_t cbs[64], crs[64];
            fill(cbs, 128);
            fill(crs, 128);
            cbs[lane] = cb;
            crs[lane] = cr;
            ChromaOffsets o[3] = {};
            bool given[3] = {};
            for (size_t f = 0; f < functions.size(); f++) {
                given[f] = functions[f](cbs, crs, &o[f]);
                ASSERT_EQ(given[f], given[0]) << f << ": " << cb << " " << cr;
            }
            const bool inside = cb >= CHROMA_OFFSETS_LOW && cb < CHROMA_OFFSETS_HIGH && cr >= CHROMA_OFFSETS_LOW &&
                                cr < CHROMA_OFFSETS_HIGH;
            pairs += inside;
            if (!given[0])
                continue;
            ASSERT_TRUE(inside) << cb << " " << cr;
            accepted++;
            for (int32_t luma : lumas) {
                put_ycbcr_pixel(pixel, 0, 0, luma, cb, cr);
                const int want = getpixel(pixel, 0, 0);
                const int32_t y = limit_int16(luma);
                ASSERT_EQ(clamp_byte(y + o[0].r[lane]), getr24(want)) << luma << " " << cb << " " << cr;
                ASSERT_EQ(clamp_byte(y + o[0].g[lane]), getg24(want)) << luma << " " << cb << " " << cr;
                ASSERT_EQ(clamp_byte(y + o[0].b[lane]), getb24(want)) << luma << " " << cb << " " << cr;
            }
            for (size_t f = 1; f < functions.size(); f++)
                ASSERT_EQ(memcmp(&o[f], &o[0], sizeof o[0]), 0) << f << ": " << cb << " " << cr;
        }
    }
    destroy_bitmap(pixel);
    // Inside the range only green's rare whole fractions are refused; neutral grey is taken.
    EXPECT_GT(accepted, pairs - 20) << accepted << " of " << pairs;
    int32_t grey[64];
    fill(grey, 128);
    ChromaOffsets o;
    for (OffsetsFunction f : functions)
        EXPECT_TRUE(f(grey, grey, &o));
}

TEST(ChromaOffsets, ASampleOutsideTheRangeRefusesTheBlock)
{
    for (OffsetsFunction offsets : versions()) {
        int32_t cb[64], cr[64];
        fill(cb, 100);
        fill(cr, 150);
        ChromaOffsets o;
        ASSERT_TRUE(offsets(cb, cr, &o));
        const int32_t outside[] = {CHROMA_OFFSETS_LOW - 1, CHROMA_OFFSETS_HIGH, INT32_MIN, INT32_MAX};
        for (int32_t v : outside) {
            cr[37] = v;
            EXPECT_FALSE(offsets(cb, cr, &o)) << v;
            cr[37] = 150;
            cb[5] = v;
            EXPECT_FALSE(offsets(cb, cr, &o)) << v;
            cb[5] = 100;
        }
        cb[5] = CHROMA_OFFSETS_LOW;
        cr[37] = CHROMA_OFFSETS_HIGH - 1;
        EXPECT_TRUE(offsets(cb, cr, &o));
    }
}

}  // namespace
