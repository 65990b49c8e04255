// The prize board: prize vocabulary, random deal, reveals, and the cell images that follow them.
#include "board/board.h"

#include <stdio.h>

#include "platform/random_source.h"

PrizeBoard prize_board;
PrizeType selected_prize = EMPTY_SQUARE;

BITMAP *cover_image;
BITMAP *prize_images[PRIZE_TYPE_COUNT];

static void **cell_image_slots[BOARD_SIZE];

PrizeType prize_by_name(const std::string &name)
{
    for (PrizeType t = 0; t < PRIZE_TYPE_COUNT; t++)
        if (name == prize_names[t])
            return t;
    return -1;
}

void link_cell_images(void **slots[BOARD_SIZE])
{
    for (int i = 0; i < BOARD_SIZE; i++)
        cell_image_slots[i] = slots ? slots[i] : nullptr;
}

void set_cell_image(int index, BITMAP *image)
{
    if (cell_image_slots[index])
        *cell_image_slots[index] = image;
}

int random_square()
{
    return random_below(BOARD_SIZE);
}

void deal_board()
{
    for (int i = 0; i < BOARD_SIZE; i++) {
        prize_board.cells[i].type = EMPTY_SQUARE;
        prize_board.cells[i].revealed = 0;
        set_cell_image(i, cover_image);
    }
    for (PrizeType t = 0; t < EMPTY_SQUARE; t++) {
        for (int copy = 0; copy < prize_counts[t]; copy++) {
            int square;
            do
                square = random_square();
            while (prize_board.cells[square].type != EMPTY_SQUARE);
            prize_board.cells[square].type = t;
        }
    }
    reveal_random_cells(SQUARES_REVEALED_BY_DEAL, EMPTY_SQUARE);
}

void reveal_random_cells(int32_t count, PrizeType type)
{
    for (int32_t n = 0; n < count; n++) {
        int square;
        do
            square = random_square();
        while (prize_board.cells[square].type != type || prize_board.cells[square].revealed);
        prize_board.cells[square].revealed = 1;
        set_cell_image(square, prize_images[type]);
    }
}

bool board_exhausted()
{
    for (int i = 0; i < BOARD_SIZE; i++)
        if (!prize_board.cells[i].revealed)
            return false;
    return true;
}

void reveal_cell(int32_t index)
{
    BoardCell &cell = prize_board.cells[index];
    cell.revealed = 1;
    selected_prize = cell.type;
    set_cell_image(index, prize_images[cell.type]);
}

bool board_could_be_dealt(const PrizeBoard &board, char *reason, size_t reason_size)
{
    int per_type[PRIZE_TYPE_COUNT] = {};
    int uncovered_empty = 0;
    for (const BoardCell &cell : board.cells) {
        per_type[cell.type]++;
        uncovered_empty += cell.type == EMPTY_SQUARE && cell.revealed;
    }
    for (PrizeType t = 0; t < PRIZE_TYPE_COUNT; t++)
        if (per_type[t] != prize_counts[t]) {
            snprintf(reason, reason_size, "holds %d squares of \"%s\" where a board has %d", per_type[t],
                     prize_names[t], (int)prize_counts[t]);
            return false;
        }
    if (uncovered_empty < SQUARES_REVEALED_BY_DEAL) {
        snprintf(reason, reason_size, "has only %d uncovered empty squares where a deal opens %d", uncovered_empty,
                 (int)SQUARES_REVEALED_BY_DEAL);
        return false;
    }
    return true;
}
