// The operator program's commands and what they share: where they read and
// write, the arguments they were given, and the exit statuses.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

enum {
    EXIT_AGREE = 0,     // done; for verify, everything agrees
    EXIT_DISAGREE = 1,  // verify found faults (in any kiosk); erase or chiudi was not confirmed
    EXIT_TROUBLE = 2,   // bad arguments, no game folder, a file that cannot be read or written
};

struct Console {
    FILE *in;
    FILE *out;
    FILE *err;
};

struct Arguments {
    std::string command;
    std::string folder;         // absolute; with several folders, the one the command was started in
    std::vector<std::string> folders;      // every folder given, absolute: one per kiosk
    std::vector<std::string> kiosk_names;  // --chiosco, in the folders' order
    std::string before;                    // chiudi --prima-del: AAAA-MM-GG, empty for every play
    std::string text;           // erase: what to look for
    std::string output;         // export, report, verify: absolute, or "-" for standard output
    std::string output_file;    // the same as the C library's file functions take it
    bool open_output = false;   // export, report, verify: --apri
    bool winners_only = false;  // export
    bool confirmed = false;     // erase, chiudi
};

// True when the command reads an event of several kiosks rather than one folder.
bool several_kiosks(const Arguments &arguments);

// The whole program, for main and for the tests: moves into the game's folder
// for the command and back before it returns.
int run_operator(const std::vector<std::string> &args, Console console);

int command_status(const Arguments &arguments, Console console);
int command_winners(const Arguments &arguments, Console console);
int command_export(const Arguments &arguments, Console console);
int command_verify(const Arguments &arguments, Console console);
int command_report(const Arguments &arguments, Console console);
int command_erase(const Arguments &arguments, Console console);
int command_close(const Arguments &arguments, Console console);

// The one-line error every command gives before EXIT_TROUBLE.
int trouble(Console console, const std::string &message);

// Puts a command's output where --uscita says: standard output for "-",
// else the file replaced whole (never a game file). True when a file was
// written; otherwise *status is the command's exit status, any trouble told.
bool write_output(const Arguments &arguments, const std::string &bytes, Console console, int *status);

// The file names the game owns in its folder (the current one unless given);
// the operator never writes over them from export or report.
bool is_game_file(const std::string &absolute_path, const std::string &folder = ".");
