// Messages for the operator: each goes to standard error and, with its date
// and time, to a plain text file in the game's folder that anyone can open.
#pragma once

// Room for a one-line reason from the calls that write one into a buffer
// (the folder lock, the state file's check).
enum { REASON_SIZE = 160 };

extern const char *const errors_file_name;  // "tabellone-errori.txt"

// Writes "tabellone: <message>" on standard error and appends
// "YYYY-MM-DD HH:MM:SS <message>" with CR LF to the errors file. A failure to
// write the file is not reported again (there is nowhere left to say it).
void report_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
