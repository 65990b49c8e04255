// winners: every winning play by prize, numbered, with its time.
#include "operator/winners.h"

#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/event.h"
#include "operator/text_format.h"

std::vector<int> winners_by_prize(const std::vector<Play> &plays)
{
    std::vector<int> order;
    for (PrizeType t = 0; t < EMPTY_SQUARE; t++)
        for (int i = 0; i < (int)plays.size(); i++)
            if (plays[i].prize == t)
                order.push_back(i);
    return order;
}

PlaySink keep_winners(std::vector<Play> *winners)
{
    return [winners](const Play &play) {
        if (is_winning(play))
            winners->push_back(play);
    };
}

bool view_with_winners(const Arguments &arguments, FolderView *view, std::vector<Play> *winners, Console console,
                       int *status)
{
    std::string error;
    if (view_folder(arguments.folder, view, &error, keep_winners(winners)))
        return true;
    *status = trouble(console, error);
    return false;
}

std::string joined_fields(const Play &play)
{
    return play.fields[0] + ", " + play.fields[1] + ", " + play.fields[2];
}

int command_winners(const Arguments &arguments, Console console)
{
    if (several_kiosks(arguments))
        return event_winners(arguments, console);
    FolderView view;
    std::vector<Play> plays;
    int status;
    if (!view_with_winners(arguments, &view, &plays, console, &status))
        return status;
    std::vector<int> order = winners_by_prize(plays);
    FILE *out = console.out;
    fprintf(out, "Vincitori nella cartella %s\nPremi vinti: %d\n", arguments.folder.c_str(), (int)order.size());
    int number = 0;
    PrizeType group = -1;
    for (int index : order) {
        const Play &play = plays[index];
        if (play.prize != group) {
            group = play.prize;
            int in_group = 0;
            for (const Play &other : plays)
                in_group += other.prize == group;
            fprintf(out, "\n%s (%d)\n", prize_names[group], in_group);
        }
        std::string when = play.time.empty() ? "ora non registrata" : italian_time(play.time);
        fprintf(out, "  %3d. %s  %s", ++number, pad_right(when, 19).c_str(), joined_fields(play).c_str());
        if (play.square >= 0)
            fprintf(out, "  (casella %d)", play.square);
        if (play.from_players_only)
            fputs("  [solo in players.txt]", out);
        fputs("\n", out);
    }
    return EXIT_AGREE;
}
