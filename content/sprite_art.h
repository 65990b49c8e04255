// The small bitmaps of "battle.dat": the covered square, the OK button and the
// seven prize tiles. The tiles are vector drawings, reused larger on the screens.
#pragma once

#include "canvas.h"

constexpr Colour board_gap_colour = palette::panel;  // what shows between the cells

// Tiles drawn into the square (x, y, size) over whatever lies below.
void draw_cover_tile(cairo_t *cr, double x, double y, double size);
void draw_prize_tile(cairo_t *cr, int type, double x, double y, double size);

Canvas draw_cover_sprite();          // 42 x 42
Canvas draw_ok_button_sprite();      // 100 x 23
Canvas draw_prize_sprite(int type);  // 42 x 42, type 0..6
