// The game's three datafiles: their names, the objects the game takes from
// each by index and the kinds those must be, and the check that runs on each
// file before the library's loader sees it (datafile_check.cpp).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "shell/game_contract.h"

// What the game needs of one datafile: the kinds (Allegro type ids) of its
// objects 0..count-1, which the file must hold at least.
struct DatafileLayout {
    const char *file_name;
    const int32_t *kinds;
    int count;
    // Its raw objects are backgrounds: JPEGs the game's decoder accepts, at
    // the size of the screen.
    bool screen_pictures;
};
extern const DatafileLayout graphics_layout;
extern const DatafileLayout battle_layout;
extern const DatafileLayout music_layout;

// Whether the library's loader can load the datafile at `path` (packed as a
// whole or not) safely and whole, and it holds what `layout` asks (null: no
// objects asked). On refusal `reason` gets one line, e.g. "object 1 (font):
// glyph sizes add up to 5120 bytes but the object holds 4096".
bool check_datafile(const char *path, const DatafileLayout *layout, char *reason, size_t reason_size);

// The same over the datafile's content in memory: what follows the pack
// magic once unpacked, beginning with the datafile magic.
bool check_datafile_content(const uint8_t *data, size_t size, const DatafileLayout *layout, char *reason,
                            size_t reason_size);

// The content of a datafile file of `size` bytes: what follows its pack
// magic, unpacked when the file is packed as a whole (datafile_unpack.cpp).
bool unpack_datafile(const uint8_t *file, size_t size, std::vector<uint8_t> *content, char *reason, size_t reason_size);

// Checks the three files of the working folder; false at the first refused,
// with its name and the reason.
bool check_datafiles(std::string *why);
