// Previews: each background and sprite as its own PNG, and a contact sheet that
// shows the screens as the game composes them (button, fields, board cells).
#include "preview.h"

#include <algorithm>

#include "backgrounds.h"
#include "font_builder.h"
#include "sound_synth.h"
#include "sprite_art.h"

namespace
{

bool save_png(const Canvas &c, const std::string &path)
{
    return cairo_surface_write_to_png(c.surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

void paste(cairo_t *cr, const Canvas &c, double x, double y, double scale = 1.0)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, c.surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), scale >= 1.0 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

// A board as a player finds it mid-game: some squares uncovered.
int sample_cell(int i)
{
    const int revealed[][2] = {{3, 6},  {12, 5}, {27, 6}, {31, 0}, {45, 6}, {48, 3}, {56, 6}, {62, 5},
                               {70, 6}, {74, 1}, {83, 6}, {89, 6}, {91, 6}, {95, 4}, {98, 6}};
    for (const auto &r : revealed)
        if (r[0] == i)
            return r[1];
    return -1;
}

// The screen as the game shows it: the background plus what the dialogs draw.
Canvas in_game(int index)
{
    Canvas c = draw_background(index);
    if (index == 2) {
        Canvas cover = draw_cover_sprite();
        for (int i = 0; i < 100; ++i) {
            const int x = layout::grid_x + (i % 10) * layout::cell_step;
            const int y = layout::grid_y + (i / 10) * layout::cell_step;
            const int t = sample_cell(i);
            if (t < 0) {
                paste(c.cr, cover, x, y);
            } else {
                Canvas p = draw_prize_sprite(t);
                paste(c.cr, p, x, y);
                canvas_destroy(p);
            }
        }
        canvas_destroy(cover);
    } else {
        Canvas ok = draw_ok_button_sprite();
        paste(c.cr, ok, layout::ok_button.x, layout::ok_button.y);
        canvas_destroy(ok);
    }
    return c;
}

void label(cairo_t *cr, const char *text, double cx, double y)
{
    TextStyle t;
    t.size = 13;
    t.colour = palette::ink;
    draw_text(cr, t, text, cx, y, Align::centre);
}

// Min/max envelope of a sound, one column per slice, full scale = half the height.
void waveform(cairo_t *cr, const std::vector<int16_t> &pcm, double x, double y, double w, double h, Colour c)
{
    set_colour(cr, c);
    cairo_set_line_width(cr, 1);
    const size_t per = pcm.size() / size_t(w) + 1;
    for (int col = 0; col < int(w); ++col) {
        int lo = 0, hi = 0;
        for (size_t i = size_t(col) * per; i < std::min(pcm.size(), size_t(col + 1) * per); ++i) {
            lo = std::min(lo, int(pcm[i]));
            hi = std::max(hi, int(pcm[i]));
        }
        cairo_move_to(cr, x + col + 0.5, y + h / 2 - hi / 32768.0 * h / 2);
        cairo_line_to(cr, x + col + 0.5, y + h / 2 - lo / 32768.0 * h / 2 + 1);
    }
    cairo_stroke(cr);
}

// Latin-1 text typed into a form field with the mono font, as the field shows it:
// black glyphs from the field's top edge on white.
void typed_field(cairo_t *cr, const std::vector<MonoRange> &font, const char *latin1, int x0, int y0)
{
    const layout::Rect f = layout::form_fields[0];
    cairo_rectangle(cr, x0, y0, f.w, f.h);
    set_colour(cr, palette::white);
    cairo_fill(cr);
    set_colour(cr, palette::ink);
    int x = x0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(latin1); *p; ++p) {
        for (const MonoRange &r : font) {
            if (*p < r.first || *p >= r.first + r.glyphs.size())
                continue;
            const MonoGlyph &g = r.glyphs[*p - r.first];
            const int row_bytes = (g.width + 7) / 8;
            for (int gy = 0; gy < g.height; ++gy)
                for (int gx = 0; gx < g.width; ++gx)
                    if (g.bits[size_t(gy * row_bytes + gx / 8)] & (0x80 >> (gx % 8)) && x + gx < x0 + f.w)
                        cairo_rectangle(cr, x + gx, y0 + gy, 1, 1);
            x += g.width;
        }
    }
    cairo_fill(cr);
}

}  // namespace

