// Looks at the game from inside Wine (or Windows), for the end-to-end
// scenarios, and acts on it as Windows and other programs do:
//   window-probe.exe                      -> "windows N": top-level windows titled "Tabellone"
//   window-probe.exe display              -> "display W H": the display's mode now
//   window-probe.exe close                -> sends the close command (as Alt+F4 does) to each
//   window-probe.exe notify               -> takes the focus for a second with a small
//                                            topmost window, as a notification does
//   window-probe.exe hold FILE            -> "held", then holds FILE open as a virus scanner
//                                            does (reads shared, no writes, no deletion)
//                                            until standard input ends
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static BOOL CALLBACK count_titled(HWND window, LPARAM count)
{
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, "Tabellone") == 0)
        ++*reinterpret_cast<unsigned *>(count);
    return TRUE;
}

static BOOL CALLBACK close_titled(HWND window, LPARAM)
{
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, "Tabellone") == 0)
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return TRUE;
}

static int hold(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        printf("cannot hold %s: error %lu\n", path, GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    while (getchar() != EOF) {
    }
    CloseHandle(file);
    return 0;
}

static int notify()
{
    HWND note = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Notifica", WS_POPUP | WS_VISIBLE | WS_BORDER, 10, 10, 200,
                                60, NULL, NULL, GetModuleHandleA(NULL), NULL);
    SetForegroundWindow(note);
    printf("focus %s\n", GetForegroundWindow() == note ? "taken" : "not taken");
    DWORD until = GetTickCount() + 1000;
    MSG message;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    DestroyWindow(note);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "notify") == 0)
        return notify();
    if (argc == 2 && strcmp(argv[1], "display") == 0) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode);
        printf("display %lu %lu\n", mode.dmPelsWidth, mode.dmPelsHeight);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "close") == 0)
        return !EnumWindows(close_titled, 0);
    if (argc == 3 && strcmp(argv[1], "hold") == 0)
        return hold(argv[2]);
    unsigned count = 0;
    EnumWindows(count_titled, reinterpret_cast<LPARAM>(&count));
    printf("windows %u\n", count);
    return 0;
}
