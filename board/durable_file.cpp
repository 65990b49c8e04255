// Writes that are on disk when they return: a whole file replaced atomically, and appended lines.
#include "board/durable_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define fsync _commit
#else
#include <unistd.h>
#endif

// Windows opens files in text mode unless told otherwise, and would turn each
// LF of a CR LF line into another CR LF.
#ifndef O_BINARY
#define O_BINARY 0
#endif

static bool write_all(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += n;
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
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = EACCES;
    return false;
#else
    return rename(from, to) == 0;
#endif
}

// Makes the rename itself durable; a folder that cannot be synced is not an error.
static void sync_folder_of(const std::string &path)
{
#ifndef _WIN32
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
}

bool replace_file_durably(const char *path, const char *bytes, size_t size)
{
    std::string temporary = std::string(path) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0644);
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

bool append_file_durably(const char *path, const char *bytes, size_t size)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_BINARY, 0644);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, bytes, size) && fsync(fd) == 0;
    return close_keeping_errno(fd, ok);
}
