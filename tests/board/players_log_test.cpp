// The players log: exact lines, append order, creation, UTF-8 kept, and a log that cannot be written.
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "board/board.h"
#include "board/players_log.h"
#include "tests/support/scratch_files.h"

namespace
{

class PlayersLog : public ScratchFolder
{
protected:
    void play(const char *first, const char *second, const char *third, PrizeType prize)
    {
        strcpy(form_text[0], first);
        strcpy(form_text[1], second);
        strcpy(form_text[2], third);
        selected_prize = prize;
        log_play();
    }
};

TEST_F(PlayersLog, EmptyFieldsGiveThreeSeparatorsAndThePrizeName)
{
    play("", "", "", EMPTY_SQUARE);
    EXPECT_EQ(read_file("players.txt"), ", , , Niente\r\n");
}

TEST_F(PlayersLog, LinesAreAppendedInPlayOrderAfterEarlierContent)
{
    write_file("players.txt", "earlier, content\r\nno line end");
    play("Anna", "Rossi", "3331234567", 0);
    play("Luca", "Bianchi, jr", "", 5);
    EXPECT_EQ(read_file("players.txt"), "earlier, content\r\nno line end\r\n"
                                        "Anna, Rossi, 3331234567, Poltrona\r\n"
                                        "Luca, Bianchi, jr, , Telefono\r\n");
}

TEST_F(PlayersLog, TypedBytesAreWrittenUnchanged)
{
    // Thirty accented characters: sixty bytes of UTF-8 in one field.
    std::string thirty_accents;
    for (int i = 0; i < 30; i++)
        thirty_accents += "\xC3\xA8";
    play("Niccol\xC3\xB2", thirty_accents.c_str(), "  spazi  ", 3);
    EXPECT_EQ(read_file("players.txt"), "Niccol\xC3\xB2, " + thirty_accents + ",   spazi  , Asciugamani\r\n");
}

TEST_F(PlayersLog, EveryPrizeNameReachesTheLog)
{
    for (PrizeType t = 0; t < PRIZE_TYPE_COUNT; t++)
        play("a", "b", "c", t);
    EXPECT_EQ(read_file("players.txt"),
              "a, b, c, Poltrona\r\na, b, c, Borsa\r\na, b, c, Monopattino\r\na, b, c, Asciugamani\r\n"
              "a, b, c, Tenda\r\na, b, c, Telefono\r\na, b, c, Niente\r\n");
}

TEST_F(PlayersLog, ALogThatCannotBeWrittenSaysSoAndChangesNothing)
{
    for (bool full_disk : {false, true}) {
        remove("players.txt");
        rmdir("players.txt");
        if (full_disk)
            ASSERT_EQ(symlink("/dev/full", "players.txt"), 0);
        else
            ASSERT_EQ(mkdir("players.txt", 0755), 0);
        testing::internal::CaptureStderr();
        play("Anna", "Rossi", "", 2);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("players.txt"), std::string::npos) << said;
        EXPECT_EQ(selected_prize, 2);
        EXPECT_STREQ(form_text[0], "Anna");
    }
}

}  // namespace
