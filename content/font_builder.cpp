// Glyph rasterisation: one Cairo A8 surface per glyph with anti-aliasing off and
// full hinting, then packed into rows of bits. All glyphs share the font's height.
#include "font_builder.h"

#include <cairo.h>
#include <cmath>

#include "style.h"

namespace
{

struct Metrics {
    int ascent;
    int height;
};

void set_mono_font(cairo_t *cr)
{
    cairo_select_font_face(cr, type::sans, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font_pixel_size);
    cairo_font_options_t *o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

// UTF-8 of one code point below U+0800.
void utf8_of(unsigned cp, char out[4])
{
    if (cp < 0x80) {
        out[0] = char(cp);
        out[1] = 0;
    } else {
        out[0] = char(0xC0 | (cp >> 6));
        out[1] = char(0x80 | (cp & 0x3F));
        out[2] = 0;
    }
}

MonoGlyph render_glyph(unsigned cp, const Metrics &m)
{
    char text[4];
    utf8_of(cp, text);

    cairo_surface_t *probe_surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t *probe = cairo_create(probe_surface);
    set_mono_font(probe);
    cairo_text_extents_t e;
    cairo_text_extents(probe, text, &e);
    cairo_destroy(probe);
    cairo_surface_destroy(probe_surface);

    // Cell from the pen origin to the advance, widened where the ink reaches past it.
    int advance = int(std::lround(e.x_advance));
    int left = 0, right = advance;
    if (e.width > 0) {
        left = std::min(0, int(std::floor(e.x_bearing)));
        right = std::max(advance, int(std::ceil(e.x_bearing + e.width)));
    }
    int width = std::max(1, right - left);

    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_A8, width, m.height);
    cairo_t *cr = cairo_create(s);
    set_mono_font(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_move_to(cr, -left, m.ascent);
    cairo_show_text(cr, text);
    cairo_surface_flush(s);

    MonoGlyph g;
    g.width = width;
    g.height = m.height;
    const int row_bytes = (width + 7) / 8;
    g.bits.assign(size_t(row_bytes) * size_t(m.height), 0);
    const unsigned char *data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < width; ++x)
            if (data[y * stride + x] >= 128)
                g.bits[size_t(y * row_bytes + x / 8)] |= uint8_t(0x80 >> (x % 8));
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return g;
}

Metrics font_metrics()
{
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t *cr = cairo_create(s);
    set_mono_font(cr);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    Metrics m;
    m.ascent = font_top_padding + int(std::ceil(fe.ascent));
    m.height = m.ascent + int(std::ceil(fe.descent));
    return m;
}

}  // namespace

std::vector<MonoRange> build_form_font()
{
    const Metrics m = font_metrics();
    std::vector<MonoRange> ranges;
    const unsigned spans[2][2] = {{0x20, 0x7E}, {0xA0, 0xFF}};
    for (const auto &span : spans) {
        MonoRange r;
        r.first = span[0];
        for (unsigned cp = span[0]; cp <= span[1]; ++cp)
            r.glyphs.push_back(render_glyph(cp, m));
        ranges.push_back(r);
    }
    return ranges;
}
