// The journal replayed: every board it deals or sets and every play on it,
// so the board can be rebuilt and compared with state.dat.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/journal.h"
#include "board/players_log.h"

struct JournalPlay {
    int line;          // index of the journal line
    std::string time;  // as the journal has it (ISO 8601 with offset)
    int square;
    PrizeType prize;  // -1 when the name is none of the seven
    std::string fields[FORM_FIELD_COUNT];
    long size_before;  // where its bytes go in players.txt, -1 when unknown
    std::string players_bytes;
    int board;  // 1 for the first board in the journal
};

struct JournalHistory {
    std::vector<JournalPlay> plays;
    int boards = 0;  // boards set by the journal whose squares differ from the board before
    int deals = 0;   // "deal" events
    // "idle_return" events by the screen left alone: "form", "board", "result"
    std::map<std::string, int> returns_to_title;
    bool board_known = false;
    PrizeBoard board = {};           // the last board set, with the plays since uncovered
    int plays_on_board = 0;          // plays since the current board began
    std::vector<std::string> notes;  // plays the board does not explain, unreadable events (Italian)
};

JournalHistory replay_journal(const JournalReading &journal);
