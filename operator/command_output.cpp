// Where export, report and verify put what they write: standard output for "-",
// else a file replaced whole, never one of the game's own.
#include <errno.h>
#include <string.h>

#include "operator/commands.h"
#include "platform/durable_file.h"

bool write_output(const Arguments &arguments, const std::string &bytes, Console console, int *status)
{
    *status = EXIT_AGREE;
    if (arguments.output == "-") {
        fwrite(bytes.data(), 1, bytes.size(), console.out);
        return false;
    }
    bool game_file = is_game_file(arguments.output_file);
    for (const std::string &folder : arguments.folders)
        game_file = game_file || is_game_file(arguments.output_file, folder);
    if (game_file) {
        *status = trouble(console, arguments.output + " è un file del gioco: scegliere un altro nome");
        return false;
    }
    if (!replace_file_durably(arguments.output_file.c_str(), bytes.data(), bytes.size())) {
        *status = trouble(console, "non si può scrivere " + arguments.output + " (" + strerror(errno) + ")");
        return false;
    }
    return true;
}
