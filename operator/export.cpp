// export: the plays, or only the winners, as a CSV file Excel opens with a double click.
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/csv.h"
#include "operator/event.h"
#include "operator/text_format.h"
#include "operator/winners.h"
#include "shell/form_labels.h"

static const char only_in_players[] = "senza voce nel registro: divisa da players.txt";

// A play's row; with several kiosks its kiosk follows the number.
static std::string play_row(int number, const Play &play, const Kiosk *kiosk = nullptr)
{
    std::vector<std::string> row = {std::to_string(number), italian_time(play.time), play.fields[0], play.fields[1],
                                    play.fields[2], play.prize >= 0 ? prize_names[play.prize] : "",
                                    play.from_players_only ? only_in_players : ""};
    if (kiosk)
        row.insert(row.begin() + 1, kiosk->name);
    return csv_row(row);
}

static std::string header_row(bool kiosks)
{
    std::vector<std::string> row = {"Numero", "Data e ora", form_field_labels[0], form_field_labels[1],
                                    form_field_labels[2], "Premio", "Nota"};
    if (kiosks)
        row.insert(row.begin() + 1, "Chiosco");
    return csv_row(row);
}

// The event's CSV: every kiosk's plays in turn, or the winners of all grouped by prize.
static bool event_csv(const Arguments &arguments, std::string *csv, int *rows, Console console, int *status)
{
    *csv = csv_byte_order_mark + header_row(true);
    int number = 0;
    KioskPlaySink sink;
    if (!arguments.winners_only)
        sink = [csv, &number](const Kiosk &kiosk, const Play &play) { *csv += play_row(++number, play, &kiosk); };
    std::vector<Kiosk> kiosks;
    if (!view_kiosks(arguments, &kiosks, console, status, sink))
        return false;
    if (arguments.winners_only)
        for (const auto &[k, w] : event_winners_by_prize(kiosks))
            *csv += play_row(++number, kiosks[k].winners[w], &kiosks[k]);
    *rows = number;
    std::string disagreeing = disagreeing_kiosks(kiosks);
    if (!disagreeing.empty()) {
        fprintf(console.err, "Attenzione: i registri di %s NON concordano (vedi verifica)\n", disagreeing.c_str());
        *status = EXIT_DISAGREE;
    }
    return true;
}

// The CSV, written row by row as the plays pass (the winners, grouped by prize, at the end).
static bool plays_csv(const Arguments &arguments, std::string *csv, int *rows, std::string *error)
{
    *csv = csv_byte_order_mark + header_row(false);
    FolderView view;
    std::vector<Play> winners;
    PlaySink sink = keep_winners(&winners);
    int number = 0;
    if (!arguments.winners_only)
        sink = [csv, &number](const Play &play) { *csv += play_row(++number, play); };
    if (!view_folder(arguments.folder, &view, error, sink))
        return false;
    for (int index : winners_by_prize(winners))
        *csv += play_row(++number, winners[index]);
    *rows = number;
    return true;
}

int command_export(const Arguments &arguments, Console console)
{
    std::string csv, error;
    int rows = 0, agreed = EXIT_AGREE;
    if (several_kiosks(arguments)) {
        if (!event_csv(arguments, &csv, &rows, console, &agreed))
            return agreed;
    } else if (!plays_csv(arguments, &csv, &rows, &error)) {
        return trouble(console, error);
    }
    int status;
    if (!write_output(arguments, csv, console, &status))
        return status == EXIT_AGREE ? agreed : status;
    fprintf(console.out, "Scritte %d %s in %s\n", rows, arguments.winners_only ? "giocate vincenti" : "giocate",
            arguments.output.c_str());
    return agreed;
}
