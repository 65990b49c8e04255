// The one way the journal is read: line by line, each line's link in the
// chain checked against the hash of the line before it. The operator walks
// the whole file as a stream; the game reads only its tail (journal_tail).
#pragma once

#include <string>
#include <vector>

#include "board/journal_format.h"
#include "platform/line_reader.h"

// One line as read back: its bytes without the line end, and what the replay reads of it.
struct JournalLine {
    int index = 0;     // 0 for the first line of the file, -1 when not known (a tail)
    long offset = 0;   // where it starts in the file
    std::string text;
    JournalEntry entry;
    bool linked = true;  // its "prev" is the hash of the line before (a line that is no object has none)
    bool ended = true;   // false for a torn last line (a power cut mid-write)
};

struct JournalWalk {
    LineReader reader;
    int index = 0;
    long size = 0;                               // bytes walked so far
    std::string head_hash = journal_chain_start;  // SHA-256 of the last line walked
    bool ends_with_line_end = true;
    int first_broken_link = -1;
};

// Starts a walk from the first line. A missing file is an empty journal
// (`present` false). False, with errno, when the file cannot be opened.
bool open_journal_walk(const char *path, JournalWalk *walk, bool *present);

// The next line; false at the end, or after a failed read (walk->reader.failed, errno).
bool next_journal_line(JournalWalk *walk, JournalLine *line);

void close_journal_walk(JournalWalk *walk);

// What the game reads of the journal at start-up: the lines from the last of
// these back from the end, in order: the last board that reads as one, the
// last play, and the last run_started (every start checks the chain before
// writing one, so the chain is checked here only from it on). The whole file
// when it has none of them.
struct JournalTail {
    long size = 0;                                // bytes in the file
    std::string head_hash = journal_chain_start;  // SHA-256 of the last line
    bool ends_with_line_end = true;
    std::vector<JournalLine> lines;  // `linked` checked only from `checked_from` on
    int checked_from = 0;            // the first line after the last run_started (0 without one)
    bool from_start = false;         // the lines start with the file's first line
};

// False, with the reason, when the file cannot be read. A missing file is an empty journal.
bool read_journal_tail(const char *path, JournalTail *tail, std::string *reason);

// The 1-based line number of a line of the tail, counted through the file
// when it is needed (for a report).
int journal_line_number(const char *path, long offset);
