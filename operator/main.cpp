// tabellone-operatore: the operator's view of the game's records, one command a run.
#include "operator/commands.h"

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return run_operator(args, Console{stdin, stdout, stderr});
}
