// The journal replayed event by event: boards set by deals, adoptions and
// restorations, and the squares the plays uncover on them.
#include "operator/replay.h"

#include "board/state_file.h"

static std::string line_label(int index)
{
    return "riga " + std::to_string(index + 1) + " del registro";
}

static bool same_squares(const PrizeBoard &a, const PrizeBoard &b)
{
    for (int i = 0; i < BOARD_SIZE; i++)
        if (a.cells[i].type != b.cells[i].type)
            return false;
    return true;
}

static void set_board(JournalHistory *history, const JournalEvent &event, int index)
{
    PrizeBoard board;
    if (!event["board"].is_string() || !board_from_letters(event["board"].get<std::string>(), &board)) {
        history->notes.push_back(line_label(index) + ": il tabellone registrato non è di 100 caselle valide");
        return;
    }
    // A board put back or adopted with the same squares goes on being the same board.
    if (!history->board_known || !same_squares(board, history->board)) {
        history->boards++;
        history->plays_on_board = 0;
    }
    history->board = board;
    history->board_known = true;
}

static bool read_play(const JournalEvent &event, int index, JournalPlay *play)
{
    play->line = index;
    play->time = event.value("time", std::string());
    if (!event.contains("square") || !event["square"].is_number_integer() || !event.contains("prize") ||
        !event["prize"].is_string() || !event.contains("fields") || !event["fields"].is_array() ||
        event["fields"].size() != FORM_FIELD_COUNT)
        return false;
    play->square = event["square"].get<int>();
    play->prize = prize_by_name(event["prize"].get<std::string>());
    for (int f = 0; f < FORM_FIELD_COUNT; f++) {
        if (!event["fields"][f].is_string())
            return false;
        play->fields[f] = event["fields"][f].get<std::string>();
    }
    play->size_before = event.contains("players_size_before") && event["players_size_before"].is_number_integer()
                            ? event["players_size_before"].get<long>()
                            : -1;
    play->players_bytes = event.contains("players_bytes") && event["players_bytes"].is_string()
                              ? event["players_bytes"].get<std::string>()
                              : std::string();
    return play->square >= 0 && play->square < BOARD_SIZE;
}

static void play_on_board(JournalHistory *history, const JournalEvent &event, int index)
{
    JournalPlay play;
    if (!read_play(event, index, &play)) {
        history->notes.push_back(line_label(index) + ": giocata illeggibile");
        return;
    }
    play.board = history->boards;
    if (!history->board_known) {
        history->notes.push_back(line_label(index) + ": giocata prima di ogni tabellone");
    } else {
        BoardCell &cell = history->board.cells[play.square];
        if (cell.revealed)
            history->notes.push_back(line_label(index) + ": la casella " + std::to_string(play.square) +
                                     " era già scoperta");
        if (cell.type != play.prize)
            history->notes.push_back(line_label(index) + ": la casella " + std::to_string(play.square) + " nasconde " +
                                     prize_names[cell.type] + ", non " + event["prize"].get<std::string>());
        cell.revealed = 1;
        history->plays_on_board++;
    }
    // The fields and the players.txt bytes are the same play twice over.
    std::string line = players_line(play.fields, event["prize"].get<std::string>());
    const std::string &bytes = play.players_bytes;
    if (!bytes.empty() && bytes != line && bytes != "\r\n" + line)
        history->notes.push_back(line_label(index) + ": i campi non corrispondono alla riga per players.txt");
    history->plays.push_back(play);
}

JournalHistory replay_journal(const JournalReading &journal)
{
    JournalHistory history;
    for (int index = 0; index < (int)journal.lines.size(); index++) {
        const JournalLine &line = journal.lines[index];
        if (!line.parsed || !line.event.contains("event") || !line.event["event"].is_string())
            continue;
        std::string name = line.event["event"].get<std::string>();
        if (name == "deal")
            history.deals++;
        if (line.event.contains("board"))
            set_board(&history, line.event, index);
        else if (name == "play")
            play_on_board(&history, line.event, index);
    }
    return history;
}
