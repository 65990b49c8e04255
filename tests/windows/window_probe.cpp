// Looks at the game from inside Wine (or Windows), for the end-to-end
// scenarios: counts the top-level windows titled "Tabellone", and draws the
// small form of icon group 101 of the given .exe on a background colour, as
// the window's caption shows it (Wine keeps a window's icon from other
// processes, so WM_GETICON cannot be asked from here: the screen is compared).
//   window-probe.exe                      -> "windows N"
//   window-probe.exe EXE RRGGBB           -> also "icon W H" and H rows of W RRGGBB pixels
//   window-probe.exe display              -> "display W H": the display's mode now
//   window-probe.exe close                -> sends the close command (as Alt+F4 does) to each
//   window-probe.exe notify              -> takes the focus for a second with a small
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

static int print_small_icon(const char *exe_path, unsigned background)
{
    HMODULE exe = LoadLibraryExA(exe_path, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    int size = GetSystemMetrics(SM_CXSMICON);
    HICON icon = exe ? (HICON)LoadImageA(exe, MAKEINTRESOURCEA(101), IMAGE_ICON, size, size, 0) : NULL;
    if (!icon) {
        printf("no icon group 101 in %s\n", exe_path);
        return 1;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    unsigned *pixels = static_cast<unsigned *>(bits);
    for (int i = 0; i < size * size; i++)
        pixels[i] = background;
    DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_NORMAL);
    GdiFlush();
    printf("icon %d %d\n", size, size);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++)
            printf("%06x%c", pixels[y * size + x] & 0xFFFFFF, x + 1 < size ? ' ' : '\n');
    }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return 0;
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
    if (argc == 3)
        return print_small_icon(argv[1], (unsigned)strtoul(argv[2], NULL, 16));
    return 0;
}
