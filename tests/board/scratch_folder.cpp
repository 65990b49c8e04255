// A fresh temporary working folder per test, so the fixed file names of the records stay apart.
#include "scratch_folder.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

void ScratchFolder::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    char pattern[] = "/tmp/tabellone-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
}

void ScratchFolder::TearDown()
{
    ASSERT_EQ(chdir(previous_.c_str()), 0);
#ifdef _WIN32
    std::filesystem::remove_all(folder_);
#else
    std::string command = "chmod -R u+w '" + folder_ + "' && rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
#endif
}

std::string read_file(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const char *path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
