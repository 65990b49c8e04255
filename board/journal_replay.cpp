// The journal replayed line by line: boards set by deals, adoptions and
// restorations, and the squares the plays uncover on them. The game settles
// its records by it and the operator judges them by it, so the two can never
// read one journal two ways.
#include "board/journal_replay.h"

#include "board/players_log.h"
#include "board/state_file.h"

static bool same_squares(const PrizeBoard &a, const PrizeBoard &b)
{
    for (int i = 0; i < BOARD_SIZE; i++)
        if (a.cells[i].type != b.cells[i].type)
            return false;
    return true;
}

static int set_board(JournalReplay *replay, const JournalEntry &entry)
{
    PrizeBoard board;
    if (!entry.board_is_text || !board_from_letters(entry.board, &board))
        return FAULT_BAD_BOARD;
    // A board put back or adopted with the same squares goes on being the same board.
    if (!replay->board_known || !same_squares(board, replay->board)) {
        replay->boards++;
        replay->plays_on_board = 0;
    }
    replay->board = board;
    replay->board_known = true;
    return 0;
}

static JournalPlay read_play(const JournalLine &line)
{
    const JournalEntry &entry = line.entry;
    JournalPlay play;
    play.line = line.index;
    play.offset = line.offset;
    play.time = entry.time;
    play.square = entry.has_square && entry.square >= 0 && entry.square < BOARD_SIZE ? (int)entry.square : -1;
    play.prize_name = entry.prize;
    play.prize = entry.has_prize ? prize_by_name(entry.prize) : -1;
    play.readable = play.square >= 0 && entry.has_prize && entry.has_fields;
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        play.fields[f] = entry.fields[f];
    play.size_before = entry.players_size_before;
    play.players_bytes = entry.players_bytes;
    return play;
}

// A play uncovers its square, whatever else it lacks: the square is what the
// player took, and the game must never offer it again.
static int play_on_board(JournalReplay *replay, JournalPlay *play)
{
    int faults = play->readable ? 0 : FAULT_UNREADABLE_PLAY;
    replay->plays++;
    play->board = replay->boards;
    if (play->square < 0)
        return faults;
    replay->has_last_play = true;
    replay->last_play = *play;
    if (!replay->board_known)
        return faults | FAULT_PLAY_BEFORE_BOARD;
    BoardCell &cell = replay->board.cells[play->square];
    if (cell.revealed)
        faults |= FAULT_SQUARE_UNCOVERED;
    if (play->readable && cell.type != play->prize)
        faults |= FAULT_WRONG_PRIZE;
    cell.revealed = 1;
    replay->plays_on_board++;
    // The fields and the players.txt bytes are the same play twice over.
    std::string expected = players_line(play->fields, play->prize_name);
    const std::string &bytes = play->players_bytes;
    if (play->readable && !bytes.empty() && bytes != expected && bytes != "\r\n" + expected)
        faults |= FAULT_FIELDS_NOT_BYTES;
    return faults;
}

ReplayStep replay_line(JournalReplay *replay, const JournalLine &line)
{
    ReplayStep step;
    const JournalEntry &entry = line.entry;
    if (!entry.parsed)
        return step;
    // The operator's erasures are written while the game is stopped: they end no run.
    if (entry.event != journal_kind::erasure)
        replay->interrupted = !(entry.event == journal_kind::run_ended && entry.clean);
    if (entry.event == journal_kind::deal)
        replay->deals++;
    if (entry.event == journal_kind::idle_return && !entry.screen.empty())
        replay->returns_to_title[entry.screen]++;
    if (entry.has_board) {
        step.faults = set_board(replay, entry);
    } else if (entry.event == journal_kind::play) {
        step.is_play = true;
        step.play = read_play(line);
        step.faults = play_on_board(replay, &step.play);
    }
    return step;
}
