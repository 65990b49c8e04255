// tabellone-operatore: the operator's view of the game's records, one command a run.
#include "operator/commands.h"
#include "operator/utf8_console.h"

int main(int argc, char **argv)
{
    show_utf8_on_console();
    return run_operator(utf8_arguments(argc, argv), Console{stdin, stdout, stderr});
}
