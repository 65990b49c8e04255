// Several kiosks' folders read in turn for one event, and the two event
// commands that print: verifica over every kiosk with the event's outcome,
// and one list of the winners with their kiosk.
#include "operator/event.h"

#include <errno.h>
#include <string.h>

#include "operator/text_format.h"
#include "operator/utf8_console.h"
#include "operator/winners.h"

bool several_kiosks(const Arguments &arguments)
{
    return arguments.folders.size() > 1 || !arguments.kiosk_names.empty();
}

static std::string folder_name(std::string folder)
{
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    size_t slash = folder.find_last_of("/\\");
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

std::vector<std::string> kiosk_names(const Arguments &arguments)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < arguments.folders.size(); i++) {
        std::string name = i < arguments.kiosk_names.size() ? arguments.kiosk_names[i] : folder_name(arguments.folders[i]);
        for (const std::string &before : names)
            if (before == name) {
                name += " (" + std::to_string(i + 1) + ")";
                break;
            }
        names.push_back(name);
    }
    return names;
}

bool view_kiosks(const Arguments &arguments, std::vector<Kiosk> *kiosks, Console console, int *status,
                 const KioskPlaySink &sink)
{
    std::vector<std::string> names = kiosk_names(arguments);
    kiosks->clear();
    kiosks->resize(arguments.folders.size());
    for (size_t i = 0; i < arguments.folders.size(); i++) {
        Kiosk &kiosk = (*kiosks)[i];
        kiosk.name = names[i];
        kiosk.folder = arguments.folders[i];
        if (!change_folder_utf8(kiosk.folder)) {
            *status = trouble(console, "la cartella " + kiosk.folder + " non si può aprire (" + strerror(errno) + ")");
            return false;
        }
        std::string error;
        std::vector<Play> *winners = &kiosk.winners;
        bool read = view_folder(kiosk.folder, &kiosk.view, &error, [&kiosk, winners, &sink](const Play &play) {
            if (is_winning(play))
                winners->push_back(play);
            if (sink)
                sink(kiosk, play);
        });
        kiosk.view.records.players_bytes = std::string();  // a long event keeps only what it reports
        if (!change_folder_utf8(arguments.folder)) {
            *status = trouble(console, "non si torna alla cartella " + arguments.folder);
            return false;
        }
        if (!read) {
            *status = trouble(console, "chiosco " + kiosk.name + ": " + error);
            return false;
        }
    }
    *status = EXIT_AGREE;
    return true;
}

std::vector<std::pair<int, int>> event_winners_by_prize(const std::vector<Kiosk> &kiosks)
{
    std::vector<std::pair<int, int>> order;
    for (PrizeType t = 0; t < EMPTY_SQUARE; t++)
        for (int k = 0; k < (int)kiosks.size(); k++)
            for (int w = 0; w < (int)kiosks[k].winners.size(); w++)
                if (kiosks[k].winners[w].prize == t)
                    order.push_back({k, w});
    return order;
}

std::string disagreeing_kiosks(const std::vector<Kiosk> &kiosks)
{
    std::string names;
    for (const Kiosk &kiosk : kiosks)
        if (!audit_passed(kiosk.view.audit))
            names += (names.empty() ? "" : ", ") + kiosk.name;
    return names;
}

int event_verify(const Arguments &arguments, Console console)
{
    std::vector<std::string> names = kiosk_names(arguments);
    std::vector<std::string> disagreeing;
    int status = EXIT_AGREE;
    for (size_t i = 0; i < arguments.folders.size(); i++) {
        fprintf(console.out, "%s== Chiosco %s ==\n", i ? "\n" : "", names[i].c_str());
        Arguments one = arguments;
        one.folder = arguments.folders[i];
        one.folders = {one.folder};
        one.kiosk_names.clear();
        if (!change_folder_utf8(one.folder))
            return trouble(console, "la cartella " + one.folder + " non si può aprire (" + strerror(errno) + ")");
        int verified = command_verify(one, console);
        if (!change_folder_utf8(arguments.folder))
            return trouble(console, "non si torna alla cartella " + arguments.folder);
        if (verified == EXIT_TROUBLE)
            return verified;
        if (verified == EXIT_DISAGREE) {
            disagreeing.push_back(names[i]);
            status = EXIT_DISAGREE;
        }
    }
    std::string list;
    for (const std::string &name : disagreeing)
        list += (list.empty() ? "" : ", ") + name;
    fprintf(console.out, "\nEvento: %d chioschi, %d concordano\nEsito dell'evento: %s\n",
            (int)arguments.folders.size(), (int)(arguments.folders.size() - disagreeing.size()),
            disagreeing.empty() ? "tutto concorda" : ("NON concordano i registri di " + list).c_str());
    return status;
}

int event_winners(const Arguments &arguments, Console console)
{
    std::vector<Kiosk> kiosks;
    int status;
    if (!view_kiosks(arguments, &kiosks, console, &status))
        return status;
    std::vector<std::pair<int, int>> order = event_winners_by_prize(kiosks);
    FILE *out = console.out;
    fprintf(out, "Vincitori dell'evento: %d chioschi\n", (int)kiosks.size());
    for (const Kiosk &kiosk : kiosks)
        fprintf(out, "  %s: %s (%d premi)%s\n", kiosk.name.c_str(), kiosk.folder.c_str(), (int)kiosk.winners.size(),
                audit_passed(kiosk.view.audit) ? "" : "  [i registri NON concordano: vedi verifica]");
    fprintf(out, "Premi vinti: %d\n", (int)order.size());
    size_t width = 0;
    for (const Kiosk &kiosk : kiosks)
        width = std::max(width, kiosk.name.size());
    int number = 0;
    PrizeType group = -1;
    for (const auto &[k, w] : order) {
        const Play &play = kiosks[k].winners[w];
        if (play.prize != group) {
            group = play.prize;
            int in_group = 0;
            for (const auto &[k2, w2] : order)
                in_group += kiosks[k2].winners[w2].prize == group;
            fprintf(out, "\n%s (%d)\n", prize_names[group], in_group);
        }
        std::string when = play.time.empty() ? "ora non registrata" : italian_time(play.time);
        fprintf(out, "  %3d. %s  %s  %s", ++number, pad_right(kiosks[k].name, width).c_str(),
                pad_right(when, 19).c_str(), joined_fields(play).c_str());
        if (play.square >= 0)
            fprintf(out, "  (casella %d)", play.square);
        if (play.from_players_only)
            fputs("  [solo in players.txt]", out);
        fputs("\n", out);
    }
    return disagreeing_kiosks(kiosks).empty() ? EXIT_AGREE : EXIT_DISAGREE;
}
