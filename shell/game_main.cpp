// The entry of the game: start-up, one pass of the four screens per player,
// and the orderly shutdown.
#include <string>

#include "platform/error_report.h"
#include "platform/folder_lock.h"
#include "board/records.h"
#include "shell/screens.h"

// Undoes whatever start-up did and ends the run in the journal. The message
// comes after the library has let go of the display, so that it is the last
// word on the terminal; the errors file keeps it for the operator.
static int stop_game(const std::string &why)
{
    record_run_ended(why.c_str(), false);
    unload_assets();
    shutdown_system();
    report_error("%s", why.c_str());
    return 1;
}

// The screens a player passes after the title, each with the name the
// journal gives it when it is left alone.
struct PlayerScreen {
    ScreenEnd (*run)();
    const char *name;
};
static const PlayerScreen player_screens[] = {
    {form_screen, "form"},
    {board_screen, "board"},  // records the play before the player sees it
    {result_screen, "result"},
};

// One player's form, board and result; false when the program is to stop. A
// screen left alone ends the pass: the next one empties the form.
static bool after_title()
{
    for (const PlayerScreen &step : player_screens) {
        ScreenEnd end = step.run();
        if (end == SCREEN_STOPS)
            return false;
        if (end == SCREEN_LEFT_ALONE) {
            record_return_to_title(step.name);
            break;
        }
    }
    // No prize may be handed out that no record shows.
    return !records_failing();
}

int game_main()
{
    // Before anything is drawn: a second copy in the same folder stops here.
    char reason[REASON_SIZE];
    if (!lock_folder(reason, sizeof reason)) {
        report_error("%s", reason);
        return 1;
    }
    std::string why;
    if (!open_records(&why)) {
        report_error("%s; the game does not run without its records", why.c_str());
        return 1;
    }
    if (!init_system(&why) || !load_assets(&why))
        return stop_game(why);
    setup_dialogs();
    watch_input();
    deal_board();
    if (!restore_records(&why))
        return stop_game(why + "; the game does not run without its records");
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
        if (!after_title())
            break;
    }

    stop_sample(music_sample);
    if (records_failing())
        return stop_game(std::string("stopped: the records of the draw could not be written (see ") + errors_file_name +
                         ")");
    record_run_ended("ESC", true);
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
