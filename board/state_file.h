// The board state file "state.dat": ten lines of ten square letters.
#pragma once

#include "board/board.h"

extern const char state_letters[15];   // "gvnabrxGVNABRX"
extern const char *const state_file_name;

char cell_letter(PrizeType type, uint8_t revealed);
PrizeType letter_type(int letter);     // -1 for a character that is no square letter

void save_board_state();
void load_board_state();
