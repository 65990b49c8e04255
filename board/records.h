// The records of the draw kept in step: the journal first, then players.txt,
// then state.dat, so that a play the player has seen is never lost and a
// prize is never given twice, whatever stops the game between the writes.
#pragma once

#include <string>

// First thing at start-up, once the folder is the game's: reads the journal,
// reports a broken chain, and records the start of the run. False, with the
// reason, when the journal cannot be read or written: the game must not run
// without its records.
bool open_records(std::string *reason);

// After the start-up deal: completes a play that a crash cut short (exactly
// once), settles the board between state.dat and the journal (the journal
// wins), and journals a fresh deal when one is used. False, with the reason,
// when the records cannot be written.
bool restore_records(std::string *reason);

// Journals the deal just made, with why it was made.
bool record_deal(const char *why);

// Records the play whose square reveal_cell has just uncovered: the journal,
// then players.txt, then state.dat, each synced. False when any of them could
// not be written (the operator has been told): the player still sees the
// result, then the game stops.
bool record_play(int square);

// True once a deal or a play of this run could not be recorded: the game must
// stop after the current player.
bool records_failing();

// Journals a return to the title from a screen left alone ("form", "board"
// or "result"), so the operator can count abandoned passes; nothing of the
// player goes with it. A failed write is the journal's to report, and stops
// nothing: no play hangs on it.
void record_return_to_title(const char *screen);

// Journals the end of the run; `clean` is false when the game stops because
// its records could not be written.
void record_run_ended(const char *why, bool clean);

// The pause the tests put between the writes of a play, in milliseconds:
// the environment's TABELLONE_TEST_RECORD_PAUSE_MS, 0 when unset.
int test_record_pause_ms();
