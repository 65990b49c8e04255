// The board state file "state.dat": ten lines of ten square letters.
#pragma once

#include <stddef.h>

#include <string>

#include "board/board.h"

extern const char state_letters[15];  // "gvnabrxGVNABRX"
extern const char *const state_file_name;

char cell_letter(PrizeType type, uint8_t revealed);
PrizeType letter_type(int letter);  // -1 for a character that is no square letter

// The 100 square letters of a board, as state.dat holds them without its line ends.
std::string board_letters(const PrizeBoard &board);
// The board of 100 square letters; false when the text is anything else.
bool board_from_letters(const std::string &letters, PrizeBoard *board);

// Makes the board the current one, with the cell images that follow it.
void apply_board(const PrizeBoard &board);

// What reading state.dat found.
enum StateReading {
    STATE_READ,     // a board the game could have dealt
    STATE_MISSING,  // no file: the ordinary first start
    STATE_REFUSED,  // unreadable, not 100 square letters, or not a possible board; the reason says which
};
StateReading read_board_state(PrizeBoard *board, char *reason, size_t reason_size);

// False when the file could not be written; the previous file is then kept
// byte for byte and the operator is told.
bool save_board_state();
// Reads state.dat and, when it holds a possible board, makes it the current
// one; a refused file is reported and leaves the board as it is.
void load_board_state();
