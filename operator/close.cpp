// chiudi: the end of an event in one folder. The final closing report is
// written first, while every play is still whole; then every non-winning
// play (or those before a day, for a retention period) has its three fields
// replaced as cancella does, in one erasure event with its reason.
#include <time.h>

#include "board/erasure.h"
#include "platform/folder_lock.h"
#include "platform/local_time.h"
#include "operator/commands.h"
#include "operator/erase_steps.h"
#include "operator/html_report.h"
#include "operator/text_format.h"
#include "operator/winners.h"

static bool already_erased(const Play &play)
{
    for (const std::string &field : play.fields)
        if (field != erased_field)
            return false;
    return true;
}

// The journal's times are local ISO 8601: their first ten characters are the day.
static bool before_day(const Play &play, const std::string &day)
{
    return day.empty() || play.time.compare(0, 10, day) < 0;
}

int command_close(const Arguments &arguments, Console console)
{
    int status;
    if (!hold_folder_for_rewrite(arguments, console, &status))
        return status;
    FolderLockRelease release;
    FolderView view;
    std::string error;

    std::vector<Play> winners;
    ErasurePlan plan;
    auto select = [&](const Play &play) {
        if (is_winning(play)) {
            winners.push_back(play);
            plan.winners_kept += before_day(play, arguments.before);
        } else if (play.prize == EMPTY_SQUARE && !already_erased(play) && before_day(play, arguments.before) &&
                   play.journal_line >= 0 && play.players_line >= 0) {
            plan.journal_lines.push_back(play.journal_line);
            plan.players_lines.push_back(play.players_line);
        }
    };
    if (!view_folder(arguments.folder, &view, &error, select))
        return trouble(console, error);
    // A rewrite would seal whatever is wrong into the new chain: the records must agree first.
    std::string why;
    if (!audit_passed(view.audit))
        return trouble(console, "nessuna modifica: i registri non concordano (" + audit_findings(view.audit).front() +
                                    "; vedi verifica)");
    if (!records_in_step(view, &why))
        return trouble(console, "nessuna modifica: " + why + " (vedi verifica)");

    FILE *out = console.out;
    int count = (int)plan.journal_lines.size();
    fprintf(out, "Chiusura dell'evento nella cartella %s\n", arguments.folder.c_str());
    fprintf(out, "Giocate: %d; vincenti: %d (restano); non vincenti da cancellare%s: %d\n", view.plays,
            view.winners, arguments.before.empty() ? "" : (" (prima del " + arguments.before + ")").c_str(), count);
    if (count > 0 && !arguments.confirmed && !confirmed(console, count)) {
        fputs("Nessuna modifica.\n", out);
        return EXIT_DISAGREE;
    }
    // The final report holds the records as they stood before the erasure,
    // with their head hash; the erasure event keeps that hash as head_before.
    if (!write_output(arguments, closing_report_html(view, winners, local_time_iso(time(NULL))), console, &status))
        return status == EXIT_AGREE ? trouble(console, "la relazione finale va scritta in un file") : status;
    fprintf(out, "Relazione finale scritta in %s\n", arguments.output.c_str());
    if (count == 0) {
        fputs("Nessuna giocata non vincente da cancellare.\n", out);
        return EXIT_AGREE;
    }
    std::string reason = "chiusura dell'evento: dati delle giocate non vincenti";
    if (!arguments.before.empty())
        reason += " di prima del " + arguments.before;
    std::string head;
    status = apply_erasure(view, plan, reason, console, &head);
    if (status == EXIT_AGREE)
        fprintf(out, "Cancellati i dati di %d %s; le %d vincenti restano. Nuovo hash in testa alla catena: %s\n",
                count, count == 1 ? "giocata non vincente" : "giocate non vincenti", view.winners,
                grouped_hash(head).c_str());
    return status;
}
