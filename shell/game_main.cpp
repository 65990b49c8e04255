// The entry of the game: start-up, one pass of the four screens per player,
// and the orderly shutdown.
#include <string>

#include "board/error_report.h"
#include "board/folder_lock.h"
#include "board/records.h"
#include "shell/screens.h"

int game_main()
{
    // Before anything is drawn: a second copy in the same folder stops here.
    char reason[160];
    if (!lock_folder(reason, sizeof reason)) {
        report_error("%s", reason);
        return 1;
    }
    std::string why;
    if (!open_records(&why)) {
        report_error("%s; the game does not run without its records", why.c_str());
        return 1;
    }
    init_system();
    load_assets();
    setup_dialogs();
    deal_board();
    if (!restore_records(&why))
        stop_program("%s; the game does not run without its records", why.c_str());
    play_sample(music_sample, 128, 128, 1000, 1);

    for (;;) {
        if (board_exhausted()) {
            deal_board();
            if (!record_deal("board used up"))
                break;
        }
        clear_form();
        if (!title_screen())
            break;
        if (!form_screen())
            break;
        if (!board_screen())      // records the play before the player sees it
            break;
        bool next_player = result_screen();
        // No prize may be handed out that no record shows.
        if (records_failing() || !next_player)
            break;
    }

    bool records_ok = !records_failing();
    record_run_ended(records_ok ? "ESC" : "records could not be written", records_ok);
    stop_sample(music_sample);
    unload_assets();
    shutdown_system();
    if (!records_ok) {
        report_error("stopped: the records of the draw could not be written (see %s)", errors_file_name);
        return 1;
    }
    return 0;
}

// The library's entry convention renames main and, on Windows, supplies
// WinMain handing its arguments to _WinMain; the game reads no arguments.
int main(int, char *[])
{
    return game_main();
}
END_OF_MAIN()
