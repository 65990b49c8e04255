// The seven result backgrounds: a congratulation with the prize's name and a large
// illustration, or for the empty square a friendly invitation to try again (grey).
#include "prize_art.h"
#include "screen_art.h"

namespace
{

void glow_disc(cairo_t *cr, double cx, double cy, double r, Colour inner, Colour rim)
{
    cairo_pattern_t *g = cairo_pattern_create_radial(cx, cy - r * 0.3, r * 0.1, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(g, 0, palette::white.r, palette::white.g, palette::white.b);
    cairo_pattern_add_color_stop_rgb(g, 1, inner.r, inner.g, inner.b);
    cairo_arc(cr, cx, cy, r, 0, 6.2832);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set_colour(cr, rim);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
}

// Each prize's own accent for its banner, deep enough for white text.
Colour accent_of(int type)
{
    const Colour accents[6] = {palette::coral,  palette::pink,  palette::teal, mix(palette::mint, palette::ink, 0.2),
                               palette::orange, palette::violet};
    return mix(accents[type], palette::ink, 0.1);
}

// A ribbon banner carrying the prize's name.
void banner(cairo_t *cr, const char *text, double cy, Colour band, Colour text_colour)
{
    TextStyle t;
    t.bold = true;
    t.size = 40;
    t.colour = text_colour;
    double w = text_width(cr, t, text) + 80;
    if (w < 300)
        w = 300;
    const double x = 400 - w / 2, h = 58, y = cy - h / 2;
    Colour tail = mix(band, palette::ink, 0.4);
    for (int side = -1; side <= 1; side += 2) {
        double ex = side < 0 ? x - 28 : x + w + 28;
        double ix = side < 0 ? x + 12 : x + w - 12;
        cairo_move_to(cr, ix, y + 12);
        cairo_line_to(cr, ex, y + 12);
        cairo_line_to(cr, ex + side * -14, y + 12 + h / 2);
        cairo_line_to(cr, ex, y + 12 + h);
        cairo_line_to(cr, ix, y + 12 + h);
        cairo_close_path(cr);
        set_colour(cr, tail);
        cairo_fill(cr);
    }
    rounded_rect(cr, x, y, w, h, 6);
    set_colour(cr, band);
    cairo_fill(cr);
    rounded_rect(cr, x + 4, y + 4, w - 8, h - 8, 4);
    set_colour(cr, palette::gold, 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    draw_text(cr, t, text, 400, cy + 14, Align::centre, w - 40);
}

Canvas prize_result(int type)
{
    Canvas c = canvas_create(layout::screen_w, layout::screen_h);
    cairo_t *cr = c.cr;
    paint_backdrop(cr, palette::navy, palette::night, palette::sky, 400, 330);
    const layout::Rect keep[] = {{150, 20, 500, 160}, {230, 190, 340, 300}, {150, 470, 500, 60}, layout::button_dock};
    paint_confetti(cr, 100 + unsigned(type), 110, keep, 4);

    draw_text(cr, heading_style(60), "Complimenti!", 400, 78, Align::centre);
    TextStyle won;
    won.size = 24;
    won.colour = palette::cream;
    won.shadow = 2;
    draw_text(cr, won, "Hai vinto:", 400, 118, Align::centre);
    banner(cr, prize_names[type], 160, accent_of(type), palette::white);

    glow_disc(cr, 400, 335, 135, palette::cream, palette::gold);
    const double spark[][3] = {{238, 250, 16}, {560, 232, 12}, {575, 430, 18},
                               {226, 420, 11}, {258, 330, 8},  {545, 330, 9}};
    for (const auto &sp : spark)
        paint_sparkle(cr, sp[0], sp[1], sp[2], palette::gold);
    draw_prize(cr, type, 400 - 105, 335 - 105, 210);

    TextStyle collect;
    collect.bold = true;
    collect.size = 22;
    collect.colour = palette::cream;
    collect.shadow = 2;
    draw_text(cr, collect, "Ritira il tuo premio alla cassa", 400, 515, Align::centre);
    paint_button_dock(cr, palette::panel);
    return c;
}

Canvas nothing_result()
{
    // Drawn in greys and encoded as a one-component picture.
    Canvas c = canvas_create(layout::screen_w, layout::screen_h);
    cairo_t *cr = c.cr;
    const Colour top = hex(0x4A4F57), bottom = hex(0x24272C), light = hex(0x8C929B);
    paint_backdrop(cr, top, bottom, light, 400, 320);
    // soft out-of-focus lights instead of confetti: quiet, not festive
    const double lights[][3] = {{90, 130, 60},  {700, 90, 45}, {150, 420, 80}, {660, 380, 70},
                                {720, 540, 40}, {60, 560, 50}, {560, 200, 30}, {250, 250, 25}};
    for (const auto &l : lights) {
        cairo_arc(cr, l[0], l[1], l[2], 0, 6.2832);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.05);
        cairo_fill(cr);
    }

    TextStyle h = heading_style(60, hex(0xF2F2F2));
    h.outline_colour = hex(0x1C1E22);
    draw_text(cr, h, "Peccato!", 400, 82, Align::centre);
    TextStyle sub;
    sub.size = 24;
    sub.colour = hex(0xE6E6E6);
    sub.shadow = 2;
    draw_text(cr, sub, "Questa volta la casella era vuota", 400, 130, Align::centre);

    glow_disc(cr, 400, 320, 120, hex(0xD9DCE1), hex(0xB5BAC2));
    draw_prize(cr, 6, 400 - 90, 320 - 90, 180);

    TextStyle again;
    again.bold = true;
    again.size = 28;
    again.colour = hex(0xF2F2F2);
    again.shadow = 2;
    draw_text(cr, again, "Ritenta, la prossima volta andr\xC3\xA0 meglio!", 400, 490, Align::centre);
    TextStyle small;
    small.size = 17;
    small.colour = hex(0xD0D0D0);
    draw_text(cr, small, "Grazie per aver giocato", 400, 522, Align::centre);
    paint_button_dock(cr, hex(0x1C1E22));
    return c;
}

}  // namespace

Canvas draw_result_screen(int type)
{
    return type == 6 ? nothing_result() : prize_result(type);
}
