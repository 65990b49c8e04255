// Writes that are on disk when they return: a whole file replaced atomically,
// and appends that either land whole or leave the file as it was.
#include "board/durable_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// Every record is written byte for byte: never through text mode.
#define OPEN_FLAGS O_BINARY
#define fsync _commit
#define ftruncate _chsize_s
typedef int ssize_t;
#else
#include <unistd.h>
#define OPEN_FLAGS O_CLOEXEC
#endif

static const char line_end[] = "\r\n";

static bool write_all(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, (unsigned)size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= (size_t)n;
    }
    return true;
}

// Reads exactly size bytes at offset; false when the file ends first or a read fails.
static bool read_at(int fd, long offset, char *out, size_t size)
{
    if (lseek(fd, offset, SEEK_SET) != offset)
        return false;
    while (size > 0) {
        ssize_t n = read(fd, out, (unsigned)size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        size -= (size_t)n;
    }
    return true;
}

// Closes fd but keeps the errno of the first failure.
static bool close_keeping_errno(int fd, bool ok)
{
    int saved = errno;
    if (close(fd) != 0 && ok)
        return false;
    if (!ok)
        errno = saved;
    return ok;
}

static bool rename_over(const char *from, const char *to)
{
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return rename(from, to) == 0;
#endif
}

// Makes a rename or a new file's name durable; a folder that cannot be synced is not an error.
static void sync_folder_of(const char *path)
{
#ifndef _WIN32
    const char *slash = strrchr(path, '/');
    std::string folder = slash ? std::string(path, slash - path + 1) : ".";
    int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)path;
#endif
}

bool replace_file_durably(const char *path, const char *bytes, size_t size)
{
    std::string temporary = std::string(path) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | OPEN_FLAGS, 0644);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, bytes, size) && fsync(fd) == 0;
    ok = close_keeping_errno(fd, ok) && rename_over(temporary.c_str(), path);
    if (!ok) {
        int saved = errno;
        remove(temporary.c_str());
        errno = saved;
        return false;
    }
    sync_folder_of(path);
    return true;
}

bool find_append_point(const char *path, AppendPoint *point)
{
    point->size = 0;
    point->line_break = "";
    int fd = open(path, O_RDONLY | OPEN_FLAGS);
    if (fd < 0)
        return errno == ENOENT;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && info.st_size > 0) {
        point->size = (long)info.st_size;
        char last[2] = {0, 0};
        long tail = point->size < 2 ? point->size : 2;
        ok = read_at(fd, point->size - tail, last + 2 - tail, (size_t)tail);
        if (ok && !(last[0] == line_end[0] && last[1] == line_end[1]))
            point->line_break = line_end;
    }
    return close_keeping_errno(fd, ok);
}

// The file's bytes from `at` on, at most `size` of them, compared with `bytes`:
// how many of them agree before the first difference or the end of the file.
static bool agreeing_bytes(int fd, long at, long file_size, const std::string &bytes, size_t *agreeing)
{
    size_t there = (size_t)(file_size - at) < bytes.size() ? (size_t)(file_size - at) : bytes.size();
    std::string held(there, '\0');
    if (there > 0 && !read_at(fd, at, &held[0], there))
        return false;
    size_t n = 0;
    while (n < there && held[n] == bytes[n])
        n++;
    *agreeing = n;
    return true;
}

AppendOutcome append_at_durably(const char *path, long at, const std::string &bytes)
{
    int fd = open(path, O_RDWR | O_CREAT | OPEN_FLAGS, 0644);
    if (fd < 0)
        return APPEND_FAILED;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close_keeping_errno(fd, false);
        return APPEND_FAILED;
    }
    long size = (long)info.st_size;
    bool created = size == 0 && at == 0;
    if (size < at) {
        close(fd);
        return APPEND_CONFLICT;
    }
    if (size > at) {
        size_t agreeing = 0;
        if (!agreeing_bytes(fd, at, size, bytes, &agreeing)) {
            close_keeping_errno(fd, false);
            return APPEND_FAILED;
        }
        bool whole = agreeing == bytes.size();
        bool torn = agreeing == (size_t)(size - at) && (size_t)(size - at) < bytes.size();
        if (whole || !torn) {
            close(fd);
            return whole ? APPEND_ALREADY_THERE : APPEND_CONFLICT;
        }
    }
    // Written from `at`, so a torn earlier attempt is simply overwritten.
    bool ok = ftruncate(fd, at) == 0 && lseek(fd, at, SEEK_SET) == at
              && write_all(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    if (!ok) {
        int saved = errno;
        // Never leave part of a line behind.
        if (ftruncate(fd, at) == 0)
            fsync(fd);
        errno = saved;
    }
    if (!close_keeping_errno(fd, ok))
        return APPEND_FAILED;
    if (created)
        sync_folder_of(path);
    return APPEND_WRITTEN;
}
