// The winning plays grouped by prize, numbered in that order, shared by
// winners, export --vincitori and the report.
#pragma once

#include <vector>

#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/plays.h"

// Keeps the winning plays as they pass.
PlaySink keep_winners(std::vector<Play> *winners);

// The folder viewed with its winning plays kept; false, with the trouble told
// and the exit status in *status, when it cannot be read.
bool view_with_winners(const Arguments &arguments, FolderView *view, std::vector<Play> *winners, Console console,
                       int *status);

// Indices into the plays: every winner of prize 0, then of prize 1, and so on,
// each group in the players' order.
std::vector<int> winners_by_prize(const std::vector<Play> &plays);

// The three fields of a play joined for a list: "Mario, Rossi, Milano".
std::string joined_fields(const Play &play);
