// erase: a player's data taken out of the non-winning plays that hold a
// given text, in players.txt and in the journal alike. The journal's later
// plays get their new places in players.txt, the chain is sealed again from
// the first changed line, and the erasure is itself an event of the journal.
#include <ctype.h>
#include <errno.h>
#include <string.h>
#include <time.h>

#include "platform/durable_file.h"
#include "platform/folder_lock.h"
#include "platform/local_time.h"
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/text_format.h"
#include "operator/winners.h"

static const char erased_field[] = "[cancellato]";
static const char erasure_reason[] = "richiesta di un giocatore di cancellare i suoi dati";

// Lower case and no spaces, so "333 1234567" is found as "3331234567" too.
static std::string loose(const std::string &text)
{
    std::string out;
    for (unsigned char c : text)
        if (c != ' ')
            out += (char)tolower(c);
    return out;
}

static bool holds_text(const Play &play, const std::string &wanted)
{
    bool erased = true, found = false;
    for (const std::string &field : play.fields) {
        erased = erased && field == erased_field;
        found = found || loose(field).find(wanted) != std::string::npos;
    }
    return found && !erased;
}

// Refuses to rewrite records whose places in players.txt it cannot trust:
// a journal play's bytes must be where the journal puts them.
static bool records_in_step(const FolderView &view, std::string *why)
{
    if (!view.audit.chain.empty()) {
        *why = "la catena del registro è rotta (" + view.audit.chain.front() + "): risigillarla nasconderebbe il danno";
        return false;
    }
    for (const JournalPlay &play : view.history.plays) {
        const std::string &bytes = play.players_bytes;
        if (play.size_before < 0 || bytes.empty())
            continue;
        if ((size_t)play.size_before > view.records.players_bytes.size() ||
            view.records.players_bytes.compare((size_t)play.size_before, bytes.size(), bytes) != 0) {
            *why = "la giocata della riga " + std::to_string(play.line + 1) +
                   " del registro non è in players.txt dove il registro la mette";
            return false;
        }
    }
    return true;
}

static std::string erased_text(PrizeType prize)
{
    std::string fields[FORM_FIELD_COUNT] = {erased_field, erased_field, erased_field};
    std::string line = players_line(fields, prize_names[prize]);
    return line.substr(0, line.size() - 2);
}

struct Rewrite {
    std::string players;                        // the new players.txt
    std::vector<std::pair<long, long>> shifts;  // (end of an erased line, change in size from there on)
    std::vector<int> players_lines;             // indices of the players.txt lines rewritten
};

static long moved(const Rewrite &rewrite, long offset)
{
    long shift = 0;
    for (const auto &at : rewrite.shifts)
        if (at.first <= offset)
            shift = at.second;
    return offset + shift;
}

static Rewrite rewrite_players(const GameRecords &records, const std::vector<bool> &erase_line)
{
    Rewrite rewrite;
    const std::vector<PlayersLine> &lines = records.players_lines;
    long shift = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        long end = i + 1 < lines.size() ? lines[i + 1].offset : (long)records.players_bytes.size();
        std::string segment = records.players_bytes.substr(lines[i].offset, end - lines[i].offset);
        if (erase_line[i]) {
            std::string replaced = erased_text(EMPTY_SQUARE) + segment.substr(lines[i].text.size());
            shift += (long)replaced.size() - (long)segment.size();
            rewrite.shifts.push_back({end, shift});
            rewrite.players_lines.push_back((int)i);
            segment = replaced;
        }
        rewrite.players += segment;
    }
    return rewrite;
}

