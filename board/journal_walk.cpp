// The journal walked line by line with its chain checked: forward as a
// stream, or backward from the end as far as the game needs.
#include "board/journal_walk.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "board/state_file.h"

bool open_journal_walk(const char *path, JournalWalk *walk, bool *present)
{
    *walk = JournalWalk();
    *present = open_line_reader(path, &walk->reader);
    return *present || errno == ENOENT;
}

// Whether a parsed line carries the hash of the line before it.
static bool links_to(const JournalLine &line, const std::string &before)
{
    return !line.entry.parsed || (line.entry.has_prev && line.entry.prev == before);
}

bool next_journal_line(JournalWalk *walk, JournalLine *line)
{
    if (!read_line(&walk->reader, &line->text, &line->offset, &line->ended))
        return false;
    line->index = walk->index++;
    line->entry = read_journal_entry(line->text);
    line->linked = links_to(*line, walk->head_hash);
    if (!line->linked && walk->first_broken_link < 0)
        walk->first_broken_link = line->index;
    walk->head_hash = journal_line_hash(line->text);
    walk->ends_with_line_end = line->ended;
    walk->size = walk->reader.offset;
    return true;
}

void close_journal_walk(JournalWalk *walk)
{
    close_line_reader(&walk->reader);
}

static bool sets_board(const JournalEntry &entry)
{
    PrizeBoard board;
    return entry.board_is_text && board_from_letters(entry.board, &board);
}

// The bytes [start, end) of the file, read into the front of `bytes`.
static bool read_before(FileHandle file, long start, long end, std::string *bytes)
{
    std::string block((size_t)(end - start), '\0');
    for (size_t got = 0; got < block.size();) {
        long n = file_read_at(file, start + (long)got, &block[got], block.size() - got);
        if (n <= 0)
            return false;
        got += (size_t)n;
    }
    bytes->insert(0, block);
    return true;
}

bool read_journal_tail(const char *path, JournalTail *tail, std::string *reason)
{
    *tail = JournalTail();
    FileHandle file = file_open(path, FILE_FOR_READING);
    if (file < 0) {
        tail->from_start = true;
        if (errno == ENOENT)
            return true;
        *reason = std::string("cannot be opened (") + strerror(errno) + ")";
        return false;
    }
    bool ok = (tail->size = file_size(file)) >= 0;
    std::string bytes;  // the file from `start` to its end
    long start = tail->size, line_end = tail->size;
    bool board = false, play = false, run_started = false;
    while (ok && line_end > 0 && !(board && play && run_started)) {
        // The line ending at line_end starts after the LF before its own.
        long line_start = -1;
        while (ok && line_start < 0) {
            for (long at = line_end - 2; at >= start && line_start < 0; at--)
                if (bytes[(size_t)(at - start)] == '\n')
                    line_start = at + 1;
            if (line_start >= 0)
                break;
            if (start == 0) {
                line_start = 0;
                break;
            }
            // Twice as much each time, so a long read back costs no more than a read forward.
            long more = std::min(start, std::max(65536L, (long)bytes.size()));
            ok = read_before(file, start - more, start, &bytes);
            start -= more;
        }
        if (!ok)
            break;
        LineSpan span = line_at(bytes.data(), bytes.size(), (size_t)(line_start - start));
        JournalLine line;
        line.index = -1;
        line.offset = line_start;
        line.text.assign(bytes, span.start, span.text_size);
        line.ended = span.ended;
        line.entry = read_journal_entry(line.text);
        const std::string &event = line.entry.event;
        run_started = run_started || event == journal_kind::run_started;
        play = play || (event == journal_kind::play && line.entry.has_square);
        board = board || sets_board(line.entry);
        tail->lines.push_back(std::move(line));
        line_end = line_start;
    }
    if (!ok) {
        *reason = std::string("cannot be read (") + strerror(errno) + ")";
        file_close(file);
        return false;
    }
    file_close(file);
    std::reverse(tail->lines.begin(), tail->lines.end());
    tail->from_start = line_end == 0;
    if (!tail->lines.empty()) {
        tail->head_hash = journal_line_hash(tail->lines.back().text);
        tail->ends_with_line_end = tail->lines.back().ended;
    }
    // The chain from the last run_started on, or from the first line.
    int from = -1;
    for (int i = 0; i < (int)tail->lines.size(); i++)
        if (tail->lines[i].entry.event == journal_kind::run_started)
            from = i;
    tail->checked_from = from + 1;
    std::string before = from >= 0 ? journal_line_hash(tail->lines[from].text) : journal_chain_start;
    for (int i = from + 1; i < (int)tail->lines.size(); i++) {
        JournalLine &line = tail->lines[i];
        line.linked = links_to(line, before);
        before = journal_line_hash(line.text);
    }
    if (tail->from_start)
        for (int i = 0; i < (int)tail->lines.size(); i++)
            tail->lines[i].index = i;
    return true;
}

int journal_line_number(const char *path, long offset)
{
    LineReader reader;
    if (!open_line_reader(path, &reader))
        return 0;
    std::string text;
    long at = 0;
    bool ended;
    int number = 0;
    while (read_line(&reader, &text, &at, &ended) && at <= offset)
        number++;
    close_line_reader(&reader);
    return number;
}
