// verify's checks: every link of the chain, players.txt against the journal
// both ways, and the board the journal rebuilds against state.dat.
#include "operator/audit.h"

static void check_chain(const JournalReading &journal, Audit *audit)
{
    std::string before = journal_chain_start;
    for (int i = 0; i < (int)journal.lines.size(); i++) {
        const JournalLine &line = journal.lines[i];
        std::string label = "riga " + std::to_string(i + 1) + " del registro";
        if (!line.parsed)
            audit->chain.push_back(label + ": non è un oggetto JSON (riga troncata o modificata)");
        else if (!line.event.contains("prev") || line.event["prev"] != before)
            audit->chain.push_back("la catena si rompe alla " + label +
                                   ": la riga prima è stata tolta, cambiata o spostata");
        before = journal_line_hash(line.text);
    }
    if (!journal.ends_with_line_end)
        audit->chain.push_back("l'ultima riga del registro è troncata");
}

static void check_board(const GameRecords &records, const JournalHistory &history, Audit *audit)
{
    switch (records.state) {
    case STATE_MISSING:
        // The game saves a board with its first play; before that there is nothing to lose.
        if (history.plays_on_board > 0)
            audit->board.push_back("state.dat manca, e il tabellone in gioco ha già " +
                                   std::to_string(history.plays_on_board) + " giocate");
        return;
    case STATE_REFUSED:
        audit->board.push_back("state.dat rifiutato: non è un tabellone del gioco (" + records.state_reason + ")");
        return;
    case STATE_READ:
        break;
    }
    if (!history.board_known) {
        audit->board.push_back("il registro non contiene alcun tabellone da confrontare con state.dat");
        return;
    }
    std::string held = board_letters(records.state_board), rebuilt = board_letters(history.board);
    if (held == rebuilt)
        return;
    std::string differing;
    int count = 0;
    for (int i = 0; i < BOARD_SIZE; i++)
        if (held[i] != rebuilt[i] && count++ < 10)
            differing += (differing.empty() ? "" : ", ") + std::to_string(i);
    audit->board.push_back("state.dat non è l'ultimo tabellone del registro con le giocate successive (" +
                           std::to_string(count) + (count == 1 ? " casella diversa: " : " caselle diverse: ") +
                           differing + (count > 10 ? ", ..." : "") + ")");
}

Audit audit_records(const GameRecords &records, const JournalHistory &history, const PlayMatching &matching)
{
    Audit audit;
    audit.journal_lines = (int)records.journal.lines.size();
    audit.head_hash = records.journal.head_hash;
    check_chain(records.journal, &audit);
    audit.players = matching.disagreements;
    check_board(records, history, &audit);
    audit.replay = history.notes;
    return audit;
}

std::vector<std::string> audit_findings(const Audit &audit)
{
    std::vector<std::string> all;
    for (const auto *group : {&audit.chain, &audit.players, &audit.board, &audit.replay})
        all.insert(all.end(), group->begin(), group->end());
    return all;
}

bool audit_passed(const Audit &audit)
{
    return audit_findings(audit).empty();
}

bool view_folder(const std::string &folder, FolderView *view, std::string *error)
{
    if (!load_game_records(folder, &view->records, error))
        return false;
    view->history = replay_journal(view->records.journal);
    view->matching = match_plays(view->records, view->history);
    view->audit = audit_records(view->records, view->history, view->matching);
    return true;
}
