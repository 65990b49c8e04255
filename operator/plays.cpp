// The journal's plays matched with players.txt as the journal is walked:
// each play's bytes where the journal puts them, else the same line among
// those not yet handed on, else missing; and the lines no play explains, in
// the order the players came.
#include "operator/plays.h"

#include "board/players_log.h"

#include <string.h>

#include <algorithm>


bool is_winning(const Play &play)
{
    return play.prize >= 0 && play.prize != EMPTY_SQUARE;
}

bool split_players_text(const std::string &text, std::string fields[FORM_FIELD_COUNT], PrizeType *prize)
{
    std::vector<std::string> parts;
    size_t start = 0, at;
    while ((at = text.find(players_field_separator, start)) != std::string::npos) {
        parts.push_back(text.substr(start, at - start));
        start = at + strlen(players_field_separator);
    }
    parts.push_back(text.substr(start));
    if (parts.size() < FORM_FIELD_COUNT + 1)
        return false;
    *prize = prize_by_name(parts.back());
    fields[0] = parts.front();
    fields[2] = parts[parts.size() - 2];
    // A field that holds ", " itself: what lies between the first and the third goes to the second.
    fields[1].clear();
    for (size_t i = 1; i + 2 < parts.size(); i++)
        fields[1] += (i > 1 ? players_field_separator : "") + parts[i];
    return true;
}

static std::string journal_label(const JournalPlay &play)
{
    return "la giocata della riga " + std::to_string(play.line + 1) + " del registro (casella " +
           std::to_string(play.square) + ")";
}

bool play_bytes_in_place(const GameRecords &records, const JournalPlay &play)
{
    const std::string &bytes = play.players_bytes;
    return play.size_before >= 0 && !bytes.empty() && (size_t)play.size_before <= records.players_bytes.size() &&
           records.players_bytes.compare((size_t)play.size_before, bytes.size(), bytes) == 0;
}

// The players.txt line of a journal play: where its bytes lie at its recorded
// offset, or -1.
static int line_at_recorded_place(const GameRecords &records, const JournalPlay &play)
{
    if (!play_bytes_in_place(records, play))
        return -1;
    const std::string &bytes = play.players_bytes;
    long start = play.size_before + (bytes.compare(0, 2, "\r\n") == 0 && bytes.size() > 2 ? 2 : 0);
    const std::vector<long> &starts = records.players_line_starts;
    auto found = std::lower_bound(starts.begin(), starts.end(), start);
    return found != starts.end() && *found == start ? (int)(found - starts.begin()) : -1;
}

void start_matching(PlayMatcher *matcher, const GameRecords &records)
{
    *matcher = PlayMatcher();
    matcher->records = &records;
    matcher->explained.assign(records.players_line_starts.size(), false);
}

static std::string_view line_view(const GameRecords &records, int line)
{
    const std::string &bytes = records.players_bytes;
    LineSpan span = line_at(bytes.data(), bytes.size(), (size_t)records.players_line_starts[line]);
    return std::string_view(bytes.data() + span.start, span.text_size);
}

// The first line not yet handed on, nor explained, that reads `wanted`.
static int line_reading(PlayMatcher *matcher, const std::string &wanted)
{
    const GameRecords &records = *matcher->records;
    if (!matcher->indexed) {
        for (int i = 0; i < (int)records.players_line_starts.size(); i++)
            matcher->lines_by_text.emplace(line_view(records, i), i);
        matcher->indexed = true;
    }
    int found = -1;
    auto range = matcher->lines_by_text.equal_range(std::string_view(wanted));
    for (auto at = range.first; at != range.second; ++at)
        if (!matcher->explained[at->second] && (size_t)at->second >= matcher->next_line &&
            (found < 0 || at->second < found))
            found = at->second;
    return found;
}

// Hands on the lines before `end` that no play explains.
static void lines_before(PlayMatcher *matcher, size_t end, const PlaySink &sink,
                         std::vector<std::string> *disagreements)
{
    const GameRecords &records = *matcher->records;
    for (; matcher->next_line < end; matcher->next_line++) {
        size_t line = matcher->next_line;
        if (matcher->explained[line])
            continue;
        std::string text = players_line_text(records, (int)line);
        Play alone;
        alone.players_line = (int)line;
        alone.from_players_only = true;
        if (!split_players_text(text, alone.fields, &alone.prize))
            alone.fields[0] = text;
        if (sink)
            sink(alone);
        disagreements->push_back("la riga " + std::to_string(line + 1) + " di players.txt non ha una voce nel registro: «" +
                                 text + "»");
    }
}

void match_play(PlayMatcher *matcher, const JournalPlay &journal_play, const PlaySink &sink,
                std::vector<std::string> *disagreements)
{
    const GameRecords &records = *matcher->records;
    int found = line_at_recorded_place(records, journal_play);
    if (found >= 0 && (matcher->explained[found] || (size_t)found < matcher->next_line))
        found = -1;
    if (found < 0) {
        if (journal_play.prize >= 0) {
            std::string wanted = players_line(journal_play.fields, prize_names[journal_play.prize]);
            wanted.resize(wanted.size() - 2);
            found = line_reading(matcher, wanted);
        }
        if (found >= 0)
            disagreements->push_back(journal_label(journal_play) + " è alla riga " + std::to_string(found + 1) +
                                     " di players.txt, non dove il registro la mette");
        else
            disagreements->push_back(journal_label(journal_play) + " manca in players.txt");
    }
    if (found >= 0) {
        matcher->explained[found] = true;
        lines_before(matcher, (size_t)found, sink, disagreements);
    }
    Play play;
    play.journal_line = journal_play.line;
    play.players_line = found;
    play.time = journal_play.time;
    play.square = journal_play.square;
    play.prize = journal_play.prize;
    for (int f = 0; f < FORM_FIELD_COUNT; f++)
        play.fields[f] = journal_play.fields[f];
    if (sink)
        sink(play);
}

void finish_matching(PlayMatcher *matcher, const PlaySink &sink, std::vector<std::string> *disagreements)
{
    lines_before(matcher, matcher->explained.size(), sink, disagreements);
}
