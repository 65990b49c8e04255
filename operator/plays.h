// Plays as the operator sees them: the journal's plays matched with the lines
// of players.txt, and the lines no journal entry explains, split as well as
// they can be, in the order the players came.
#pragma once

#include <string>
#include <vector>

#include "operator/records_view.h"
#include "operator/replay.h"

struct Play {
    int journal_play = -1;  // index into JournalHistory::plays, -1 for a players.txt line alone
    int players_line = -1;  // index into GameRecords::players_lines, -1 when it has none
    std::string time;       // ISO 8601, empty when only players.txt has the play
    int square = -1;
    PrizeType prize = -1;
    std::string fields[FORM_FIELD_COUNT];
    bool from_players_only = false;
};

struct PlayMatching {
    std::vector<Play> plays;
    std::vector<std::string> disagreements;  // Italian, one per fault
};

PlayMatching match_plays(const GameRecords &records, const JournalHistory &history);

bool is_winning(const Play &play);

// A players.txt line split into its three fields and its prize: the prize is
// the last ", "-separated part and one of the seven names (else -1); the
// fields are the first, the last and what lies between. False when the line
// has fewer than four parts.
bool split_players_text(const std::string &text, std::string fields[FORM_FIELD_COUNT], PrizeType *prize);
