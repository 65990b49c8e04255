// The players.txt side of an erasure, shared by the operator's erase and the
// game's completion of one cut short.
#include "board/erasure.h"

#include <errno.h>
#include <string.h>

#include <algorithm>

#include "board/journal.h"
#include "board/players_log.h"
#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/line_reader.h"
#include "platform/whole_file.h"

const char erased_field[] = "[cancellato]";

std::string erased_line_text(PrizeType prize)
{
    std::string fields[FORM_FIELD_COUNT] = {erased_field, erased_field, erased_field};
    std::string line = players_line(fields, prize_names[prize]);
    return line.substr(0, line.size() - 2);
}

PlayersRewrite erase_players_lines(const std::string &players, const std::vector<int> &lines)
{
    PlayersRewrite rewrite;
    long shift = 0;
    size_t next = 0;
    int index = 0;
    for (size_t start = 0; start < players.size(); start = next, index++) {
        LineSpan span = line_at(players.data(), players.size(), start);
        next = span.next;
        if (!std::binary_search(lines.begin(), lines.end(), index)) {
            rewrite.bytes.append(players, start, next - start);
            continue;
        }
        std::string line_end = players.substr(start + span.text_size, next - start - span.text_size);
        std::string replaced = erased_line_text(EMPTY_SQUARE) + line_end;
        shift += (long)replaced.size() - (long)(next - start);
        rewrite.shifts.push_back({(long)next, shift});
        rewrite.bytes += replaced;
    }
    return rewrite;
}

long moved_offset(const PlayersRewrite &rewrite, long offset)
{
    long shift = 0;
    for (const auto &at : rewrite.shifts)
        if (at.first <= offset)
            shift = at.second;
    return offset + shift;
}

bool complete_erasure(const JournalTail &tail)
{
    const JournalLine *erasure = nullptr;
    for (const JournalLine &line : tail.lines) {
        if (line.entry.event == journal_kind::erasure)
            erasure = &line;
        else if (line.entry.event == journal_kind::run_started)
            erasure = nullptr;
    }
    if (!erasure || erasure->entry.players_lines.empty())
        return true;
    std::string players;
    WholeFile got = read_whole_file(players_log_name, &players);
    if (got == WholeFile::missing)
        return true;
    if (got != WholeFile::read) {
        report_error("cannot read %s: %s", players_log_name, strerror(errno));
        return false;
    }
    std::vector<int> lines;
    for (long number : erasure->entry.players_lines)
        if (number >= 1)
            lines.push_back((int)number - 1);
    std::sort(lines.begin(), lines.end());
    PlayersRewrite rewrite = erase_players_lines(players, lines);
    if (rewrite.bytes == players)
        return true;
    if (!replace_file_durably(players_log_name, rewrite.bytes.data(), rewrite.bytes.size())) {
        report_error("cannot rewrite %s: %s", players_log_name, write_error_text(errno).c_str());
        return false;
    }
    report_error("%s still held data an erasure had removed from %s; it is rewritten", players_log_name,
                 journal_file_name);
    JournalEvent done = {{journal_key::event, journal_kind::erasure_completed},
                         {journal_key::file, players_log_name},
                         {journal_key::players_lines, erasure->entry.players_lines}};
    return append_journal(done);
}
