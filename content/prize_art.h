// The seven prize illustrations as vector drawings, so the same art serves the
// 42-pixel board sprites, the side panel and the large result pictures.
#pragma once

#include <cairo.h>

// Draws prize `type` (0..6, the game's prize order) inside the square (x, y, size).
void draw_prize(cairo_t *cr, int type, double x, double y, double size);
