// Prize illustrations in a flat "sticker" style: bold shapes, one ink outline,
// a highlight per part. Coordinates are in a unit square scaled to the target.
#include "prize_art.h"

#include <cmath>

#include "canvas.h"

namespace
{

constexpr double pi = 3.14159265358979323846;
constexpr double outline = 0.035;  // ink line width in unit coordinates

void fill_and_ink(cairo_t *cr, Colour c)
{
    set_colour(cr, c);
    cairo_fill_preserve(cr);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, outline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void part(cairo_t *cr, double x, double y, double w, double h, double r, Colour c)
{
    rounded_rect(cr, x, y, w, h, r);
    fill_and_ink(cr, c);
}

void highlight(cairo_t *cr, double x, double y, double w, double h, double r)
{
    rounded_rect(cr, x, y, w, h, r);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_fill(cr);
}

void armchair(cairo_t *cr)
{
    const Colour body = palette::coral;
    const Colour dark = mix(palette::coral, palette::ink, 0.3);
    const Colour light = mix(palette::coral, palette::white, 0.25);
    // legs
    part(cr, 0.19, 0.76, 0.07, 0.15, 0.02, palette::ink);
    part(cr, 0.74, 0.76, 0.07, 0.15, 0.02, palette::ink);
    // back
    part(cr, 0.20, 0.10, 0.60, 0.56, 0.14, body);
    highlight(cr, 0.27, 0.15, 0.10, 0.40, 0.05);
    // tufting buttons
    set_colour(cr, dark);
    for (int i = 0; i < 3; ++i) {
        cairo_arc(cr, 0.36 + 0.14 * i, 0.30, 0.022, 0, 2 * pi);
        cairo_fill(cr);
    }
    // seat and base
    part(cr, 0.14, 0.60, 0.72, 0.19, 0.06, dark);
    part(cr, 0.24, 0.52, 0.52, 0.14, 0.06, light);
    // arms
    part(cr, 0.07, 0.38, 0.18, 0.40, 0.08, body);
    part(cr, 0.75, 0.38, 0.18, 0.40, 0.08, body);
    highlight(cr, 0.10, 0.41, 0.05, 0.20, 0.025);
    highlight(cr, 0.78, 0.41, 0.05, 0.20, 0.025);
}

void handbag(cairo_t *cr)
{
    const Colour body = palette::pink;
    const Colour dark = mix(palette::pink, palette::ink, 0.3);
    // handle: a thick arc, inked on both edges
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_arc(cr, 0.5, 0.40, 0.22, pi, 2 * pi);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.12);
    cairo_stroke(cr);
    cairo_arc(cr, 0.5, 0.40, 0.22, pi, 2 * pi);
    set_colour(cr, dark);
    cairo_set_line_width(cr, 0.06);
    cairo_stroke(cr);
    // body: a trapezoid with rounded bottom corners
    cairo_new_path(cr);
    cairo_move_to(cr, 0.20, 0.36);
    cairo_line_to(cr, 0.80, 0.36);
    cairo_line_to(cr, 0.89, 0.80);
    cairo_curve_to(cr, 0.90, 0.86, 0.87, 0.89, 0.82, 0.89);
    cairo_line_to(cr, 0.18, 0.89);
    cairo_curve_to(cr, 0.13, 0.89, 0.10, 0.86, 0.11, 0.80);
    cairo_close_path(cr);
    fill_and_ink(cr, body);
    // flap
    cairo_move_to(cr, 0.20, 0.36);
    cairo_line_to(cr, 0.80, 0.36);
    cairo_line_to(cr, 0.83, 0.52);
    cairo_curve_to(cr, 0.65, 0.62, 0.35, 0.62, 0.17, 0.52);
    cairo_close_path(cr);
    fill_and_ink(cr, dark);
    // clasp
    cairo_arc(cr, 0.5, 0.585, 0.065, 0, 2 * pi);
    fill_and_ink(cr, palette::gold);
    highlight(cr, 0.18, 0.62, 0.06, 0.20, 0.03);
}

void wheel(cairo_t *cr, double cx, double cy, double r)
{
    cairo_arc(cr, cx, cy, r, 0, 2 * pi);
    fill_and_ink(cr, palette::ink);
    cairo_arc(cr, cx, cy, r * 0.45, 0, 2 * pi);
    set_colour(cr, palette::cream);
    cairo_fill(cr);
}

void scooter(cairo_t *cr)
{
    const Colour frame = palette::teal;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // stem: ink then colour, for an outlined thick line
    cairo_move_to(cr, 0.78, 0.78);
    cairo_line_to(cr, 0.68, 0.15);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.14);
    cairo_stroke(cr);
    cairo_move_to(cr, 0.78, 0.78);
    cairo_line_to(cr, 0.68, 0.15);
    set_colour(cr, frame);
    cairo_set_line_width(cr, 0.075);
    cairo_stroke(cr);
    // handlebar with grips
    cairo_move_to(cr, 0.54, 0.14);
    cairo_line_to(cr, 0.82, 0.14);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.10);
    cairo_stroke(cr);
    // deck
    part(cr, 0.13, 0.66, 0.64, 0.11, 0.05, frame);
    highlight(cr, 0.20, 0.695, 0.40, 0.025, 0.012);
    // rear fender
    cairo_new_path(cr);
    cairo_arc(cr, 0.22, 0.80, 0.14, pi * 1.05, pi * 1.75);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.05);
    cairo_stroke(cr);
    wheel(cr, 0.22, 0.80, 0.11);
    wheel(cr, 0.80, 0.80, 0.11);
}

