// Cairo helpers: the building blocks behind every picture of the game.
#include "canvas.h"

#include <cmath>

Canvas canvas_create(int width, int height)
{
    Canvas c;
    c.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    c.cr = cairo_create(c.surface);
    c.width = width;
    c.height = height;
    return c;
}

void canvas_destroy(Canvas &canvas)
{
    if (canvas.cr)
        cairo_destroy(canvas.cr);
    if (canvas.surface)
        cairo_surface_destroy(canvas.surface);
    canvas = Canvas{};
}

Canvas canvas_copy(const Canvas &canvas)
{
    Canvas c = canvas_create(canvas.width, canvas.height);
    cairo_surface_flush(canvas.surface);
    cairo_set_source_surface(c.cr, canvas.surface, 0, 0);
    cairo_paint(c.cr);
    return c;
}

Bytes canvas_rgb(const Canvas &canvas)
{
    cairo_surface_flush(canvas.surface);
    const unsigned char *data = cairo_image_surface_get_data(canvas.surface);
    const int stride = cairo_image_surface_get_stride(canvas.surface);
    Bytes rgb(size_t(canvas.width) * size_t(canvas.height) * 3);
    size_t k = 0;
    for (int y = 0; y < canvas.height; ++y) {
        const uint32_t *row = reinterpret_cast<const uint32_t *>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < canvas.width; ++x) {
            uint32_t p = row[x];
            rgb[k++] = uint8_t(p >> 16);
            rgb[k++] = uint8_t(p >> 8);
            rgb[k++] = uint8_t(p);
        }
    }
    return rgb;
}

