// report: the closing report written to one HTML file.
#include <time.h>

#include "platform/local_time.h"
#include "operator/commands.h"
#include "operator/html_report.h"
#include "operator/winners.h"

int command_report(const Arguments &arguments, Console console)
{
    FolderView view;
    std::vector<Play> winners;
    int status;
    if (view_with_winners(arguments, &view, &winners, console, &status) &&
        write_output(arguments, closing_report_html(view, winners, local_time_iso(time(NULL))), console, &status))
        fprintf(console.out, "Relazione di chiusura scritta in %s (%s)\n", arguments.output.c_str(),
                audit_passed(view.audit) ? "i registri concordano" : "i registri NON concordano: vedi la relazione");
    return status;
}
