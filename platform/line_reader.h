// Text files read line by line, split at LF with one rule for every file the
// records keep: a line's text stops before its LF and before a CR right in
// front of it; a last line without a LF is a line too. The reader streams a
// file through a fixed buffer, so the cost of memory does not grow with it.
#pragma once

#include <stddef.h>
#include <string>

#include "platform/platform_files.h"

// One line of a buffer: where it starts, how long its text is, and where the next line starts.
struct LineSpan {
    size_t start;
    size_t text_size;
    size_t next;
    bool ended;  // false for a last line without a LF (a torn write)
};

// The line that starts at `start` (< size) of the bytes.
LineSpan line_at(const char *bytes, size_t size, size_t start);

struct LineReader {
    FileHandle file = -1;
    long read_to = 0;   // the file offset the next block is read from
    std::string buffer;
    size_t at = 0;      // where the next line starts in the buffer
    long offset = 0;    // the file offset of buffer[at]
    bool failed = false;  // a read failed; errno tells why
};

// Opens a file for reading in binary mode; false with errno (ENOENT for a missing file).
bool open_line_reader(const char *path, LineReader *reader);

// The next line: its text, its offset in the file, and whether a LF ended it.
// False at the end of the file or after a failed read (`failed` then says so).
bool read_line(LineReader *reader, std::string *text, long *offset, bool *ended);

void close_line_reader(LineReader *reader);
