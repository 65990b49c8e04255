// Cairo drawing helpers shared by the picture families: surfaces, colours, rounded
// shapes, text in the house typefaces, backdrops and pixel export.
#pragma once

#include <cairo.h>

#include "datafile_writer.h"
#include "layout.h"
#include "style.h"

struct Canvas {
    cairo_surface_t *surface = nullptr;
    cairo_t *cr = nullptr;
    int width = 0;
    int height = 0;
};

Canvas canvas_create(int width, int height);
void canvas_destroy(Canvas &canvas);
Bytes canvas_rgb(const Canvas &canvas);  // width*height*3, R G B
Canvas canvas_copy(const Canvas &canvas);

void set_colour(cairo_t *cr, Colour c, double alpha = 1.0);
Colour mix(Colour a, Colour b, double t);  // t = 0 gives a
Colour grey_of(Colour c);                  // luminance as a grey
void rounded_rect(cairo_t *cr, double x, double y, double w, double h, double r);

enum class Align { left, centre, right };

struct TextStyle {
    const char *family = type::sans;
    bool bold = false;
    double size = 20;
    Colour colour = palette::cream;
    double shadow = 0;   // offset of a soft drop shadow, 0 for none
    double outline = 0;  // width of a dark outline, 0 for none
    Colour outline_colour = palette::ink;
};

// The screens' big titles: bold, outlined, with a drop shadow.
TextStyle heading_style(double size, Colour colour = palette::gold);

void select_font(cairo_t *cr, const TextStyle &style);
double text_width(cairo_t *cr, const TextStyle &style, const char *utf8);
// Draws one line at baseline y; shrinks the size so the text fits max_width (if > 0).
void draw_text(cairo_t *cr, const TextStyle &style, const char *utf8, double x, double y, Align align,
               double max_width = 0);

// Backdrop of every screen: a vertical gradient with a soft glow and faint rays.
void paint_backdrop(cairo_t *cr, Colour top, Colour bottom, Colour glow, double glow_x, double glow_y);
// Scattered confetti that stays out of the given rectangles (deterministic).
void paint_confetti(cairo_t *cr, unsigned seed, int count, const layout::Rect *keep_out, int keep_out_count,
                    bool greys = false);
// A four-pointed sparkle of radius r.
void paint_sparkle(cairo_t *cr, double x, double y, double r, Colour c);
// The plate the OK button sits on; the button's own rectangle is left plain.
void paint_button_dock(cairo_t *cr, Colour plate);
