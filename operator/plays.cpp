// The journal's plays matched with players.txt: each play's bytes where the
// journal puts them, else the same line elsewhere, else missing; then the
// lines no play explains, in the order the players came.
#include "operator/plays.h"

#include "board/players_log.h"

#include <string.h>

#include <map>


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

// The players.txt line of a journal play: where its bytes lie at its recorded
// offset, or -1.
static int line_at_recorded_place(const GameRecords &records, const JournalPlay &play,
                                  const std::map<long, int> &line_by_offset)
{
    const std::string &bytes = play.players_bytes;
    if (play.size_before < 0 || bytes.empty() || (size_t)play.size_before > records.players_bytes.size() ||
        records.players_bytes.compare((size_t)play.size_before, bytes.size(), bytes) != 0)
        return -1;
    long start = play.size_before + (bytes.compare(0, 2, "\r\n") == 0 && bytes.size() > 2 ? 2 : 0);
    auto found = line_by_offset.find(start);
    return found == line_by_offset.end() ? -1 : found->second;
}

PlayMatching match_plays(const GameRecords &records, const JournalHistory &history)
{
    PlayMatching matching;
    const std::vector<PlayersLine> &lines = records.players_lines;
    std::map<long, int> line_by_offset;
    for (int i = 0; i < (int)lines.size(); i++)
        line_by_offset[lines[i].offset] = i;
    std::vector<bool> explained(lines.size(), false);

    std::vector<int> line_of_play;
    for (const JournalPlay &play : history.plays) {
        int found = line_at_recorded_place(records, play, line_by_offset);
        if (found >= 0 && explained[found])
            found = -1;
        if (found < 0) {
            std::string wanted = players_line(play.fields, play.prize >= 0 ? prize_names[play.prize] : "");
            wanted.resize(wanted.size() - 2);
            for (int i = 0; i < (int)lines.size() && found < 0; i++)
                if (!explained[i] && lines[i].text == wanted && play.prize >= 0)
                    found = i;
            if (found >= 0)
                matching.disagreements.push_back(journal_label(play) + " è alla riga " + std::to_string(found + 1) +
                                                 " di players.txt, non dove il registro la mette");
            else
                matching.disagreements.push_back(journal_label(play) + " manca in players.txt");
        }
        if (found >= 0)
            explained[found] = true;
        line_of_play.push_back(found);
    }

    // In the players' order: a line no play explains comes before the first play that lies after it.
    size_t next_line = 0;
    auto lines_before = [&](size_t end) {
        for (; next_line < end; next_line++) {
            if (explained[next_line])
                continue;
            Play alone;
            alone.players_line = (int)next_line;
            alone.from_players_only = true;
            if (!split_players_text(lines[next_line].text, alone.fields, &alone.prize))
                alone.fields[0] = lines[next_line].text;
            matching.plays.push_back(alone);
            matching.disagreements.push_back("la riga " + std::to_string(next_line + 1) +
                                             " di players.txt non ha una voce nel registro: «" + lines[next_line].text +
                                             "»");
        }
    };
    for (size_t p = 0; p < history.plays.size(); p++) {
        const JournalPlay &journal_play = history.plays[p];
        if (line_of_play[p] >= 0 && (size_t)line_of_play[p] >= next_line)
            lines_before((size_t)line_of_play[p]);
        Play play;
        play.journal_play = (int)p;
        play.players_line = line_of_play[p];
        play.time = journal_play.time;
        play.square = journal_play.square;
        play.prize = journal_play.prize;
        for (int f = 0; f < FORM_FIELD_COUNT; f++)
            play.fields[f] = journal_play.fields[f];
        matching.plays.push_back(play);
    }
    lines_before(lines.size());
    return matching;
}
