// Sprites: rounded tiles whose corners take the board frame's colour, so they sit
// seamlessly in the grid; the button is a full rectangle (it has no fixed backdrop).
#include "sprite_art.h"

#include "prize_art.h"

namespace
{

void tile_base(cairo_t *cr, double x, double y, double size, Colour top, Colour bottom, Colour rim)
{
    const double k = size / layout::cell_size;
    rounded_rect(cr, x + 0.5 * k, y + 0.5 * k, size - k, size - k, 6 * k);
    cairo_pattern_t *g = cairo_pattern_create_linear(0, y, 0, y + size);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set_colour(cr, rim);
    cairo_set_line_width(cr, 1.5 * k);
    cairo_stroke(cr);
}

Canvas sprite_canvas()
{
    Canvas c = canvas_create(layout::cell_size, layout::cell_size);
    set_colour(c.cr, board_gap_colour);
    cairo_paint(c.cr);
    return c;
}

}  // namespace

void draw_cover_tile(cairo_t *cr, double x, double y, double size)
{
    const double k = size / layout::cell_size;
    cairo_save(cr);
    tile_base(cr, x, y, size, palette::sky, palette::navy, palette::gold);
    rounded_rect(cr, x + 4 * k, y + 4 * k, 34 * k, 34 * k, 4 * k);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.14);
    cairo_set_line_width(cr, 1 * k);
    cairo_stroke(cr);
    TextStyle q;
    q.bold = true;
    q.size = 27 * k;
    q.colour = palette::gold;
    q.shadow = 1.5 * k;
    draw_text(cr, q, "?", x + 21 * k, y + 31 * k, Align::centre);
    cairo_restore(cr);
}

void draw_prize_tile(cairo_t *cr, int type, double x, double y, double size)
{
    const double k = size / layout::cell_size;
    cairo_save(cr);
    if (type == 6)
        tile_base(cr, x, y, size, hex(0xEEF1F5), hex(0xCFD5DF), palette::stone);
    else
        tile_base(cr, x, y, size, palette::white, palette::cream, palette::gold);
    draw_prize(cr, type, x + 3 * k, y + 3 * k, 36 * k);
    cairo_restore(cr);
}

Canvas draw_cover_sprite()
{
    Canvas c = sprite_canvas();
    draw_cover_tile(c.cr, 0, 0, layout::cell_size);
    return c;
}

Canvas draw_prize_sprite(int type)
{
    Canvas c = sprite_canvas();
    draw_prize_tile(c.cr, type, 0, 0, layout::cell_size);
    return c;
}

Canvas draw_ok_button_sprite()
{
    const layout::Rect b = layout::ok_button;
    Canvas c = canvas_create(b.w, b.h);
    cairo_t *cr = c.cr;
    cairo_pattern_t *g = cairo_pattern_create_linear(0, 0, 0, b.h);
    Colour top = mix(palette::gold, palette::white, 0.35);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 0.55, palette::gold.r, palette::gold.g, palette::gold.b);
    cairo_pattern_add_color_stop_rgb(g, 1, palette::gold_dark.r, palette::gold_dark.g, palette::gold_dark.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_rectangle(cr, 0.5, 0.5, b.w - 1, b.h - 1);
    set_colour(cr, palette::ink);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    TextStyle t;
    t.bold = true;
    t.size = 15;
    t.colour = palette::ink;
    draw_text(cr, t, "OK", b.w / 2.0, 17, Align::centre);
    return c;
}
