// export: the plays, or only the winners, as a CSV file Excel opens with a double click.
#include <errno.h>
#include <string.h>

#include "platform/durable_file.h"
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/csv.h"
#include "operator/text_format.h"
#include "operator/winners.h"

static const char only_in_players[] = "senza voce nel registro: divisa da players.txt";

static std::string plays_csv(const std::vector<Play> &plays, bool winners_only)
{
    std::string csv = csv_byte_order_mark;
    csv += csv_row({"Numero", "Data e ora", "Primo campo", "Secondo campo", "Terzo campo", "Premio", "Nota"});
    std::vector<int> order;
    if (winners_only) {
        order = winners_by_prize(plays);
    } else {
        for (int i = 0; i < (int)plays.size(); i++)
            order.push_back(i);
    }
    int number = 0;
    for (int index : order) {
        const Play &play = plays[index];
        csv +=
            csv_row({std::to_string(++number), italian_time(play.time), play.fields[0], play.fields[1], play.fields[2],
                     play.prize >= 0 ? prize_names[play.prize] : "", play.from_players_only ? only_in_players : ""});
    }
    return csv;
}

int command_export(const Arguments &arguments, Console console)
{
    FolderView view;
    std::string error;
    if (!view_folder(arguments.folder, &view, &error))
        return trouble(console, error);
    std::string csv = plays_csv(view.matching.plays, arguments.winners_only);
    if (arguments.output == "-") {
        fwrite(csv.data(), 1, csv.size(), console.out);
        return EXIT_AGREE;
    }
    if (is_game_file(arguments.output))
        return trouble(console, arguments.output + " è un file del gioco: scegliere un altro nome");
    if (!replace_file_durably(arguments.output.c_str(), csv.data(), csv.size()))
        return trouble(console, "non si può scrivere " + arguments.output + " (" + strerror(errno) + ")");
    int rows = 0;
    for (const Play &play : view.matching.plays)
        rows += !arguments.winners_only || is_winning(play);
    fprintf(console.out, "Scritte %d %s in %s\n", rows, arguments.winners_only ? "giocate vincenti" : "giocate",
            arguments.output.c_str());
    return EXIT_AGREE;
}
