// Replays the fuzz corpus and saved crashers through decode_jpeg and
// decode_jpeg_reference with the normal compiler (and under the sanitizer
// build): every file must decode or be refused without a fault, the same way by
// both, to the same bytes, and every refused file with the reason its line in
// the list of refusals gives ("file-name: reason"; # begins a comment).
// Arguments: that list, then the directories to replay.
#include "tests/support/compare_decoders.h"
#include "tests/support/scratch_files.h"

#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <dirent.h>
#include <errno.h>
#include <fstream>
#include <map>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

// The list of refusals: file name to expected reason; false when unreadable or malformed.
static bool read_refusals(const char *path, std::map<std::string, std::string> *refusals)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t colon = line.find(": ");
        if (colon == std::string::npos)
            return false;
        (*refusals)[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return in.eof();
}

int main(int argc, char **argv)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(24);
    std::map<std::string, std::string> refusals;
    if (argc < 2 || !read_refusals(argv[1], &refusals)) {
        fprintf(stderr, "cannot read the list of refusals %s\n", argc < 2 ? "(none given)" : argv[1]);
        return 1;
    }
    int decoded = 0, refused = 0, failed = 0, differing = 0;
    for (int i = 2; i < argc; i++) {
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
            if (c.decoded) {
                decoded++;
            } else {
                refused++;
                auto listed = refusals.find(name);
                std::string expected = listed == refusals.end() ? "(not listed)" : listed->second;
                if (expected != c.reason) {
                    fprintf(stderr, "%s: refused with \"%s\", listed: %s\n", path.c_str(), c.reason, expected.c_str());
                    failed++;
                }
            }
            refusals.erase(name);
        }
        closedir(dir);
    }
    for (const auto &listed : refusals) {
        fprintf(stderr, "%s: listed as refused (\"%s\") but not refused in the folders\n", listed.first.c_str(),
                listed.second.c_str());
        failed++;
    }
    printf("replayed %d files: %d decoded, %d refused, %d decoded differently by the fast path\n", decoded + refused,
           decoded, refused, differing);
    // The seed corpus is mostly valid pictures, so a replay that decodes none is broken.
    return failed == 0 && differing == 0 && decoded > 0 ? 0 : 1;
}
