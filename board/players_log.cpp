// The players log "players.txt": one line per play, appended and on disk before the play goes on.
#include "board/players_log.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "board/board.h"
#include "board/durable_file.h"

char form_text[FORM_FIELD_COUNT][FORM_TEXT_BYTES];
const char *const players_log_name = "players.txt";

// A field is read up to its terminator, and never past the end of its buffer.
static int field_length(int field)
{
    return (int)strnlen(form_text[field], FORM_TEXT_BYTES);
}

void log_play()
{
    // Three full fields, the longest prize name, the separators and the line end fit with room to spare.
    char line[FORM_FIELD_COUNT * FORM_TEXT_BYTES + 32];
    int n = snprintf(line, sizeof line, "%.*s, %.*s, %.*s, %s\r\n",
                     field_length(0), form_text[0], field_length(1), form_text[1],
                     field_length(2), form_text[2], prize_names[selected_prize]);
    if (!append_file_durably(players_log_name, line, (size_t)n))
        fprintf(stderr, "tabellone: cannot write to %s: %s; this play is not logged\n",
                players_log_name, strerror(errno));
}
