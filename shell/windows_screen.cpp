// The Windows side of the game's screen: the order of the graphics modes
// tried, the window's icon, and no dialog box waiting for a click.
#ifdef _WIN32
#include "shell/windows_screen.h"

#include <stdlib.h>

#include "shell/screens.h"

#include <winalleg.h>

static const int application_icon = 101;  // shell/tabellone.rc

void keep_windows_from_asking()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Messages of abort() and assert() go to standard error, not to a box.
    _set_error_mode(_OUT_TO_STDERR);
}

// The game's 24-bit depth full screen first; DirectDraw (Wine's, and today's
// Windows drivers) mostly lacks it, so then a 24-bit window, which the library
// converts to the desktop's depth on each update, pixel for pixel. 32 bits
// full screen draws the same pixels, but there the library reads the mouse
// through exclusive DirectInput as relative motion, so its pointer drifts away
// from where an absolute device (a touch screen, Wine's pointer) points, and
// no click lands: it is not tried (README, "Windows").
struct ScreenMode {
    int card;
    int depth;
};
static const ScreenMode screen_modes[] = {
    {GFX_AUTODETECT_FULLSCREEN, 24},
    {GFX_AUTODETECT_WINDOWED, 24},
};

bool set_windows_screen_mode()
{
    for (const ScreenMode &mode : screen_modes) {
        set_color_depth(mode.depth);
        if (set_gfx_mode(mode.card, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0) == 0)
            return true;
    }
    return false;
}

void set_windows_window_icon()
{
    HWND window = win_get_window();
    HINSTANCE module = GetModuleHandle(NULL);
    HANDLE large = LoadImage(module, MAKEINTRESOURCE(application_icon), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                             GetSystemMetrics(SM_CYICON), 0);
    HANDLE small = LoadImage(module, MAKEINTRESOURCE(application_icon), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), 0);
    if (large)
        SendMessage(window, WM_SETICON, ICON_BIG, (LPARAM)large);
    if (small)
        SendMessage(window, WM_SETICON, ICON_SMALL, (LPARAM)small);
}
#endif
