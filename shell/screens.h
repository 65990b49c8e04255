// The game shell: start-up and shutdown, the assets taken from the three
// datafiles, the four screens with their dialogs, and the background cache.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include <allegro.h>

#include "board/board.h"
#include "shell/game_contract.h"

enum {
    REVEAL_PAUSE_MS = 2000,
    // A waiting dialog sleeps this long per idle pass: about a hundred
    // wake-ups a second, quick enough for any key or click of a hand.
    IDLE_REST_MS = 10,
    // A screen takes input only once the mouse button has been up this long
    // since it appeared: the second click of a double click lands 50-200 ms
    // after the first one closed the screen before, while nobody sees a new
    // screen and clicks on purpose in under a quarter of a second.
    INPUT_SETTLE_MS = 250,
    // Indices that close the dialogs.
    CONFIRM_ESC = 0,
    CONFIRM_OK = 1,
    FORM_ESC = 0,
    FORM_OK = 4,
    BOARD_ESC = 100,
    // The idle object of each dialog, after every object above: it closes
    // the dialog when the screen has been left alone long enough.
    CONFIRM_IDLE = 2,
    FORM_IDLE = 5,
    BOARD_IDLE = 101,
};

// How a screen ends: the program stops (ESC), the player goes on, or nobody
// did anything for long enough and the pass goes back to the title.
enum ScreenEnd {
    SCREEN_STOPS,
    SCREEN_GOES_ON,
    SCREEN_LEFT_ALONE,
};

// Asset handles, set by load_assets and borrowed by the screens and the board
// until unload_assets. cover_image and prize_images are the board's.
extern DATAFILE *graphics_data;
extern BITMAP *ok_button_image;
extern SAMPLE *reveal_sound;
extern SAMPLE *music_sample;

// Start-up and shutdown (startup.cpp). A start-up step that fails says why
// and returns false; game_main then unloads, shuts down, reports the one
// line and exits 1. Both undo steps are safe after a partial start.
bool init_system(std::string *why);
void shutdown_system();

// Datafiles and the objects taken from them (assets.cpp), each file checked
// first by check_datafiles (shell/datafile_check.h) in init_system.
bool load_assets(std::string *why);
void unload_assets();

// Dialogs and form buffers (dialogs.cpp). Each array ends with one
// idle_proc, so a waiting screen sleeps, and then the terminator. An
// idle_proc whose d1 is above 0 closes its dialog once no input has come for
// d1 milliseconds; with d1 0 it waits for ever.
enum {
    CONFIRM_DIALOG_SIZE = 4,
    FORM_DIALOG_SIZE = 7,
    BOARD_DIALOG_SIZE = 103,
};
extern DIALOG confirm_dialog[CONFIRM_DIALOG_SIZE];
extern DIALOG form_dialog[FORM_DIALOG_SIZE];
extern DIALOG board_dialog[BOARD_DIALOG_SIZE];
int idle_proc(int msg, DIALOG *d, int c);
void setup_dialogs();
void clear_form();

// Called before each dialog of the screens starts (settle_input.cpp): drops
// the pending keys and returns once the mouse button has been up for
// INPUT_SETTLE_MS, dropping keys all the while, so nothing typed or clicked
// for one screen acts on the next.
void settle_input();

// Screens left alone (left_alone.cpp). watch_input counts every key, mouse
// move and button from then on; restart_left_alone starts the time of a
// dialog; left_alone_for says whether no input has come for limit_ms since
// then. left_alone_limit_ms is the wait to use for a normal one, shortened
// only by the test-only environment variable TABELLONE_TEST_LEFT_ALONE_MS.
void watch_input();
void restart_left_alone();
bool left_alone_for(int limit_ms);
int left_alone_limit_ms(int normal_ms);

// Decoded backgrounds, each decoded on its first show and kept for the run
// (background_cache.cpp). A slot whose picture the decoder refused stays null.
struct BackgroundCache {
    BITMAP *background_images[BACKGROUND_COUNT];
    uint8_t background_decoded[BACKGROUND_COUNT];
};
extern BackgroundCache background_cache;
// Marks every slot not decoded (the datafiles have just been loaded).
void clear_background_cache();
void decode_background(int n);
void show_background(int n);

// The four screens (screens.cpp). The title waits for ever: true to go on,
// false to stop; the others go back to the title when left alone.
bool title_screen();
ScreenEnd form_screen();
ScreenEnd board_screen();
ScreenEnd result_screen();

// The X11 window icon in XPM form (icon_xpm.cpp).
extern const char *tabellone_icon_xpm[];

// The game's main routine, entered through the library's END_OF_MAIN
// convention (game_main.cpp); returns the exit status, 0 on a normal end.
int game_main();
