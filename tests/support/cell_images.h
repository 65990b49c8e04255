// Stand-in images and board-dialog cells, so board operations can be checked without a screen.
#pragma once

#include "board/board.h"

struct CellImages {
    void *cells[BOARD_SIZE] = {};                   // the dp of each board-dialog cell
    char cover = 0, prizes[PRIZE_TYPE_COUNT] = {};  // only their addresses are used

    CellImages()
    {
        void **slots[BOARD_SIZE];
        for (int i = 0; i < BOARD_SIZE; i++)
            slots[i] = &cells[i];
        link_cell_images(slots);
        cover_image = reinterpret_cast<BITMAP *>(&cover);
        for (int t = 0; t < PRIZE_TYPE_COUNT; t++)
            prize_images[t] = reinterpret_cast<BITMAP *>(&prizes[t]);
    }
    ~CellImages()
    {
        link_cell_images(nullptr);
    }

    // The image each cell must show for the board as it stands.
    bool follow_board() const
    {
        for (int i = 0; i < BOARD_SIZE; i++) {
            const BoardCell &cell = prize_board.cells[i];
            void *expected = cell.revealed ? (void *)prize_images[cell.type] : (void *)cover_image;
            if (cells[i] != expected)
                return false;
        }
        return true;
    }
};
