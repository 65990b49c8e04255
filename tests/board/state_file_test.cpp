// Saving and loading "state.dat": exact bytes, the layouts the loader takes, refusals and failed saves.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#ifdef _WIN32
#include <thread>

// Without its drawing part, whose BITMAP is not the library's.
#define NOGDI
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include "board/state_file.h"
#include "tests/support/cell_images.h"
#include "seeded_random.h"
#include "tests/support/scratch_files.h"

namespace
{

// Rows of a hand-made board a deal could have given, after a few plays: the
// eleven prizes, one of them open, and more than the deal's 15 open empty squares.
const char *const known_rows[10] = {
    "xxXxxrxxxx", "gxxxxxxxxx", "XXXXXxxxxv", "xxnxxxXxxx", "xxxxaxxxxx",
    "xbxxxxxxXx", "xxxxxxxrxx", "rrxXxxxxxx", "xxxxxxxxxr", "XXXXXgxxxX",
};

std::string rows_joined_by(const char *line_end)
{
    std::string bytes;
    for (const char *row : known_rows)
        bytes += std::string(row) + line_end;
    return bytes;
}

class StateFile : public ScratchFolder
{
protected:
    CellImages images;
    SeededRandom seeded{42};

    void SetUp() override
    {
        ScratchFolder::SetUp();
        deal_board();
    }

    // Loads the bytes as "state.dat" and returns what the loader said on standard error.
    std::string load(const std::string &bytes)
    {
        write_file("state.dat", bytes);
        testing::internal::CaptureStderr();
        load_board_state();
        return testing::internal::GetCapturedStderr();
    }

    std::string board_letters() const
    {
        std::string letters;
        for (const BoardCell &cell : prize_board.cells)
            letters += cell_letter(cell.type, cell.revealed);
        return letters;
    }
};

TEST(StateLetters, EachTypeHasACoveredAndARevealedLetter)
{
    const char covered[] = "gvnabrx", revealed[] = "GVNABRX";
    for (PrizeType t = 0; t < PRIZE_TYPE_COUNT; t++) {
        EXPECT_EQ(cell_letter(t, 0), covered[t]);
        EXPECT_EQ(cell_letter(t, 1), revealed[t]);
        EXPECT_EQ(letter_type(covered[t]), t);
        EXPECT_EQ(letter_type(revealed[t]), t);
    }
    for (int c : {0, (int)' ', (int)'\n', (int)'c', (int)'Z', (int)'1', 0xE9, 0xFF, -1, 256})
        EXPECT_EQ(letter_type(c), -1) << c;
}

TEST_F(StateFile, ASavedFileIsTenLinesOfTenLettersWithCarriageReturnAndLineFeed)
{
    ASSERT_EQ(load(rows_joined_by("\n")), "");
    save_board_state();
    std::string saved = read_file("state.dat");
    EXPECT_EQ(saved.size(), 120u);
    EXPECT_EQ(saved, rows_joined_by("\r\n"));
    EXPECT_NE(access("state.dat.tmp", F_OK), 0) << "no temporary file is left behind";
}

TEST_F(StateFile, ADealRoundTripsWithTypesFlagsAndImages)
{
    PrizeBoard dealt = prize_board;
    save_board_state();
    seeded.reseed(1234);
    deal_board();
    ASSERT_EQ(load(read_file("state.dat")), "");
    for (int i = 0; i < BOARD_SIZE; i++) {
        EXPECT_EQ(prize_board.cells[i].type, dealt.cells[i].type) << i;
        EXPECT_EQ(prize_board.cells[i].revealed, dealt.cells[i].revealed) << i;
    }
    EXPECT_TRUE(images.follow_board());
}

TEST_F(StateFile, LineEndsMayBeAnyRunOfWhiteSpaceOrNone)
{
    std::string expected;
    for (const char *row : known_rows)
        expected += row;
    std::string spaced;
    for (const char *row : known_rows)
        spaced += std::string(row) + " \t\r\n\n\v\f";
    for (const std::string &bytes : {rows_joined_by("\r\n"), rows_joined_by("\n"), rows_joined_by(""), spaced,
                                     rows_joined_by("\r\n") + "anything after the board \x01"}) {
        seeded.reseed(9);
        deal_board();
        ASSERT_EQ(load(bytes), "");
        EXPECT_EQ(board_letters(), expected);
        EXPECT_TRUE(images.follow_board());
    }
}

TEST_F(StateFile, ALoadedBoardReplacesTheWholeDealAndMayBeUsedUp)
{
    std::string used_up = rows_joined_by("");
    for (char &c : used_up)
        c = (char)toupper(c);
    ASSERT_EQ(load(used_up), "");
    EXPECT_TRUE(board_exhausted());
    EXPECT_EQ(prize_board.cells[10].type, 0);
    EXPECT_EQ(prize_board.cells[5].type, 5);

    ASSERT_EQ(load(rows_joined_by("")), "");  // covers the squares the deal had opened
    EXPECT_FALSE(board_exhausted());
    EXPECT_TRUE(images.follow_board());
}

TEST_F(StateFile, AFileThatIsNotABoardIsRefusedWholeWithOneLine)
{
    std::string good = rows_joined_by("\r\n");
    std::string bad_letter = good;
    bad_letter[57] = 'q';
    std::string nul = good;
    nul[3] = '\0';
    std::string accented = good;
    accented[20] = '\xE9';
    std::string third_chair = good;  // a "Niente" becomes a third "Poltrona"
    third_chair[13] = 'g';
    std::string few_open = rows_joined_by("");
    few_open.replace(20, 5, "xxxxx");  // 10 open empty squares where a deal opens 15
    std::string one_short = rows_joined_by("");
    one_short[one_short.find('X')] = 'x';  // 14: one below the bound
    const std::string refused[] = {
        "",
        good.substr(0, 60),                // ends early, mid-row
        rows_joined_by("").substr(0, 99),  // one square short
        bad_letter,
        nul,
        accented,
        " " + good,              // white space before the first square is a square
        "xxxxxxxxx\r\n" + good,  // a row of nine shifts a line end into a square
        std::string(100, 'g'),
        std::string(100, 'x'),
        third_chair,
        few_open,
        one_short,
    };
    PrizeBoard dealt = prize_board;
    void *cells_before[BOARD_SIZE];
    std::copy(images.cells, images.cells + BOARD_SIZE, cells_before);
    for (const std::string &bytes : refused) {
        std::string said = load(bytes);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("state.dat"), std::string::npos) << said;
        EXPECT_NE(said.find("refused"), std::string::npos) << said;
        for (int i = 0; i < BOARD_SIZE; i++) {
            ASSERT_EQ(prize_board.cells[i].type, dealt.cells[i].type) << i;
            ASSERT_EQ(prize_board.cells[i].revealed, dealt.cells[i].revealed) << i;
            ASSERT_EQ(images.cells[i], cells_before[i]) << i;
        }
    }
    EXPECT_NE(load(good.substr(0, 60)).find("ends after 50 of 100 squares"), std::string::npos);
    EXPECT_NE(load(bad_letter).find("byte 0x71 at offset 57"), std::string::npos);
    EXPECT_NE(load(third_chair).find("holds 3 squares of \"Poltrona\" where a board has 2"), std::string::npos);
    EXPECT_NE(load(few_open).find("has only 10 uncovered empty squares where a deal opens 15"), std::string::npos);
    EXPECT_NE(load(one_short).find("has only 14 uncovered empty squares"), std::string::npos);
}

