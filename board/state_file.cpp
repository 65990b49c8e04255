// The board state file "state.dat": ten lines of ten square letters, saved after every play.
#include "board/state_file.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "board/durable_file.h"

const char state_letters[15] = "gvnabrxGVNABRX";
const char *const state_file_name = "state.dat";

enum { STATE_FILE_BYTES = BOARD_SIZE + 2 * (BOARD_SIZE / BOARD_COLUMNS) };

char cell_letter(PrizeType type, uint8_t revealed)
{
    return state_letters[type + PRIZE_TYPE_COUNT * revealed];
}

PrizeType letter_type(int letter)
{
    if (letter <= 0 || letter > 255)
        return -1;
    const char *found = strchr(state_letters, tolower(letter));
    return found && found < state_letters + PRIZE_TYPE_COUNT ? (PrizeType)(found - state_letters) : -1;
}

void save_board_state()
{
    // The line ends are written as bytes, so the file is the same on every platform.
    char bytes[STATE_FILE_BYTES];
    int n = 0;
    for (int row = 0; row < BOARD_SIZE / BOARD_COLUMNS; row++) {
        for (int column = 0; column < BOARD_COLUMNS; column++) {
            const BoardCell &cell = prize_board.cells[row * BOARD_COLUMNS + column];
            bytes[n++] = cell_letter(cell.type, cell.revealed);
        }
        bytes[n++] = '\r';
        bytes[n++] = '\n';
    }
    if (!replace_file_durably(state_file_name, bytes, sizeof bytes))
        fprintf(stderr, "tabellone: cannot save %s: %s; the previous file is kept\n",
                state_file_name, strerror(errno));
}

// Reads the 100 square letters, skipping white space after each row as "\n" in formatted input does.
// Returns false, with a reason, unless all 100 squares are letters of a board.
static bool read_squares(FILE *file, BoardCell squares[BOARD_SIZE], char *reason, size_t reason_size)
{
    long offset = 0;
    for (int i = 0; i < BOARD_SIZE; i++) {
        int c = getc(file);
        if (c == EOF) {
            if (ferror(file))
                snprintf(reason, reason_size, "cannot be read (%s)", strerror(errno));
            else
                snprintf(reason, reason_size, "ends after %d of 100 squares", i);
            return false;
        }
        PrizeType type = letter_type(c);
        if (type < 0) {
            snprintf(reason, reason_size, "holds byte 0x%02X at offset %ld, which is not one of the square letters \"%s\"",
                     c, offset, state_letters);
            return false;
        }
        squares[i].type = type;
        squares[i].revealed = isupper(c) ? 1 : 0;
        offset++;
        if (i % BOARD_COLUMNS == BOARD_COLUMNS - 1) {
            while ((c = getc(file)) != EOF && isspace(c))
                offset++;
            if (c != EOF)
                ungetc(c, file);
        }
    }
    return true;
}

void load_board_state()
{
    FILE *file = fopen(state_file_name, "rb");
    if (!file) {
        // No file is the ordinary first start; anything else is worth a word to the operator.
        if (errno != ENOENT)
            fprintf(stderr, "tabellone: cannot open %s: %s; keeping the new board\n",
                    state_file_name, strerror(errno));
        return;
    }
    BoardCell squares[BOARD_SIZE];
    char reason[128];
    bool ok = read_squares(file, squares, reason, sizeof reason);
    fclose(file);
    if (!ok) {
        fprintf(stderr, "tabellone: %s refused: it %s; keeping the new board\n", state_file_name, reason);
        return;
    }
    for (int i = 0; i < BOARD_SIZE; i++) {
        prize_board.cells[i] = squares[i];
        set_cell_image(i, squares[i].revealed ? prize_images[squares[i].type] : cover_image);
    }
}
