// Reading the game's folder: players.txt and state.dat read whole, the
// journal's presence; each left as it is.
#include "operator/records_view.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "board/players_log.h"
#include "board/journal_format.h"
#include "platform/line_reader.h"
#include "platform/error_report.h"
#include "platform/whole_file.h"

// The whole file, or false with errno; `present` is false for a missing file.
static bool read_whole(const char *name, std::string *bytes, bool *present)
{
    WholeFile got = read_whole_file(name, bytes);
    *present = got != WholeFile::missing;
    return got == WholeFile::read || got == WholeFile::missing;
}

static std::string cannot_read(const char *name)
{
    return std::string(name) + " non si può leggere (" + strerror(errno) + ")";
}

std::vector<long> line_starts(const std::string &bytes)
{
    std::vector<long> starts;
    for (size_t start = 0; start < bytes.size(); start = line_at(bytes.data(), bytes.size(), start).next)
        starts.push_back((long)start);
    return starts;
}

std::string players_line_text(const GameRecords &records, int line)
{
    const std::string &bytes = records.players_bytes;
    LineSpan span = line_at(bytes.data(), bytes.size(), (size_t)records.players_line_starts[line]);
    return bytes.substr(span.start, span.text_size);
}

bool load_game_records(const std::string &folder, GameRecords *records, std::string *error)
{
    records->folder = folder;
    std::string state_bytes;
    if (!read_whole(state_file_name, &state_bytes, &records->state_present)) {
        *error = cannot_read(state_file_name);
        return false;
    }
    if (!read_whole(players_log_name, &records->players_bytes, &records->players_present)) {
        *error = cannot_read(players_log_name);
        return false;
    }
    FileHandle journal = file_open(journal_file_name, FILE_FOR_READING);
    records->journal_present = journal >= 0 || errno != ENOENT;
    if (journal >= 0)
        file_close(journal);
    else if (records->journal_present) {
        *error = cannot_read(journal_file_name);
        return false;
    }
    if (!records->state_present && !records->players_present && !records->journal_present) {
        *error = "la cartella " + folder + " non contiene i file del gioco (" + journal_file_name + ", " +
                 players_log_name + ", " + state_file_name + ")";
        return false;
    }
    records->players_line_starts = line_starts(records->players_bytes);
    char why[REASON_SIZE] = "";
    records->state = read_board_state(&records->state_board, why, sizeof why);
    records->state_reason = why;
    return true;
}
