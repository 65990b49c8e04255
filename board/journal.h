// The game's journal, which is also the draw's audit trail: one JSON object
// per line (CR LF), each carrying the SHA-256 of the line before it, so that a
// removed, changed or reordered line breaks the chain. The game only ever
// appends to it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Keys keep the order they were written in, so a line reads as it was meant.
typedef nlohmann::ordered_json JournalEvent;

extern const char *const journal_file_name;  // "tabellone-registro.jsonl"

// The "prev" of the first line: no line comes before it.
extern const char *const journal_chain_start;

// One line as read back: its bytes without the line end, and its object when
// the bytes parse as one.
struct JournalLine {
    std::string text;
    bool parsed;
    JournalEvent event;
};

struct JournalReading {
    std::vector<JournalLine> lines;
    long size;                  // bytes in the file
    bool ends_with_line_end;    // false after a torn last line (a power cut mid-write)
    int first_broken_link;      // index of the first object whose "prev" is not the hash of the line before, or -1
    std::vector<int> unparsed;  // indices of lines that are no JSON object (a torn line, a hand edit)
    std::string head_hash;      // SHA-256 of the last line: what the next line carries
};

// The hash a line carries for the line before it.
std::string journal_line_hash(const std::string &text);

// Reads and checks a journal. A missing file is an empty journal. False, with
// the reason, only when the file cannot be read.
bool read_journal(const char *path, JournalReading *reading, std::string *reason);

// The journal the game appends to, read once at start-up.
bool open_journal(JournalReading *reading, std::string *reason);

// Appends the event with its time (local, with offset) and the chained
// "prev", as one synced line. On failure nothing of the line stays in the
// file, the operator is told, and the result is false.
bool append_journal(JournalEvent event);
