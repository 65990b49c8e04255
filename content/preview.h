// PNG previews of every picture and sprite, and one contact sheet of the game.
#pragma once

#include <string>

// Writes the PNGs into `dir` (which must exist); returns false on a write error.
bool write_previews(const std::string &dir);
