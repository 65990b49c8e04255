// A player's data erased from players.txt, as the operator's erase does it
// and as the game's start-up completes it. The erase's steps, in order: the
// journal is rewritten whole with an "erasure" event at its end that lists
// the players.txt lines to rewrite; then players.txt is rewritten. A cut
// between the two leaves the journal saying what players.txt still lacks, and
// complete_erasure finishes it from there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "board/board.h"
#include "board/journal_walk.h"

extern const char erased_field[];  // "[cancellato]"

// The text of an erased play's players.txt line: the three fields erased, the prize kept.
std::string erased_line_text(PrizeType prize);

// players.txt with the given lines (0-based, ascending) read as an erased
// "Niente" play, each keeping its own line end.
struct PlayersRewrite {
    std::string bytes;
    std::vector<std::pair<long, long>> shifts;  // (end of an erased line, change in size from there on)
};
PlayersRewrite erase_players_lines(const std::string &players, const std::vector<int> &lines);

// Where a byte of the old players.txt lies in the rewritten one.
long moved_offset(const PlayersRewrite &rewrite, long offset);

// At start-up, before anything else reads players.txt: when the journal's
// tail ends in an erasure no run has started after, and players.txt does not
// yet read as it says, the lines it lists are rewritten and the completion
// journaled. False, with the operator told, when players.txt cannot be read
// or written.
bool complete_erasure(const JournalTail &tail);
