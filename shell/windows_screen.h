// The Windows side of the game's screen (shell/windows_screen.cpp).
#pragma once

#ifdef _WIN32
// No dialog box may wait for a click on an unattended kiosk: crashes, aborts
// and unreadable disks end the program, they do not ask.
void keep_windows_from_asking();

// Before the library starts: its window is made bare (no caption, no border).
void prepare_windows_window();

// Sets the 800x600 screen, its window covering the whole monitor
// (windows_screen.cpp says how); false when the library's window cannot take it.
bool set_windows_screen_mode();

// Takes the black backdrop down, before the library's window goes.
void remove_windows_backdrop();

// Gives the game's window the application icon (icon group 101), large and small.
void set_windows_window_icon();
#endif
