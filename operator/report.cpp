// report: the closing report written to one HTML file.
#include <time.h>

#include "platform/local_time.h"
#include "operator/commands.h"
#include "operator/event.h"
#include "operator/html_report.h"
#include "operator/winners.h"

int command_report(const Arguments &arguments, Console console)
{
    if (several_kiosks(arguments)) {
        std::vector<Kiosk> kiosks;
        int status;
        if (!view_kiosks(arguments, &kiosks, console, &status) ||
            !write_output(arguments, event_report_html(kiosks, local_time_iso(time(NULL))), console, &status))
            return status;
        std::string disagreeing = disagreeing_kiosks(kiosks);
        fprintf(console.out, "Relazione di chiusura dell'evento (%d chioschi) scritta in %s (%s)\n",
                (int)kiosks.size(), arguments.output.c_str(),
                disagreeing.empty() ? "i registri concordano"
                                    : ("i registri di " + disagreeing + " NON concordano: vedi la relazione").c_str());
        return disagreeing.empty() ? EXIT_AGREE : EXIT_DISAGREE;
    }
    FolderView view;
    std::vector<Play> winners;
    int status;
    if (view_with_winners(arguments, &view, &winners, console, &status) &&
        write_output(arguments, closing_report_html(view, winners, local_time_iso(time(NULL))), console, &status))
        fprintf(console.out, "Relazione di chiusura scritta in %s (%s)\n", arguments.output.c_str(),
                audit_passed(view.audit) ? "i registri concordano" : "i registri NON concordano: vedi la relazione");
    return status;
}