void set_colour(cairo_t *cr, Colour c, double alpha)
{
    if (alpha >= 1.0)
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
    else
        cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour grey_of(Colour c)
{
    double y = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
    return {y, y, y};
}

void rounded_rect(cairo_t *cr, double x, double y, double w, double h, double r)
{
    const double pi = 3.14159265358979323846;
    if (r > w / 2)
        r = w / 2;
    if (r > h / 2)
        r = h / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

TextStyle heading_style(double size, Colour colour)
{
    TextStyle t;
    t.bold = true;
    t.size = size;
    t.colour = colour;
    t.outline = 2.5;
    t.shadow = 4;
    return t;
}

void select_font(cairo_t *cr, const TextStyle &style)
{
    cairo_select_font_face(cr, style.family, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
}

double text_width(cairo_t *cr, const TextStyle &style, const char *utf8)
{
    select_font(cr, style);
    cairo_text_extents_t e;
    cairo_text_extents(cr, utf8, &e);
    return e.x_advance;
}

void draw_text(cairo_t *cr, const TextStyle &style_in, const char *utf8, double x, double y, Align align,
               double max_width)
{
    TextStyle style = style_in;
    double w = text_width(cr, style, utf8);
    if (max_width > 0 && w > max_width) {
        style.size *= max_width / w;
        w = text_width(cr, style, utf8);
    }
    if (align == Align::centre)
        x -= w / 2;
    if (align == Align::right)
        x -= w;

    cairo_save(cr);
    select_font(cr, style);
    if (style.shadow > 0) {
        cairo_move_to(cr, x + style.shadow * 0.6, y + style.shadow);
        cairo_text_path(cr, utf8);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        if (style.outline > 0) {
            cairo_set_line_width(cr, style.outline * 2);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke_preserve(cr);
        }
        cairo_fill(cr);
    }
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, utf8);
    if (style.outline > 0) {
        set_colour(cr, style.outline_colour);
        cairo_set_line_width(cr, style.outline * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    set_colour(cr, style.colour);
    cairo_fill(cr);
    cairo_restore(cr);
}

void paint_backdrop(cairo_t *cr, Colour top, Colour bottom, Colour glow, double glow_x, double glow_y)
{
    const double pi = 3.14159265358979323846;
    cairo_save(cr);
    cairo_pattern_t *lin = cairo_pattern_create_linear(0, 0, 0, layout::screen_h);
    cairo_pattern_add_color_stop_rgb(lin, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(lin, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, lin);
    cairo_paint(cr);
    cairo_pattern_destroy(lin);

    // Faint rays from the glow centre.
    cairo_set_source_rgba(cr, 1, 1, 1, 0.035);
    const int rays = 18;
    for (int i = 0; i < rays; ++i) {
        double a0 = 2 * pi * i / rays;
        double a1 = a0 + pi / rays;
        cairo_move_to(cr, glow_x, glow_y);
        cairo_line_to(cr, glow_x + 1200 * std::cos(a0), glow_y + 1200 * std::sin(a0));
        cairo_line_to(cr, glow_x + 1200 * std::cos(a1), glow_y + 1200 * std::sin(a1));
        cairo_close_path(cr);
        cairo_fill(cr);
    }

    cairo_pattern_t *rad = cairo_pattern_create_radial(glow_x, glow_y, 0, glow_x, glow_y, 420);
    cairo_pattern_add_color_stop_rgba(rad, 0, glow.r, glow.g, glow.b, 0.55);
    cairo_pattern_add_color_stop_rgba(rad, 1, glow.r, glow.g, glow.b, 0.0);
    cairo_set_source(cr, rad);
    cairo_paint(cr);
    cairo_pattern_destroy(rad);
    cairo_restore(cr);
}

namespace
{

// A small fixed generator so every build scatters the confetti identically.
struct Lcg {
    uint32_t state;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 24);
    }
};

bool inside(const layout::Rect &r, double x, double y, double margin)
{
    return x > r.x - margin && x < r.x + r.w + margin && y > r.y - margin && y < r.y + r.h + margin;
}

}  // namespace

void paint_confetti(cairo_t *cr, unsigned seed, int count, const layout::Rect *keep_out, int keep_out_count, bool greys)
{
    const Colour colours[] = {palette::gold, palette::coral, palette::mint,
                              palette::teal, palette::pink,  palette::cream};
    Lcg rng{seed};
    cairo_save(cr);
    int placed = 0;
    for (int tries = 0; placed < count && tries < count * 50; ++tries) {
        double x = rng.next() * layout::screen_w;
        double y = rng.next() * layout::screen_h;
        double angle = rng.next() * 6.283;
        double len = 6 + rng.next() * 8;
        Colour c = colours[int(rng.next() * 6) % 6];
        double shape = rng.next();
        bool blocked = false;
        for (int i = 0; i < keep_out_count; ++i)
            blocked = blocked || inside(keep_out[i], x, y, 16);
        if (blocked)
            continue;
        ++placed;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, angle);
        set_colour(cr, greys ? grey_of(c) : c, 0.85);
        if (shape < 0.5)
            cairo_rectangle(cr, -len / 2, -2.2, len, 4.4);
        else if (shape < 0.8)
            cairo_arc(cr, 0, 0, 3.2, 0, 6.283);
        else {
            cairo_move_to(cr, -len / 2, 0);
            cairo_curve_to(cr, -len / 4, -5, len / 4, 5, len / 2, 0);
            cairo_set_line_width(cr, 2.4);
            cairo_stroke(cr);
            cairo_restore(cr);
            continue;
        }
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

void paint_button_dock(cairo_t *cr, Colour plate)
{
    const layout::Rect d = layout::button_dock;
    cairo_save(cr);
    rounded_rect(cr, d.x, d.y, d.w, d.h, 12);
    set_colour(cr, plate);
    cairo_fill(cr);
    cairo_restore(cr);
}

void paint_sparkle(cairo_t *cr, double x, double y, double r, Colour c)
{
    cairo_move_to(cr, x, y - r);
    cairo_curve_to(cr, x + r * 0.12, y - r * 0.12, x + r * 0.12, y - r * 0.12, x + r, y);
    cairo_curve_to(cr, x + r * 0.12, y + r * 0.12, x + r * 0.12, y + r * 0.12, x, y + r);
    cairo_curve_to(cr, x - r * 0.12, y + r * 0.12, x - r * 0.12, y + r * 0.12, x - r, y);
    cairo_curve_to(cr, x - r * 0.12, y - r * 0.12, x - r * 0.12, y - r * 0.12, x, y - r);
    cairo_close_path(cr);
    set_colour(cr, c);
    cairo_fill(cr);
}
