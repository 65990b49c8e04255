// export: the plays, or only the winners, as a CSV file Excel opens with a double click.
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/csv.h"
#include "operator/text_format.h"
#include "operator/winners.h"

static const char only_in_players[] = "senza voce nel registro: divisa da players.txt";

static std::string play_row(int number, const Play &play)
{
    return csv_row({std::to_string(number), italian_time(play.time), play.fields[0], play.fields[1], play.fields[2],
                    play.prize >= 0 ? prize_names[play.prize] : "", play.from_players_only ? only_in_players : ""});
}

// The CSV, written row by row as the plays pass (the winners, grouped by prize, at the end).
static bool plays_csv(const Arguments &arguments, std::string *csv, int *rows, std::string *error)
{
    *csv = csv_byte_order_mark;
    *csv += csv_row({"Numero", "Data e ora", "Primo campo", "Secondo campo", "Terzo campo", "Premio", "Nota"});
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
    int rows = 0;
    if (!plays_csv(arguments, &csv, &rows, &error))
        return trouble(console, error);
    int status;
    if (!write_output(arguments, csv, console, &status))
        return status;
    fprintf(console.out, "Scritte %d %s in %s\n", rows, arguments.winners_only ? "giocate vincenti" : "giocate",
            arguments.output.c_str());
    return EXIT_AGREE;
}
