// Screen geometry the game draws over the backgrounds: the OK button, the form's
// three text fields and the board's 10 by 10 cells. The pictures keep these clear.
#pragma once

#include "shell/game_contract.h"

namespace layout
{

constexpr int screen_w = SCREEN_WIDTH;
constexpr int screen_h = SCREEN_HEIGHT;

struct Rect {
    int x, y, w, h;
};

constexpr Rect ok_button = {OK_X, OK_Y, OK_W, OK_H};
// The plate the pictures draw around the button; decorations keep out of it.
constexpr Rect button_dock = {ok_button.x - 14, ok_button.y - 9, ok_button.w + 28, ok_button.h + 18};

constexpr Rect form_fields[FORM_FIELD_COUNT] = {
    {form_field_origins[0].x, form_field_origins[0].y, FIELD_W, FIELD_H},  // labels in form_field_labels
    {form_field_origins[1].x, form_field_origins[1].y, FIELD_W, FIELD_H},
    {form_field_origins[2].x, form_field_origins[2].y, FIELD_W, FIELD_H},
};

constexpr int cell_size = CELL_SIZE;
constexpr int cell_step = CELL_STEP;
constexpr int grid_x = GRID_X;
constexpr int grid_y = GRID_Y;
constexpr int grid_n = BOARD_COLUMNS;
constexpr int grid_right = grid_x + (grid_n - 1) * cell_step + cell_size;   // 522, exclusive
constexpr int grid_bottom = grid_y + (grid_n - 1) * cell_step + cell_size;  // 561, exclusive

}  // namespace layout
