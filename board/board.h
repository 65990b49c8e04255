// The prize board: 100 squares hiding eleven prizes, its random deal and its reveals.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "board/draw_rules.h"

struct BITMAP;

typedef int32_t PrizeType;

enum {
    SQUARES_REVEALED_BY_DEAL = 15,
};

struct BoardCell {
    PrizeType type;
    uint8_t revealed;  // 0 covered, 1 revealed
};

struct PrizeBoard {
    BoardCell cells[BOARD_SIZE];  // row-major: row = i / 10, column = i % 10
};

extern PrizeBoard prize_board;
extern PrizeType selected_prize;  // type of the square revealed last; 6 at start

// The images a cell can show, borrowed from "battle.dat" and set by the shell
// before the first deal.
extern BITMAP *cover_image;
extern BITMAP *prize_images[PRIZE_TYPE_COUNT];

// Where each board-dialog cell keeps its image: slot i is the address of the
// image pointer of cell i (the dp of board-dialog record i). The shell hands
// them over with link_cell_images; unlinked slots are simply not written.
void link_cell_images(void **slots[BOARD_SIZE]);
void set_cell_image(int index, BITMAP *image);

// True when the board is one the game could have dealt and then played:
// exactly the counts of prize_counts per type and at least the deal's 15
// uncovered empty squares. Otherwise false, with the reason.
// The type a prize name stands for; -1 for a name that is none of the seven.
PrizeType prize_by_name(const std::string &name);

bool board_could_be_dealt(const PrizeBoard &board, char *reason, size_t reason_size);

int random_square();
void deal_board();
void reveal_random_cells(int32_t count, PrizeType type);
bool board_exhausted();
void reveal_cell(int32_t index);
