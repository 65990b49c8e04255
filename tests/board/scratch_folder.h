// A fresh temporary working folder per test, so the fixed file names of the records stay apart.
#pragma once

#include <string>

#include <gtest/gtest.h>

class ScratchFolder : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;
    std::string previous_;
};

std::string read_file(const char *path);
void write_file(const char *path, const std::string &bytes);
