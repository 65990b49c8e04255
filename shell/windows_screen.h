// The Windows side of the game's screen (shell/windows_screen.cpp).
#pragma once

#ifdef _WIN32
// No dialog box may wait for a click on an unattended kiosk: crashes, aborts
// and unreadable disks end the program, they do not ask.
void keep_windows_from_asking();

// Sets the 800x600 screen in the first mode that Windows offers, in the order
// windows_screen.cpp gives; false when none does.
bool set_windows_screen_mode();

// Gives the game's window the application icon (icon group 101), large and small.
void set_windows_window_icon();
#endif
