// The journal's format, declared once: its file, the kinds of event and the
// keys they carry, how a line is written and hashed, and the fields of a line
// the replay reads (JournalEntry). Every line is one JSON object ending in
// CR LF whose last key, "prev", is the SHA-256 of the line before it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "board/draw_rules.h"

// Keys keep the order they were written in, so a line reads as it was meant.
typedef nlohmann::ordered_json JournalEvent;

extern const char *const journal_file_name;  // "tabellone-registro.jsonl"

// The "prev" of the first line: no line comes before it.
extern const char *const journal_chain_start;

// The kinds of event ("event"): the game's, then the operator's.
namespace journal_kind
{
inline constexpr char run_started[] = "run_started";
inline constexpr char run_ended[] = "run_ended";            // reason, clean
inline constexpr char deal[] = "deal";                      // reason, board
inline constexpr char play[] = "play";                      // square, prize, fields, players_size_before, players_bytes
inline constexpr char play_completed[] = "play_completed";  // square, file
inline constexpr char records_disagree[] = "records_disagree";  // file, reason
inline constexpr char board_restored[] = "board_restored";      // reason, [state_file], board
inline constexpr char board_adopted[] = "board_adopted";        // reason, board
inline constexpr char refused[] = "refused";                    // file, reason
inline constexpr char chain_broken[] = "chain_broken";          // line
inline constexpr char unreadable_line[] = "unreadable_line";    // line
inline constexpr char write_failed[] = "write_failed";          // square, failed: [{file, reason}]
inline constexpr char erasure[] = "erasure";  // reason, journal_lines, moved_lines, players_lines, winners_kept,
                                              // resealed_from, head_before
inline constexpr char erasure_completed[] = "erasure_completed";  // file, players_lines
inline constexpr char idle_return[] = "idle_return";  // screen: a screen left alone went back to the title
}  // namespace journal_kind

// The keys, in the order the game writes them: event and time first, prev last.
namespace journal_key
{
inline constexpr char event[] = "event";
inline constexpr char time[] = "time";
inline constexpr char reason[] = "reason";
inline constexpr char clean[] = "clean";
inline constexpr char board[] = "board";
inline constexpr char state_file[] = "state_file";
inline constexpr char square[] = "square";
inline constexpr char prize[] = "prize";
inline constexpr char fields[] = "fields";
inline constexpr char players_size_before[] = "players_size_before";
inline constexpr char players_bytes[] = "players_bytes";
inline constexpr char file[] = "file";
inline constexpr char line[] = "line";
inline constexpr char failed[] = "failed";
inline constexpr char journal_lines[] = "journal_lines";
inline constexpr char moved_lines[] = "moved_lines";
inline constexpr char players_lines[] = "players_lines";
inline constexpr char winners_kept[] = "winners_kept";
inline constexpr char resealed_from[] = "resealed_from";
inline constexpr char head_before[] = "head_before";
inline constexpr char screen[] = "screen";
inline constexpr char prev[] = "prev";
}  // namespace journal_key

// The bytes of a line without its CR LF. Text that is not valid UTF-8 (typed
// bytes) is written with replacement characters rather than lost.
std::string journal_line_text(const JournalEvent &event);

// The hash a line carries for the line before it.
std::string journal_line_hash(const std::string &text);

// What the replay reads of a line, each field marked present only when the
// line holds it with the right type. Read without building the whole object,
// so a long journal streams quickly.
struct JournalEntry {
    bool parsed = false;  // the line is one JSON object
    std::string event;    // empty when missing or not a string
    std::string time;
    bool has_prev = false;
    std::string prev;
    bool has_board = false;  // the key is there, whatever its value
    bool board_is_text = false;
    std::string board;
    bool has_square = false;
    long square = -1;
    bool has_prize = false;
    std::string prize;
    bool has_fields = false;  // an array of exactly FORM_FIELD_COUNT strings
    std::string fields[FORM_FIELD_COUNT];
    long players_size_before = -1;  // -1 when missing
    bool has_players_bytes = false;
    std::string players_bytes;
    std::string screen;  // idle_return's screen, empty when missing
    bool clean = false;  // run_ended's "clean" is true
    std::vector<long> players_lines;  // an erasure's players.txt lines (1-based); non-integers left out
};

JournalEntry read_journal_entry(const std::string &text);
