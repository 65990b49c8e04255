// Photo-like test content and its encoding with libjpeg-turbo.
#include "bench/generated_pictures.h"

#include <math.h>

#include "tests/support/libjpeg_codec.h"

namespace
{

// xorshift32: a fixed sequence on every platform, unlike <random>'s distributions.
struct Noise {
    uint32_t state;
};

uint32_t next(Noise *noise)
{
    uint32_t x = noise->state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    noise->state = x;
    return x;
}

int in_range(Noise *noise, int low, int high)  // low..high inclusive
{
    return low + static_cast<int>(next(noise) % static_cast<uint32_t>(high - low + 1));
}

uint8_t clamp_byte(double v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : lround(v));
}

struct Disc {
    double cx, cy, radius;
    double colour[3];
    double softness;  // edge width in pixels; under 1 a hard edge
};

}  // namespace

std::vector<uint8_t> photo_like_rgb(int width, int height, uint32_t seed)
{
    Noise noise = {seed ? seed : 1};
    std::vector<double> plane(static_cast<size_t>(width) * height * 3);
    const double pi = 3.14159265358979323846;

    // Sky-like background: slow ramps and broad waves in each channel.
    for (int y = 0; y < height; y++) {
        double fy = static_cast<double>(y) / height;
        for (int x = 0; x < width; x++) {
            double fx = static_cast<double>(x) / width;
            double *p = &plane[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = 60 + 150 * fx + 25 * sin(2 * pi * (1.3 * fx + 0.4 * fy));
            p[1] = 90 + 110 * fy + 20 * cos(2 * pi * (0.7 * fx - 1.1 * fy));
            p[2] = 200 - 120 * fy * fx + 30 * sin(2 * pi * (2.1 * fy + 0.2));
        }
    }

    // Discs lit from the upper left, some with hard edges and some blurred.
    int count = width * height / 12000;
    for (int i = 0; i < count; i++) {
        Disc d;
        d.cx = in_range(&noise, 0, width - 1);
        d.cy = in_range(&noise, 0, height - 1);
        d.radius = in_range(&noise, 8, width / 10);
        for (int c = 0; c < 3; c++)
            d.colour[c] = in_range(&noise, 20, 235);
        d.softness = i % 2 ? in_range(&noise, 2, 12) : 0.5;
        int x0 = static_cast<int>(d.cx - d.radius - d.softness) - 1;
        int x1 = static_cast<int>(d.cx + d.radius + d.softness) + 1;
        int y0 = static_cast<int>(d.cy - d.radius - d.softness) - 1;
        int y1 = static_cast<int>(d.cy + d.radius + d.softness) + 1;
        for (int y = y0 < 0 ? 0 : y0; y <= y1 && y < height; y++) {
            for (int x = x0 < 0 ? 0 : x0; x <= x1 && x < width; x++) {
                double dx = x - d.cx, dy = y - d.cy;
                double distance = sqrt(dx * dx + dy * dy);
                double cover = (d.radius + d.softness / 2 - distance) / d.softness;
                if (cover <= 0)
                    continue;
                if (cover > 1)
                    cover = 1;
                double light = 1.0 - 0.35 * (dx + dy) / (2 * d.radius);
                double *p = &plane[(static_cast<size_t>(y) * width + x) * 3];
                for (int c = 0; c < 3; c++)
                    p[c] += cover * (d.colour[c] * light - p[c]);
            }
        }
    }

    // Sensor-like noise: mostly luminance, a little per channel.
    std::vector<uint8_t> rgb(plane.size());
    for (size_t i = 0; i < plane.size(); i += 3) {
        int shared = in_range(&noise, -7, 7);
        for (int c = 0; c < 3; c++)
            rgb[i + c] = clamp_byte(plane[i + c] + shared + in_range(&noise, -2, 2));
    }
    return rgb;
}

std::vector<uint8_t> grey_of(const std::vector<uint8_t> &rgb)
{
    std::vector<uint8_t> grey(rgb.size() / 3);
    for (size_t i = 0; i < grey.size(); i++)
        grey[i] = static_cast<uint8_t>((299 * rgb[i * 3] + 587 * rgb[i * 3 + 1] + 114 * rgb[i * 3 + 2] + 500) / 1000);
    return grey;
}

std::vector<BenchPicture> generated_pictures()
{
    struct Size {
        int width, height;
    };
    const Size sizes[] = {{800, 600}, {1920, 1080}};

    std::vector<BenchPicture> pictures;
    for (const Size &size : sizes) {
        std::vector<uint8_t> rgb = photo_like_rgb(size.width, size.height, 20240611u);
        std::vector<uint8_t> grey = grey_of(rgb);
        for (const PictureLayout &kind : picture_layouts) {
            for (int restarts = 0; restarts < 2; restarts++) {
                EncodeOptions options = encode_options(kind, 85);
                options.restart_rows = restarts != 0;
                BenchPicture picture;
                picture.name = "gen-" + std::to_string(size.width) + "x" + std::to_string(size.height) + "-" +
                               kind.tag + (restarts ? "-rst" : "");
                picture.jpeg = libjpeg_encode(kind.components == 1 ? grey : rgb, size.width, size.height, options);
                pictures.push_back(picture);
            }
        }
    }
    return pictures;
}
