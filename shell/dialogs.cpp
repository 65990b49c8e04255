// The three dialogs of the screens, and the emptying of the form's text buffers.
#include <string.h>

#include "board/players_log.h"
#include "shell/screens.h"

enum {
    ESC_KEY = 27,
    WHITE = 0xFFFFFF,
    BUTTON_SHADOW = 0x296E98,  // red 41, green 110, blue 152
};

// A d_keyboard_proc calls the function in its dp when its key is pressed;
// with none there the library jumps to address zero. This one closes the
// dialog, so do_dialog returns the index of the ESC object.
static int close_dialog()
{
    return D_CLOSE;
}
#define CLOSE_DIALOG ((void *)close_dialog)

// The library's d_yield_proc rests 1 ms a pass, a thousand wake-ups a second
// for a screen that may wait all day; this one rests IDLE_REST_MS. With a
// time in d1 it also closes the dialog once nobody has acted for that long.
int idle_proc(int msg, DIALOG *d, int)
{
    if (msg == MSG_START)
        restart_left_alone();
    if (msg == MSG_IDLE) {
        if (d->d1 > 0 && left_alone_for(d->d1))
            return D_CLOSE;
        rest(IDLE_REST_MS);
    }
    return D_O_K;
}

// Where the form's fields stand, as constants the static records can take.
enum {
    FIELD_1_X = form_field_origins[0].x,
    FIELD_1_Y = form_field_origins[0].y,
    FIELD_2_X = form_field_origins[1].x,
    FIELD_2_Y = form_field_origins[1].y,
    FIELD_3_X = form_field_origins[2].x,
    FIELD_3_Y = form_field_origins[2].y,
};

// The dp of the OK buttons and text fields are filled by setup_dialogs, once
// the datafiles are loaded. The records are laid out as a table.
// clang-format off
DIALOG confirm_dialog[CONFIRM_DIALOG_SIZE] = {
    // proc            x      y      w      h     fg  bg             key      flags   d1  d2  dp    dp2   dp3
    { d_keyboard_proc, 0,     0,     0,     0,    0,  0,             ESC_KEY, D_EXIT, 0,  0,  CLOSE_DIALOG, NULL, NULL },
    { d_icon_proc,     OK_X,  OK_Y,  OK_W,  OK_H, 0,  BUTTON_SHADOW, 0,       D_EXIT, 2,  1,  NULL, NULL, NULL },
    { idle_proc,       0,     0,     0,     0,    0,  0,             0,       0,      0,  0,  NULL, NULL, NULL },
    { NULL,            0,     0,     0,     0,    0,  0,             0,       0,      0,  0,  NULL, NULL, NULL },
};

DIALOG form_dialog[FORM_DIALOG_SIZE] = {
    // proc            x      y      w        h        fg  bg             key      flags   d1  d2  dp    dp2   dp3
    { d_keyboard_proc, 0,     0,     0,       0,       0,  0,             ESC_KEY, D_EXIT, 0,  0,  CLOSE_DIALOG, NULL, NULL },
    { d_edit_proc,     FIELD_1_X, FIELD_1_Y, FIELD_W, FIELD_H, 0,  WHITE,         0,       0,      FORM_FIELD_CHARS, 0, NULL, NULL, NULL },
    { d_edit_proc,     FIELD_2_X, FIELD_2_Y, FIELD_W, FIELD_H, 0,  WHITE,         0,       0,      FORM_FIELD_CHARS, 0, NULL, NULL, NULL },
    { d_edit_proc,     FIELD_3_X, FIELD_3_Y, FIELD_W, FIELD_H, 0,  WHITE,         0,       0,      FORM_FIELD_CHARS, 0, NULL, NULL, NULL },
    { d_icon_proc,     OK_X,  OK_Y,  OK_W,    OK_H,    0,  BUTTON_SHADOW, 0,       D_EXIT, 2,  1,  NULL, NULL, NULL },
    { idle_proc,       0,     0,     0,       0,       0,  0,             0,       0,      0,  0,  NULL, NULL, NULL },
    { NULL,            0,     0,     0,       0,       0,  0,             0,       0,      0,  0,  NULL, NULL, NULL },
};

// clang-format on

// All zero until setup_dialogs builds it from the board.
DIALOG board_dialog[BOARD_DIALOG_SIZE];

static void board_cell_record(int i)
{
    bool revealed = prize_board.cells[i].revealed != 0;
    DIALOG cell = {
        d_icon_proc,
        GRID_X + CELL_STEP * (i % BOARD_COLUMNS),
        GRID_Y + CELL_STEP * (i / BOARD_COLUMNS),
        CELL_SIZE,
        CELL_SIZE,
        0,
        WHITE,
        0,
        D_EXIT,
        1,
        1,
        revealed ? prize_images[prize_board.cells[i].type] : cover_image,
        NULL,
        NULL,
    };
    board_dialog[i] = cell;
}

void setup_dialogs()
{
    confirm_dialog[CONFIRM_OK].dp = ok_button_image;
    form_dialog[FORM_OK].dp = ok_button_image;
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        form_dialog[1 + f].dp = form_text[f];

    // Static, so the hand-over stays valid however the board keeps it.
    static void **cell_images[BOARD_SIZE];
    for (int i = 0; i < BOARD_SIZE; i++) {
        board_cell_record(i);
        cell_images[i] = &board_dialog[i].dp;
    }
    const DIALOG esc = {d_keyboard_proc, 0, 0, 0, 0, 0, 0, ESC_KEY, D_EXIT, 0, 0, CLOSE_DIALOG, NULL, NULL};
    const DIALOG idle = {idle_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL};
    const DIALOG terminator = {NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL, NULL};
    board_dialog[BOARD_ESC] = esc;
    board_dialog[BOARD_ESC + 1] = idle;
    board_dialog[BOARD_ESC + 2] = terminator;
    link_cell_images(cell_images);
}

void clear_form()
{
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        strcpy(form_text[f], "");
}
