// The one replay on made-up journals: malformed boards and plays, a deal
// mid-way, an erasure, a broken chain; and what the game's start-up reads of
// a journal's tail.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/journal_replay.h"
#include "board/players_log.h"
#include "board/records.h"
#include "board/state_file.h"
#include "tests/support/cell_images.h"
#include "tests/support/game_start.h"
#include "tests/support/scratch_files.h"

namespace
{

// A journal made up line by line, each chained to the one before.
struct MadeJournal {
    std::string bytes, prev = journal_chain_start;
    void add(JournalEvent event) { add_text(journal_line_text((event[journal_key::prev] = prev, event))); }
    void add_text(const std::string &text)
    {
        bytes += text + "\r\n";
        prev = journal_line_hash(text);
    }
};

std::string board_with(PrizeType first)
{
    std::string letters(BOARD_SIZE, 'x');
    const char *covered = "gvnabr";
    int at = 0;
    for (int t = 0; t < EMPTY_SQUARE; t++)
        for (int n = 0; n < prize_counts[t]; n++)
            letters[(at++ + first) % BOARD_SIZE] = covered[t];
    return letters;
}

JournalEvent play_event(int square, const char *prize, const char *name)
{
    std::string fields[FORM_FIELD_COUNT] = {name, "Rossi", "333"};
    return {{"event", "play"}, {"square", square}, {"prize", prize}, {"fields", {name, "Rossi", "333"}},
            {"players_size_before", 0}, {"players_bytes", players_line(fields, prize)}};
}

struct Replayed {
    JournalReplay replay;
    std::vector<int> faults;  // per line
    int first_broken_link = -1;
};

class JournalReplayTest : public ScratchFolder
{
protected:
    Replayed replay(const std::string &bytes)
    {
        write_file(journal_file_name, bytes);
        Replayed out;
        JournalWalk walk;
        bool present;
        EXPECT_TRUE(open_journal_walk(journal_file_name, &walk, &present));
        JournalLine line;
        while (next_journal_line(&walk, &line))
            out.faults.push_back(replay_line(&out.replay, line).faults);
        out.first_broken_link = walk.first_broken_link;
        close_journal_walk(&walk);
        return out;
    }
};

TEST_F(JournalReplayTest, BoardsPlaysAndFaultsAsTheGameAndTheOperatorBothReadThem)
{
    MadeJournal journal;
    journal.add({{"event", "run_started"}});
    journal.add({{"event", "deal"}, {"board", board_with(0)}});               // squares 0,1 Poltrona, 2 Borsa ...
    journal.add(play_event(0, "Poltrona", "Anna"));                            // fine
    journal.add({{"event", "deal"}, {"board", "gggg"}});                       // malformed: the board stays
    journal.add({{"event", "board_restored"}, {"board", 7}});                  // malformed too
    journal.add(play_event(0, "Poltrona", "Bruno"));                           // square uncovered already
    journal.add({{"event", "play"}, {"square", 1}, {"prize", "Poltrona"}, {"fields", "Carla"}});  // unreadable fields
    journal.add({{"event", "play"}, {"square", "2"}, {"prize", "Borsa"}});     // no square: nothing uncovered
    journal.add({{"event", "deal"}, {"board", board_with(50)}});               // a deal mid-way
    journal.add(play_event(0, "Borsa", "Dario"));                              // square 0 is empty now
    JournalEvent wrong_bytes = play_event(51, "Poltrona", "Elena");
    wrong_bytes["players_bytes"] = "Elena, Bianchi, 333, Poltrona\r\n";
    journal.add(wrong_bytes);
    journal.add({{"event", "erasure"}, {"players_lines", {2, "x", 5}}});       // ends no run
    Replayed got = replay(journal.bytes);

    EXPECT_EQ(got.faults, (std::vector<int>{0, 0, 0, FAULT_BAD_BOARD, FAULT_BAD_BOARD, FAULT_SQUARE_UNCOVERED,
                                            FAULT_UNREADABLE_PLAY, FAULT_UNREADABLE_PLAY, 0, FAULT_WRONG_PRIZE,
                                            FAULT_FIELDS_NOT_BYTES, 0}));
    const JournalReplay &r = got.replay;
    EXPECT_EQ(r.boards, 2);
    EXPECT_EQ(r.deals, 3);
    EXPECT_EQ(r.plays, 6);
    EXPECT_EQ(r.plays_on_board, 2);
    PrizeBoard expected;
    ASSERT_TRUE(board_from_letters(board_with(50), &expected));
    expected.cells[0].revealed = expected.cells[51].revealed = 1;
    EXPECT_EQ(board_letters(r.board), board_letters(expected));
    EXPECT_TRUE(r.has_last_play);
    EXPECT_EQ(r.last_play.square, 51);
    EXPECT_EQ(r.last_play.fields[0], "Elena");
    EXPECT_TRUE(r.interrupted) << "the last event before the erasure is a play";
    EXPECT_EQ(got.first_broken_link, -1);

    // A clean end, then a line changed by hand: the chain breaks at the line after it.
    journal.add_text("{\"event\":\"run_ended\",\"clean\":false,\"clean\":true,\"prev\":\"" + journal.prev + "\"}");
    got = replay(journal.bytes);
    EXPECT_FALSE(got.replay.interrupted);
    std::string edited = journal.bytes;
    edited.replace(edited.find("Bruno"), 5, "Bruna");
    got = replay(edited);
    EXPECT_EQ(got.first_broken_link, 6);
    EXPECT_EQ(board_letters(got.replay.board), board_letters(r.board)) << "the replay does not depend on the chain";
}

TEST_F(JournalReplayTest, TheGameChecksTheChainFromTheLastStartAndSettlesFromTheTail)
{
    CellImages images;
    MadeJournal journal;
    journal.add({{"event", "run_started"}});
    journal.add({{"event", "deal"}, {"board", board_with(0)}});
    journal.add_text("not a record");
    journal.add({{"event", "run_ended"}, {"clean", true}});
    journal.add({{"event", "run_started"}});
    journal.add(play_event(0, "Poltrona", "Anna"));  // then killed: state.dat never written
    journal.add({{"event", "write_failed"}, {"square", 0}});
    std::string bytes = journal.bytes;
    write_file("players.txt", "Anna, Rossi, 333, Poltrona\r\n");

    // The unreadable line lies before the last start, which reported it: not again.
    auto start = [&](const std::string &journal_bytes) {
        write_file(journal_file_name, journal_bytes);
        return start_game_records();
    };
    std::string said = start(bytes);
    EXPECT_EQ(said.find("not a record"), std::string::npos) << said;
    EXPECT_EQ(said.find("chain"), std::string::npos) << said;
    PrizeBoard expected;
    ASSERT_TRUE(board_from_letters(board_with(0), &expected));
    expected.cells[0].revealed = 1;
    EXPECT_EQ(board_letters(prize_board), board_letters(expected)) << "the deal before the last start, and the play";
    EXPECT_NE(said.find("state.dat is missing after an interrupted run"), std::string::npos) << said;

    // A line changed after the last start: reported with its number, counted through the file.
    std::string edited = bytes;
    edited.replace(edited.find("\"Anna\""), 6, "\"Anno\"");
    said = start(edited);
    EXPECT_NE(said.find("the chain breaks at line 7"), std::string::npos) << said;
}

}  // namespace
