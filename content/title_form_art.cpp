// The title and form backgrounds: the game's name and invitation, then the
// registration card with a label above each of the three white fields.
#include "screen_art.h"
#include "shell/form_labels.h"
#include "sprite_art.h"

namespace
{

void heading(cairo_t *cr, const char *text, double y, double size)
{
    draw_text(cr, heading_style(size), text, layout::screen_w / 2.0, y, Align::centre, 740);
}

void body(cairo_t *cr, const char *text, double x, double y, double size, Align align, Colour colour = palette::cream,
          bool bold = false)
{
    TextStyle t;
    t.size = size;
    t.bold = bold;
    t.colour = colour;
    t.shadow = 2;
    draw_text(cr, t, text, x, y, align, 720);
}

// A numbered step of the title's "how to play" strip.
void step(cairo_t *cr, int number, const char *text, double cx, double y)
{
    cairo_arc(cr, cx, y, 17, 0, 6.2832);
    set_colour(cr, palette::gold);
    cairo_fill(cr);
    TextStyle n;
    n.bold = true;
    n.size = 20;
    n.colour = palette::ink;
    char digit[2] = {char('0' + number), 0};
    draw_text(cr, n, digit, cx, y + 7, Align::centre);
    body(cr, text, cx, y + 44, 17, Align::centre);
}

// A small stand of board tiles, some uncovered, as the title's centrepiece.
void mini_board(cairo_t *cr, double x0, double y0)
{
    const int cols = 7, rows = 3;
    const double size = 52, step_px = 58;
    rounded_rect(cr, x0 - 12, y0 - 12, cols * step_px + 18, rows * step_px + 18, 14);
    set_colour(cr, board_gap_colour);
    cairo_fill_preserve(cr);
    set_colour(cr, palette::gold);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    const int shown[rows][cols] = {{-1, 0, -1, -1, 4, -1, -1}, {-1, -1, 5, -1, -1, 1, -1}, {3, -1, -1, 6, -1, -1, 2}};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            if (shown[r][c] < 0)
                draw_cover_tile(cr, x0 + c * step_px, y0 + r * step_px, size);
            else
                draw_prize_tile(cr, shown[r][c], x0 + c * step_px, y0 + r * step_px, size);
        }
}

}  // namespace

Canvas draw_title_screen()
{
    Canvas c = canvas_create(layout::screen_w, layout::screen_h);
    cairo_t *cr = c.cr;
    paint_backdrop(cr, palette::navy, palette::night, palette::sky, 400, 250);
    const layout::Rect keep[] = {{40, 20, 720, 150}, {150, 180, 500, 200}, {60, 390, 680, 180}, layout::button_dock};
    paint_confetti(cr, 7, 70, keep, 4);

    heading(cr, "Tabellone dei Premi", 102, 58);
    const double spark[][3] = {{52, 48, 14},  {748, 58, 18},  {726, 128, 9},
                               {80, 128, 10}, {176, 292, 12}, {626, 214, 10}};
    for (const auto &sp : spark)
        paint_sparkle(cr, sp[0], sp[1], sp[2], palette::gold);
    body(cr, "Gioca e vinci subito un premio!", 400, 152, 24, Align::centre, palette::cream, true);

    mini_board(cr, 400 - (7 * 58 - 6) / 2.0, 200);

    step(cr, 1, "Inserisci i tuoi dati", 170, 420);
    step(cr, 2, "Scegli una casella", 400, 420);
    step(cr, 3, "Scopri il tuo premio", 630, 420);

    body(cr, "Premi OK per iniziare", 400, 520, 20, Align::centre, palette::gold, true);
    paint_button_dock(cr, palette::panel);
    return c;
}

Canvas draw_form_screen()
{
    Canvas c = canvas_create(layout::screen_w, layout::screen_h);
    cairo_t *cr = c.cr;
    paint_backdrop(cr, palette::navy, palette::night, palette::sky, 400, 120);

    heading(cr, "Registrati per giocare", 90, 48);
    body(cr, "Scrivi i tuoi dati nei tre campi, poi premi OK", 400, 135, 20, Align::centre);

    // the card that holds the fields
    rounded_rect(cr, 22, 172, 756, 200, 18);
    set_colour(cr, palette::panel, 0.85);
    cairo_fill_preserve(cr);
    set_colour(cr, palette::gold);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    for (int i = 0; i < FORM_FIELD_COUNT; ++i) {
        const layout::Rect f = layout::form_fields[i];
        body(cr, form_field_labels[i], f.x + 2, f.y - 9, 18, Align::left, palette::gold, true);
        // a recessed frame just outside the field; the inside stays plain white
        rounded_rect(cr, f.x - 3, f.y - 3, f.w + 6, f.h + 6, 4);
        set_colour(cr, palette::sky);
        cairo_fill(cr);
        cairo_rectangle(cr, f.x, f.y, f.w, f.h);
        set_colour(cr, palette::white);
        cairo_fill(cr);
    }
    // beside the third field: a padlock and a word on what the data are for
    const layout::Rect f3 = layout::form_fields[2];
    const double lx = layout::form_fields[1].x, ly = f3.y + 4;
    cairo_arc(cr, lx + 10, ly + 7, 6.5, 3.1416, 0);
    set_colour(cr, palette::gold);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    rounded_rect(cr, lx + 1, ly + 7, 18, 14, 3);
    cairo_fill(cr);
    cairo_arc(cr, lx + 10, ly + 13, 2.2, 0, 6.2832);
    set_colour(cr, palette::panel);
    cairo_fill(cr);
    body(cr, "I dati servono solo per registrare", lx + 30, f3.y + 10, 15, Align::left);
    body(cr, "la giocata e consegnarti il premio.", lx + 30, f3.y + 28, 15, Align::left);

    // what is up for grabs, as a strip of tiles
    body(cr, "In palio oggi", 400, 420, 20, Align::centre, palette::gold, true);
    for (int t = 0; t < 6; ++t) {
        draw_prize_tile(cr, t, 400 - 3 * 84 + t * 84 + 12, 436, 60);
    }
    paint_button_dock(cr, palette::panel);
    return c;
}
