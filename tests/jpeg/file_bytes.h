// Reads a whole file into bytes, for the tests that check files the decoder reads or the tool writes.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

inline bool read_file(const std::string &path, std::vector<uint8_t> *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes->push_back(static_cast<uint8_t>(c));
    fclose(f);
    return true;
}
