// Replays the fuzz corpus and saved crashers through decode_jpeg with the
// normal compiler (and under the sanitizer build): every file must decode or be
// refused without a fault. Arguments: directories to replay.
#include "jpeg/decode_jpeg.h"
#include "file_bytes.h"

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
    int decoded = 0, refused = 0, failed = 0;
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
            BITMAP *bmp = decode_jpeg(copy, bytes.size(), nullptr);
            free(copy);
            if (bmp) {
                decoded++;
                destroy_bitmap(bmp);
            } else {
                refused++;
            }
        }
        closedir(dir);
    }
    printf("replayed %d files: %d decoded, %d refused\n", decoded + refused, decoded, refused);
    // The seed corpus is all valid pictures, so a replay that decodes none is broken.
    return failed == 0 && decoded > 0 ? 0 : 1;
}
