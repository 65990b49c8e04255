// The players log "players.txt" and the form entries it records.
#pragma once

#include <string>

#include "board/draw_rules.h"

enum {
    FORM_FIELD_CHARS = 30,
    // A field holds 30 characters of the library's text encoding (UTF-8, up to
    // 4 bytes each) and the terminator: the dialog manager asks for (d1 + 1) * 4.
    FORM_TEXT_BYTES = (FORM_FIELD_CHARS + 1) * 4,
};

extern char form_text[FORM_FIELD_COUNT][FORM_TEXT_BYTES];
extern const char *const players_log_name;
extern const char players_field_separator[];  // ", " between the parts of a line

// The line the game writes for a play, with its CR LF: the fields as typed
// and the prize's name, separated by ", ".
std::string players_line(const std::string fields[FORM_FIELD_COUNT], const std::string &prize_name);

// A form field as typed, read up to its terminator and never past its buffer.
std::string form_field(int field);

// The line of the current play ("first, second, third, prize" and CR LF) and
// where it goes: `bytes` starts with CR LF when the log does not end in one,
// so a line never glues onto what came before.
struct PlayLine {
    long size_before = -1;
    std::string line;
    std::string bytes;
};
// False, with errno, when an existing log cannot be read.
bool prepare_play_line(PlayLine *play);

// Appends a prepared line; a second call after a crash completes it at most once.
// False on failure, with one message for the operator; the log keeps no part of the line.
bool write_play_line(const PlayLine &play);

// Prepares and appends the line of the current play. False when it could not be written.
bool log_play();
