// The board shown to the operator: state.dat when it holds a board, else
// the journal's, and the warnings every command gives about the folder.
#pragma once

#include <string>
#include <vector>

#include "operator/audit.h"

// The board the player sees; false when neither file has one.
bool shown_board(const FolderView &view, PrizeBoard *board);

// One line per kind of trouble, for status and the report.
std::vector<std::string> folder_warnings(const FolderView &view);

// Two letters per prize for the text grid; "##" for a covered square.
extern const char *const prize_marks[PRIZE_TYPE_COUNT];
extern const char covered_mark[];
