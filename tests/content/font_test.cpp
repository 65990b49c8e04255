// The form's font: monochrome Latin-1 glyphs that fit the 27-pixel text field,
// drawn in whatever colour the field asks for.
#include <gtest/gtest.h>

#include <cstdlib>

#include "play_datafiles.h"

namespace
{

FONT *form_font()
{
    return static_cast<FONT *>(play_datafile("battle.dat")[1].dat);
}

bool font_covers(FONT *f, int cp)
{
    for (int r = 0; r < get_font_ranges(f); ++r)
        if (cp >= get_font_range_begin(f, r) && cp <= get_font_range_end(f, r))
            return true;
    return false;
}

// Pixels of one glyph drawn in `colour` on black, as a signature.
std::vector<int> glyph_pixels(FONT *f, int cp, int colour, int *ink = nullptr)
{
    BITMAP *b = create_bitmap_ex(24, 40, 40);
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
    if (ink)
        *ink = count;
    return px;
}

TEST(ContentFont, CoversPrintableAsciiAndLatin1)
{
    FONT *f = form_font();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(is_mono_font(f));
    for (int cp = 0x20; cp <= 0x7E; ++cp)
        EXPECT_TRUE(font_covers(f, cp)) << cp;
    for (int cp = 0xA0; cp <= 0xFF; ++cp)
        EXPECT_TRUE(font_covers(f, cp)) << cp;
}

TEST(ContentFont, HeightSitsInsideTheField)
{
    FONT *f = form_font();
    EXPECT_GE(text_height(f), 12);
    EXPECT_LE(text_height(f), 23);  // 27-pixel field with room above and below
    EXPECT_GT(text_length(f, "Mario Rossi"), 60);
    EXPECT_LT(text_length(f, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), 520);
}

TEST(ContentFont, EveryVisibleGlyphHasInkInTheFieldColour)
{
    FONT *f = form_font();
    const int red = makecol24(200, 10, 10);
    for (int cp = 0x21; cp <= 0xFF; ++cp) {
        if (cp > 0x7E && cp < 0xA1)
            continue;  // no glyph there, and U+00A0 is a space
        if (cp == 0xAD)
            continue;  // soft hyphen may be blank
        int ink = 0;
        std::vector<int> px = glyph_pixels(f, cp, red, &ink);
        EXPECT_GT(ink, 0) << "U+" << std::hex << cp << " is blank";
        for (int c : px)
            ASSERT_TRUE(c == 0 || c == red) << "U+" << std::hex << cp << " not monochrome";
    }
    int space_ink = 0;
    glyph_pixels(f, ' ', red, &space_ink);
    EXPECT_EQ(space_ink, 0);
    EXPECT_GT(text_length(f, " "), 2);
}

TEST(ContentFont, AccentedVowelsDifferFromPlainOnes)
{
    FONT *f = form_font();
    const int white = makecol24(255, 255, 255);
    const int pairs[][2] = {{'a', 0xE0}, {'e', 0xE8}, {'e', 0xE9}, {'i', 0xEC}, {'o', 0xF2},
                            {'u', 0xF9}, {'A', 0xC0}, {'E', 0xC8}, {'n', 0xF1}, {'c', 0xE7}};
    for (const auto &p : pairs)
        EXPECT_NE(glyph_pixels(f, p[0], white), glyph_pixels(f, p[1], white)) << std::hex << p[1];
}

TEST(ContentFont, TypedTextSitsInTheMiddleOfTheFormField)
{
    // Drawn as the form draws it: a 311 by 27 edit field, black text on white, over
    // a green backdrop standing in for the background picture.
    FONT *form = form_font();  // starts the library
    ASSERT_NE(form, nullptr);
    BITMAP *b = create_bitmap_ex(24, 360, 60);
    const int green = makecol24(0, 255, 0), white = makecol24(255, 255, 255);
    clear_to_color(b, green);
    gui_set_screen(b);
    FONT *saved = font;
    font = form;
    char text[64];
    // "Niccolò Àgj": accents above, descenders below
    ustrzcpy(text, sizeof text, "Niccol\xC3\xB2 \xC3\x80gj");
    DIALOG field = {d_edit_proc, 10, 10, 311, 27, 0, white, 0, 0, 30, 0, text, nullptr, nullptr};
    d_edit_proc(MSG_DRAW, &field, 0);
    font = saved;
    gui_set_screen(nullptr);

    int top = -1, bottom = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 360; ++x) {
            const int c = getpixel(b, x, y);
            if (c != green && c != white) {
                EXPECT_TRUE(x >= 10 && x < 321 && y >= 10 && y < 37) << "ink outside the field at " << x << "," << y;
                if (top < 0)
                    top = y;
                bottom = y;
            }
        }
    destroy_bitmap(b);
    ASSERT_GE(top, 0);
    const int above = top - 10, below = 36 - bottom;
    EXPECT_GE(above, 2);
    EXPECT_GE(below, 2);
    EXPECT_LE(std::abs(above - below), 4);
}

}  // namespace
