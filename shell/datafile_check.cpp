// Walks the outline of a datafile before the library loads it: the library's
// loader crashes on a file cut short, so a file whose objects do not all lie
// complete within it is refused with a reason instead.
#include <stdio.h>

#include "shell/screens.h"

// Reads and drops n bytes; false when the file ends first.
static bool skip_bytes(PACKFILE *file, long n)
{
    static char buffer[4096];
    while (n > 0) {
        long part = n < (long)sizeof buffer ? n : (long)sizeof buffer;
        if (pack_fread(buffer, part, file) != part)
            return false;
        n -= part;
    }
    return true;
}

// One object: its properties, its type, then a chunk of two sizes (the
// unpacked size, and the size on disk, negative when packed) and the bytes.
static bool skip_object(PACKFILE *file)
{
    long type;
    while ((type = pack_mgetl(file)) == DAT_PROPERTY) {
        pack_mgetl(file);                       // which property
        long size = pack_mgetl(file);
        if (size < 0 || !skip_bytes(file, size))
            return false;
    }
    if (type == EOF && pack_feof(file))
        return false;
    long unpacked_size = pack_mgetl(file);
    long stored_size = pack_mgetl(file);
    if (pack_feof(file) || pack_ferror(file) || unpacked_size < 0)
        return false;
    return skip_bytes(file, stored_size < 0 ? -stored_size : stored_size);
}

bool datafile_is_whole(const char *file_name, char *reason, size_t reason_size)
{
    PACKFILE *file = pack_fopen(file_name, F_READ_PACKED);
    if (file == NULL) {
        // The library opens only files that begin with a datafile's magic.
        snprintf(reason, reason_size, exists(file_name) ? "is not an Allegro datafile" : "cannot be opened");
        return false;
    }
    bool whole = true;
    if (pack_mgetl(file) != DAT_MAGIC) {
        snprintf(reason, reason_size, "is not an Allegro datafile");
        whole = false;
    } else {
        long count = pack_mgetl(file);
        if (count < 0 || pack_feof(file)) {
            snprintf(reason, reason_size, "ends before its object count");
            whole = false;
        }
        for (long i = 0; whole && i < count; i++)
            if (!skip_object(file)) {
                snprintf(reason, reason_size, "ends inside object %ld of the %ld it announces", i, count);
                whole = false;
            }
    }
    pack_fclose(file);
    return whole;
}