TEST_F(StateFile, AMissingFileKeepsTheDealQuietly)
{
    PrizeBoard dealt = prize_board;
    testing::internal::CaptureStderr();
    load_board_state();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (int i = 0; i < BOARD_SIZE; i++)
        EXPECT_EQ(prize_board.cells[i].revealed, dealt.cells[i].revealed);
}

TEST_F(StateFile, AStateFileThatIsAFolderIsRefused)
{
    ASSERT_EQ(mkdir("state.dat", 0755), 0);
    testing::internal::CaptureStderr();
    load_board_state();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("state.dat"), std::string::npos) << said;
    EXPECT_TRUE(images.follow_board());
}

class FailedSave : public StateFile
{
protected:
    std::string previous_ = rows_joined_by("\r\n");

    void SetUp() override
    {
        StateFile::SetUp();
        write_file("state.dat", previous_);
    }

    void expect_previous_file_kept()
    {
        testing::internal::CaptureStderr();
        save_board_state();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("cannot save state.dat"), std::string::npos) << said;
        EXPECT_EQ(read_file("state.dat"), previous_);
    }
};

TEST_F(FailedSave, AFullDiskKeepsThePreviousFileByteForByte)
{
    // The temporary file lands on a device that is always full.
    ASSERT_EQ(symlink("/dev/full", "state.dat.tmp"), 0);
    expect_previous_file_kept();
}

TEST_F(FailedSave, AnUnwritableFolderKeepsThePreviousFileByteForByte)
{
    if (geteuid() == 0) {
        // Permissions do not bind root; a folder in the temporary file's place fails the same way.
        ASSERT_EQ(mkdir("state.dat.tmp", 0755), 0);
    } else {
        ASSERT_EQ(chmod(".", 0555), 0);
    }
    expect_previous_file_kept();
}

#ifdef _WIN32
// A scanner's hold on "state.dat": reads shared, neither writes nor deletion,
// so replacing the file meets a sharing violation until the hold ends.
class HeldStateFile : public FailedSave
{
protected:
    HANDLE held_ = INVALID_HANDLE_VALUE;

    void SetUp() override
    {
        FailedSave::SetUp();
        held_ = CreateFileA("state.dat", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held_, INVALID_HANDLE_VALUE);
    }

    void TearDown() override
    {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        FailedSave::TearDown();
    }
};

TEST_F(HeldStateFile, AHoldOfHalfASecondDelaysTheSaveButItLands)
{
    HANDLE held = held_;
    held_ = INVALID_HANDLE_VALUE;
    std::thread release([held] {
        Sleep(500);
        CloseHandle(held);
    });
    DWORD started = GetTickCount();
    testing::internal::CaptureStderr();
    save_board_state();
    std::string said = testing::internal::GetCapturedStderr();
    DWORD took = GetTickCount() - started;
    release.join();
    EXPECT_EQ(said, "");
    EXPECT_GE(took, 400u) << "the save did not meet the held file";
    std::string letters = board_letters(), expected;
    for (int row = 0; row < 10; row++)
        expected += letters.substr(10 * row, 10) + "\r\n";
    EXPECT_EQ(read_file("state.dat"), expected);
    EXPECT_NE(access("state.dat.tmp", F_OK), 0);
}

TEST_F(HeldStateFile, AHoldLongerThanTwoSecondsFailsTheSaveInWindowsWords)
{
    DWORD started = GetTickCount();
    testing::internal::CaptureStderr();
    save_board_state();
    std::string said = testing::internal::GetCapturedStderr();
    DWORD took = GetTickCount() - started;
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 5000u);
    EXPECT_NE(said.find("cannot save state.dat"), std::string::npos) << said;
    EXPECT_NE(said.find("Windows error"), std::string::npos) << said;
    CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
    EXPECT_EQ(read_file("state.dat"), previous_);
    EXPECT_NE(access("state.dat.tmp", F_OK), 0);
}
#endif

}  // namespace
