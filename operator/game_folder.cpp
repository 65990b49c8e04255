// Reading the game's folder: the journal, players.txt and state.dat, each
// read whole and left as it is.
#include "operator/records_view.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "board/players_log.h"
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

std::vector<PlayersLine> split_players_lines(const std::string &bytes)
{
    std::vector<PlayersLine> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        size_t stop = end == std::string::npos ? bytes.size() : end;
        size_t text_end = stop > start && end != std::string::npos && bytes[stop - 1] == '\r' ? stop - 1 : stop;
        lines.push_back({(long)start, bytes.substr(start, text_end - start)});
        start = end == std::string::npos ? bytes.size() : end + 1;
    }
    return lines;
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
    FILE *journal = fopen(journal_file_name, "rb");
    records->journal_present = journal != nullptr || errno != ENOENT;
    if (journal)
        fclose(journal);
    else if (records->journal_present) {
        *error = cannot_read(journal_file_name);
        return false;
    }
    if (!records->state_present && !records->players_present && !records->journal_present) {
        *error = "la cartella " + folder + " non contiene i file del gioco (" + journal_file_name + ", " +
                 players_log_name + ", " + state_file_name + ")";
        return false;
    }
    std::string reason;
    if (!read_journal(journal_file_name, &records->journal, &reason)) {
        *error = std::string(journal_file_name) + " non si può leggere: " + reason;
        return false;
    }
    records->players_lines = split_players_lines(records->players_bytes);
    char why[160] = "";
    records->state = read_board_state(&records->state_board, why, sizeof why);
    records->state_reason = why;
    return true;
}
