// Screen geometry the game draws over the backgrounds: the OK button, the form's
// three text fields and the board's 10 by 10 cells. The pictures keep these clear.
#pragma once

namespace layout {

constexpr int screen_w = 800;
constexpr int screen_h = 600;

struct Rect { int x, y, w, h; };

constexpr Rect ok_button = {350, 544, 100, 23};
// The plate the pictures draw around the button; decorations keep out of it.
constexpr Rect button_dock = {ok_button.x - 14, ok_button.y - 9, ok_button.w + 28, ok_button.h + 18};

constexpr Rect form_fields[3] = {
    {46, 221, 311, 27},   // first field: "Nome"
    {442, 221, 311, 27},  // second field: "Cognome"
    {46, 310, 311, 27},   // third field: "Telefono"
};

constexpr int cell_size = 42;
constexpr int cell_step = 46;
constexpr int grid_x = 66;
constexpr int grid_y = 105;
constexpr int grid_n = 10;
constexpr int grid_right = grid_x + (grid_n - 1) * cell_step + cell_size;   // 522, exclusive
constexpr int grid_bottom = grid_y + (grid_n - 1) * cell_step + cell_size;  // 561, exclusive

}  // namespace layout
