// One game per folder: an exclusive lock of the operating system on a file in
// the game's folder, held for the whole run. The file's presence means
// nothing; the lock goes with the process, so a killed game never blocks the
// next one.
#pragma once

#include <stddef.h>

extern const char *const lock_file_name;  // "tabellone.lock"

// Takes the lock for the rest of the process's life. False, with the reason,
// when another process holds it or the file cannot be opened.
bool lock_folder(char *reason, size_t reason_size);

// Lets go of the lock before the process ends (a tool that held it only while
// it rewrote the records).
void unlock_folder();

// True when another process holds the folder's lock now (for tools that must
// not change the records while the game runs). Takes no lock of its own.
bool folder_locked_elsewhere();
