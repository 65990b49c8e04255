// Differential tests on real encodings made by libjpeg-turbo: grey pictures
// against its islow decode, colour pictures against a reference built here from
// its decoded coefficients; restarts, truncation and every accepted layout.
#include "jpeg/decode_jpeg.h"
#include "tests/support/libjpeg_codec.h"
#include "tests/support/rgb_pixel.h"
#include "tests/support/test_pictures.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>

namespace
{

struct Decoded {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
};

// decode_jpeg over an exactly sized heap copy; false when refused.
bool decode(const std::vector<uint8_t> &jpeg, Decoded *out)
{
    std::vector<uint8_t> copy(jpeg);
    BITMAP *bmp = decode_jpeg(copy.data(), copy.size(), nullptr);
    if (!bmp)
        return false;
    EXPECT_EQ(bitmap_color_depth(bmp), 24);
    out->width = bmp->w;
    out->height = bmp->h;
    out->pixels.resize(static_cast<size_t>(bmp->w) * bmp->h);
    for (int y = 0; y < bmp->h; y++)
        for (int x = 0; x < bmp->w; x++) {
            out->pixels[static_cast<size_t>(y) * bmp->w + x] = pixel_rgb(bmp, x, y);
        }
    destroy_bitmap(bmp);
    return true;
}

// --- The reference: written from the definitions, independent of jpeg/. ---

// Fixed-point constants of the LLM inverse DCT (factor x 2^13).
enum {
    F0_298 = 2446,
    F0_390 = 3196,
    F0_541 = 4433,
    F0_765 = 6270,
    F0_899 = 7373,
    F1_175 = 9633,
    F1_501 = 12299,
    F1_847 = 15137,
    F1_961 = 16069,
    F2_053 = 16819,
    F2_562 = 20995,
    F3_072 = 25172,
};

void reference_pass(const int32_t *in, int in_step, int32_t *out, int out_step, int shift, int bias, int level)
{
    int32_t even0 = (in[0] + in[4 * in_step]) * 8192;
    int32_t even1 = (in[0] - in[4 * in_step]) * 8192;
    int32_t rot = (in[2 * in_step] + in[6 * in_step]) * F0_541;
    int32_t even2 = rot - in[6 * in_step] * F1_847;
    int32_t even3 = rot + in[2 * in_step] * F0_765;
    int32_t a10 = even0 + even3, a13 = even0 - even3, a11 = even1 + even2, a12 = even1 - even2;

    int32_t i7 = in[7 * in_step], i5 = in[5 * in_step], i3 = in[3 * in_step], i1 = in[in_step];
    int32_t s17 = (i7 + i1) * -F0_899, s53 = (i5 + i3) * -F2_562;
    int32_t common = (i7 + i3 + i5 + i1) * F1_175;
    int32_t s73 = (i7 + i3) * -F1_961 + common, s51 = (i5 + i1) * -F0_390 + common;
    int32_t b0 = i7 * F0_298 + s17 + s73;
    int32_t b1 = i5 * F2_053 + s53 + s51;
    int32_t b2 = i3 * F3_072 + s53 + s73;
    int32_t b3 = i1 * F1_501 + s17 + s51;

    const int32_t results[8] = {a10 + b3, a11 + b2, a12 + b1, a13 + b0, a13 - b0, a12 - b1, a11 - b2, a10 - b3};
    for (int i = 0; i < 8; i++)
        out[i * out_step] = ((results[i] + bias) >> shift) + level;
}

void reference_idct(const int32_t coefficients[64], const int32_t quant[64], int32_t samples[64])
{
    int32_t dequantised[64], columns[64];
    for (int i = 0; i < 64; i++)
        dequantised[i] = coefficients[i] * quant[i];
    for (int c = 0; c < 8; c++) {
        bool flat = true;
        for (int r = 1; r < 8; r++)
            flat = flat && dequantised[r * 8 + c] == 0;
        if (flat) {
            for (int r = 0; r < 8; r++)
                columns[r * 8 + c] = dequantised[c] * 4;
        } else {
            reference_pass(&dequantised[c], 8, &columns[c], 8, 11, 1 << 10, 0);
        }
    }
    for (int r = 0; r < 8; r++)
        reference_pass(&columns[r * 8], 1, &samples[r * 8], 1, 18, 1 << 17, 128);
}

int channel(double v)
{
    int i = static_cast<int>(v);  // truncation toward zero
    return i >= 255 ? 255 : i < 0 ? 0 : i;
}

// Pixels of a colour picture: every pixel found from its MCU, the luminance
// block inside it and the chroma sample repeated over 1, 2 or 4 pixels.
std::vector<Rgb> reference_colour(const std::vector<ComponentCoefficients> &comps, int width, int height)
{
    const ComponentCoefficients &y = comps[0], &cb = comps[1], &cr = comps[2];
    int product = y.h_samp * y.v_samp;
    int blocks_across = product >= 2 ? 2 : 1, blocks_down = product == 4 ? 2 : 1;
    int mcu_w = 8 * blocks_across, mcu_h = 8 * blocks_down;
    std::vector<Rgb> out(static_cast<size_t>(width) * height);
    int32_t ys[64], cbs[64], crs[64];
    for (int my = 0; my * mcu_h < height; my++) {
        for (int mx = 0; mx * mcu_w < width; mx++) {
            reference_idct(cb.block(my, mx), cb.quant, cbs);
            reference_idct(cr.block(my, mx), cr.quant, crs);
            for (int by = 0; by < blocks_down; by++) {
                for (int bx = 0; bx < blocks_across; bx++) {
                    reference_idct(y.block(my * blocks_down + by, mx * blocks_across + bx), y.quant, ys);
                    for (int i = 0; i < 64; i++) {
                        int px = mx * mcu_w + bx * 8 + i % 8, py = my * mcu_h + by * 8 + i / 8;
                        if (px >= width || py >= height)
                            continue;
                        int cx = (px - mx * mcu_w) * 8 / mcu_w, cy = (py - my * mcu_h) * 8 / mcu_h;
                        double lum = ys[i], u = cbs[cy * 8 + cx], v = crs[cy * 8 + cx];
                        out[static_cast<size_t>(py) * width + px] = {
                            channel(lum + (v - 128.0) * 1.402),
                            channel(lum - (u - 128.0) * 0.34414 - (v - 128.0) * 0.71414),
                            channel(lum + (u - 128.0) * 1.772)};
                    }
                }
            }
        }
    }
    return out;
}

// --- The cases. ---

struct Size {
    int w, h;
};
const Size sizes[] = {{1, 1}, {17, 9}, {227, 149}, {64, 48}};
const int qualities[] = {10, 30, 50, 75, 90, 100};

std::string describe(const PictureLayout &s, Size size, const EncodeOptions &o)
{
    char text[128];
    snprintf(text, sizeof text, "%s %dx%d q%d%s%s", s.name, size.w, size.h, o.quality, o.optimize ? " optimised" : "",
             o.restart_rows ? " restarts" : "");
    return text;
}

void expect_same_pixels(const std::vector<Rgb> &got, const std::vector<Rgb> &want, int width)
{
    ASSERT_EQ(got.size(), want.size());
    int mismatches = 0;
    for (size_t i = 0; i < got.size() && mismatches < 5; i++) {
        if (got[i].r != want[i].r || got[i].g != want[i].g || got[i].b != want[i].b) {
            ADD_FAILURE() << "pixel (" << i % width << "," << i / width << ") is " << got[i].r << "," << got[i].g << ","
                          << got[i].b << " want " << want[i].r << "," << want[i].g << "," << want[i].b;
            mismatches++;
        }
    }
}

void check_against_libjpeg(const PictureLayout &s, Size size, const EncodeOptions &o)
{
    SCOPED_TRACE(describe(s, size, o));
    std::vector<uint8_t> picture =
        make_picture(size.w, size.h, s.components, static_cast<uint32_t>(size.w * 31 + o.quality));
    std::vector<uint8_t> jpeg = libjpeg_encode(picture, size.w, size.h, o);
    ASSERT_FALSE(jpeg.empty());

    Decoded got;
    ASSERT_TRUE(decode(jpeg, &got));
    ASSERT_EQ(got.width, size.w);
    ASSERT_EQ(got.height, size.h);

    std::vector<Rgb> want;
    if (s.components == 1) {
        std::vector<uint8_t> grey;
        int w, h;
        ASSERT_TRUE(libjpeg_decode_grey(jpeg, &grey, &w, &h));
        for (uint8_t g : grey)
            want.push_back({g, g, g});
    } else {
        std::vector<ComponentCoefficients> comps;
        int w, h;
        ASSERT_TRUE(libjpeg_read_coefficients(jpeg, &comps, &w, &h));
        ASSERT_EQ(comps.size(), 3u);
        want = reference_colour(comps, w, h);
    }
    expect_same_pixels(got.pixels, want, size.w);
}

TEST(Differential, EveryLayoutSizeQualityAndTableKind)
{
    for (const PictureLayout &s : picture_layouts)
        for (Size size : sizes)
            for (int q : qualities)
                for (int optimize = 0; optimize < 2; optimize++) {
                    EncodeOptions o = encode_options(s, q);
                    o.optimize = optimize != 0;
                    o.restart_rows = (q / 10 + optimize) % 2 == 0;
                    check_against_libjpeg(s, size, o);
                }
}

TEST(Differential, RestartsAfterEveryRowGiveTheSamePixels)
{
    for (const PictureLayout &s : picture_layouts) {
        for (Size size : {Size{227, 149}, Size{17, 9}, Size{40, 33}}) {
            EncodeOptions o = encode_options(s, 85);
            std::vector<uint8_t> picture = make_picture(size.w, size.h, s.components, 7);
            std::vector<uint8_t> plain = libjpeg_encode(picture, size.w, size.h, o);
            o.restart_rows = true;
            std::vector<uint8_t> restarted = libjpeg_encode(picture, size.w, size.h, o);
            SCOPED_TRACE(describe(s, size, o));
            // The second stream really has a DRI segment and restart markers.
            bool dri = false;
            int markers = 0;
            for (size_t i = 0; i + 1 < restarted.size(); i++) {
                dri = dri || (restarted[i] == 0xFF && restarted[i + 1] == 0xDD);
                markers += restarted[i] == 0xFF && restarted[i + 1] >= 0xD0 && restarted[i + 1] <= 0xD7;
            }
            EXPECT_TRUE(dri);
            int mcu_h = 8 * s.luma_v;
            EXPECT_EQ(markers, (size.h + mcu_h - 1) / mcu_h - 1);

            Decoded a, b;
            ASSERT_TRUE(decode(plain, &a));
            ASSERT_TRUE(decode(restarted, &b));
            expect_same_pixels(b.pixels, a.pixels, size.w);
        }
    }
}

// Cut off a picture anywhere: the decoder stays inside the bytes it was given
// (exact heap copies, checked by the sanitizer build), the result is
// deterministic, and MCU rows whose data lies before the cut are intact.
TEST(Differential, TruncatedPicturesKeepTheirIntactRows)
{
    for (const PictureLayout &s : picture_layouts) {
        EncodeOptions o = encode_options(s, 60);
        o.restart_rows = true;
        const int w = 40, h = 48;
        std::vector<uint8_t> jpeg = libjpeg_encode(make_picture(w, h, s.components, 3), w, h, o);
        Decoded full;
        ASSERT_TRUE(decode(jpeg, &full));

        // Offsets of the restart markers: rows before marker k are complete there.
        std::vector<size_t> rst;
        for (size_t i = 0; i + 1 < jpeg.size(); i++)
            if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7)
                rst.push_back(i);
        ASSERT_GE(rst.size(), 2u);

        int mcu_h = 8 * s.luma_v;
        for (size_t cut = 0; cut < jpeg.size(); cut++) {
            std::vector<uint8_t> part(jpeg.begin(), jpeg.begin() + static_cast<long>(cut));
            Decoded a, b;
            bool ok = decode(part, &a);
            ASSERT_EQ(ok, decode(part, &b)) << "cut " << cut;
            if (!ok)
                continue;
            ASSERT_EQ(a.pixels.size(), b.pixels.size());
            for (size_t i = 0; i < a.pixels.size(); i++)
                ASSERT_TRUE(a.pixels[i].r == b.pixels[i].r && a.pixels[i].g == b.pixels[i].g &&
                            a.pixels[i].b == b.pixels[i].b)
                    << "cut " << cut << " not deterministic";
            size_t intact_rows = 0;
            while (intact_rows < rst.size() && rst[intact_rows] + 2 <= cut)
                intact_rows++;
            size_t intact_pixels = std::min(static_cast<size_t>(h), intact_rows * mcu_h) * w;
            for (size_t i = 0; i < intact_pixels; i++)
                ASSERT_TRUE(a.pixels[i].r == full.pixels[i].r && a.pixels[i].g == full.pixels[i].g &&
                            a.pixels[i].b == full.pixels[i].b)
                    << s.name << " cut " << cut << " pixel " << i;
        }
    }
}

}  // namespace
