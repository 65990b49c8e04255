// verify's checks, made in one walk of the journal: every link of the chain,
// players.txt against the journal both ways, and the board the journal
// rebuilds against state.dat.
#include "operator/audit.h"

#include <errno.h>
#include <string.h>

static std::string line_label(int index)
{
    return "riga " + std::to_string(index + 1) + " del registro";
}

static void check_link(const JournalLine &line, Audit *audit)
{
    if (!line.entry.parsed)
        audit->chain.push_back(line_label(line.index) + ": non è un oggetto JSON (riga troncata o modificata)");
    else if (!line.linked)
        audit->chain.push_back("la catena si rompe alla " + line_label(line.index) +
                               ": la riga prima è stata tolta, cambiata o spostata");
}

// The replay's faults in the operator's words.
static void note_faults(const JournalReplay &replay, const JournalLine &line, const ReplayStep &step, Audit *audit)
{
    std::string label = line_label(line.index);
    const JournalPlay &play = step.play;
    if (step.faults & FAULT_BAD_BOARD)
        audit->replay.push_back(label + ": il tabellone registrato non è di 100 caselle valide");
    if (step.faults & FAULT_UNREADABLE_PLAY)
        audit->replay.push_back(label + ": giocata illeggibile");
    if (step.faults & FAULT_PLAY_BEFORE_BOARD)
        audit->replay.push_back(label + ": giocata prima di ogni tabellone");
    if (step.faults & FAULT_SQUARE_UNCOVERED)
        audit->replay.push_back(label + ": la casella " + std::to_string(play.square) + " era già scoperta");
    if (step.faults & FAULT_WRONG_PRIZE)
        audit->replay.push_back(label + ": la casella " + std::to_string(play.square) + " nasconde " +
                                prize_names[replay.board.cells[play.square].type] + ", non " + play.prize_name);
    if (step.faults & FAULT_FIELDS_NOT_BYTES)
        audit->replay.push_back(label + ": i campi non corrispondono alla riga per players.txt");
}

static void check_board(const GameRecords &records, const JournalReplay &replay, Audit *audit)
{
    switch (records.state) {
    case STATE_MISSING:
        // The game saves a board with its first play; before that there is nothing to lose.
        if (replay.plays_on_board > 0)
            audit->board.push_back("state.dat manca, e il tabellone in gioco ha già " +
                                   std::to_string(replay.plays_on_board) + " giocate");
        return;
    case STATE_REFUSED:
        audit->board.push_back("state.dat rifiutato: non è un tabellone del gioco (" + records.state_reason + ")");
        return;
    case STATE_READ:
        break;
    }
    if (!replay.board_known) {
        audit->board.push_back("il registro non contiene alcun tabellone da confrontare con state.dat");
        return;
    }
    std::string held = board_letters(records.state_board), rebuilt = board_letters(replay.board);
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

bool view_folder(const std::string &folder, FolderView *view, std::string *error, const PlaySink &sink)
{
    if (!load_game_records(folder, &view->records, error))
        return false;
    Audit &audit = view->audit;
    // Every play in the players' order passes here, on its way to the command.
    const std::string &players = view->records.players_bytes;
    int last_line = (int)view->records.players_line_starts.size() - 1;
    bool torn_tail = !players.empty() && players.back() != '\n';
    PlaySink count = [view, &sink, last_line, torn_tail](const Play &play) {
        // A copy taken while the game wrote players.txt may end in half a
        // line: shown as a disagreement, but no play to count.
        bool half_line = torn_tail && play.from_players_only && play.players_line == last_line && play.prize < 0;
        view->plays += !half_line;
        if (play.prize >= 0)
            view->given[play.prize]++;
        view->winners += is_winning(play);
        if (!play.time.empty()) {
            if (view->first_time.empty())
                view->first_time = play.time;
            view->last_time = play.time;
        }
        if (sink)
            sink(play);
    };
    PlayMatcher matcher;
    start_matching(&matcher, view->records);
    JournalWalk walk;
    bool present;
    if (!open_journal_walk(journal_file_name, &walk, &present)) {
        *error = std::string(journal_file_name) + " non si può leggere (" + strerror(errno) + ")";
        return false;
    }
    JournalLine line;
    while (next_journal_line(&walk, &line)) {
        check_link(line, &audit);
        ReplayStep step = replay_line(&view->replay, line);
        note_faults(view->replay, line, step, &audit);
        const JournalPlay &play = step.play;
        if (step.is_play && play.size_before >= 0 && !play.players_bytes.empty() &&
            !play_bytes_in_place(view->records, play) && view->first_play_out_of_place < 0)
            view->first_play_out_of_place = line.index;
        if (step.is_play && step.play.readable) {
            view->journal_plays++;
            match_play(&matcher, step.play, count, &audit.players);
        }
    }
    bool failed = walk.reader.failed;
    close_journal_walk(&walk);
    if (failed) {
        *error = std::string(journal_file_name) + " non si può leggere (" + strerror(errno) + ")";
        return false;
    }
    if (!walk.ends_with_line_end)
        audit.chain.push_back("l'ultima riga del registro è troncata");
    audit.journal_lines = walk.index;
    audit.head_hash = walk.head_hash;
    finish_matching(&matcher, count, &audit.players);
    check_board(view->records, view->replay, &audit);
    return true;
}
