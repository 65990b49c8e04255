// history_bench [FOLDER] [PLAYS...]: what a long history costs. For each
// count of plays (default 0 and 300000) it makes the records a long-running
// kiosk leaves (boards of 85 plays, a restart every 120 plays, the chain
// intact, the three files agreeing), then times in child processes the
// game's start-up on its records (open, deal, settle) and the operator's
// verify, status, report and export, with each one's peak memory.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/journal_format.h"
#include "board/players_log.h"
#include "board/records.h"
#include "board/state_file.h"

static const int plays_per_board = 85, plays_per_run = 120;

// The journal, players.txt and state.dat of `plays` plays, written as the game writes them.
static void make_records(int plays)
{
    std::string journal, players, prev = journal_chain_start;
    auto add = [&](JournalEvent event) {
        event[journal_key::time] = "2026-12-09T10:11:12+01:00";
        event[journal_key::prev] = prev;
        // The game's key order: event and time first, prev last.
        JournalEvent line = {{journal_key::event, event[journal_key::event]}, {journal_key::time, event[journal_key::time]}};
        for (auto &item : event.items())
            if (item.key() != journal_key::event && item.key() != journal_key::time)
                line[item.key()] = item.value();
        std::string text = journal_line_text(line);
        journal += text + "\r\n";
        prev = journal_line_hash(text);
    };
    add({{journal_key::event, journal_kind::run_started}});
    deal_board();
    add({{journal_key::event, journal_kind::deal}, {journal_key::reason, "state.dat missing"}, {journal_key::board, board_letters(prize_board)}});
    for (int n = 0; n < plays; n++) {
        if (n > 0 && n % plays_per_run == 0) {
            add({{journal_key::event, journal_kind::run_ended}, {journal_key::reason, "ESC"}, {journal_key::clean, true}});
            add({{journal_key::event, journal_kind::run_started}});
        }
        if (board_exhausted()) {
            deal_board();
            add({{journal_key::event, journal_kind::deal}, {journal_key::reason, "board used up"}, {journal_key::board, board_letters(prize_board)}});
        }
        int square = random_square();
        while (prize_board.cells[square].revealed)
            square = (square + 1) % BOARD_SIZE;
        reveal_cell(square);
        PrizeType prize = prize_board.cells[square].type;
        std::string fields[FORM_FIELD_COUNT] = {"Giocatore " + std::to_string(n), "Cognome " + std::to_string(n), "333 " + std::to_string(1000000 + n)};
        std::string line = players_line(fields, prize_names[prize]);
        add({{journal_key::event, journal_kind::play}, {journal_key::square, square}, {journal_key::prize, prize_names[prize]},
             {journal_key::fields, {fields[0], fields[1], fields[2]}}, {journal_key::players_size_before, (long)players.size()},
             {journal_key::players_bytes, line}});
        players += line;
    }
    add({{journal_key::event, journal_kind::run_ended}, {journal_key::reason, "ESC"}, {journal_key::clean, true}});
    FILE *f = fopen(journal_file_name, "wb");
    fwrite(journal.data(), 1, journal.size(), f);
    fclose(f);
    f = fopen(players_log_name, "wb");
    fwrite(players.data(), 1, players.size(), f);
    fclose(f);
    if (plays > 0)
        save_board_state();
}

struct Cost {
    double seconds;      // wall
    double cpu_seconds;  // user and system: what the figure would be on an idle machine
    long peak_kb;
    int status;
};

// Runs `child` in a process of its own; its wall time and peak memory.
template <typename Child> static Cost in_child(Child child)
{
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        _exit(child());
    }
    int status = 0;
    struct rusage usage;
    wait4(pid, &status, 0, &usage);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {seconds, cpu, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The game's start-up on the records of the current folder.
static int start_up()
{
    std::string reason;
    if (!open_records(&reason))
        return 1;
    deal_board();
    return restore_records(&reason) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--start-up") == 0)
        return start_up();
    char *absolute = realpath(argc > 1 ? argv[1] : ".", nullptr);
    if (!absolute) {
        fprintf(stderr, "history_bench: no folder %s\n", argc > 1 ? argv[1] : ".");
        return 2;
    }
    std::string parent = absolute;
    free(absolute);
    std::vector<int> counts;
    for (int i = 2; i < argc; i++)
        counts.push_back(atoi(argv[i]));
    if (counts.empty())
        counts = {0, 300000};
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = 0;
    std::string operator_program = std::string(self).substr(0, std::string(self).rfind('/')) + "/../tabellone-operatore";

    printf("| plays | journal | game start-up on its records: wall (cpu) | its peak memory | verify | status | report | "
           "export |\n");
    printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int plays : counts) {
        std::string folder = parent + "/history-bench-XXXXXX";
        if (!mkdtemp(&folder[0]) || chdir(folder.c_str()) != 0) {
            fprintf(stderr, "history_bench: %s is not writable\n", parent.c_str());
            return 2;
        }
        // Made in a child too: Linux carries a process's peak memory over fork and exec.
        in_child([plays] {
            make_records(plays);
            return 0;
        });
        // The records on disk before any timing: otherwise the first commands wait
        // behind the writeback of the 100 MB just made, which no kiosk sees.
        sync();
        struct stat journal_stat = {};
        stat(journal_file_name, &journal_stat);
        long journal_bytes = (long)journal_stat.st_size;
        // A fresh process, so its peak memory is the start-up's own.
        Cost game = in_child([&] {
            execl(self, "history_bench", "--start-up", (char *)nullptr);
            return 127;
        });
        printf("| %d | %.1f MB | %.3f s (cpu %.3f s)%s | %.1f MB |", plays, journal_bytes / 1e6, game.seconds,
               game.cpu_seconds, game.status ? " (failed)" : "", game.peak_kb / 1024.0);
        for (const char *command : {"verify", "status", "report", "export"}) {
            Cost run = in_child([&] {
                const char *output = strcmp(command, "report") == 0 || strcmp(command, "export") == 0 ? "--uscita" : nullptr;
                if (output)
                    execl(operator_program.c_str(), "tabellone-operatore", command, output, "-", (char *)nullptr);
                else
                    execl(operator_program.c_str(), "tabellone-operatore", command, (char *)nullptr);
                return 127;
            });
            printf(" %.2f s (cpu %.2f s), %.0f MB%s |", run.seconds, run.cpu_seconds, run.peak_kb / 1024.0,
                   run.status > 1 ? " (failed)" : "");
        }
        printf("\n");
        fflush(stdout);
        if (chdir(parent.c_str()) != 0)
            return 2;
    }
    return 0;
}
