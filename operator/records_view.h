// What the operator program reads from a game's folder besides the journal
// (which is streamed, see audit.h): players.txt, kept whole with where each
// of its lines starts, and state.dat. Read only, never written except by erase.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "board/state_file.h"

struct GameRecords {
    std::string folder;  // absolute, as given
    bool journal_present = false;
    bool players_present = false;
    bool state_present = false;
    std::string players_bytes;
    std::vector<long> players_line_starts;  // where each line of players.txt starts
    StateReading state = STATE_MISSING;
    PrizeBoard state_board = {};
    std::string state_reason;  // why state.dat was refused (the board library's words)
};

// Reads players.txt and state.dat in the current folder (the caller has moved
// into the game's folder) and checks that the journal can be opened. False,
// with a one-line Italian reason, when none of the files is there or one
// cannot be read.
bool load_game_records(const std::string &folder, GameRecords *records, std::string *error);

// Where each line of the bytes starts (lines split as every record file is).
std::vector<long> line_starts(const std::string &bytes);

// A players.txt line's text, without its line end.
std::string players_line_text(const GameRecords &records, int line);
