// The one replay of the journal, for the game's start-up and for every
// operator command: the boards the journal sets (deals, adoptions,
// restorations), the squares its plays uncover on them, where each play's
// bytes lie in players.txt, and whether the last run ended in order. Lines go
// in one at a time, so a journal of any length replays in constant memory.
#pragma once

#include <map>
#include <string>

#include "board/board.h"
#include "board/journal_walk.h"

// A play as the journal holds it.
struct JournalPlay {
    int line = -1;     // index of its journal line, -1 when not known
    long offset = 0;   // where its journal line starts
    std::string time;  // as the journal has it (ISO 8601 with offset)
    int square = -1;
    PrizeType prize = -1;  // -1 when the name is none of the seven
    std::string prize_name;
    bool readable = false;  // square, prize and fields all there with their types
    std::string fields[FORM_FIELD_COUNT];
    long size_before = -1;  // where its bytes go in players.txt, -1 when unknown
    std::string players_bytes;
    int board = 0;  // 1 for the first board in the journal
};

// What a line told the replay that does not add up, for the operator to report.
enum ReplayFault {
    FAULT_BAD_BOARD = 1,            // a "board" that is not 100 valid square letters
    FAULT_UNREADABLE_PLAY = 2,      // a play without a square, prize or fields of the right types
    FAULT_PLAY_BEFORE_BOARD = 4,    // a play before any board
    FAULT_SQUARE_UNCOVERED = 8,     // the square was uncovered already
    FAULT_WRONG_PRIZE = 16,         // the square hides another prize
    FAULT_FIELDS_NOT_BYTES = 32,    // the fields are not the players.txt bytes it wrote
};

struct JournalReplay {
    bool board_known = false;
    PrizeBoard board = {};   // the last board set, with the plays since uncovered
    int boards = 0;          // boards set whose squares differ from the board before
    int deals = 0;           // "deal" events
    // idle_return events by the screen left alone: "form", "board", "result"
    std::map<std::string, int> returns_to_title;
    int plays = 0;           // play events
    int plays_on_board = 0;  // plays since the current board began
    bool has_last_play = false;
    JournalPlay last_play;  // the last play with a square on the board
    bool interrupted = false;  // the last event (erasures aside) is no clean run_ended
};

// What one line did.
struct ReplayStep {
    bool is_play = false;  // the line is a play: `play` holds it
    JournalPlay play;
    int faults = 0;  // ReplayFault bits
};

ReplayStep replay_line(JournalReplay *replay, const JournalLine &line);
