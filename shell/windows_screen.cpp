// The Windows side of the game's screen: the whole screen for the game (its
// window over a black backdrop), the window's icon, and no dialog box
// waiting for a click.
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

// The library's screen is always its 24-bit DirectDraw window, which converts
// the game's pixels to the desktop's depth on each update, pixel for pixel,
// and whose pointer is Windows' own (absolute, so a touch screen's press
// lands where it is made). Full screen through the library (DirectDraw
// exclusive mode) is never asked for: there it reads the mouse through
// exclusive DirectInput as relative motion, and its pointer drifts away from
// where an absolute device points. The whole screen comes from the window
// itself: without caption or border, topmost, in the middle of the monitor,
// over a black backdrop that covers the rest. The display keeps its mode:
// switched to 800x600, Wine shows the window's picture only where the last
// update drew and black elsewhere, one update in two (docs/windows.md, "The graphics mode").

// The black backdrop round the picture: a topmost window over the whole
// monitor that never takes the focus, under the game's.
static HWND backdrop;

static LRESULT CALLBACK backdrop_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcW(window, message, wparam, lparam);
}

static void show_backdrop(HINSTANCE module)
{
    // The monitor the game's window opens on (at 0,0): the primary one.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfo(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &area = monitor.rcMonitor;
    // A monitor of exactly 800x600 needs no backdrop.
    if (area.right - area.left <= SCREEN_WIDTH && area.bottom - area.top <= SCREEN_HEIGHT)
        return;
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = backdrop_procedure;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursor(NULL, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    window_class.lpszClassName = L"TabelloneBackdrop";
    RegisterClassW(&window_class);
    backdrop = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"TabelloneBackdrop", L"",
                               WS_POPUP, area.left, area.top, area.right - area.left, area.bottom - area.top, NULL,
                               NULL, module, NULL);
    if (backdrop)
        ShowWindow(backdrop, SW_SHOWNOACTIVATE);
}

// The library's window, made by the library's window thread through this
// hook: a bare popup from the start, so that the library sizes its client
// area to 800x600 with nothing round it. The library's own handler leaves
// the close command (Alt+F4) without effect: only ESC ends the game.
// The backdrop is made first, by the same thread, whose message loop then
// answers for both: made by one thread in this order, the two always stack
// with the game's on top. (Made by a thread of its own, under Wine the
// backdrop could reach the X server after the game's window was raised and
// cover it, on a busy machine.)
static HWND create_game_window(WNDPROC procedure)
{
    // ANSI, as the library's window procedure is.
    HINSTANCE module = GetModuleHandleA(NULL);
    show_backdrop(module);
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = module;
    window_class.hIcon = LoadIconA(module, MAKEINTRESOURCEA(application_icon));
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    // No background brush: the library paints the whole window itself, and
    // an erase by Windows would blank what it has drawn.
    window_class.lpszClassName = "Tabellone";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_TOPMOST, "Tabellone", "Tabellone", WS_POPUP, 0, 0,
                                  SCREEN_WIDTH, SCREEN_HEIGHT, NULL, NULL, module, NULL);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        UpdateWindow(window);
    }
    return window;
}

void prepare_windows_window()
{
    win_set_wnd_create_proc(create_game_window);
}

// The game's window topmost over the middle of the monitor it is on.
static void cover_the_screen()
{
    HWND window = win_get_window();
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &area = monitor.rcMonitor;
    int width = area.right - area.left, height = area.bottom - area.top;
    // Active first: the library takes the window's new place, which the
    // pointer's position is counted from, only from an active window.
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, area.left + (width - SCREEN_WIDTH) / 2,
                 area.top + (height - SCREEN_HEIGHT) / 2, SCREEN_WIDTH, SCREEN_HEIGHT, SWP_SHOWWINDOW);
}

bool set_windows_screen_mode()
{
    set_color_depth(24);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0) != 0)
        return false;
    cover_the_screen();
    return true;
}

void remove_windows_backdrop()
{
    if (!backdrop)
        return;
    // Taken down by its thread, the library's, before the library ends it.
    DWORD_PTR result;
    SendMessageTimeoutW(backdrop, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    backdrop = NULL;
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
