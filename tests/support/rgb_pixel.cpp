// Pixel records for the tests.
#include "tests/support/rgb_pixel.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

std::ostream &operator<<(std::ostream &os, const Rgb &c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb pixel_rgb(BITMAP *bitmap, int x, int y)
{
    int p = getpixel(bitmap, x, y);
    return {getr24(p), getg24(p), getb24(p)};
}
