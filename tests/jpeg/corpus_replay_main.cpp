// Replays the fuzz corpus and saved crashers through decode_jpeg and
// decode_jpeg_reference with the normal compiler (and under the sanitizer
// build): every file must decode or be refused without a fault, the same way by
// both, to the same bytes. Arguments: directories to replay.
#include "tests/support/compare_decoders.h"
#include "tests/support/scratch_files.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(24);
    int decoded = 0, refused = 0, failed = 0, differing = 0;
    for (int i = 1; i < argc; i++) {
        DIR *dir = opendir(argv[i]);
        if (!dir) {
            fprintf(stderr, "cannot open %s\n", argv[i]);
            failed++;
            continue;
        }
        while (dirent *entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name[0] == '.')
                continue;
            std::string path = std::string(argv[i]) + "/" + name;
            std::vector<uint8_t> bytes;
            if (!read_file(path, &bytes)) {
                fprintf(stderr, "cannot read %s\n", path.c_str());
                failed++;
                continue;
            }
            // An exact-size heap copy, so the sanitizer sees any overread.
            uint8_t *copy = static_cast<uint8_t *>(malloc(bytes.size() ? bytes.size() : 1));
            for (size_t n = 0; n < bytes.size(); n++)
                copy[n] = bytes[n];
            DecoderComparison c = compare_decoders(copy, bytes.size());
            free(copy);
            if (!c.same) {
                fprintf(stderr, "%s: fast and reference decodes differ: %s\n", path.c_str(), c.difference);
                differing++;
            }
            if (c.decoded)
                decoded++;
            else
                refused++;
        }
        closedir(dir);
    }
    printf("replayed %d files: %d decoded, %d refused, %d decoded differently by the fast path\n", decoded + refused,
           decoded, refused, differing);
    // The seed corpus is mostly valid pictures, so a replay that decodes none is broken.
    return failed == 0 && differing == 0 && decoded > 0 ? 0 : 1;
}
