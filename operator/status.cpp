// status: the board as the player sees it, what is still hidden, the plays
// and the boards, and the warnings.
#include <map>
#include <string>

#include "operator/board_view.h"
#include "operator/commands.h"
#include "operator/text_format.h"

static void print_grid(const PrizeBoard &board, FILE *out)
{
    fputs("     ", out);
    for (int column = 0; column < BOARD_COLUMNS; column++)
        fprintf(out, " %2d", column);
    fputs("\n", out);
    for (int row = 0; row < BOARD_SIZE / BOARD_COLUMNS; row++) {
        fprintf(out, "  %2d ", row * BOARD_COLUMNS);
        for (int column = 0; column < BOARD_COLUMNS; column++) {
            const BoardCell &cell = board.cells[row * BOARD_COLUMNS + column];
            fprintf(out, " %s", cell.revealed ? prize_marks[cell.type] : covered_mark);
        }
        fputs("\n", out);
    }
    fprintf(out, "  %s coperta", covered_mark);
    for (int t = 0; t < PRIZE_TYPE_COUNT; t++)
        fprintf(out, ", %s %s", prize_marks[t], prize_names[t]);
    fputs("\n", out);
}

int command_status(const Arguments &arguments, Console console)
{
    FolderView view;
    std::string error;
    if (!view_folder(arguments.folder, &view, &error))
        return trouble(console, error);
    FILE *out = console.out;
    fprintf(out, "Tabellone nella cartella %s\n\n", arguments.folder.c_str());

    PrizeBoard board;
    if (shown_board(view, &board)) {
        fprintf(out, "Tabellone in gioco (%s):\n", view.records.state == STATE_READ ? "da state.dat" : "dal registro");
        print_grid(board, out);
        int covered = 0, hidden[PRIZE_TYPE_COUNT] = {};
        for (const BoardCell &cell : board.cells)
            if (!cell.revealed) {
                covered++;
                hidden[cell.type]++;
            }
        fprintf(out, "\nCaselle ancora coperte: %d di %d\n", covered, BOARD_SIZE);
        fputs("Premi ancora nascosti su questo tabellone:\n", out);
        for (int t = 0; t < EMPTY_SQUARE; t++)
            fprintf(out, "  %s %d di %d\n", pad_right(prize_names[t], 12).c_str(), hidden[t], prize_counts[t]);
    } else {
        fputs("Nessun tabellone: né state.dat né il registro ne hanno uno.\n", out);
    }

    fprintf(out, "\nGiocate su questo tabellone: %d\n", view.replay.plays_on_board);
    fprintf(out, "Giocate in tutto: %d (vincenti: %d)\n", view.plays, view.winners);
    fprintf(out, "Tabelloni in tutto: %d\n", view.replay.boards);
    // A form left alone is a player who gave up before choosing a square.
    std::map<std::string, int> left = view.replay.returns_to_title;
    fprintf(out, "Ritorni al titolo per inattività: dal modulo %d, dal tabellone %d, dal risultato %d\n",
            left["form"], left["board"], left["result"]);

    std::vector<std::string> warnings = folder_warnings(view);
    if (warnings.empty()) {
        fputs("\nAvvisi: nessuno\n", out);
    } else {
        fputs("\nAvvisi:\n", out);
        for (const std::string &warning : warnings)
            fprintf(out, "  - %s\n", warning.c_str());
    }
    return EXIT_AGREE;
}
