// Writes that are on disk when they return: a whole file replaced atomically,
// and appends that either land whole or leave the file as it was.
#include "platform/durable_file.h"

#include <errno.h>

#include "platform/platform_files.h"

static const char line_end[] = "\r\n";

// Reads exactly size bytes at offset; false when the file ends first or a read fails.
static bool read_at(FileHandle file, long offset, char *out, size_t size)
{
    while (size > 0) {
        long n = file_read_at(file, offset, out, size);
        if (n <= 0)
            return false;
        out += n;
        offset += n;
        size -= (size_t)n;
    }
    return true;
}

// Closes the file but keeps the errno of the first failure.
static bool close_keeping_errno(FileHandle file, bool ok)
{
    int saved = errno;
    if (!file_close(file) && ok)
        return false;
    if (!ok)
        errno = saved;
    return ok;
}

std::string write_error_text(int error)
{
    return file_error_text(error);
}

bool replace_file_durably(const char *path, const char *bytes, size_t size)
{
    std::string temporary = std::string(path) + ".tmp";
    FileHandle file = file_open(temporary.c_str(), FILE_FOR_REPLACING);
    if (file < 0)
        return false;
    bool ok = file_write_at(file, 0, bytes, size) && file_sync(file);
    ok = close_keeping_errno(file, ok) && file_rename(temporary.c_str(), path);
    if (!ok) {
        int saved = errno;
        file_remove(temporary.c_str());
        errno = saved;
        return false;
    }
    folder_sync(path);
    return true;
}

bool find_append_point(const char *path, AppendPoint *point)
{
    point->size = 0;
    point->line_break = "";
    FileHandle file = file_open(path, FILE_FOR_READING);
    if (file < 0)
        return errno == ENOENT;
    long size = file_size(file);
    bool ok = size >= 0;
    if (ok && size > 0) {
        point->size = size;
        char last[2] = {0, 0};
        long tail = size < 2 ? size : 2;
        ok = read_at(file, size - tail, last + 2 - tail, (size_t)tail);
        if (ok && !(last[0] == line_end[0] && last[1] == line_end[1]))
            point->line_break = line_end;
    }
    return close_keeping_errno(file, ok);
}

// The file's bytes from `at` on, at most `size` of them, compared with `bytes`:
// how many of them agree before the first difference or the end of the file.
static bool agreeing_bytes(FileHandle file, long at, long file_size, const std::string &bytes, size_t *agreeing)
{
    size_t there = (size_t)(file_size - at) < bytes.size() ? (size_t)(file_size - at) : bytes.size();
    std::string held(there, '\0');
    if (there > 0 && !read_at(file, at, &held[0], there))
        return false;
    size_t n = 0;
    while (n < there && held[n] == bytes[n])
        n++;
    *agreeing = n;
    return true;
}

AppendOutcome append_at_durably(const char *path, long at, const std::string &bytes)
{
    FileHandle file = file_open(path, FILE_FOR_UPDATE);
    if (file < 0)
        return APPEND_FAILED;
    long size = file_size(file);
    if (size < 0) {
        close_keeping_errno(file, false);
        return APPEND_FAILED;
    }
    bool created = size == 0 && at == 0;
    if (size < at) {
        file_close(file);
        return APPEND_CONFLICT;
    }
    if (size > at) {
        size_t agreeing = 0;
        if (!agreeing_bytes(file, at, size, bytes, &agreeing)) {
            close_keeping_errno(file, false);
            return APPEND_FAILED;
        }
        bool whole = agreeing == bytes.size();
        bool torn = agreeing == (size_t)(size - at) && (size_t)(size - at) < bytes.size();
        if (whole || !torn) {
            file_close(file);
            return whole ? APPEND_ALREADY_THERE : APPEND_CONFLICT;
        }
    }
    // Written from `at`, so a torn earlier attempt is simply overwritten.
    bool ok = file_truncate(file, at) && file_write_at(file, at, bytes.data(), bytes.size()) && file_sync(file);
    if (!ok) {
        int saved = errno;
        // Never leave part of a line behind.
        if (file_truncate(file, at))
            file_sync(file);
        errno = saved;
    }
    if (!close_keeping_errno(file, ok))
        return APPEND_FAILED;
    if (created)
        folder_sync(path);
    return APPEND_WRITTEN;
}
