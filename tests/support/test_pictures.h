// Pixels for the tests that encode pictures with libjpeg-turbo.
#pragma once

#include <stdint.h>
#include <vector>

// A test picture with smooth gradients, hard edges and noise in every channel.
inline std::vector<uint8_t> make_picture(int width, int height, int components, uint32_t seed)
{
    std::vector<uint8_t> px(static_cast<size_t>(width) * height * components);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            for (int c = 0; c < components; c++) {
                seed = seed * 1664525u + 1013904223u;
                int v = (x * (3 + c) + y * (5 - c)) % 256;
                if (((x / 7) + (y / 5) + c) % 3 == 0)
                    v = 255 - v;
                v += static_cast<int>(seed >> 28) - 8;
                px[(static_cast<size_t>(y) * width + x) * components + c] = static_cast<uint8_t>(v < 0     ? 0
                                                                                                 : v > 255 ? 255
                                                                                                           : v);
            }
        }
    }
    return px;
}