// One hanging towel: body, a woven band near the hem, and a fringe.
void hanging_towel(cairo_t *cr, double x, double w, double bottom, Colour c)
{
    const double top = 0.16;
    part(cr, x, top, w, bottom - top, 0.03, c);
    cairo_rectangle(cr, x + outline / 2, bottom - 0.17, w - outline, 0.07);
    set_colour(cr, palette::cream);
    cairo_fill(cr);
    cairo_rectangle(cr, x + outline / 2, bottom - 0.145, w - outline, 0.02);
    set_colour(cr, mix(c, palette::ink, 0.3));
    cairo_fill(cr);
    // the fold over the rail
    rounded_rect(cr, x, top, w, 0.09, 0.03);
    set_colour(cr, mix(c, palette::ink, 0.25));
    cairo_fill_preserve(cr);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, outline);
    cairo_stroke(cr);
    highlight(cr, x + 0.04, top + 0.13, 0.05, bottom - top - 0.34, 0.025);
    // fringe
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.018);
    for (double fx = x + 0.04; fx < x + w - 0.02; fx += 0.06) {
        cairo_move_to(cr, fx, bottom);
        cairo_line_to(cr, fx, bottom + 0.06);
    }
    cairo_stroke(cr);
}

void towels(cairo_t *cr)
{
    // Two towels hanging from a rail, one in front of the other.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    hanging_towel(cr, 0.44, 0.42, 0.80, palette::sky);
    hanging_towel(cr, 0.12, 0.44, 0.86, palette::mint);
    // rail with its end knobs
    part(cr, 0.04, 0.13, 0.92, 0.07, 0.035, palette::stone);
    cairo_arc(cr, 0.07, 0.165, 0.055, 0, 2 * pi);
    fill_and_ink(cr, palette::gold);
    cairo_arc(cr, 0.93, 0.165, 0.055, 0, 2 * pi);
    fill_and_ink(cr, palette::gold);
}

