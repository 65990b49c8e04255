// erase: a player's data taken out of the non-winning plays that hold a
// given text, in players.txt and in the journal alike. The journal's later
// plays get their new places in players.txt, the chain is sealed again from
// the first changed line, and the erasure is itself an event of the journal.
#include <ctype.h>
#include <errno.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include "board/erasure.h"
#include "board/players_log.h"
#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/folder_lock.h"
#include "platform/local_time.h"
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/erase_steps.h"
#include "operator/text_format.h"
#include "operator/winners.h"

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
bool records_in_step(const FolderView &view, std::string *why)
{
    if (!view.audit.chain.empty()) {
        *why = "la catena del registro è rotta (" + view.audit.chain.front() + "): risigillarla nasconderebbe il danno";
        return false;
    }
    if (view.first_play_out_of_place >= 0) {
        *why = "la giocata della riga " + std::to_string(view.first_play_out_of_place + 1) +
               " del registro non è in players.txt dove il registro la mette";
        return false;
    }
    return true;
}

// The line with a new "prev": the game writes it last, so only its digits change.
static std::string with_prev(const std::string &text, const std::string &prev)
{
    size_t at = text.rfind("\"prev\":\"");
    size_t digits = at == std::string::npos ? 0 : at + 8;
    if (at != std::string::npos && text.size() == digits + 64 + 2 && text.compare(digits + 64, 2, "\"}") == 0)
        return text.substr(0, digits) + prev + "\"}";
    JournalEvent event = JournalEvent::parse(text, nullptr, false);
    event[journal_key::prev] = prev;
    return journal_line_text(event);
}

// The journal rewritten: the erased plays' fields, every later play's place
// in the rewritten players.txt, the chain sealed again from the first changed
// line, and the erasure event at the end. False when the journal cannot be read.
static bool erased_journal(const std::vector<int> &erase_journal_lines, const PlayersRewrite &rewrite,
                           const std::vector<int> &players_lines, int winners_kept, const std::string &reason,
                           std::string *journal, std::string *head)
{
    JournalWalk walk;
    bool present;
    if (!open_journal_walk(journal_file_name, &walk, &present))
        return false;
    JournalReplay replay;
    JournalEvent fields_lines = JournalEvent::array(), moved_lines = JournalEvent::array();
    int first_changed = -1;
    std::string prev = journal_chain_start;
    JournalLine line;
    journal->clear();
    while (next_journal_line(&walk, &line)) {
        std::string text = line.text;
        ReplayStep step = replay_line(&replay, line);
        const JournalPlay &play = step.play;
        bool erase = std::binary_search(erase_journal_lines.begin(), erase_journal_lines.end(), line.index);
        long size = play.size_before >= 0 ? moved_offset(rewrite, play.size_before) : play.size_before;
        if (step.is_play && (erase || size != play.size_before)) {
            JournalEvent event = JournalEvent::parse(line.text, nullptr, false);
            if (erase) {
                event[journal_key::fields] = JournalEvent::array({std::string(erased_field), std::string(erased_field), std::string(erased_field)});
                if (!play.players_bytes.empty())
                    event[journal_key::players_bytes] = (play.players_bytes.compare(0, 2, "\r\n") == 0 ? "\r\n" : "") +
                                                         erased_line_text(play.prize) + "\r\n";
                fields_lines.push_back(line.index + 1);
            } else {
                moved_lines.push_back(line.index + 1);
            }
            event[journal_key::players_size_before] = size;
            event[journal_key::prev] = prev;
            text = journal_line_text(event);
            if (first_changed < 0)
                first_changed = line.index;
        } else if (first_changed >= 0) {
            text = with_prev(text, prev);
        }
        prev = journal_line_hash(text);
        *journal += text + "\r\n";
    }
    bool failed = walk.reader.failed;
    close_journal_walk(&walk);
    if (failed)
        return false;
    JournalEvent numbers = JournalEvent::array();
    for (int index : players_lines)
        numbers.push_back(index + 1);
    JournalEvent erasure = {
        {journal_key::event, journal_kind::erasure},
        {journal_key::time, local_time_iso(time(NULL))},
        {journal_key::reason, reason},
        {journal_key::journal_lines, fields_lines},
        {journal_key::moved_lines, moved_lines},
        {journal_key::players_lines, numbers},
        {journal_key::winners_kept, winners_kept},
        {journal_key::resealed_from, first_changed >= 0 ? first_changed + 1 : walk.index + 1},
        {journal_key::head_before, walk.head_hash},
        {journal_key::prev, prev},
    };
    std::string text = journal_line_text(erasure);
    *journal += text + "\r\n";
    *head = journal_line_hash(text);
    return true;
}

