// Reading a whole file into memory, in binary mode on every system.
#include "platform/whole_file.h"

#include <errno.h>
#include <stdio.h>

WholeFile read_whole_file(const char *path, std::string *bytes)
{
    bytes->clear();
    FILE *file = fopen(path, "rb");
    if (!file)
        return errno == ENOENT ? WholeFile::missing : WholeFile::not_opened;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->append(buffer, n);
    bool failed = ferror(file) != 0;
    int saved = errno;
    fclose(file);
    errno = saved;
    return failed ? WholeFile::not_read : WholeFile::read;
}
