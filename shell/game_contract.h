// The contract between the game and its content: the screen, where the
// dialogs put their objects over the background pictures, and which object of
// which datafile holds what, over the draw's rules (board/draw_rules.h). The
// shell and the content builder include it; the end-to-end tests read the
// same values from the two headers.
#pragma once

#include "board/draw_rules.h"

enum {
    SCREEN_WIDTH = 800,
    SCREEN_HEIGHT = 600,

    // The OK button of the title, form and result screens.
    OK_X = 350,
    OK_Y = 544,
    OK_W = 100,
    OK_H = 23,

    // The form's text fields (origins in form_field_origins).
    FIELD_W = 311,
    FIELD_H = 27,

    // The board: cells of 42 pixels with 4-pixel gaps, square 0 at the top left.
    GRID_X = 66,
    GRID_Y = 105,
    CELL_SIZE = 42,
    CELL_STEP = 46,

    // "graphics.dat": one background per screen; the result of type t is background t + 3.
    BACKGROUND_COUNT = 10,
    TITLE_BACKGROUND = 0,
    FORM_BACKGROUND = 1,
    BOARD_BACKGROUND = 2,
    RESULT_BACKGROUND_BASE = 3,

    // "battle.dat": the board's images, the form's font, the OK button, the chime.
    COVER_OBJECT = 0,
    FONT_OBJECT = 1,
    OK_BUTTON_OBJECT = 2,
    REVEAL_SOUND_OBJECT = 3,
    FIRST_PRIZE_OBJECT = 4,  // prize image of type t: object 4 + t
    BATTLE_OBJECT_COUNT = FIRST_PRIZE_OBJECT + PRIZE_TYPE_COUNT,

    // "music.dat": the music.
    MUSIC_OBJECT = 0,
    MUSIC_OBJECT_COUNT = 1,

    // A kiosk left alone: after this long with no key, no mouse move and no
    // button, the form and the board go back to the title, so the next
    // passer-by neither reads the last one's data nor plays in their name.
    // A minute and a half leaves time to find a phone number or to choose.
    LEFT_ALONE_MS = 90000,
    // The result's play is recorded already: it only waits to be seen.
    RESULT_LEFT_ALONE_MS = 30000,
};

struct ScreenPoint {
    int x, y;
};

// The two upper fields side by side, the third under the first.
inline constexpr ScreenPoint form_field_origins[FORM_FIELD_COUNT] = {{46, 221}, {442, 221}, {46, 310}};

inline constexpr const char graphics_file_name[] = "graphics.dat";
inline constexpr const char battle_file_name[] = "battle.dat";
inline constexpr const char music_file_name[] = "music.dat";
