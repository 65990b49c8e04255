// The journal as the tests read it back: every line parsed whole, the chain walked.
#pragma once

#include <vector>

#include "board/journal_walk.h"

struct JournalReadBack {
    std::vector<JournalEvent> events;  // one per line; a line that is no object gives a discarded value
    int first_broken_link = -1;
    int unparsed = 0;
};

inline JournalReadBack read_back_journal()
{
    JournalReadBack back;
    JournalWalk walk;
    bool present;
    if (!open_journal_walk(journal_file_name, &walk, &present))
        return back;
    JournalLine line;
    while (next_journal_line(&walk, &line)) {
        back.events.push_back(JournalEvent::parse(line.text, nullptr, false));
        back.unparsed += !line.entry.parsed;
    }
    back.first_broken_link = walk.first_broken_link;
    close_journal_walk(&walk);
    return back;
}
