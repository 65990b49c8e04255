// The form's font: monochrome Latin-1 glyphs that fit the 27-pixel text field,
// drawn in whatever colour the field asks for.
#include <gtest/gtest.h>

#include "play_datafiles.h"

namespace {

FONT* form_font() { return static_cast<FONT*>(play_datafile("battle.dat")[1].dat); }

bool font_covers(FONT* f, int cp) {
    for (int r = 0; r < get_font_ranges(f); ++r)
        if (cp >= get_font_range_begin(f, r) && cp <= get_font_range_end(f, r)) return true;
    return false;
}

// Pixels of one glyph drawn in `colour` on black, as a signature.
std::vector<int> glyph_pixels(FONT* f, int cp, int colour, int* ink = nullptr) {
    BITMAP* b = create_bitmap_ex(24, 40, 40);
    clear_to_color(b, 0);
    char text[8];
    usetc(text + usetc(text, cp), 0);
    textout_ex(b, f, text, 2, 2, colour, -1);
    std::vector<int> px;
    int count = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            int c = getpixel(b, x, y);
            px.push_back(c);
            count += c != 0;
        }
    destroy_bitmap(b);
    if (ink) *ink = count;
    return px;
}

TEST(ContentFont, CoversPrintableAsciiAndLatin1) {
    FONT* f = form_font();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(is_mono_font(f));
    for (int cp = 0x20; cp <= 0x7E; ++cp) EXPECT_TRUE(font_covers(f, cp)) << cp;
    for (int cp = 0xA0; cp <= 0xFF; ++cp) EXPECT_TRUE(font_covers(f, cp)) << cp;
}

TEST(ContentFont, HeightSitsInsideTheField) {
    FONT* f = form_font();
    EXPECT_GE(text_height(f), 12);
    EXPECT_LE(text_height(f), 23);  // 27-pixel field with room above and below
    EXPECT_GT(text_length(f, "Mario Rossi"), 60);
    EXPECT_LT(text_length(f, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), 520);
}

TEST(ContentFont, EveryVisibleGlyphHasInkInTheFieldColour) {
    FONT* f = form_font();
    const int red = makecol24(200, 10, 10);
    for (int cp = 0x21; cp <= 0xFF; ++cp) {
        if (cp > 0x7E && cp < 0xA1) continue;  // no glyph there, and U+00A0 is a space
        if (cp == 0xAD) continue;              // soft hyphen may be blank
        int ink = 0;
        std::vector<int> px = glyph_pixels(f, cp, red, &ink);
        EXPECT_GT(ink, 0) << "U+" << std::hex << cp << " is blank";
        for (int c : px) ASSERT_TRUE(c == 0 || c == red) << "U+" << std::hex << cp << " not monochrome";
    }
    int space_ink = 0;
    glyph_pixels(f, ' ', red, &space_ink);
    EXPECT_EQ(space_ink, 0);
    EXPECT_GT(text_length(f, " "), 2);
}

TEST(ContentFont, AccentedVowelsDifferFromPlainOnes) {
    FONT* f = form_font();
    const int white = makecol24(255, 255, 255);
    const int pairs[][2] = {{'a', 0xE0}, {'e', 0xE8}, {'e', 0xE9}, {'i', 0xEC}, {'o', 0xF2},
                            {'u', 0xF9}, {'A', 0xC0}, {'E', 0xC8}, {'n', 0xF1}, {'c', 0xE7}};
    for (const auto& p : pairs)
        EXPECT_NE(glyph_pixels(f, p[0], white), glyph_pixels(f, p[1], white)) << std::hex << p[1];
}

}  // namespace