bool write_previews(const std::string &dir)
{
    bool ok = true;
    const int thumb_w = 240, thumb_h = 180, gap = 14, label_h = 20, cols = 4;
    const int sheet_w = cols * thumb_w + (cols + 1) * gap;
    const int sheet_h = 3 * (thumb_h + label_h) + 4 * gap;
    Canvas sheet = canvas_create(sheet_w, sheet_h);
    set_colour(sheet.cr, hex(0xE8EBF0));
    cairo_paint(sheet.cr);

    const double scale = double(thumb_w) / layout::screen_w;
    for (int n = 0; n < background_count; ++n) {
        Canvas bg = draw_background(n);
        ok = save_png(bg, dir + "/graphics-" + std::to_string(n) + "-" + backgrounds[n].name + ".png") && ok;
        canvas_destroy(bg);
        Canvas shown = in_game(n);
        ok = save_png(shown, dir + "/screen-" + std::to_string(n) + "-" + backgrounds[n].name + ".png") && ok;
        const int x = gap + (n % cols) * (thumb_w + gap);
        const int y = gap + (n / cols) * (thumb_h + label_h + gap);
        paste(sheet.cr, shown, x, y, scale);
        std::string caption = std::to_string(n) + "  " + backgrounds[n].name;
        label(sheet.cr, caption.c_str(), x + thumb_w / 2.0, y + thumb_h + 15);
        canvas_destroy(shown);
    }

    // The sprites in the two free places of the last row: the cell images in two
    // rows of four, then the button.
    const int sx = gap + 2 * (thumb_w + gap);
    const int sy = gap + 2 * (thumb_h + label_h + gap);
    const double k = 1.5;
    const int tile = int(layout::cell_size * k);
    Canvas zoom = canvas_create(8 * (layout::cell_size * 4 + 8) + 8 + 100 * 4, layout::cell_size * 4 + 16);
    set_colour(zoom.cr, hex(0xE8EBF0));
    cairo_paint(zoom.cr);
    for (int i = 0; i < 8; ++i) {
        Canvas p = i == 0 ? draw_cover_sprite() : draw_prize_sprite(i - 1);
        const std::string file =
            i == 0 ? "battle-0-cover.png" : "battle-" + std::to_string(3 + i) + "-" + prize_names[i - 1] + ".png";
        ok = save_png(p, dir + "/" + file) && ok;
        paste(sheet.cr, p, sx + 20 + (i % 4) * (tile + 10), sy + 20 + (i / 4) * (tile + 12), k);
        paste(zoom.cr, p, 8 + i * (layout::cell_size * 4 + 8), 8, 4.0);
        canvas_destroy(p);
    }
    Canvas button = draw_ok_button_sprite();
    ok = save_png(button, dir + "/battle-2-ok-button.png") && ok;
    paste(sheet.cr, button, sx + 20 + 4 * (tile + 10) + 24, sy + 20 + tile - 17, k);
    paste(zoom.cr, button, 8 + 8 * (layout::cell_size * 4 + 8), 8 + (layout::cell_size * 4 - 92) / 2, 4.0);
    canvas_destroy(button);
    ok = save_png(zoom, dir + "/battle-sprites-x4.png") && ok;
    canvas_destroy(zoom);
    label(sheet.cr, "battle.dat: cover, prizes (Poltrona ... Niente), OK button", sx + thumb_w + gap / 2.0,
          sy + thumb_h + 15);

    // The two sounds as waveforms on one scale: the chime, then the music loop.
    Canvas sounds = canvas_create(1000, 260);
    set_colour(sounds.cr, hex(0xE8EBF0));
    cairo_paint(sounds.cr);
    waveform(sounds.cr, synth_reveal_chime(), 10, 20, 180, 220, palette::coral);
    waveform(sounds.cr, synth_music_loop(), 210, 20, 780, 220, palette::navy);
    label(sounds.cr, "reveal chime (0.8 s)", 100, 254);
    label(sounds.cr, "music loop (16 s)", 600, 254);
    ok = save_png(sounds, dir + "/sounds.png") && ok;
    canvas_destroy(sounds);

    // The form font in the three fields, at its own size and three times larger.
    const std::vector<MonoRange> font = build_form_font();
    Canvas fields = canvas_create(340, 3 * 35 + 10);
    set_colour(fields.cr, palette::navy);
    cairo_paint(fields.cr);
    typed_field(fields.cr, font, "Niccol\xF2 \xC0lvarez", 14, 8);
    typed_field(fields.cr, font,
                "D'Annunzio-\xC7"
                "elik \xE0\xE8\xE9\xEC\xF2\xF9",
                14, 43);
    typed_field(fields.cr, font, "+39 333 123 4567", 14, 78);
    Canvas zoomed = canvas_create(fields.width * 3, fields.height * 3);
    paste(zoomed.cr, fields, 0, 0, 3.0);
    ok = save_png(fields, dir + "/battle-1-font.png") && ok;
    ok = save_png(zoomed, dir + "/battle-1-font-x3.png") && ok;
    canvas_destroy(fields);
    canvas_destroy(zoomed);

    ok = save_png(sheet, dir + "/contact-sheet.png") && ok;
    canvas_destroy(sheet);
    return ok;
}
