// The entry of the game: start-up, one pass of the four screens per player,
// and the orderly shutdown.
#include "board/players_log.h"
#include "board/state_file.h"
#include "shell/screens.h"

int game_main()
{
    init_system();
    load_assets();
    setup_dialogs();
    deal_board();
    load_board_state();
    play_sample(music_sample, 128, 128, 1000, 1);

    for (;;) {
        if (board_exhausted())
            deal_board();
        clear_form();
        if (!title_screen())
            break;
        if (!form_screen())
            break;
        if (!board_screen())
            break;
        log_play();
        save_board_state();
        if (!result_screen())
            break;
    }

    stop_sample(music_sample);
    unload_assets();
    shutdown_system();
    return 0;
}

// The library's entry convention renames main and, on Windows, supplies
// WinMain handing its arguments to _WinMain; the game reads no arguments.
int main(int, char *[])
{
    return game_main();
}
END_OF_MAIN()
