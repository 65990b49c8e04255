// libFuzzer target: datafile bytes to the datafile check and, when the check
// accepts them, to the library's own loader (from a memfd under its
// /proc/self/fd path), then unloaded. Under ASan and libFuzzer's malloc limit
// any crash, leak or runaway allocation in the loader after acceptance is a
// fault of the check; so is a file a game layout accepts that the check alone
// refuses, and content unpacked otherwise than the library unpacks it.
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include "shell/datafile_check.h"
#include "tests/shell/datafile_damage.h"

static MemoryFile start()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        abort();
    set_color_depth(24);
    MemoryFile file = memory_file(nullptr, 0);
    if (file.path.empty())
        abort();
    return file;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static MemoryFile file = start();
    if (ftruncate(file.fd, 0) != 0 || pwrite(file.fd, data, size, 0) != (ssize_t)size)
        abort();
    char reason[200];
    bool accepted = check_datafile(file.path.c_str(), nullptr, reason, sizeof reason);
    for (const DatafileLayout *layout : {&graphics_layout, &battle_layout, &music_layout})
        if (check_datafile(file.path.c_str(), layout, reason, sizeof reason) && !accepted)
            abort();
    if (accepted) {
        std::vector<uint8_t> content, library;
        if (!unpack_datafile(data, size, &content, reason, sizeof reason))
            abort();
        PACKFILE *f = pack_fopen(file.path.c_str(), F_READ_PACKED);
        for (int c; f && (c = pack_getc(f)) != EOF;)
            library.push_back((uint8_t)c);
        if (f)
            pack_fclose(f);
        if (content != library)
            abort();
        DATAFILE *loaded = load_datafile(file.path.c_str());
        if (loaded == nullptr)
            abort();
        unload_datafile(loaded);
    }
    return 0;
}
