// The Windows side of the game's screen: the whole screen for the game (the
// display switched to 800x600, or a black backdrop round the picture), the
// window's icon, and no dialog box waiting for a click.
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

// The library's window is always a 24-bit window, which the library converts
// to the desktop's depth on each update, pixel for pixel, and whose pointer is
// Windows' own (absolute, so a touch screen's press lands where it is made).
// Full screen through the library (DirectDraw exclusive mode) is never asked
// for: there it reads the mouse through exclusive DirectInput as relative
// motion, and its pointer drifts away from where an absolute device points.
// The whole screen comes instead from the window itself: without caption or
// border, topmost, over the display switched to 800x600 (the monitor or the
// graphics card scales it, as for any full-screen game of that size). Where
// the display cannot be switched, the window sits in the middle of the
// monitor over a black backdrop that covers the rest.
static bool display_switched;

// CDS_FULLSCREEN: the mode is the process's own, and Windows puts the
// desktop's back when the process ends, however it ends.
static bool switch_display()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = SCREEN_WIDTH;
    mode.dmPelsHeight = SCREEN_HEIGHT;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsExW(NULL, &mode, NULL, CDS_FULLSCREEN, NULL) == DISP_CHANGE_SUCCESSFUL;
}

void restore_windows_display()
{
    if (display_switched)
        ChangeDisplaySettingsExW(NULL, NULL, NULL, 0, NULL);
    display_switched = false;
}

// The library's window, made by the library's window thread through this
// hook: a bare popup from the start, so that the library sizes its client
// area to 800x600 with nothing round it. The library's own handler leaves
// the close command (Alt+F4) without effect: only ESC ends the game.
static HWND create_game_window(WNDPROC procedure)
{
    // ANSI, as the library's window procedure is.
    HINSTANCE module = GetModuleHandleA(NULL);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = module;
    window_class.hIcon = LoadIconA(module, MAKEINTRESOURCEA(application_icon));
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
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

// The black backdrop round the picture where the display keeps its size: a
// topmost window over the whole monitor that never takes the focus, under
// the game's. It lives in a thread of its own, which answers its messages,
// so Windows never takes it for a program that hangs.
static LRESULT CALLBACK backdrop_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcW(window, message, wparam, lparam);
}

static DWORD WINAPI backdrop_thread(LPVOID monitor_rect)
{
    const RECT *area = static_cast<const RECT *>(monitor_rect);
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
    if (!backdrop)
        return 1;
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

static void show_backdrop(const RECT &monitor)
{
    static RECT area;
    area = monitor;
    HANDLE thread = CreateThread(NULL, 0, backdrop_thread, &area, 0, NULL);
    if (thread)
        CloseHandle(thread);
    // Until the backdrop shows, the game's window must wait to go above it.
    for (int tries = 0; tries < 100 && !FindWindowW(L"TabelloneBackdrop", NULL); tries++)
        Sleep(10);
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
    if (width > SCREEN_WIDTH || height > SCREEN_HEIGHT)
        show_backdrop(area);
    // Active first: the library takes the window's new place, which the
    // pointer's position is counted from, only from an active window.
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, area.left + (width - SCREEN_WIDTH) / 2, area.top + (height - SCREEN_HEIGHT) / 2,
                 SCREEN_WIDTH, SCREEN_HEIGHT, SWP_SHOWWINDOW);
}

bool set_windows_screen_mode()
{
    display_switched = switch_display();
    set_color_depth(24);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0) != 0) {
        restore_windows_display();
        return false;
    }
    cover_the_screen();
    return true;
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
