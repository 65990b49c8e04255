// Scratch folders and whole files for the tests: a fresh temporary folder per
// test (or per test program), and the bytes of a file read or written at once.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

// A fresh folder under /tmp, and its removal with everything in it.
std::string make_scratch_folder();
bool remove_scratch_folder(const std::string &path);

// Each test runs inside a fresh scratch folder, so the fixed file names of the
// records stay apart.
class ScratchFolder : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;
    std::string previous_;
};

// Appends the file's bytes to `*bytes`; false when it cannot be opened.
bool read_file(const std::string &path, std::vector<uint8_t> *bytes);
// The file's bytes, empty when it cannot be read.
std::string read_file(const std::string &path);
std::vector<uint8_t> read_bytes(const std::string &path);

// False when the file cannot be written whole.
bool write_file(const std::string &path, const std::string &bytes);
bool write_file(const std::string &path, const std::vector<uint8_t> &bytes);
