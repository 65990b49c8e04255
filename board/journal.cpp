// The game's journal and audit trail: chained JSON lines, read once at
// start-up and appended to, one synced line per event.
#include "board/journal.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/local_time.h"
#include "platform/sha256.h"
#include "platform/whole_file.h"

const char *const journal_file_name = "tabellone-registro.jsonl";
const char *const journal_chain_start = "0000000000000000000000000000000000000000000000000000000000000000";

// Where the next line goes and what it must carry; set by open_journal, and
// nothing is appended before it has run.
static bool journal_open;
static long journal_size;
static std::string journal_head = journal_chain_start;
static const char *journal_line_break = "";

std::string journal_line_hash(const std::string &text)
{
    return sha256_hex(text.data(), text.size());
}

bool read_journal(const char *path, JournalReading *reading, std::string *reason)
{
    reading->lines.clear();
    reading->size = 0;
    reading->ends_with_line_end = true;
    reading->first_broken_link = -1;
    reading->unparsed.clear();
    reading->head_hash = journal_chain_start;

    std::string bytes;
    switch (read_whole_file(path, &bytes)) {
    case WholeFile::read:
        break;
    case WholeFile::missing:
        return true;
    case WholeFile::not_opened:
        *reason = std::string("cannot be opened (") + strerror(errno) + ")";
        return false;
    case WholeFile::not_read:
        *reason = std::string("cannot be read (") + strerror(errno) + ")";
        return false;
    }

    reading->size = (long)bytes.size();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        bool torn = end == std::string::npos;
        std::string text = bytes.substr(start, (torn ? bytes.size() : end) - start);
        if (!torn && !text.empty() && text.back() == '\r')
            text.pop_back();
        start = torn ? bytes.size() : end + 1;
        reading->ends_with_line_end = !torn;

        JournalLine line;
        line.text = text;
        line.event = JournalEvent::parse(text, nullptr, false);
        line.parsed = line.event.is_object();
        int index = (int)reading->lines.size();
        if (!line.parsed)
            reading->unparsed.push_back(index);
        else if (reading->first_broken_link < 0 &&
                 !(line.event.contains("prev") && line.event["prev"] == reading->head_hash))
            reading->first_broken_link = index;
        reading->head_hash = journal_line_hash(text);
        reading->lines.push_back(std::move(line));
    }
    return true;
}

bool open_journal(JournalReading *reading, std::string *reason)
{
    if (!read_journal(journal_file_name, reading, reason))
        return false;
    journal_size = reading->size;
    journal_head = reading->head_hash;
    // A torn last line is left as it is; the next line starts on a line of its own.
    journal_line_break = reading->ends_with_line_end ? "" : "\r\n";
    journal_open = true;
    return true;
}

bool append_journal(JournalEvent event)
{
    if (!journal_open)
        return false;
    JournalEvent line = {{"event", event["event"]}, {"time", local_time_iso(time(NULL))}};
    for (auto &item : event.items())
        if (item.key() != "event")
            line[item.key()] = item.value();
    line["prev"] = journal_head;
    // Typed text that is not valid UTF-8 is written with replacement characters rather than lost.
    std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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
