// The game's journal, which is also the draw's audit trail (its format in
// board/journal_format.h). The game reads its tail once at start-up and then
// only appends to it, one synced line per event.
#pragma once

#include <string>

#include "board/journal_walk.h"

// The journal the game appends to: its tail, read once at start-up.
bool open_journal(JournalTail *tail, std::string *reason);

// Appends the event with its time (local, with offset) and the chained
// "prev", as one synced line. On failure nothing of the line stays in the
// file, the operator is told, and the result is false.
bool append_journal(JournalEvent event);
