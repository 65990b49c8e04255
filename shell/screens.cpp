// The four screens every player passes: title, form, board and result.
#include "shell/screens.h"

#include "board/records.h"

bool title_screen()
{
    show_background(TITLE_BACKGROUND);
    settle_input();
    return do_dialog(confirm_dialog, CONFIRM_OK) != CONFIRM_ESC;
}

bool form_screen()
{
    show_background(FORM_BACKGROUND);
    settle_input();
    return do_dialog(form_dialog, 1) != FORM_ESC;
}

bool board_screen()
{
    show_background(BOARD_BACKGROUND);
    int r;
    for (;;) {
        settle_input();
        r = do_dialog(board_dialog, -1);
        if (r >= BOARD_ESC)
            return false;
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
    return true;
}

bool result_screen()
{
    show_background(selected_prize + RESULT_BACKGROUND_BASE);
    settle_input();
    return do_dialog(confirm_dialog, CONFIRM_OK) != CONFIRM_ESC;
}
