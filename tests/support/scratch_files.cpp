// Scratch folders and whole-file reads and writes for the tests.
#include "tests/support/scratch_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "platform/whole_file.h"

std::string make_scratch_folder()
{
    char pattern[] = "/tmp/tabellone-test-XXXXXX";
    return mkdtemp(pattern) ? pattern : "";
}

bool remove_scratch_folder(const std::string &path)
{
    if (path.empty())
        return false;
#ifdef _WIN32
    std::error_code failed;
    std::filesystem::remove_all(path, failed);
    return !failed;
#else
    // Tests make folders unwritable; they are made writable again to be removed.
    std::string command = "chmod -R u+w '" + path + "' && rm -rf '" + path + "'";
    return system(command.c_str()) == 0;
#endif
}

void ScratchFolder::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    folder_ = make_scratch_folder();
    ASSERT_FALSE(folder_.empty());
    ASSERT_EQ(chdir(folder_.c_str()), 0);
}

void ScratchFolder::TearDown()
{
    ASSERT_EQ(chdir(previous_.c_str()), 0);
    ASSERT_TRUE(remove_scratch_folder(folder_));
}

bool read_file(const std::string &path, std::vector<uint8_t> *bytes)
{
    std::string whole;
    bool read = read_whole_file(path.c_str(), &whole) == WholeFile::read;
    bytes->insert(bytes->end(), whole.begin(), whole.end());
    return read;
}

std::string read_file(const std::string &path)
{
    std::string bytes;
    read_whole_file(path.c_str(), &bytes);
    return bytes;
}

std::vector<uint8_t> read_bytes(const std::string &path)
{
    std::vector<uint8_t> bytes;
    read_file(path, &bytes);
    return bytes;
}

static bool write_whole(const std::string &path, const void *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool whole = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && whole;
}

bool write_file(const std::string &path, const std::string &bytes)
{
    return write_whole(path, bytes.data(), bytes.size());
}

bool write_file(const std::string &path, const std::vector<uint8_t> &bytes)
{
    return write_whole(path, bytes.data(), bytes.size());
}
