// record_bench [FOLDER] [PLAYS]: how long a play takes to record (journal,
// players.txt and state.dat, each synced) on this machine's disk. Plays a
// fresh board in a new folder inside FOLDER (default: the current one) and
// prints the median, the 90th percentile and the slowest time per play.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/players_log.h"
#include "board/records.h"

int main(int argc, char **argv)
{
    std::string parent = argc > 1 ? argv[1] : ".";
    int plays = argc > 2 ? atoi(argv[2]) : 85;
    std::string pattern = parent + "/record-bench-XXXXXX";
    if (plays < 1 || plays > 85 || !mkdtemp(&pattern[0]) || chdir(pattern.c_str()) != 0) {
        fprintf(stderr, "usage: record_bench [FOLDER] [PLAYS 1..85]; FOLDER must be writable\n");
        return 2;
    }
    std::string reason;
    if (!open_records(&reason) || (deal_board(), !restore_records(&reason))) {
        fprintf(stderr, "record_bench: %s\n", reason.c_str());
        return 1;
    }
    strcpy(form_text[0], "Mario");
    strcpy(form_text[1], "Rossi");
    strcpy(form_text[2], "333 1234567");
    std::vector<double> ms;
    for (int square = 0; square < BOARD_SIZE && (int)ms.size() < plays; square++) {
        if (prize_board.cells[square].revealed)
            continue;
        reveal_cell(square);
        auto start = std::chrono::steady_clock::now();
        if (!record_play(square))
            return 1;
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    printf("%zu plays recorded in %s: median %.2f ms, 90th percentile %.2f ms, slowest %.2f ms\n", ms.size(),
           pattern.c_str(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
    return 0;
}
