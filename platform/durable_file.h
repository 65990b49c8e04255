// Writes that are on disk when they return: a whole file replaced atomically,
// and appends that either land whole or leave the file as it was.
#pragma once

#include <stddef.h>

#include <string>

// Writes the bytes to a temporary file beside `path`, syncs it and renames it over `path`.
// On failure `path` is untouched, the temporary file is removed, errno tells why, and the result is false.
bool replace_file_durably(const char *path, const char *bytes, size_t size);

// The reason of a failure of these functions, given its errno, in words: the
// system's own where errno cannot hold it (a failed rename on Windows).
std::string write_error_text(int error);

// Where the next line of a line file goes: the file's size now (0 when it does
// not exist), and the bytes that must come before the line so that it starts
// on a line of its own ("\r\n" when the file is not empty and does not end in
// CR LF). False, with errno, when the file exists but cannot be read.
struct AppendPoint {
    long size;
    const char *line_break;
};
bool find_append_point(const char *path, AppendPoint *point);

// What append_at_durably found and did.
enum AppendOutcome {
    APPEND_WRITTEN,        // the bytes were added at `at` and synced
    APPEND_ALREADY_THERE,  // the file already holds exactly these bytes at `at`
    APPEND_CONFLICT,       // the file holds something else from `at` on, or is shorter than `at`: left alone
    APPEND_FAILED,         // a write or sync failed (errno tells why); the file was cut back to `at`
};

// Brings `path` (created when missing) to hold `bytes` at offset `at`, where
// `at` is the size the file had before the append was decided. A file that
// ends part-way into the bytes (a torn earlier attempt) is cut back to `at`
// and written again. So the same call repeated after a crash completes the
// append exactly once.
AppendOutcome append_at_durably(const char *path, long at, const std::string &bytes);
