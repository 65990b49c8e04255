// The records against power cuts: a deal, plays, an erase and the completion
// of an erase cut short, each cut after every file operation with the pending
// changes lost, kept or torn in every way up to a bound; then the game's real
// start-up runs on what survived, and the records' promises are checked.
#include <string.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/journal.h"
#include "board/journal_replay.h"
#include "board/players_log.h"
#include "board/state_file.h"
#include "platform/error_report.h"
#include "tests/support/cell_images.h"
#include "tests/support/game_start.h"
#include "tests/support/journal_lines.h"
#include "tests/support/operator_run.h"
#include "tests/support/scratch_files.h"
#include "tests/support/simulated_disk.h"

namespace
{

// A crash point: the disk after one more operation, and how many plays had been told recorded.
struct CrashPoint {
    SimulatedDisk disk;
    int plays_returned;
};

// Every loss pattern when there are at most this many, else this many drawn with a fixed seed.
enum { PATTERN_BOUND = 64 };

std::vector<std::vector<ChangeFate>> loss_patterns(const SimulatedDisk &at, std::mt19937 *draw)
{
    std::vector<std::vector<ChangeFate>> options = possible_fates(at), patterns;
    size_t all = 1;
    for (const auto &fates : options)
        all = all * fates.size() > PATTERN_BOUND ? PATTERN_BOUND + 1 : all * fates.size();
    for (size_t n = 0; n < std::min(all, (size_t)PATTERN_BOUND); n++) {
        std::vector<ChangeFate> pattern;
        size_t rest = n;
        for (const auto &fates : options) {
            size_t pick = all <= PATTERN_BOUND ? rest % fates.size() : (*draw)() % fates.size();
            rest /= fates.size();
            pattern.push_back(fates[pick]);
        }
        patterns.push_back(pattern);
    }
    return patterns;
}

class PowerCut : public ScratchFolder
{
protected:
    CellImages images;
    std::vector<CrashPoint> points;
    int plays_returned = 0;
    std::vector<std::pair<std::string, int>> players;  // the first field and square of each play, in order
    long patterns_tried = 0;

    void SetUp() override
    {
        ScratchFolder::SetUp();
        clear_disk();
    }
    void TearDown() override
    {
        after_disk_operation = nullptr;
        ScratchFolder::TearDown();
    }

    void watch()
    {
        after_disk_operation = [this] { points.push_back({disk, plays_returned}); };
    }

    void play(const char *first, PrizeType type)
    {
        strcpy(form_text[0], first);
        strcpy(form_text[1], "Rossi");
        strcpy(form_text[2], "333");
        int square = -1;
        for (int i = 0; i < BOARD_SIZE && square < 0; i++)
            if (!prize_board.cells[i].revealed && prize_board.cells[i].type == type)
                square = i;
        reveal_cell(square);
        players.push_back({first, square});
        ASSERT_EQ(record_play(square), !failing_writes);
        plays_returned++;
    }
    bool failing_writes = false;

    // Each crash point, each loss pattern: the start-up on what survived, then the promises.
    void cut_everywhere(const std::function<void(const CrashPoint &, const std::string &)> &promises)
    {
        after_disk_operation = nullptr;
        std::mt19937 draw(23);
        for (const CrashPoint &point : points)
            for (const auto &pattern : loss_patterns(point.disk, &draw)) {
                disk = power_cut(point.disk, pattern);
                std::string said = start_game_records();
                promises(point, said + "crash point " + std::to_string(&point - &points[0]) + ", pattern " +
                                    std::to_string(patterns_tried) + ": ");
                patterns_tried++;
                if (HasFailure())
                    return;
            }
        printf("%zu crash points, %ld loss patterns\n", points.size(), patterns_tried);
    }

    // No file keeps part of a line; the chain holds or its break is journaled;
    // no square is played twice and no prize is under another's square.
    void check_lines_chain_and_prizes(const std::string &where)
    {
        for (const char *name : {journal_file_name, players_log_name}) {
            std::string bytes = disk_bytes(name);
            EXPECT_TRUE(bytes.empty() || bytes.compare(bytes.size() - 2, 2, "\r\n") == 0) << where << name;
        }
        // The journal is never cut back: a line a power cut tore stays, reported.
        JournalReadBack back = read_back_journal();
        int reported = 0;
        bool journaled = false;
        for (const JournalEvent &event : back.events)
            if (event.is_object()) {
                reported += event.value("event", "") == "unreadable_line";
                journaled = journaled || event.value("event", "") == "chain_broken";
            }
        EXPECT_LE(back.unparsed, reported) << where;
        EXPECT_TRUE(back.first_broken_link < 0 || journaled) << where;

        JournalWalk walk;
        bool present;
        ASSERT_TRUE(open_journal_walk(journal_file_name, &walk, &present));
        JournalReplay replay;
        JournalLine line;
        while (next_journal_line(&walk, &line))
            EXPECT_EQ(replay_line(&replay, line).faults & (FAULT_SQUARE_UNCOVERED | FAULT_WRONG_PRIZE), 0)
                << where << line.text;
        close_journal_walk(&walk);
        PrizeBoard saved;
        char reason[REASON_SIZE] = "";
        EXPECT_NE(read_board_state(&saved, reason, sizeof reason), STATE_REFUSED) << where << reason;
    }

