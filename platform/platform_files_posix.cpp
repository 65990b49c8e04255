// The file operations of the records on a POSIX system: the system's calls, directly.
#include "platform/platform_files.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const int open_flags[] = {O_RDONLY, O_RDWR | O_CREAT, O_WRONLY | O_CREAT | O_TRUNC};

FileHandle file_open(const char *path, FileMode mode)
{
    return open(path, open_flags[mode] | O_CLOEXEC, 0644);
}

long file_read_at(FileHandle file, long offset, char *out, size_t size)
{
    for (;;) {
        ssize_t n = pread(file, out, size, offset);
        if (n >= 0 || errno != EINTR)
            return (long)n;
    }
}

bool file_write_at(FileHandle file, long offset, const char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t n = pwrite(file, bytes, size, offset);
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
        offset += (long)n;
        size -= (size_t)n;
    }
    return true;
}

long file_size(FileHandle file)
{
    struct stat info;
    return fstat(file, &info) == 0 ? (long)info.st_size : -1;
}

bool file_truncate(FileHandle file, long size)
{
    return ftruncate(file, size) == 0;
}

bool file_sync(FileHandle file)
{
    return fsync(file) == 0;
}

bool file_close(FileHandle file)
{
    return close(file) == 0;
}

bool file_rename(const char *from, const char *to)
{
    return rename(from, to) == 0;
}

bool file_remove(const char *path)
{
    return remove(path) == 0;
}

void folder_sync(const char *path)
{
    const char *slash = strrchr(path, '/');
    std::string folder = slash ? std::string(path, slash - path + 1) : ".";
    int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string file_error_text(int error)
{
    return strerror(error);
}
