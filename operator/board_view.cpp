// The board the player sees and the warnings about the folder's records.
#include "operator/board_view.h"

const char *const prize_marks[PRIZE_TYPE_COUNT] = {"Po", "Bo", "Mo", "As", "Te", "Tl", "--"};
const char covered_mark[] = "##";

bool shown_board(const FolderView &view, PrizeBoard *board)
{
    // While the game runs, state.dat is what is on the screen after each play.
    if (view.records.state == STATE_READ) {
        *board = view.records.state_board;
        return true;
    }
    *board = view.replay.board;
    return view.replay.board_known;
}

std::vector<std::string> folder_warnings(const FolderView &view)
{
    std::vector<std::string> warnings;
    const Audit &audit = view.audit;
    if (!view.records.journal_present)
        warnings.push_back("il registro tabellone-registro.jsonl manca");
    if (view.records.state == STATE_MISSING && view.replay.plays_on_board == 0)
        warnings.push_back("state.dat non c'è ancora: il gioco lo scrive alla prima giocata del tabellone");
    if (!audit.chain.empty())
        warnings.push_back("catena del registro rotta: " + audit.chain.front() +
                           (audit.chain.size() > 1 ? " (e altro: vedi verifica)" : ""));
    if (!audit.players.empty())
        warnings.push_back("players.txt e registro in disaccordo: " + audit.players.front() +
                           (audit.players.size() > 1 ? " (e altro: vedi verifica)" : ""));
    for (const std::string &finding : audit.board)
        warnings.push_back(finding);
    if (!audit.replay.empty())
        warnings.push_back("il registro ha giocate che il tabellone non spiega: " + audit.replay.front() +
                           (audit.replay.size() > 1 ? " (e altro: vedi verifica)" : ""));
    return warnings;
}
