// Reading a whole file into memory, in binary mode on every system.
#include "platform/whole_file.h"

#include <errno.h>
#include <stdio.h>

#include "platform/platform_files.h"

// The bytes from where `file` stands to its end; false when a read failed.
static bool append_rest(FILE *file, std::string *bytes)
{
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->append(buffer, n);
    return ferror(file) == 0;
}

std::string whole_open_file(FILE *file)
{
    std::string bytes;
    rewind(file);
    append_rest(file, &bytes);
    fclose(file);
    return bytes;
}

WholeFile read_whole_file(const char *path, std::string *bytes)
{
    bytes->clear();
    FileHandle file = file_open(path, FILE_FOR_READING);
    if (file < 0)
        return errno == ENOENT ? WholeFile::missing : WholeFile::not_opened;
    char buffer[65536];
    long n;
    while ((n = file_read_at(file, (long)bytes->size(), buffer, sizeof buffer)) > 0)
        bytes->append(buffer, (size_t)n);
    int saved = errno;
    file_close(file);
    errno = saved;
    return n < 0 ? WholeFile::not_read : WholeFile::read;
}
