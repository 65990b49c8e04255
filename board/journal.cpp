// The game's side of the journal: where the next line goes and what it
// carries, and the append of one synced line per event.
#include "board/journal.h"

#include <errno.h>
#include <string.h>
#include <time.h>

#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/local_time.h"

// Where the next line goes and what it must carry; set by open_journal, and
// nothing is appended before it has run.
static bool journal_open;
static long journal_size;
static std::string journal_head = journal_chain_start;
static const char *journal_line_break = "";

bool open_journal(JournalTail *tail, std::string *reason)
{
    if (!read_journal_tail(journal_file_name, tail, reason))
        return false;
    journal_size = tail->size;
    journal_head = tail->head_hash;
    // A torn last line is left as it is; the next line starts on a line of its own.
    journal_line_break = tail->ends_with_line_end ? "" : "\r\n";
    journal_open = true;
    return true;
}

bool append_journal(JournalEvent event)
{
    if (!journal_open)
        return false;
    JournalEvent line = {{journal_key::event, event[journal_key::event]}, {journal_key::time, local_time_iso(time(NULL))}};
    for (auto &item : event.items())
        if (item.key() != journal_key::event)
            line[item.key()] = item.value();
    line[journal_key::prev] = journal_head;
    std::string text = journal_line_text(line);
    std::string bytes = journal_line_break + text + "\r\n";

    AppendOutcome outcome = append_at_durably(journal_file_name, journal_size, bytes);
    if (outcome == APPEND_WRITTEN) {
        journal_size += (long)bytes.size();
        journal_head = journal_line_hash(text);
        journal_line_break = "";
        return true;
    }
    if (outcome == APPEND_FAILED)
        report_error("cannot write to %s: %s", journal_file_name, strerror(errno));
    else
        report_error("%s changed while the game was running (it no longer has %ld bytes)", journal_file_name,
                     journal_size);
    return false;
}
