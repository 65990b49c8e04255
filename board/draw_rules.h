// The draw's rules: the board's size, the prizes with their names and counts,
// the empty kind, and the number of fields a player fills in. The board, its
// records, the operator and (through the contract with the content) the game
// and its content builder read them here.
#pragma once

#include <stdint.h>

enum {
    // 10 by 10 squares, square 0 at the top left, row-major.
    BOARD_SIZE = 100,
    BOARD_COLUMNS = 10,

    // Prize types 0 to 6 in the order of prize_names; 6, "Niente", is an empty square.
    PRIZE_TYPE_COUNT = 7,
    EMPTY_SQUARE = 6,

    // The form's text fields, in the order players.txt and the journal keep them.
    FORM_FIELD_COUNT = 3,
};

inline constexpr const char *const prize_names[PRIZE_TYPE_COUNT] = {
    "Poltrona", "Borsa", "Monopattino", "Asciugamani", "Tenda", "Telefono", "Niente",
};

// Squares of each type on a new board. The entry for "Niente" is what the
// deal leaves empty; the deal places types 0 to 5 only.
inline constexpr int32_t prize_counts[PRIZE_TYPE_COUNT] = {2, 1, 1, 1, 1, 5, 89};