bool confirmed(Console console, int count)
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
    int status;
    if (!hold_folder_for_rewrite(arguments, console, &status))
        return status;
    FolderLockRelease release;
    FolderView view;
    std::string error;

    // Step 1, the selection: the plays whose fields hold the text.
    std::string wanted = loose(arguments.text);
    std::vector<std::pair<int, Play>> found;  // with the play's number in the players' order
    int position = 0;
    auto select = [&found, &wanted, &position](const Play &play) {
        position++;
        if (holds_text(play, wanted))
            found.push_back({position, play});
    };
    if (!view_folder(arguments.folder, &view, &error, select))
        return trouble(console, error);
    std::string why;
    if (!records_in_step(view, &why))
        return trouble(console, "nessuna modifica: " + why + " (vedi verifica)");

    std::vector<int> erase_journal_lines, erase_players_lines_at;
    int erased = 0, kept = 0;
    FILE *out = console.out;
    for (const auto &[number, play] : found) {
        bool erasable = play.prize == EMPTY_SQUARE;
        erased += erasable;
        kept += !erasable;
        if (erasable && play.journal_line >= 0)
            erase_journal_lines.push_back(play.journal_line);
        if (erasable && play.players_line >= 0)
            erase_players_lines_at.push_back(play.players_line);
        fprintf(out, "  n. %d  %s  %s  %s  -> %s\n", number,
                pad_right(play.time.empty() ? "ora non registrata" : italian_time(play.time), 19).c_str(),
                joined_fields(play).c_str(), play.prize >= 0 ? prize_names[play.prize] : "premio non riconosciuto",
                erasable           ? "da cancellare"
                : is_winning(play) ? "vincente: resta, serve per il verbale di chiusura"
                                   : "riga non riconosciuta: resta com'è");
    }
    if (found.empty()) {
        fprintf(out, "Nessuna giocata contiene «%s».\n", arguments.text.c_str());
        return EXIT_AGREE;
    }
    if (erased == 0) {
        fputs("Nessuna giocata non vincente da cancellare.\n", out);
        return EXIT_AGREE;
    }
    if (!arguments.confirmed && !confirmed(console, erased)) {
        fputs("Nessuna modifica.\n", out);
        return EXIT_DISAGREE;
    }
    ErasurePlan plan = {erase_journal_lines, erase_players_lines_at, kept};
    std::string head;
    status = apply_erasure(view, plan, erasure_reason, console, &head);
    if (status == EXIT_AGREE)
        fprintf(out, "Cancellati i dati di %d %s; %d %s restano. Nuovo hash in testa alla catena: %s\n", erased,
                erased == 1 ? "giocata" : "giocate", kept, kept == 1 ? "giocata vincente" : "giocate vincenti",
                grouped_hash(head).c_str());
    return status;
}

bool hold_folder_for_rewrite(const Arguments &arguments, Console console, int *status)
{
    FolderView view;
    std::string error;
    if (!view_folder(arguments.folder, &view, &error)) {
        *status = trouble(console, error);
        return false;
    }
    // The game must not append while the files are rewritten, nor start until they are.
    if (folder_locked_elsewhere()) {
        *status = trouble(console, "il gioco è in corso in questa cartella: chiuderlo prima di cancellare dati");
        return false;
    }
    char reason[REASON_SIZE];
    if (!lock_folder(reason, sizeof reason)) {
        *status = trouble(console, std::string("la cartella non si può bloccare: ") + reason);
        return false;
    }
    return true;
}

FolderLockRelease::~FolderLockRelease()
{
    unlock_folder();
}

int apply_erasure(const FolderView &view, ErasurePlan plan, const std::string &reason, Console console,
                  std::string *head)
{
    std::vector<int> &erase_journal_lines = plan.journal_lines, &erase_players_lines_at = plan.players_lines;
    std::sort(erase_journal_lines.begin(), erase_journal_lines.end());
    std::sort(erase_players_lines_at.begin(), erase_players_lines_at.end());

    // Step 2, the journal rewritten with the erasure at its end: from here on
    // the game's start-up finishes the erase should this command be cut short.
    PlayersRewrite rewrite = erase_players_lines(view.records.players_bytes, erase_players_lines_at);
    std::string journal;
    if (!erased_journal(erase_journal_lines, rewrite, erase_players_lines_at, plan.winners_kept, reason, &journal, head))
        return trouble(console, std::string("nessuna modifica: ") + journal_file_name + " non si può leggere (" +
                                    strerror(errno) + ")");
    if (!replace_file_durably(journal_file_name, journal.data(), journal.size()))
        return trouble(console, std::string("nessuna modifica: ") + journal_file_name + " non si può riscrivere (" +
                                    strerror(errno) + ")");
    // Step 3, players.txt as the erasure lists it.
    if (!erase_players_lines_at.empty() &&
        !replace_file_durably(players_log_name, rewrite.bytes.data(), rewrite.bytes.size()))
        return trouble(console, std::string(players_log_name) + " non si può riscrivere (" + strerror(errno) +
                                    "): il gioco lo completerà al prossimo avvio (vedi verifica)");
    // Step 4, the seal: the new head of the chain, for the closing record (told by the caller).
    return EXIT_AGREE;
}
