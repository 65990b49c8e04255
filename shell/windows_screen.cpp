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

// The library's window, made by the library's window thread through this
// hook: a bare popup from the start, so that the library sizes its client
// area to 800x600 with nothing round it. The library's own handler leaves
// the close command (Alt+F4) without effect: only ESC ends the game.
static HWND create_game_window(WNDPROC procedure)
{
    // ANSI, as the library's window procedure is.
    HINSTANCE module = GetModuleHandleA(NULL);
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

// The black backdrop round the picture: a topmost window over the whole
// monitor that never takes the focus, under the game's. It lives in a thread
// of its own, which answers its messages, so Windows never takes it for a
// program that hangs.
static LRESULT CALLBACK backdrop_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcW(window, message, wparam, lparam);
}

struct BackdropPlace {
    RECT area;
    HWND game_window;  // the backdrop goes right under it
    HANDLE shown;      // set once the backdrop is up, or has failed
};

static DWORD WINAPI backdrop_thread(LPVOID place_pointer)
{
    const BackdropPlace *place = static_cast<const BackdropPlace *>(place_pointer);
    const RECT *area = &place->area;
    HINSTANCE module = GetModuleHandle(NULL);
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = backdrop_procedure;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursor(NULL, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    window_class.lpszClassName = L"TabelloneBackdrop";
    RegisterClassW(&window_class);
    HWND backdrop = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"TabelloneBackdrop",
                                    L"", WS_POPUP, area->left, area->top, area->right - area->left,
                                    area->bottom - area->top, NULL, NULL, module, NULL);
    if (!backdrop) {
        SetEvent(place->shown);
        return 1;
    }
    // Under the game's window whenever it shows, even should it show late.
    SetWindowPos(backdrop, place->game_window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    SetEvent(place->shown);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    DestroyWindow(backdrop);
    return 0;
}

static HANDLE backdrop_handle;
static DWORD backdrop_id;

static BackdropPlace place;  // the backdrop thread's, until it ends

static void show_backdrop(const RECT &monitor, HWND game_window)
{
    place.area = monitor;
    place.game_window = game_window;
    place.shown = CreateEventW(NULL, TRUE, FALSE, NULL);
    backdrop_handle = CreateThread(NULL, 0, backdrop_thread, &place, 0, &backdrop_id);
    // Until its own backdrop shows, the game's window must wait to go above
    // it. Its own: a backdrop found by name may be one a killed game left
    // behind for a moment.
    if (backdrop_handle && place.shown)
        WaitForSingleObject(place.shown, 1000);
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
    // A monitor of exactly 800x600 needs no backdrop.
    if (width > SCREEN_WIDTH || height > SCREEN_HEIGHT)
        show_backdrop(area, window);
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
    if (!backdrop_handle)
        return;
    // Its thread ends its loop, takes its window down and returns, so the
    // process never ends with a thread still holding a window.
    PostThreadMessageW(backdrop_id, WM_QUIT, 0, 0);
    if (WaitForSingleObject(backdrop_handle, 2000) == WAIT_OBJECT_0 && place.shown) {
        CloseHandle(place.shown);
        place.shown = NULL;
    }
    CloseHandle(backdrop_handle);
    backdrop_handle = NULL;
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