    // A play told recorded is in the journal and in players.txt exactly once, its square uncovered.
    void check_plays(const CrashPoint &point, const std::string &where)
    {
        check_lines_chain_and_prizes(where);
        std::string log = disk_bytes(players_log_name), journal = disk_bytes(journal_file_name);
        PrizeBoard saved = {};
        char reason[REASON_SIZE] = "";
        EXPECT_TRUE(read_board_state(&saved, reason, sizeof reason) == STATE_READ || point.plays_returned == 0)
            << where;
        auto count = [](const std::string &in, const std::string &what) {
            int n = 0;
            for (size_t at = in.find(what); at != std::string::npos; at = in.find(what, at + 1))
                n++;
            return n;
        };
        // players.txt holds no line the journal lacks: the journal is written first.
        int journaled = 0;
        for (const JournalEvent &event : read_back_journal().events)
            journaled += event.is_object() && event.value("event", "") == "play";
        EXPECT_EQ(count(log, "\r\n"), journaled) << where << journal;
        for (int p = 0; p < point.plays_returned; p++) {
            std::string name = players[p].first;
            EXPECT_EQ(count(log, name + ", Rossi"), 1) << where << name;
            EXPECT_EQ(count(journal, "\"fields\":[\"" + name + "\""), 1) << where << name;
            EXPECT_TRUE(saved.cells[players[p].second].revealed) << where << name;
        }
    }

};

TEST_F(PowerCut, ADealAndPlaysLoseNothingTheyReturnedAndGiveNoPrizeTwice)
{
    auto started = std::chrono::steady_clock::now();
    watch();
    start_game_records();
    play("Anna", 0);
    play("Bruno", EMPTY_SQUARE);
    play("Carla", 1);
    record_run_ended("ESC", true);
    cut_everywhere([&](const CrashPoint &point, const std::string &where) { check_plays(point, where); });
    printf("deal and plays: %.2f s\n",
           std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

// The disk full or failing part-way through any of the three writes of a play:
// the play is told not recorded, and no file keeps part of a line or half a board.
TEST_F(PowerCut, AWriteThatFailsAnywhereInAPlayLeavesWholeLinesAndAWholeBoard)
{
    start_game_records();
    size_t journal_before = disk_bytes(journal_file_name).size();
    play("Anna", EMPTY_SQUARE);  // Luca's play writes as many bytes: the budgets fall in each write
    long journal_line = (long)(disk_bytes(journal_file_name).size() - journal_before);
    long players_line = (long)disk_bytes(players_log_name).size();
    for (int error : {ENOSPC, EIO})
        for (long budget : {0L, 10L, journal_line + 10, journal_line + players_line + 50}) {
            std::string where = std::string(strerror(error)) + " after " + std::to_string(budget) + " bytes: ";
            std::string state = disk_bytes(state_file_name);
            failing_writes = true;
            fail_writes(budget, error);
            testing::internal::CaptureStderr();
            play("Luca", EMPTY_SQUARE);
            testing::internal::GetCapturedStderr();
            fail_writes(-1);
            failing_writes = false;
            EXPECT_TRUE(records_failing()) << where;
            check_lines_chain_and_prizes(where);
            EXPECT_FALSE(disk_has("state.dat.tmp")) << where;
            std::string now = disk_bytes(state_file_name);
            EXPECT_TRUE(now == state || budget > journal_line + players_line) << where;
            start_game_records();
        }
}

// Three plays, two of them Zelda's, made and ended in order.
class PowerCutOnErase : public PowerCut
{
protected:
    void SetUp() override
    {
        PowerCut::SetUp();
        start_game_records();
        play("Zelda", EMPTY_SQUARE);
        play("Bruno", 0);
        play("Zelda", EMPTY_SQUARE);
        record_run_ended("ESC", true);
        old_players = disk_bytes(players_log_name);
    }

    // The erase's text is in both records (before) or in neither (after), never half gone.
    void check_erase(const std::string &where)
    {
        check_lines_chain_and_prizes(where);
        std::string log = disk_bytes(players_log_name);
        bool in_log = log.find("Zelda") != std::string::npos;
        bool in_journal = disk_bytes(journal_file_name).find("Zelda") != std::string::npos;
        EXPECT_EQ(in_log, in_journal) << where;
        if (in_log) {
            EXPECT_EQ(log, old_players) << where;
        }
        EXPECT_NE(log.find("Bruno, Rossi, 333, Poltrona\r\n"), std::string::npos) << where;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << where;
    }

    std::string old_players;
};

TEST_F(PowerCutOnErase, AnEraseLeavesTheOldRecordsOrTheNewNeverTheTextHalfGone)
{
    watch();
    ASSERT_EQ(operate({"erase", "zelda", "--si"}).status, EXIT_AGREE);
    cut_everywhere([&](const CrashPoint &, const std::string &where) { check_erase(where); });
}

TEST_F(PowerCutOnErase, TheStartUpThatFinishesAnEraseCutShortCanItselfBeCut)
{
    // The erase cut after its journal: players.txt still holds the text.
    std::vector<CrashPoint> erase_points;
    watch();
    ASSERT_EQ(operate({"erase", "zelda", "--si"}).status, EXIT_AGREE);
    std::string new_journal = disk_bytes(journal_file_name), state = disk_bytes(state_file_name);
    clear_disk();
    put_on_disk(journal_file_name, new_journal);
    put_on_disk(players_log_name, old_players);
    put_on_disk(state_file_name, state);
    points.clear();
    watch();
    start_game_records();
    EXPECT_EQ(disk_bytes(players_log_name).find("Zelda"), std::string::npos);
    cut_everywhere([&](const CrashPoint &, const std::string &where) {
        check_lines_chain_and_prizes(where);
        EXPECT_EQ(disk_bytes(players_log_name).find("Zelda"), std::string::npos) << where;
    });
}

}  // namespace
