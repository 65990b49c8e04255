// Object n of "graphics.dat" is background n: names, encodings and drawing.
#include "backgrounds.h"

#include "screen_art.h"

namespace
{

constexpr JpegOptions jpeg(Sampling s, bool restart, bool optimise)
{
    JpegOptions o;
    o.sampling = s;
    o.restart_every_row = restart;
    o.optimise_huffman = optimise;
    return o;
}

}  // namespace

// Sampling, restarts and tables vary on purpose: 4:4:4, 4:2:2 and 4:2:0 colour,
// one grey picture, two with a restart after every MCU row, standard and
// optimised Huffman tables. Fine-lined pictures (board, form) keep full chroma
// or horizontal-only subsampling.
const BackgroundInfo backgrounds[background_count] = {
    {"TITLE", jpeg(Sampling::s444, false, false)},       {"FORM", jpeg(Sampling::s422, true, true)},
    {"BOARD", jpeg(Sampling::s444, true, true)},         {"POLTRONA", jpeg(Sampling::s420, false, false)},
    {"BORSA", jpeg(Sampling::s420, false, true)},        {"MONOPATTINO", jpeg(Sampling::s422, false, false)},
    {"ASCIUGAMANI", jpeg(Sampling::s420, false, false)}, {"TENDA", jpeg(Sampling::s422, false, true)},
    {"TELEFONO", jpeg(Sampling::s444, false, false)},    {"NIENTE", jpeg(Sampling::grey, false, true)},
};

Canvas draw_background(int index)
{
    if (index == 0)
        return draw_title_screen();
    if (index == 1)
        return draw_form_screen();
    if (index == 2)
        return draw_board_screen();
    return draw_result_screen(index - 3);
}