void tent(cairo_t *cr)
{
    const Colour canvas = palette::orange;
    // ground
    part(cr, 0.04, 0.84, 0.92, 0.07, 0.035, palette::mint);
    // guy ropes
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.02);
    cairo_move_to(cr, 0.5, 0.16);
    cairo_line_to(cr, 0.05, 0.86);
    cairo_move_to(cr, 0.5, 0.16);
    cairo_line_to(cr, 0.95, 0.86);
    cairo_stroke(cr);
    // canvas
    cairo_move_to(cr, 0.5, 0.14);
    cairo_line_to(cr, 0.88, 0.86);
    cairo_line_to(cr, 0.12, 0.86);
    cairo_close_path(cr);
    fill_and_ink(cr, canvas);
    // shaded right side
    cairo_move_to(cr, 0.5, 0.16);
    cairo_line_to(cr, 0.86, 0.845);
    cairo_line_to(cr, 0.66, 0.845);
    cairo_close_path(cr);
    set_colour(cr, mix(canvas, palette::ink, 0.2));
    cairo_fill(cr);
    // door
    cairo_move_to(cr, 0.5, 0.42);
    cairo_line_to(cr, 0.64, 0.86);
    cairo_line_to(cr, 0.36, 0.86);
    cairo_close_path(cr);
    fill_and_ink(cr, palette::ink);
    cairo_move_to(cr, 0.5, 0.42);
    cairo_line_to(cr, 0.5, 0.86);
    cairo_line_to(cr, 0.38, 0.86);
    cairo_close_path(cr);
    set_colour(cr, mix(canvas, palette::cream, 0.4));
    cairo_fill(cr);
    // flag on the pole
    cairo_move_to(cr, 0.5, 0.15);
    cairo_line_to(cr, 0.5, 0.03);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 0.03);
    cairo_stroke(cr);
    cairo_move_to(cr, 0.5, 0.03);
    cairo_line_to(cr, 0.64, 0.065);
    cairo_line_to(cr, 0.5, 0.10);
    cairo_close_path(cr);
    fill_and_ink(cr, palette::coral);
}

void phone(cairo_t *cr)
{
    part(cr, 0.28, 0.06, 0.44, 0.88, 0.08, palette::ink);
    // screen with a glow
    cairo_pattern_t *g = cairo_pattern_create_linear(0, 0.14, 0, 0.80);
    cairo_pattern_add_color_stop_rgb(g, 0, palette::sky.r, palette::sky.g, palette::sky.b);
    cairo_pattern_add_color_stop_rgb(g, 1, palette::teal.r, palette::teal.g, palette::teal.b);
    rounded_rect(cr, 0.33, 0.15, 0.34, 0.64, 0.03);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // app tiles
    const Colour apps[6] = {palette::gold, palette::coral, palette::mint,
                            palette::pink, palette::cream, palette::orange};
    for (int i = 0; i < 6; ++i) {
        double x = 0.365 + (i % 2) * 0.15;
        double y = 0.20 + (i / 2) * 0.16;
        rounded_rect(cr, x, y, 0.12, 0.12, 0.03);
        set_colour(cr, apps[i]);
        cairo_fill(cr);
    }
    // speaker and home button
    rounded_rect(cr, 0.44, 0.095, 0.12, 0.025, 0.012);
    set_colour(cr, palette::stone);
    cairo_fill(cr);
    cairo_arc(cr, 0.5, 0.865, 0.035, 0, 2 * pi);
    set_colour(cr, palette::stone);
    cairo_set_line_width(cr, 0.02);
    cairo_stroke(cr);
    // glass reflection
    cairo_move_to(cr, 0.33, 0.15);
    cairo_line_to(cr, 0.50, 0.15);
    cairo_line_to(cr, 0.33, 0.48);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_fill(cr);
}

void empty_mark(cairo_t *cr)
{
    // A ring with a slash: "nothing here", in quiet grey.
    cairo_arc(cr, 0.5, 0.5, 0.30, 0, 2 * pi);
    set_colour(cr, palette::stone);
    cairo_set_line_width(cr, 0.09);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 0.30, 0.70);
    cairo_line_to(cr, 0.70, 0.30);
    cairo_stroke(cr);
}

}  // namespace

void draw_prize(cairo_t *cr, int type, double x, double y, double size)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, size, size);
    cairo_new_path(cr);
    switch (type) {
    case 0:
        armchair(cr);
        break;
    case 1:
        handbag(cr);
        break;
    case 2:
        scooter(cr);
        break;
    case 3:
        towels(cr);
        break;
    case 4:
        tent(cr);
        break;
    case 5:
        phone(cr);
        break;
    default:
        empty_mark(cr);
        break;
    }
    cairo_restore(cr);
}
