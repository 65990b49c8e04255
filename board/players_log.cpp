// The players log "players.txt": one line per play, appended and on disk before the play goes on.
#include "board/players_log.h"

#include <errno.h>
#include <string.h>

#include "board/board.h"
#include "platform/durable_file.h"
#include "platform/error_report.h"

char form_text[FORM_FIELD_COUNT][FORM_TEXT_BYTES];
const char *const players_log_name = "players.txt";
const char players_field_separator[] = ", ";

std::string form_field(int field)
{
    return std::string(form_text[field], strnlen(form_text[field], FORM_TEXT_BYTES));
}

std::string players_line(const std::string fields[FORM_FIELD_COUNT], const std::string &prize_name)
{
    std::string line;
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        line += fields[f] + players_field_separator;
    return line + prize_name + "\r\n";
}

bool prepare_play_line(PlayLine *play)
{
    std::string fields[FORM_FIELD_COUNT] = {form_field(0), form_field(1), form_field(2)};
    play->line = players_line(fields, prize_names[selected_prize]);
    AppendPoint point;
    if (!find_append_point(players_log_name, &point)) {
        report_error("cannot read %s: %s; this play is not logged", players_log_name, strerror(errno));
        return false;
    }
    play->size_before = point.size;
    play->bytes = point.line_break + play->line;
    return true;
}

bool write_play_line(const PlayLine &play)
{
    switch (append_at_durably(players_log_name, play.size_before, play.bytes)) {
    case APPEND_WRITTEN:
    case APPEND_ALREADY_THERE:
        return true;
    case APPEND_CONFLICT:
        report_error("%s changed while the game was writing it (it no longer has %ld bytes); this play is not logged",
                     players_log_name, play.size_before);
        return false;
    case APPEND_FAILED:
        break;
    }
    report_error("cannot write to %s: %s; this play is not logged", players_log_name, strerror(errno));
    return false;
}

bool log_play()
{
    PlayLine play;
    return prepare_play_line(&play) && write_play_line(play);
}
