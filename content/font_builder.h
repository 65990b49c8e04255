// The form's typing font: DejaVu Sans rendered without anti-aliasing into
// monochrome glyphs for Allegro, so the text field paints them in its own colour.
#pragma once

#include "datafile_writer.h"

constexpr int font_pixel_size = 16;  // em size handed to Cairo
// The text field draws its text from its top edge; blank rows above every glyph
// put the text in the middle of the 27-pixel field instead.
constexpr int font_top_padding = 4;

// Ranges U+0020..U+007E and U+00A0..U+00FF, every glyph of one common height.
std::vector<MonoRange> build_form_font();
