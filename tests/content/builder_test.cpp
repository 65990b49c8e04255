// The builder is deterministic: two runs give byte-identical datafiles, equal to
// the ones in build/play/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "play_datafiles.h"

namespace
{

int run_builder(const std::string &out)
{
    const std::string cmd = std::string("ASAN_OPTIONS=detect_leaks=0 '") + MAKE_CONTENT_PATH + "' '" + out + "'";
    return std::system(cmd.c_str());
}

TEST(ContentBuilder, TwoBuildsAreByteIdentical)
{
    const std::string a = make_scratch_folder(), b = make_scratch_folder();
    ASSERT_EQ(run_builder(a), 0);
    ASSERT_EQ(run_builder(b), 0);
    for (const char *name : {"graphics.dat", "battle.dat", "music.dat"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> first = read_bytes(a + "/" + name);
        ASSERT_GT(first.size(), 1000u);
        EXPECT_TRUE(first == read_bytes(b + "/" + name));
        EXPECT_TRUE(first == read_bytes(play_path(name)));
    }
    remove_scratch_folder(a);
    remove_scratch_folder(b);
}

TEST(ContentBuilder, RefusesAMissingOutputFolder)
{
    EXPECT_NE(run_builder("/nonexistent/tabellone"), 0);
    EXPECT_NE(std::system((std::string("'") + MAKE_CONTENT_PATH + "' >/dev/null 2>&1").c_str()), 0);
}

}  // namespace
