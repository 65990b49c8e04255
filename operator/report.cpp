// report: the closing report written to one HTML file.
#include <errno.h>
#include <string.h>
#include <time.h>

#include "platform/durable_file.h"
#include "platform/local_time.h"
#include "operator/commands.h"
#include "operator/html_report.h"
#include "operator/winners.h"

int command_report(const Arguments &arguments, Console console)
{
    FolderView view;
    std::string error;
    std::vector<Play> winners;
    if (!view_folder(arguments.folder, &view, &error, keep_winners(&winners)))
        return trouble(console, error);
    std::string html = closing_report_html(view, winners, local_time_iso(time(NULL)));
    if (arguments.output == "-") {
        fwrite(html.data(), 1, html.size(), console.out);
        return EXIT_AGREE;
    }
    if (is_game_file(arguments.output))
        return trouble(console, arguments.output + " è un file del gioco: scegliere un altro nome");
    if (!replace_file_durably(arguments.output.c_str(), html.data(), html.size()))
        return trouble(console, "non si può scrivere " + arguments.output + " (" + strerror(errno) + ")");
    fprintf(console.out, "Relazione di chiusura scritta in %s (%s)\n", arguments.output.c_str(),
            audit_passed(view.audit) ? "i registri concordano" : "i registri NON concordano: vedi la relazione");
    return EXIT_AGREE;
}
