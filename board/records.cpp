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
#include "board/journal.h"
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

// What the journal says of the board and of the last play.
struct JournalSummary {
    bool board_known = false;
    PrizeBoard board = {};
    const JournalEvent *last_play = nullptr;
    bool interrupted = false;  // the last run did not end in order
};

static bool event_is(const JournalEvent &event, const char *name)
{
    return event.contains("event") && event["event"] == name;
}

static JournalSummary summarise(const JournalReading &reading)
{
    JournalSummary summary;
    const JournalEvent *last = nullptr;
    for (const JournalLine &line : reading.lines) {
        if (!line.parsed)
            continue;
        const JournalEvent &event = line.event;
        // The operator's erasures are written while the game is stopped: they end no run.
        if (!event_is(event, "erasure"))
            last = &event;
        if (event.contains("board") && event["board"].is_string()) {
            PrizeBoard board;
            if (board_from_letters(event["board"].get<std::string>(), &board)) {
                summary.board = board;
                summary.board_known = true;
            }
        } else if (event_is(event, "play") && event.contains("square") && event["square"].is_number_integer()) {
            int square = event["square"].get<int>();
            if (square >= 0 && square < BOARD_SIZE)
                summary.board.cells[square].revealed = 1;
            summary.last_play = &event;
        }
    }
    summary.interrupted = last && !(event_is(*last, "run_ended") && last->value("clean", false));
    return summary;
}

// Completes players.txt with the last play the journal holds, when a crash
// left it out or cut it short: exactly once, since the play's place in the
// log is known.
static bool complete_last_play(const JournalEvent &play)
{
    long size_before = play.value("players_size_before", -1L);
    std::string bytes = play.value("players_bytes", std::string());
    if (size_before < 0 || bytes.empty())
        return true;
    switch (append_at_durably(players_log_name, size_before, bytes)) {
    case APPEND_ALREADY_THERE:
        return true;
    case APPEND_WRITTEN:
        report_error("the last play (square %d) was missing from %s; it is added", play.value("square", -1),
                     players_log_name);
        return append_journal({{"event", "play_completed"}, {"square", play["square"]}, {"file", players_log_name}});
    case APPEND_CONFLICT:
        report_error("%s does not hold the last play where %s puts it; it is left as it is", players_log_name,
                     journal_file_name);
        return append_journal({{"event", "records_disagree"},
                               {"file", players_log_name},
                               {"reason", "the last play is not where the journal puts it"}});
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
static bool restore_journal_board(const JournalSummary &summary, const char *why, const std::string &state_held)
{
    apply_board(summary.board);
    report_error("%s %s; the board is restored from %s", state_file_name, why, journal_file_name);
    JournalEvent event = {{"event", "board_restored"}, {"reason", std::string(state_file_name) + " " + why}};
    if (!state_held.empty())
        event["state_file"] = state_held;
    event["board"] = board_letters(prize_board);
    return append_journal(event) && save_board_state();
}

static bool settle_board(const JournalSummary &summary)
{
    PrizeBoard saved;
    char reason[160];
    switch (read_board_state(&saved, reason, sizeof reason)) {
    case STATE_READ:
        if (!summary.board_known) {
            apply_board(saved);
            return append_journal({{"event", "board_adopted"},
                                   {"reason", std::string(state_file_name) + " from before the journal"},
                                   {"board", board_letters(saved)}});
        }
        if (same_board(saved, summary.board)) {
            apply_board(saved);
            return true;
        }
        if (is_played_on(saved, summary.board)) {
            apply_board(saved);
            report_error("%s holds plays that %s lacks; they are kept", state_file_name, journal_file_name);
            return append_journal({{"event", "board_adopted"},
                                   {"reason", std::string(state_file_name) + " holds plays the journal lacks"},
                                   {"board", board_letters(saved)}});
        }
        return restore_journal_board(summary,
                                     is_played_on(summary.board, saved) ? "lacks plays the journal holds"
                                                                        : "disagrees with the journal",
                                     board_letters(saved));
    case STATE_MISSING:
        // A play cut short before its board was first saved: finish it. Otherwise
        // a missing file asks for a new board (an operator may remove it for one).
        if (summary.board_known && summary.interrupted && summary.last_play)
            return restore_journal_board(summary, "is missing after an interrupted run", "");
        return record_deal((std::string(state_file_name) + " missing").c_str());
    case STATE_REFUSED:
        break;
    }
    append_journal({{"event", "refused"}, {"file", state_file_name}, {"reason", std::string("it ") + reason}});
    if (summary.board_known)
        return restore_journal_board(summary, (std::string("refused: it ") + reason).c_str(), "");
    report_error("%s refused: it %s; a new board is dealt", state_file_name, reason);
    return record_deal((std::string(state_file_name) + " refused").c_str());
}

// The journal as read at start-up, kept until the board is settled.
static JournalReading opened;

bool open_records(std::string *reason)
{
    if (!open_journal(&opened, reason)) {
        *reason = std::string(journal_file_name) + " " + *reason;
        return false;
    }
    if (!append_journal({{"event", "run_started"}})) {
        *reason = std::string("cannot write to ") + journal_file_name;
        return false;
    }
    if (opened.first_broken_link >= 0) {
        report_error("%s: the chain breaks at line %d (a line removed, changed or moved)", journal_file_name,
                     opened.first_broken_link + 1);
        append_journal({{"event", "chain_broken"}, {"line", opened.first_broken_link + 1}});
    }
    for (int index : opened.unparsed) {
        report_error("%s: line %d is not a record", journal_file_name, index + 1);
        append_journal({{"event", "unreadable_line"}, {"line", index + 1}});
    }
    return true;
}

bool restore_records(std::string *reason)
{
    JournalSummary summary = summarise(opened);
    bool ok = (!summary.last_play || complete_last_play(*summary.last_play)) && settle_board(summary);
    opened = JournalReading();
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
    bool ok = append_journal({{"event", "deal"}, {"reason", why}, {"board", board_letters(prize_board)}});
    failing = failing || !ok;
    return ok;
}

bool record_play(int square)
{
    PlayLine line;
    bool line_ready = prepare_play_line(&line);
    JournalEvent failed = JournalEvent::array();
    auto note_failure = [&failed](const char *file) {
        failed.push_back({{"file", file}, {"reason", write_error_text(errno)}});
    };
    JournalEvent play = {
        {"event", "play"},
        {"square", square},
        {"prize", prize_names[selected_prize]},
        {"fields", {form_field(0), form_field(1), form_field(2)}},
        {"players_size_before", line.size_before},
        {"players_bytes", line.bytes},
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
    append_journal({{"event", "write_failed"}, {"square", square}, {"failed", failed}});
    return false;
}

void record_run_ended(const char *why, bool clean)
{
    append_journal({{"event", "run_ended"}, {"reason", why}, {"clean", clean}});
}
