// Writes that are on disk when they return: a whole file replaced atomically, and appended lines.
#pragma once

#include <stddef.h>

// Writes the bytes to a temporary file beside `path`, syncs it and renames it over `path`.
// On failure `path` is untouched, the temporary file is removed, errno tells why, and the result is false.
bool replace_file_durably(const char *path, const char *bytes, size_t size);

// Appends the bytes to `path` (created when missing) and syncs them to disk. False on failure, errno tells why.
bool append_file_durably(const char *path, const char *bytes, size_t size);
