// Reading a whole file into memory, in binary mode on every system.
#include "platform/whole_file.h"

#include <errno.h>
#include <stdio.h>

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
    FILE *file = fopen(path, "rb");
    if (!file)
        return errno == ENOENT ? WholeFile::missing : WholeFile::not_opened;
    bool failed = !append_rest(file, bytes);
    int saved = errno;
    fclose(file);
    errno = saved;
    return failed ? WholeFile::not_read : WholeFile::read;
}
