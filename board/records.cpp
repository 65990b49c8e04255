// The records of the draw kept in step: journal, players.txt and state.dat,
// the order of their writes, and the settling of them at start-up.
#include "board/records.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <thread>

#include "board/board.h"
#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "board/erasure.h"
#include "board/journal.h"
#include "board/journal_replay.h"
#include "board/players_log.h"
#include "board/state_file.h"

int test_record_pause_ms()
{
    const char *value = getenv("TABELLONE_TEST_RECORD_PAUSE_MS");
    return value ? atoi(value) : 0;
}

static void test_pause()
{
    static const int pause_ms = test_record_pause_ms();
    if (pause_ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
}

// Completes players.txt with the last play the journal holds, when a crash
// left it out or cut it short: exactly once, since the play's place in the
// log is known.
static bool complete_last_play(const JournalPlay &play)
{
    if (play.size_before < 0 || play.players_bytes.empty())
        return true;
    switch (append_at_durably(players_log_name, play.size_before, play.players_bytes)) {
    case APPEND_ALREADY_THERE:
        return true;
    case APPEND_WRITTEN:
        report_error("the last play (square %d) was missing from %s; it is added", play.square, players_log_name);
        return append_journal({{journal_key::event, journal_kind::play_completed},
                               {journal_key::square, play.square},
                               {journal_key::file, players_log_name}});
    case APPEND_CONFLICT:
        report_error("%s does not hold the last play where %s puts it; it is left as it is", players_log_name,
                     journal_file_name);
        return append_journal({{journal_key::event, journal_kind::records_disagree},
                               {journal_key::file, players_log_name},
                               {journal_key::reason, "the last play is not where the journal puts it"}});
    case APPEND_FAILED:
        break;
    }
    report_error("cannot write to %s: %s", players_log_name, strerror(errno));
    return false;
}

static bool same_board(const PrizeBoard &a, const PrizeBoard &b)
{
    return board_letters(a) == board_letters(b);
}

// True when `later` is `earlier` with more squares uncovered: plays that
// reached state.dat but not the journal (its write failed). Taking it keeps
// every prize given out of play.
static bool is_played_on(const PrizeBoard &later, const PrizeBoard &earlier)
{
    for (int i = 0; i < BOARD_SIZE; i++)
        if (later.cells[i].type != earlier.cells[i].type || later.cells[i].revealed < earlier.cells[i].revealed)
            return false;
    return true;
}

// The journal's board replaces what state.dat held, and state.dat is rewritten.
static bool restore_journal_board(const JournalReplay &summary, const char *why, const std::string &state_held)
{
    apply_board(summary.board);
    report_error("%s %s; the board is restored from %s", state_file_name, why, journal_file_name);
    JournalEvent event = {{journal_key::event, journal_kind::board_restored},
                          {journal_key::reason, std::string(state_file_name) + " " + why}};
    if (!state_held.empty())
        event[journal_key::state_file] = state_held;
    event[journal_key::board] = board_letters(prize_board);
    return append_journal(event) && save_board_state();
}

static bool adopt_state_board(const PrizeBoard &saved, const char *why)
{
    return append_journal({{journal_key::event, journal_kind::board_adopted},
                           {journal_key::reason, std::string(state_file_name) + " " + why},
                           {journal_key::board, board_letters(saved)}});
}

static bool settle_board(const JournalReplay &summary)
{
    PrizeBoard saved;
    char reason[REASON_SIZE];
    switch (read_board_state(&saved, reason, sizeof reason)) {
    case STATE_READ:
        if (!summary.board_known) {
            apply_board(saved);
            return adopt_state_board(saved, "from before the journal");
        }
        if (same_board(saved, summary.board)) {
            apply_board(saved);
            return true;
        }
        if (is_played_on(saved, summary.board)) {
            apply_board(saved);
            report_error("%s holds plays that %s lacks; they are kept", state_file_name, journal_file_name);
            return adopt_state_board(saved, "holds plays the journal lacks");
        }
        return restore_journal_board(summary,
                                     is_played_on(summary.board, saved) ? "lacks plays the journal holds"
                                                                        : "disagrees with the journal",
                                     board_letters(saved));
    case STATE_MISSING:
        // A play cut short before its board was first saved: finish it. Otherwise
        // a missing file asks for a new board (an operator may remove it for one).
        if (summary.board_known && summary.interrupted && summary.has_last_play)
            return restore_journal_board(summary, "is missing after an interrupted run", "");
        return record_deal((std::string(state_file_name) + " missing").c_str());
    case STATE_REFUSED:
        break;
    }
    append_journal({{journal_key::event, journal_kind::refused},
                    {journal_key::file, state_file_name},
                    {journal_key::reason, std::string("it ") + reason}});
    if (summary.board_known)
        return restore_journal_board(summary, (std::string("refused: it ") + reason).c_str(), "");
    report_error("%s refused: it %s; a new board is dealt", state_file_name, reason);
    return record_deal((std::string(state_file_name) + " refused").c_str());
}

// The journal's tail as read at start-up, kept until the board is settled.
static JournalTail opened;

// The number of a line of the tail, for the operator's message.
static int line_number(const JournalLine &line)
{
    return line.index >= 0 ? line.index + 1 : journal_line_number(journal_file_name, line.offset);
}

bool open_records(std::string *reason)
{
    if (!open_journal(&opened, reason)) {
        *reason = std::string(journal_file_name) + " " + *reason;
        return false;
    }
    // An erase cut short is finished before this run's start is journaled: a
    // start journaled first, then cut by a crash or a power cut, would hide
    // the erase from the next start, and the erased text would stay in
    // players.txt. Finishing it before players.txt is read for anything else.
    if (!complete_erasure(opened)) {
        *reason = std::string("cannot finish the erase in ") + players_log_name;
        return false;
    }
    if (!append_journal({{journal_key::event, journal_kind::run_started}})) {
        *reason = std::string("cannot write to ") + journal_file_name;
        return false;
    }
    // What the last start checked is not checked again (verify checks the whole chain).
    for (size_t i = opened.checked_from; i < opened.lines.size(); i++)
        if (!opened.lines[i].linked) {
            int line = line_number(opened.lines[i]);
            report_error("%s: the chain breaks at line %d (a line removed, changed or moved)", journal_file_name, line);
            append_journal({{journal_key::event, journal_kind::chain_broken}, {journal_key::line, line}});
            break;
        }
    for (size_t i = opened.checked_from; i < opened.lines.size(); i++)
        if (!opened.lines[i].entry.parsed) {
            int line = line_number(opened.lines[i]);
            report_error("%s: line %d is not a record", journal_file_name, line);
            append_journal({{journal_key::event, journal_kind::unreadable_line}, {journal_key::line, line}});
        }
    return true;
}

bool restore_records(std::string *reason)
{
    JournalReplay summary;
    for (const JournalLine &line : opened.lines)
        replay_line(&summary, line);
    opened = JournalTail();
    bool ok = (!summary.has_last_play || complete_last_play(summary.last_play)) && settle_board(summary);
    if (!ok)
        *reason = "the records cannot be written";
    return ok;
}

static bool failing;

bool records_failing()
{
    return failing;
}

bool record_deal(const char *why)
{
    bool ok = append_journal({{journal_key::event, journal_kind::deal},
                              {journal_key::reason, why},
                              {journal_key::board, board_letters(prize_board)}});
    failing = failing || !ok;
    return ok;
}

bool record_play(int square)
{
    PlayLine line;
    bool line_ready = prepare_play_line(&line);
    JournalEvent failed = JournalEvent::array();
    auto note_failure = [&failed](const char *file) {
        failed.push_back({{journal_key::file, file}, {journal_key::reason, write_error_text(errno)}});
    };
    JournalEvent play = {
        {journal_key::event, journal_kind::play},
        {journal_key::square, square},
        {journal_key::prize, prize_names[selected_prize]},
        {journal_key::fields, {form_field(0), form_field(1), form_field(2)}},
        {journal_key::players_size_before, line.size_before},
        {journal_key::players_bytes, line.bytes},
    };
    // Each write is tried even when one before it failed: the more records hold
    // the play, the surer it is never given again.
    if (!append_journal(play))
        note_failure(journal_file_name);
    test_pause();
    if (!line_ready || !write_play_line(line))
        note_failure(players_log_name);
    test_pause();
    if (!save_board_state())
        note_failure(state_file_name);
    if (failed.empty())
        return true;
    failing = true;
    append_journal({{journal_key::event, journal_kind::write_failed},
                    {journal_key::square, square},
                    {journal_key::failed, failed}});
    return false;
}

void record_return_to_title(const char *screen)
{
    append_journal({{journal_key::event, journal_kind::idle_return}, {journal_key::screen, screen}});
}

void record_run_ended(const char *why, bool clean)
{
    append_journal({{journal_key::event, journal_kind::run_ended}, {journal_key::reason, why}, {journal_key::clean, clean}});
}
