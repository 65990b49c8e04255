// One pixel's channels as the tests compare them, and reading one from a bitmap.
#pragma once

#include <ostream>

struct BITMAP;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb &o) const
    {
        return r == o.r && g == o.g && b == o.b;
    }
    bool operator!=(const Rgb &o) const
    {
        return !(*this == o);
    }
};

std::ostream &operator<<(std::ostream &os, const Rgb &c);

// The pixel at (x, y) of a 24-bit bitmap.
Rgb pixel_rgb(BITMAP *bitmap, int x, int y);
