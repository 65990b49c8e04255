// The players log "players.txt" and the form entries it records.
#pragma once

enum {
    FORM_FIELD_COUNT = 3,
    FORM_FIELD_CHARS = 30,
    // A field holds 30 characters of the library's text encoding (UTF-8, up to
    // 4 bytes each) and the terminator: the dialog manager asks for (d1 + 1) * 4.
    FORM_TEXT_BYTES = (FORM_FIELD_CHARS + 1) * 4,
};

extern char form_text[FORM_FIELD_COUNT][FORM_TEXT_BYTES];
extern const char *const players_log_name;

void log_play();
