// The checks of verify, also behind the warnings of status and the report:
// the chain, players.txt against the journal, and the replayed board against
// state.dat.
#pragma once

#include <string>
#include <vector>

#include "operator/plays.h"
#include "operator/records_view.h"
#include "operator/replay.h"

struct Audit {
    std::vector<std::string> chain;    // broken links and unreadable lines
    std::vector<std::string> players;  // players.txt and the journal disagreeing
    std::vector<std::string> board;    // state.dat against the replayed board
    std::vector<std::string> replay;   // plays the boards do not explain
    std::string head_hash;             // SHA-256 of the journal's last line
    int journal_lines = 0;
};

Audit audit_records(const GameRecords &records, const JournalHistory &history, const PlayMatching &matching);

bool audit_passed(const Audit &audit);

// Every finding, in the order verify prints them.
std::vector<std::string> audit_findings(const Audit &audit);

// Everything a command needs, read and checked once.
struct FolderView {
    GameRecords records;
    JournalHistory history;
    PlayMatching matching;
    Audit audit;
};
bool view_folder(const std::string &folder, FolderView *view, std::string *error);
