// The board state file "state.dat": ten lines of ten square letters, saved after every play.
#include "board/state_file.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/platform_files.h"

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

std::string board_letters(const PrizeBoard &board)
{
    std::string letters;
    for (const BoardCell &cell : board.cells)
        letters += cell_letter(cell.type, cell.revealed);
    return letters;
}

bool board_from_letters(const std::string &letters, PrizeBoard *board)
{
    if (letters.size() != BOARD_SIZE)
        return false;
    for (int i = 0; i < BOARD_SIZE; i++) {
        PrizeType type = letter_type((unsigned char)letters[i]);
        if (type < 0)
            return false;
        board->cells[i].type = type;
        board->cells[i].revealed = isupper((unsigned char)letters[i]) ? 1 : 0;
    }
    return true;
}

void apply_board(const PrizeBoard &board)
{
    for (int i = 0; i < BOARD_SIZE; i++) {
        const BoardCell &cell = board.cells[i];
        prize_board.cells[i] = cell;
        set_cell_image(i, cell.revealed ? prize_images[cell.type] : cover_image);
    }
}

bool save_board_state()
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
    if (replace_file_durably(state_file_name, bytes, sizeof bytes))
        return true;
    report_error("cannot save %s: %s; the previous file is kept", state_file_name, write_error_text(errno).c_str());
    return false;
}

// The bytes of an open file one at a time, through a small buffer.
struct ByteStream {
    FileHandle file;
    long offset = 0;  // of buffer[0] in the file
    long size = 0, at = 0;
    bool failed = false;
    char buffer[512];
};

// The next byte, or EOF at the end of the file or after a failed read.
static int next_byte(ByteStream *stream)
{
    if (stream->at == stream->size) {
        stream->offset += stream->size;
        stream->at = 0;
        stream->size = file_read_at(stream->file, stream->offset, stream->buffer, sizeof stream->buffer);
        stream->failed = stream->size < 0;
        if (stream->size <= 0) {
            stream->size = 0;
            return EOF;
        }
    }
    return (unsigned char)stream->buffer[stream->at++];
}

// Reads the 100 square letters, skipping white space after each row as "\n" in formatted input does.
// Returns false, with a reason, unless all 100 squares are letters of a board.
static bool read_squares(ByteStream *file, BoardCell squares[BOARD_SIZE], char *reason, size_t reason_size)
{
    long offset = 0;
    int c = EOF;
    bool held = false;  // c is the byte after a row's white space, not read yet as a square
    for (int i = 0; i < BOARD_SIZE; i++) {
        if (!held)
            c = next_byte(file);
        held = false;
        if (c == EOF) {
            if (file->failed)
                snprintf(reason, reason_size, "cannot be read (%s)", strerror(errno));
            else
                snprintf(reason, reason_size, "ends after %d of 100 squares", i);
            return false;
        }
        PrizeType type = letter_type(c);
        if (type < 0) {
            snprintf(reason, reason_size,
                     "holds byte 0x%02X at offset %ld, which is not one of the square letters \"%s\"", c, offset,
                     state_letters);
            return false;
        }
        squares[i].type = type;
        squares[i].revealed = isupper(c) ? 1 : 0;
        offset++;
        if (i % BOARD_COLUMNS == BOARD_COLUMNS - 1) {
            while ((c = next_byte(file)) != EOF && isspace(c))
                offset++;
            held = true;
        }
    }
    return true;
}

StateReading read_board_state(PrizeBoard *board, char *reason, size_t reason_size)
{
    ByteStream stream;
    stream.file = file_open(state_file_name, FILE_FOR_READING);
    if (stream.file < 0) {
        if (errno == ENOENT)
            return STATE_MISSING;
        snprintf(reason, reason_size, "cannot be opened (%s)", strerror(errno));
        return STATE_REFUSED;
    }
    bool ok = read_squares(&stream, board->cells, reason, reason_size);
    file_close(stream.file);
    if (!ok)
        return STATE_REFUSED;
    return board_could_be_dealt(*board, reason, reason_size) ? STATE_READ : STATE_REFUSED;
}

void load_board_state()
{
    PrizeBoard board;
    char reason[REASON_SIZE];
    switch (read_board_state(&board, reason, sizeof reason)) {
    case STATE_READ:
        apply_board(board);
        break;
    case STATE_MISSING:
        break;
    case STATE_REFUSED:
        report_error("%s refused: it %s; keeping the board in play", state_file_name, reason);
        break;
    }
}
