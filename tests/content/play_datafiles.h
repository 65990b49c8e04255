// The datafiles of build/play/, loaded once per test process under SYSTEM_NONE at
// 24-bit colour; their raw bytes come from tests/support/scratch_files.h.
#pragma once

#include <allegro.h>

#include "tests/support/scratch_files.h"

#include <cstdint>
#include <string>
#include <vector>

DATAFILE *play_datafile(const char *name);  // "graphics.dat", "battle.dat" or "music.dat"
int datafile_count(const DATAFILE *d);
std::string play_path(const char *name);
