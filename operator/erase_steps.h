// The erase's steps, shared by cancella (one player's plays) and chiudi (every
// non-winning play at the end of an event): the folder locked against the
// game, the records checked to be in step, the confirmation, and the rewrite
// of the journal then players.txt with one erasure event and its reason.
#pragma once

#include <string>
#include <vector>

#include "operator/audit.h"
#include "operator/commands.h"

// The plays to erase: their journal lines and players.txt lines (0-based),
// and how many of the plays asked about were winners and stay.
struct ErasurePlan {
    std::vector<int> journal_lines;
    std::vector<int> players_lines;
    int winners_kept = 0;
};

// Reads the folder's records (which makes it the current folder) and takes
// its lock; false, with the trouble told, when they cannot be read or while
// a game holds the lock. The caller then holds a FolderLockRelease.
bool hold_folder_for_rewrite(const Arguments &arguments, Console console, int *status);

// Releases the folder's lock when the command returns: it is held only while
// the records are rewritten, so the game may start once the command ends.
struct FolderLockRelease {
    ~FolderLockRelease();
};

// False, with why, when a rewrite could not trust the places in players.txt.
bool records_in_step(const FolderView &view, std::string *why);

// Asks on the console; true for "si" (or "sì", "s", "yes", "y").
bool confirmed(Console console, int count);

// Steps 2 and 3: the journal rewritten with the erasure at its end, then
// players.txt. EXIT_AGREE with the new head hash, else the trouble told.
int apply_erasure(const FolderView &view, ErasurePlan plan, const std::string &reason, Console console,
                  std::string *head);
