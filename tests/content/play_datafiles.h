// The datafiles of build/play/, loaded once per test process under SYSTEM_NONE at
// 24-bit colour, plus their raw bytes for byte-level checks.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <string>
#include <vector>

DATAFILE* play_datafile(const char* name);  // "graphics.dat", "battle.dat" or "music.dat"
int datafile_count(const DATAFILE* d);
std::vector<uint8_t> read_bytes(const std::string& path);
std::string play_path(const char* name);
