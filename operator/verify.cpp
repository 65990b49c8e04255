// verify: the chain, players.txt against the journal, the board against
// state.dat; exit 0 when all agree, 1 otherwise.
#include "operator/audit.h"
#include "operator/commands.h"
#include "operator/event.h"
#include "operator/text_format.h"

static void print_part(FILE *out, const char *title, const std::vector<std::string> &findings, const char *fine)
{
    if (findings.empty()) {
        fprintf(out, "%s: %s\n", title, fine);
        return;
    }
    fprintf(out, "%s: %d %s\n", title, (int)findings.size(), findings.size() == 1 ? "problema" : "problemi");
    for (const std::string &finding : findings)
        fprintf(out, "  - %s\n", finding.c_str());
}

int command_verify(const Arguments &arguments, Console console)
{
    if (several_kiosks(arguments))
        return event_verify(arguments, console);
    FolderView view;
    std::string error;
    if (!view_folder(arguments.folder, &view, &error))
        return trouble(console, error);
    const Audit &audit = view.audit;
    FILE *out = console.out;
    fprintf(out, "Verifica dei registri nella cartella %s\n", arguments.folder.c_str());
    fprintf(out, "Registro: %d righe, %d giocate, %d tabelloni; players.txt: %d righe\n", audit.journal_lines,
            view.journal_plays, view.replay.boards, (int)view.records.players_line_starts.size());
    print_part(out, "Catena del registro", audit.chain, "integra");
    print_part(out, "players.txt e registro", audit.players, "ogni riga ha la sua voce e ogni voce la sua riga");
    print_part(out, "Tabellone e state.dat", audit.board,
               "state.dat è l'ultimo tabellone del registro con le giocate successive");
    print_part(out, "Giocate sui tabelloni", audit.replay, "ogni giocata scopre una casella coperta col suo premio");
    fprintf(out, "Hash in testa alla catena (SHA-256): %s\n", grouped_hash(audit.head_hash).c_str());
    bool passed = audit_passed(audit);
    fprintf(out, "Esito: %s\n", passed ? "tutto concorda" : "i registri NON concordano");
    return passed ? EXIT_AGREE : EXIT_DISAGREE;
}