// The line with a new "prev": the game writes it last, so only its digits change.
static std::string with_prev(const std::string &text, JournalEvent event, const std::string &prev)
{
    size_t at = text.rfind("\"prev\":\"");
    size_t digits = at == std::string::npos ? 0 : at + 8;
    if (at != std::string::npos && text.size() == digits + 64 + 2 && text.compare(digits + 64, 2, "\"}") == 0)
        return text.substr(0, digits) + prev + "\"}";
    event["prev"] = prev;
    return event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

static bool confirmed(Console console, int count)
{
    fprintf(console.out, "Sostituire i tre campi di %d %s con %s? Scrivere si per confermare: ", count,
            count == 1 ? "giocata non vincente" : "giocate non vincenti", erased_field);
    fflush(console.out);
    char answer[32] = "";
    if (!fgets(answer, sizeof answer, console.in))
        return false;
    std::string said = loose(answer);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r'))
        said.pop_back();
    return said == "si" || said == "s" || said == "s\xC3\xAC" || said == "yes" || said == "y";
}

int command_erase(const Arguments &arguments, Console console)
{
    FolderView view;
    std::string error;
    if (!view_folder(arguments.folder, &view, &error))
        return trouble(console, error);
    // The game must not append while the files are rewritten, nor start until they are.
    if (folder_locked_elsewhere())
        return trouble(console, "il gioco è in corso in questa cartella: chiuderlo prima di cancellare dati");
    char reason[160];
    if (!lock_folder(reason, sizeof reason))
        return trouble(console, std::string("la cartella non si può bloccare: ") + reason);
    // Held only while the records are rewritten: the game may start once this command ends.
    struct ReleaseAtReturn {
        ~ReleaseAtReturn() { unlock_folder(); }
    } release;
    view = FolderView();
    if (!view_folder(arguments.folder, &view, &error))
        return trouble(console, error);
    std::string why;
    if (!records_in_step(view, &why))
        return trouble(console, "nessuna modifica: " + why + " (vedi verify)");

    const std::vector<Play> &plays = view.matching.plays;
    std::string wanted = loose(arguments.text);
    std::vector<int> erase, kept;
    FILE *out = console.out;
    for (int i = 0; i < (int)plays.size(); i++) {
        if (!holds_text(plays[i], wanted))
            continue;
        const Play &play = plays[i];
        bool erasable = play.prize == EMPTY_SQUARE;
        (erasable ? erase : kept).push_back(i);
        fprintf(out, "  n. %d  %s  %s  %s  -> %s\n", i + 1,
                pad_right(play.time.empty() ? "ora non registrata" : italian_time(play.time), 19).c_str(),
                joined_fields(play).c_str(), play.prize >= 0 ? prize_names[play.prize] : "premio non riconosciuto",
                erasable           ? "da cancellare"
                : is_winning(play) ? "vincente: resta, serve per il verbale di chiusura"
                                   : "riga non riconosciuta: resta com'è");
    }
    if (erase.empty() && kept.empty()) {
        fprintf(out, "Nessuna giocata contiene «%s».\n", arguments.text.c_str());
        return EXIT_AGREE;
    }
    if (erase.empty()) {
        fputs("Nessuna giocata non vincente da cancellare.\n", out);
        return EXIT_AGREE;
    }
    if (!arguments.confirmed && !confirmed(console, (int)erase.size())) {
        fputs("Nessuna modifica.\n", out);
        return EXIT_DISAGREE;
    }

    // players.txt first in memory: where every later line moves to.
    const GameRecords &records = view.records;
    std::vector<bool> erase_line(records.players_lines.size(), false), erase_play(view.history.plays.size(), false);
    for (int index : erase) {
        if (plays[index].players_line >= 0)
            erase_line[plays[index].players_line] = true;
        if (plays[index].journal_play >= 0)
            erase_play[plays[index].journal_play] = true;
    }
    Rewrite rewrite = rewrite_players(records, erase_line);

    // Then the journal: the erased fields, the later plays' places, the chain.
    std::vector<int> play_at_line(records.journal.lines.size(), -1);
    for (int p = 0; p < (int)view.history.plays.size(); p++)
        play_at_line[view.history.plays[p].line] = p;
    std::vector<std::string> texts;
    JournalEvent fields_lines = JournalEvent::array(), moved_lines = JournalEvent::array();
    int first_changed = -1;
    std::string prev = journal_chain_start;
    for (int i = 0; i < (int)records.journal.lines.size(); i++) {
        const JournalLine &line = records.journal.lines[i];
        std::string text = line.text;
        int p = play_at_line[i];
        if (p >= 0) {
            const JournalPlay &play = view.history.plays[p];
            long size = play.size_before >= 0 ? moved(rewrite, play.size_before) : play.size_before;
            if (erase_play[p] || size != play.size_before) {
                JournalEvent event = line.event;
                if (erase_play[p]) {
                    event["fields"] = {erased_field, erased_field, erased_field};
                    if (!play.players_bytes.empty())
                        event["players_bytes"] = (play.players_bytes.compare(0, 2, "\r\n") == 0 ? "\r\n" : "") +
                                                 erased_text(play.prize) + "\r\n";
                    fields_lines.push_back(i + 1);
                } else {
                    moved_lines.push_back(i + 1);
                }
                event["players_size_before"] = size;
                event["prev"] = prev;
                text = event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
                if (first_changed < 0)
                    first_changed = i;
            }
        }
        if (first_changed >= 0 && i > first_changed)
            text = with_prev(text, line.event, prev);
        prev = journal_line_hash(text);
        texts.push_back(text);
    }
    JournalEvent players_lines = JournalEvent::array();
    for (int index : rewrite.players_lines)
        players_lines.push_back(index + 1);
    JournalEvent erasure = {
        {"event", "erasure"},
        {"time", local_time_iso(time(NULL))},
        {"reason", erasure_reason},
        {"journal_lines", fields_lines},
        {"moved_lines", moved_lines},
        {"players_lines", players_lines},
        {"winners_kept", (int)kept.size()},
        {"resealed_from", first_changed >= 0 ? first_changed + 1 : (int)texts.size() + 1},
        {"head_before", records.journal.head_hash},
        {"prev", prev},
    };
    texts.push_back(erasure.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    std::string journal;
    for (const std::string &text : texts)
        journal += text + "\r\n";

    if (!replace_file_durably(journal_file_name, journal.data(), journal.size()))
        return trouble(console, std::string("nessuna modifica: ") + journal_file_name + " non si può riscrivere (" +
                                    strerror(errno) + ")");
    if (!rewrite.players_lines.empty() &&
        !replace_file_durably(players_log_name, rewrite.players.data(), rewrite.players.size()))
        return trouble(console, std::string(players_log_name) + " non si può riscrivere (" + strerror(errno) +
                                    "), ma il registro è già riscritto: i due non concordano (vedi verify)");
    fprintf(out, "Cancellati i dati di %d %s; %d %s restano. Nuovo hash in testa alla catena: %s\n", (int)erase.size(),
            erase.size() == 1 ? "giocata" : "giocate", (int)kept.size(),
            kept.size() == 1 ? "giocata vincente" : "giocate vincenti",
            grouped_hash(journal_line_hash(texts.back())).c_str());
    return EXIT_AGREE;
}
