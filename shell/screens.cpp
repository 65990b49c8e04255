// The four screens every player passes: title, form, board and result.
#include "shell/screens.h"

#include "board/records.h"

// Runs a screen's dialog once the input has settled; its idle object closes
// it after limit_ms without input (0: never). Returns the closing index.
static int run_dialog(DIALOG *dialog, int focus, int idle, int limit_ms)
{
    dialog[idle].d1 = limit_ms;
    settle_input();
    return do_dialog(dialog, focus);
}

bool title_screen()
{
    show_background(TITLE_BACKGROUND);
    return run_dialog(confirm_dialog, CONFIRM_OK, CONFIRM_IDLE, 0) != CONFIRM_ESC;
}

ScreenEnd form_screen()
{
    show_background(FORM_BACKGROUND);
    int r = run_dialog(form_dialog, 1, FORM_IDLE, left_alone_limit_ms(LEFT_ALONE_MS));
    if (r == FORM_IDLE)
        return SCREEN_LEFT_ALONE;
    return r != FORM_ESC ? SCREEN_GOES_ON : SCREEN_STOPS;
}

ScreenEnd board_screen()
{
    show_background(BOARD_BACKGROUND);
    int r;
    for (;;) {
        r = run_dialog(board_dialog, -1, BOARD_IDLE, left_alone_limit_ms(LEFT_ALONE_MS));
        // Checked before ESC, whose test takes every index from 100 up.
        if (r == BOARD_IDLE)
            return SCREEN_LEFT_ALONE;
        if (r >= BOARD_ESC)
            return SCREEN_STOPS;
        // A negative index names no square; a revealed square is no choice.
        if (r >= 0 && !prize_board.cells[r].revealed)
            break;
    }
    reveal_cell(r);
    // Recorded before the player sees it, so a play seen is never lost.
    record_play(r);

    // Draw the board once more so the square shows its prize during the pause.
    DIALOG_PLAYER *player = init_dialog(board_dialog, -1);
    update_dialog(player);
    shutdown_dialog(player);

    play_sample(reveal_sound, 255, 128, 1000, 0);
    rest(REVEAL_PAUSE_MS);
    return SCREEN_GOES_ON;
}

ScreenEnd result_screen()
{
    show_background(selected_prize + RESULT_BACKGROUND_BASE);
    int r = run_dialog(confirm_dialog, CONFIRM_OK, CONFIRM_IDLE, left_alone_limit_ms(RESULT_LEFT_ALONE_MS));
    if (r == CONFIRM_IDLE)
        return SCREEN_LEFT_ALONE;
    return r != CONFIRM_ESC ? SCREEN_GOES_ON : SCREEN_STOPS;
}
