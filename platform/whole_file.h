// Reading a whole file into memory: the journal at start-up, the operator's
// view of a game folder, and the tools and tests that check files.
#pragma once

#include <stdio.h>

#include <string>

enum class WholeFile { read, missing, not_opened, not_read };

// All of an open file from its start, which is then closed: what a program
// wrote into a temporary file.
std::string whole_open_file(FILE *file);

// The file's bytes into `bytes`; anything but WholeFile::read leaves errno
// saying why (and `bytes` holding what came before a read failed).
WholeFile read_whole_file(const char *path, std::string *bytes);
