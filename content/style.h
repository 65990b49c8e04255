// The house style shared by every picture and sprite: palette, typefaces and the
// prize names, so a colour or a text changes in one place.
#pragma once

#include "shell/game_contract.h"

struct Colour {
    double r, g, b;
};

constexpr Colour hex(unsigned v)
{
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

namespace palette
{
constexpr Colour night = hex(0x12264A);  // deepest background
constexpr Colour navy = hex(0x1D3B6E);   // background body
constexpr Colour sky = hex(0x2F6DB0);    // background glow
constexpr Colour panel = hex(0x0F2142);  // grid frame and cards
constexpr Colour gold = hex(0xF5C542);   // headings, frames
constexpr Colour gold_dark = hex(0xC8901E);
constexpr Colour cream = hex(0xFFF6E0);  // body text on dark, prize tiles
constexpr Colour coral = hex(0xE85D4A);
constexpr Colour mint = hex(0x3FBF8F);
constexpr Colour teal = hex(0x2AA7B8);
constexpr Colour pink = hex(0xD9497E);
constexpr Colour orange = hex(0xF28C28);
constexpr Colour violet = hex(0x7A5BD6);
constexpr Colour ink = hex(0x1A2440);  // outlines of the illustrations
constexpr Colour white = hex(0xFFFFFF);
constexpr Colour stone = hex(0x8A94A6);  // the empty mark
}  // namespace palette

namespace type
{
constexpr const char *sans = "DejaVu Sans";
constexpr const char *serif = "DejaVu Serif";
}  // namespace type
