// Looks at the game from inside Wine (or Windows), for the end-to-end
// scenarios: counts the top-level windows titled "Tabellone", and draws the
// small form of icon group 101 of the given .exe on a background colour, as
// the window's caption shows it (Wine keeps a window's icon from other
// processes, so WM_GETICON cannot be asked from here: the screen is compared).
//   window-probe.exe                      -> "windows N"
//   window-probe.exe EXE RRGGBB           -> also "icon W H" and H rows of W RRGGBB pixels
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

int main(int argc, char **argv)
{
    unsigned count = 0;
    EnumWindows(count_titled, reinterpret_cast<LPARAM>(&count));
    printf("windows %u\n", count);
    if (argc == 3)
        return print_small_icon(argv[1], (unsigned)strtoul(argv[2], NULL, 16));
    return 0;
}
