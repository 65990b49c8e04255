// The outline check that keeps a datafile cut short away from the library's
// loader, which crashes on one.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "shell/datafile_check.h"
#include "shell/screens.h"

namespace
{

void put32(std::string &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += (char)((v >> shift) & 0xFF);
}

// An unpacked datafile of raw objects, each with a NAME property.
std::string datafile(const std::vector<std::string> &payloads)
{
    std::string out;
    put32(out, F_NOPACK_MAGIC);
    put32(out, DAT_MAGIC);
    put32(out, payloads.size());
    for (size_t i = 0; i < payloads.size(); i++) {
        std::string name = "OBJECT_" + std::to_string(i);
        put32(out, DAT_PROPERTY);
        put32(out, DAT_ID('N', 'A', 'M', 'E'));
        put32(out, name.size());
        out += name;
        put32(out, DAT_DATA);
        put32(out, payloads[i].size());
        put32(out, payloads[i].size());
        out += payloads[i];
    }
    return out;
}

class DatafileCheck : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        char pattern[] = "/tmp/datafile-check-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        path_ = folder_ + "/test.dat";
    }
    void TearDown() override
    {
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    void write(const std::string &bytes)
    {
        FILE *f = fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    bool whole()
    {
        reason_[0] = 0;
        return check_datafile(path_.c_str(), nullptr, reason_, sizeof reason_);
    }

    std::string folder_, path_;
    char reason_[200];
};

TEST_F(DatafileCheck, WholeFileIsAcceptedAndLoads)
{
    write(datafile({std::string(300, 'j'), "", "tail"}));
    ASSERT_TRUE(whole()) << reason_;
    DATAFILE *data = load_datafile(path_.c_str());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[0].size, 300);
    EXPECT_EQ(data[2].size, 4);
    EXPECT_EQ(data[3].type, DAT_END);
    unload_datafile(data);
}

TEST_F(DatafileCheck, EveryShorterFileIsRefused)
{
    const std::string bytes = datafile({std::string(300, 'j'), "", "tail"});
    for (size_t length = 0; length < bytes.size(); length++) {
        write(bytes.substr(0, length));
        EXPECT_FALSE(whole()) << "cut to " << length << " of " << bytes.size() << " bytes";
    }
}

TEST_F(DatafileCheck, ReasonNamesWhereTheFileEnds)
{
    const std::string bytes = datafile({"first", std::string(100, 'x')});
    write(bytes.substr(0, bytes.size() - 10));
    ASSERT_FALSE(whole());
    EXPECT_STREQ(reason_, "ends inside object 1 of the 2 it announces");
}

TEST_F(DatafileCheck, OtherFilesAreRefused)
{
    write("P6\n1 1\n255\nabc");
    EXPECT_FALSE(whole());
    EXPECT_STREQ(reason_, "is not an Allegro datafile");

    unlink(path_.c_str());
    EXPECT_FALSE(whole());
    EXPECT_STREQ(reason_, "cannot be opened");
}

}  // namespace
