// The game's default backgrounds as the game holds them: the raw JPEG objects
// of "graphics.dat", read with Allegro's datafile loader.
#pragma once

#include <string>
#include <vector>

#include "bench/generated_pictures.h"

// Every raw data object of the datafile at `path`, named as the datafile names
// it (e.g. "TITLE_JPG"). Empty, with *error set, when the file cannot be loaded.
// Allegro must be installed.
std::vector<BenchPicture> game_backgrounds(const char *path, std::string *error);
