// The checks of verify, also behind the warnings of status and the report:
// the chain, players.txt against the journal, and the replayed board against
// state.dat; all found in one walk of the journal, which hands each play on
// to the command as it goes and keeps only counts.
#pragma once

#include <string>
#include <vector>

#include "operator/plays.h"
#include "operator/records_view.h"

struct Audit {
    std::vector<std::string> chain;    // broken links and unreadable lines
    std::vector<std::string> players;  // players.txt and the journal disagreeing
    std::vector<std::string> board;    // state.dat against the replayed board
    std::vector<std::string> replay;   // plays the boards do not explain
    std::string head_hash;             // SHA-256 of the journal's last line
    int journal_lines = 0;
};

bool audit_passed(const Audit &audit);

// Every finding, in the order verify prints them.
std::vector<std::string> audit_findings(const Audit &audit);

// Everything a command needs besides the plays themselves, read and checked once.
struct FolderView {
    GameRecords records;
    JournalReplay replay;
    int journal_plays = 0;  // readable plays in the journal
    int plays = 0;          // plays in the players' order, lines without an entry too
    int winners = 0;
    int given[PRIZE_TYPE_COUNT] = {};
    std::string first_time, last_time;  // of the first and last play the journal timed
    int first_play_out_of_place = -1;   // journal line of the first play whose bytes are not where it puts them
    Audit audit;
};

// Reads the folder and walks the journal once, handing every play to `sink`
// (when given) in the players' order.
bool view_folder(const std::string &folder, FolderView *view, std::string *error, const PlaySink &sink = PlaySink());
