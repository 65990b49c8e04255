// Plays as the operator sees them: the journal's plays matched with the lines
// of players.txt as the journal is walked, and the lines no journal entry
// explains, split as well as they can be, in the order the players came.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "board/journal_replay.h"
#include "operator/records_view.h"

struct Play {
    int journal_line = -1;  // index of its journal line, -1 for a players.txt line alone
    int players_line = -1;  // index of its players.txt line, -1 when it has none
    std::string time;       // ISO 8601, empty when only players.txt has the play
    int square = -1;
    PrizeType prize = -1;
    std::string fields[FORM_FIELD_COUNT];
    bool from_players_only = false;
};

typedef std::function<void(const Play &)> PlaySink;

// The matching under way: which players.txt lines a journal play has
// explained, and how far the players' order has been handed on.
struct PlayMatcher {
    const GameRecords *records = nullptr;
    std::vector<bool> explained;
    size_t next_line = 0;
    // Lines by their text, made the first time a play is not where the journal puts it.
    std::unordered_multimap<std::string_view, int> lines_by_text;
    bool indexed = false;
};

void start_matching(PlayMatcher *matcher, const GameRecords &records);

// Matches one readable journal play: its bytes where the journal puts them,
// else the same line among those not yet handed on, else missing. Hands on the
// lines no play explains that come before it, then the play.
void match_play(PlayMatcher *matcher, const JournalPlay &play, const PlaySink &sink,
                std::vector<std::string> *disagreements);

// Hands on the lines after the last play that no play explains.
void finish_matching(PlayMatcher *matcher, const PlaySink &sink, std::vector<std::string> *disagreements);

// True when the play's bytes lie in players.txt where the journal puts them.
bool play_bytes_in_place(const GameRecords &records, const JournalPlay &play);

bool is_winning(const Play &play);

// A players.txt line split into its three fields and its prize: the prize is
// the last ", "-separated part and one of the seven names (else -1); the
// fields are the first, the last and what lies between. False when the line
// has fewer than four parts.
bool split_players_text(const std::string &text, std::string fields[FORM_FIELD_COUNT], PrizeType *prize);
