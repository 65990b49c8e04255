// What the operator program reads from a game's folder, and the plays it
// finds there: the journal (the audit trail), players.txt and state.dat,
// read only, never written except by erase.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "board/journal.h"
#include "board/state_file.h"

// One line of players.txt: where it starts and its text without the line end.
struct PlayersLine {
    long offset;
    std::string text;
};

struct GameRecords {
    std::string folder;  // absolute, as given
    bool journal_present = false;
    bool players_present = false;
    bool state_present = false;
    JournalReading journal;
    std::string players_bytes;
    std::vector<PlayersLine> players_lines;
    StateReading state = STATE_MISSING;
    PrizeBoard state_board = {};
    std::string state_reason;  // why state.dat was refused (the board library's words)
};

// Reads the game's three files in the current folder (the caller has moved
// into the game's folder). False, with a one-line Italian reason, when none
// of the files is there or one cannot be read.
bool load_game_records(const std::string &folder, GameRecords *records, std::string *error);

// players.txt cut into lines at LF, each less its CR LF; a last line without
// a line end is a line too.
std::vector<PlayersLine> split_players_lines(const std::string &bytes);
