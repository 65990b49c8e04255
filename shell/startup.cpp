// Start-up and shutdown of the library, and the orderly stop when start-up fails.
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "shell/datafile_check.h"
#include "shell/screens.h"
#include "shell/windows_screen.h"

// The name of the game, the title of its window.
static const char game_name[] = "Tabellone";

// Timer slack: how late the kernel may end a sleep, to wake a thread together
// with others. The library's background thread takes the slack of the thread
// that starts the library; the game's own thread (and the library's timer
// thread, started after) take the second.
enum { LIBRARY_THREAD_SLACK_NS = 15000000, GAME_THREAD_SLACK_NS = 10000000 };

// The library keeps the icon of its X11 windows here; it reads it when the
// window is created, so it must be set before install_allegro.
#ifdef ALLEGRO_WITH_XWINDOWS
extern "C" char **allegro_icon;
#endif

static void set_window_icon()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    allegro_icon = const_cast<char **>(tabellone_icon_xpm);
#endif
}

// The library's background thread sleeps 1 ms at a time for ever; each pass
// reads the input and, at most every 10 ms, writes one ALSA period (1024
// frames: 21.3 ms at 48 kHz through dmix, 23.2 ms at the library's 44.1 kHz)
// into a buffer of about five. Its slack keeps a pass within 16 ms, once a
// 60 Hz frame and well inside a period, so the sound never runs dry, instead
// of a thousand wake-ups a second on a screen that may wait all day. A larger
// slack would feed the sound card more slowly than it plays. The game's
// thread, which rests 10 ms a pass, may be 10 ms late: input reaches the
// dialogs within about two frames.
static void relax_library_timers()
{
#ifdef __linux__
    prctl(PR_SET_TIMERSLACK, LIBRARY_THREAD_SLACK_NS);
#endif
}

static void relax_game_timers()
{
#ifdef __linux__
    prctl(PR_SET_TIMERSLACK, GAME_THREAD_SLACK_NS);
#endif
}

// Puts the reason for a failed start-up step into *why; false, for the caller to return.
static bool failed(std::string *why, const char *format, ...) __attribute__((format(printf, 2, 3)));
static bool failed(std::string *why, const char *format, ...)
{
    char message[512];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    *why = message;
    return false;
}

static bool set_screen_mode()
{
#ifdef _WIN32
    return set_windows_screen_mode();
#else
    set_color_depth(24);
    return set_gfx_mode(GFX_AUTODETECT, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0) == 0;
#endif
}

bool init_system(std::string *why)
{
#ifdef _WIN32
    keep_windows_from_asking();
#endif
    relax_library_timers();
    set_window_icon();
#ifdef _WIN32
    prepare_windows_window();
#endif
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return failed(why, "cannot start the Allegro library: %s",
                      allegro_error[0] ? allegro_error : "no system driver (is there a display?)");
    relax_game_timers();
    set_window_title(game_name);
    if (install_keyboard() != 0)
        return failed(why, "cannot start the keyboard: %s", allegro_error);
    if (install_mouse() < 0)
        return failed(why, "cannot start the mouse");
    if (install_timer() != 0)
        return failed(why, "cannot start the timer: %s", allegro_error);
    // A kiosk without a sound device still plays, silently.
    // The game uses no MIDI, so a missing MIDI device must not cost the
    // digital sound either.
    if (install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, NULL) != 0 &&
        install_sound(DIGI_AUTODETECT, MIDI_NONE, NULL) != 0)
        install_sound(DIGI_NONE, MIDI_NONE, NULL);
    // A damaged datafile stops the game here, before a window opens.
    if (!check_datafiles(why))
        return false;
    if (!set_screen_mode())
        return failed(why, "cannot set the 800x600 24-bit graphics mode: %s", allegro_error);
#ifdef _WIN32
    set_windows_window_icon();
#endif
    // text_mode is the 4.0 way to ask for a transparent text background.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    text_mode(-1);
#pragma GCC diagnostic pop
    return true;
}

void shutdown_system()
{
#ifdef _WIN32
    remove_windows_backdrop();
#endif
    remove_sound();
    remove_timer();
    remove_mouse();
    remove_keyboard();
    allegro_exit();
}
