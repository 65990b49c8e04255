// Writes the datafile fuzz seeds into the folder given as argument: the built
// datafiles with every payload cut small (sizes kept consistent), one of them
// packed as a whole, and one nesting another. Deterministic for one build.
// Build and run: cmake --build <build> --target datafile_seed_corpus &&
//   <build>/tests/shell/datafile_seed_corpus <build>/play fuzz/datafile_corpus
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "tests/shell/datafile_damage.h"
#include "tests/support/scratch_files.h"

static int failures = 0;

static void write_seed(const std::string &path, const DatBytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        fprintf(stderr, "%s: cannot be written\n", path.c_str());
        failures++;
    }
    if (f)
        fclose(f);
    printf("%s: %zu bytes\n", path.c_str(), bytes.size());
}

int main(int argc, char *argv[])
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s PLAY_FOLDER SEED_FOLDER\n", argv[0]);
        return 2;
    }
    install_allegro(SYSTEM_NONE, &errno, atexit);
    std::string play = argv[1], seeds = argv[2];
    DatBytes small[3];
    const char *names[3] = {"graphics", "battle", "music"};
    for (int i = 0; i < 3; i++) {
        DatBytes built = read_bytes(play + "/" + names[i] + ".dat");
        if (built.empty()) {
            fprintf(stderr, "%s/%s.dat: missing\n", play.c_str(), names[i]);
            return 1;
        }
        small[i] = shrunk_copy(built);
        write_seed(seeds + "/" + names[i] + "-small.dat", small[i]);
    }

    // battle packed as a whole, through the library's own packer.
    MemoryFile packed = memory_file(nullptr, 0);
    PACKFILE *f = pack_fopen(packed.path.c_str(), F_WRITE_PACKED);
    if (!f)
        return 1;
    pack_fwrite(small[1].data() + 4, (long)small[1].size() - 4, f);
    pack_fclose(f);
    write_seed(seeds + "/battle-small-packed.dat", read_bytes(packed.path));
    close_memory_file(packed);

    // music with graphics nested after its sample.
    DatBytes nested = small[2];
    put_be32(nested, 8, get_be32(nested, 8) + 1);
    DatBytes header(12);
    put_be32(header, 0, DAT_FILE);
    put_be32(header, 4, (uint32_t)small[0].size() - 8);
    put_be32(header, 8, (uint32_t)small[0].size() - 8);
    nested.insert(nested.end(), header.begin(), header.end());
    nested.insert(nested.end(), small[0].begin() + 8, small[0].end());
    write_seed(seeds + "/music-nesting-graphics.dat", nested);
    return failures ? 1 : 0;
}
