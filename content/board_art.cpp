// The board background: the heading, the frame whose 4-pixel gaps show between
// the 10 by 10 cells, and the side panel listing what a board holds.
#include "screen_art.h"
#include "sprite_art.h"

#include <cstdio>

Canvas draw_board_screen()
{
    Canvas c = canvas_create(layout::screen_w, layout::screen_h);
    cairo_t *cr = c.cr;
    paint_backdrop(cr, palette::navy, palette::night, palette::sky, 294, 330);

    draw_text(cr, heading_style(40), "Scegli una casella", 400, 50, Align::centre);
    TextStyle sub;
    sub.size = 16;
    sub.colour = palette::cream;
    sub.shadow = 2;
    draw_text(cr, sub, "Clicca su una casella coperta per scoprire il premio", 400, 77, Align::centre);

    // grid frame: the cells cover x 66..521 and y 105..560; 4-pixel gaps between
    const double fx = layout::grid_x - 10, fy = layout::grid_y - 10;
    const double fw = layout::grid_right - layout::grid_x + 20, fh = layout::grid_bottom - layout::grid_y + 20;
    rounded_rect(cr, fx - 4, fy - 4, fw + 8, fh + 8, 16);
    set_colour(cr, palette::gold);
    cairo_fill(cr);
    rounded_rect(cr, fx, fy, fw, fh, 12);
    set_colour(cr, board_gap_colour);
    cairo_fill(cr);
    // each cell's place, in case a cell is drawn smaller than its square
    for (int r = 0; r < layout::grid_n; ++r)
        for (int col = 0; col < layout::grid_n; ++col) {
            rounded_rect(cr, layout::grid_x + col * layout::cell_step, layout::grid_y + r * layout::cell_step,
                         layout::cell_size, layout::cell_size, 6);
            set_colour(cr, mix(board_gap_colour, palette::sky, 0.25));
            cairo_fill(cr);
        }

    // side panel
    const double px = 552, py = 95, pw = 232, ph = 476;
    rounded_rect(cr, px, py, pw, ph, 16);
    set_colour(cr, palette::panel, 0.88);
    cairo_fill_preserve(cr);
    set_colour(cr, palette::gold);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    TextStyle ph1;
    ph1.bold = true;
    ph1.size = 24;
    ph1.colour = palette::gold;
    ph1.shadow = 2;
    draw_text(cr, ph1, "In palio", px + pw / 2, py + 38, Align::centre);
    TextStyle note;
    note.size = 14;
    note.colour = palette::cream;
    draw_text(cr, note, "in ogni tabellone", px + pw / 2, py + 58, Align::centre);

    TextStyle count;
    count.bold = true;
    count.size = 20;
    count.colour = palette::gold;
    TextStyle name;
    name.size = 17;
    name.colour = palette::cream;
    for (int t = 0; t < 6; ++t) {
        const double y = py + 78 + t * 56;
        draw_prize_tile(cr, t, px + 14, y, 46);
        char n[8];
        std::snprintf(n, sizeof n, "%d\xC3\x97", (int)prize_counts[t]);  // "2×"
        draw_text(cr, count, n, px + 96, y + 30, Align::right);
        draw_text(cr, name, prize_names[t], px + 101, y + 30, Align::left, pw - 101 - 14);
    }
    cairo_move_to(cr, px + 20, py + 420);
    cairo_line_to(cr, px + pw - 20, py + 420);
    set_colour(cr, palette::gold, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    TextStyle foot;
    foot.size = 15;
    foot.colour = palette::cream;
    draw_text(cr, foot, "11 premi nascosti", px + pw / 2, py + 444, Align::centre);
    draw_text(cr, foot, "tra 100 caselle", px + pw / 2, py + 464, Align::centre);
    return c;
}
