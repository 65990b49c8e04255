// The operator program on records the game's own code writes: CSV bytes,
// players.txt lines split, verify's exit status, and erase on a log that did
// not end in a line end, after which the game starts without a disagreement.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/journal.h"
#include "platform/local_time.h"
#include "platform/whole_file.h"
#include "platform/error_report.h"
#include "board/players_log.h"
#include "board/records.h"
#include "board/state_file.h"
#include "tests/support/cell_images.h"
#include "tests/support/game_start.h"
#include "tests/support/held_lock.h"
#include "tests/support/journal_lines.h"
#include "tests/support/operator_run.h"
#include "operator/commands.h"
#include "operator/csv.h"
#include "operator/plays.h"
#include "operator/text_format.h"
#include "tests/support/scratch_files.h"

namespace
{

TEST(OperatorCsv, QuotesSeparatorsQuotesAndLineBreaksAndDisarmsFormulas)
{
    EXPECT_EQ(csv_field("Via Po, 3"), "Via Po, 3");
    EXPECT_EQ(csv_field("Perché"), "Perché");
    EXPECT_EQ(csv_field("a;b"), "\"a;b\"");
    EXPECT_EQ(csv_field("il \"Gatto\""), "\"il \"\"Gatto\"\"\"");
    EXPECT_EQ(csv_field("due\r\nrighe"), "\"due\r\nrighe\"");
    EXPECT_EQ(csv_field("+39 333"), "'+39 333");
    EXPECT_EQ(csv_field("=1+1;x"), "\"'=1+1;x\"");
    EXPECT_EQ(csv_row({"1", "", "x;y"}), "1;;\"x;y\"\r\n");
}

TEST(OperatorPlayersLine, SplitsThePrizeOffTheEndAndKeepsCommasInTheMiddleField)
{
    std::string fields[FORM_FIELD_COUNT];
    PrizeType prize;
    ASSERT_TRUE(split_players_text("Mario, Rossi, Milano, Poltrona", fields, &prize));
    EXPECT_EQ(prize, 0);
    EXPECT_EQ(fields[0] + "|" + fields[1] + "|" + fields[2], "Mario|Rossi|Milano");
    ASSERT_TRUE(split_players_text("Anna, Via Po, 3, 333, Niente", fields, &prize));
    EXPECT_EQ(prize, EMPTY_SQUARE);
    EXPECT_EQ(fields[0] + "|" + fields[1] + "|" + fields[2], "Anna|Via Po, 3|333");
    ASSERT_TRUE(split_players_text(", , , Cavallo", fields, &prize));
    EXPECT_EQ(prize, -1);
    EXPECT_FALSE(split_players_text("una riga qualsiasi", fields, &prize));
}

TEST(OperatorArguments, BadArgumentsAndFoldersGiveOneLineAndStatusTwo)
{
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"stato"},
                                               {"erase"},
                                               {"erase", "  "},
                                               {"status", "a", "b"},
                                               {"export", "--uscita"},
                                               {"verify", "--si"},
                                               {"status", "/nessuna/cartella"},
                                               {"stato", "a", "b"},
                                               {"chiudi", "--prima-del", "2026-13-01"},
                                               {"chiudi", "--uscita", "-"},
                                               {"vincitori", "--chiosco", "A", "--chiosco", "B", "x"}}) {
        Outcome run = operate(args);
        EXPECT_EQ(run.status, EXIT_TROUBLE) << args[0];
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("tabellone-operatore: ", 0), 0u) << run.err;
    }
    Outcome help = operate({"erase", "--help"});
    EXPECT_EQ(help.status, EXIT_AGREE);
    EXPECT_NE(help.out.find("Uso: tabellone-operatore cancella TESTO"), std::string::npos);
}

class OperatorOnRecords : public ScratchFolder
{
protected:
    CellImages images;

    void start_game() { start_game_records(); }

    void play(const char *first, const char *phone, PrizeType type)
    {
        strcpy(form_text[0], first);
        strcpy(form_text[1], "Rossi; \"R\"");
        strcpy(form_text[2], phone);
        for (int i = 0; i < BOARD_SIZE; i++)
            if (!prize_board.cells[i].revealed && prize_board.cells[i].type == type) {
                reveal_cell(i);
                selected_prize = type;
                ASSERT_TRUE(record_play(i));
                return;
            }
        FAIL() << "no covered square of type " << type;
    }

    // The three records copied into a kiosk's folder, as a USB stick brings them.
    void copy_records(const std::string &kiosk)
    {
        mkdir(kiosk.c_str(), 0755);
        for (const char *file : {journal_file_name, players_log_name, state_file_name})
            ASSERT_TRUE(write_file(kiosk + "/" + file, read_file(file)));
    }

    std::string italian_time_of_last_play()
    {
        std::string time;
        for (const JournalEvent &event : read_back_journal().events)
            if (event["event"] == "play")
                time = event["time"];
        return italian_time(time);
    }
};

TEST_F(OperatorOnRecords, EraseKeepsWinnersMovesLaterPlaysAndTheGameStartsCleanly)
{
    // A log from before the journal, its last line without a line end.
    write_file(players_log_name, "Vecchio, Giocatore, 111, Niente\r\nTroncata, 222");
    start_game();
    play("Anna", "333 1234567", EMPTY_SQUARE);  // after the torn line: its bytes start with CR LF
    play("Anna", "333 1234567", 0);             // a winner: kept
    play("Bruno", "444", EMPTY_SQUARE);
    play("Anna", "3331234567", EMPTY_SQUARE);
    record_run_ended("ESC", true);

    Outcome before = operate({"verify"});
    EXPECT_EQ(before.status, EXIT_DISAGREE) << before.out;  // the two lines from before the journal
    EXPECT_NE(before.out.find("la riga 2 di players.txt non ha una voce nel registro: «Troncata, 222»"),
              std::string::npos)
        << before.out;
    std::string winners = operate({"winners"}).out;

    Outcome erase = operate({"erase", "333 123 4567"}, "si\n");
    ASSERT_EQ(erase.status, EXIT_AGREE) << erase.out << erase.err;
    EXPECT_NE(erase.out.find("vincente: resta"), std::string::npos) << erase.out;
    std::string players = read_file(players_log_name);
    EXPECT_EQ(players, "Vecchio, Giocatore, 111, Niente\r\nTroncata, 222\r\n"
                       "[cancellato], [cancellato], [cancellato], Niente\r\n"
                       "Anna, Rossi; \"R\", 333 1234567, Poltrona\r\n"
                       "Bruno, Rossi; \"R\", 444, Niente\r\n"
                       "[cancellato], [cancellato], [cancellato], Niente\r\n");
    EXPECT_EQ(operate({"winners"}).out, winners);
    Outcome after = operate({"verify"});
    EXPECT_EQ(after.out.find("la catena si rompe"), std::string::npos) << after.out;
    EXPECT_EQ(after.out.find("giocata della riga"), std::string::npos) << after.out;
    Outcome again = operate({"erase", "3331234567", "--si"});
    EXPECT_EQ(again.out.find("-> da cancellare"), std::string::npos) << again.out;

    // The game reads the rewritten records as its own: no broken chain, the last play where it belongs.
    start_game();
    record_run_ended("ESC", true);
    JournalReadBack back = read_back_journal();
    EXPECT_EQ(back.first_broken_link, -1);
    for (const JournalEvent &event : back.events) {
        EXPECT_NE(event["event"], "records_disagree");
        EXPECT_NE(event["event"], "chain_broken");
    }
    EXPECT_EQ(read_file(players_log_name), players);
}

TEST_F(OperatorOnRecords, AnEraseCutAtEachStepEndsWithTheRecordsAgreeingAndTheTextGone)
{
    start_game();
    play("Zelda", "555 000", EMPTY_SQUARE);
    play("Bruno", "444", 0);
    play("Zelda", "555 000", EMPTY_SQUARE);
    play("Carla", "666", EMPTY_SQUARE);
    record_run_ended("ESC", true);
    std::string journal_before = read_file(journal_file_name), players_before = read_file(players_log_name);
    ASSERT_EQ(operate({"erase", "zelda", "--si"}).status, EXIT_AGREE);
    std::string journal_after = read_file(journal_file_name), players_after = read_file(players_log_name);
    ASSERT_NE(players_after, players_before);

    // The files as a crash leaves them before, between and after the erase's two writes.
    struct Cut {
        const char *when;
        std::string journal, players;
    };
    const Cut cuts[] = {
        {"before the journal is replaced", journal_before, players_before},
        {"after the journal, before players.txt", journal_after, players_before},
        {"after players.txt", journal_after, players_after},
    };
    for (const Cut &cut : cuts) {
        write_file(journal_file_name, cut.journal);
        write_file(players_log_name, cut.players);
        remove(errors_file_name);
        start_game();
        record_run_ended("ESC", true);
        // The erase asked for again finds what is left to do, if anything.
        ASSERT_EQ(operate({"erase", "zelda", "--si"}).status, EXIT_AGREE) << cut.when;
        Outcome verify = operate({"verify"});
        EXPECT_EQ(verify.status, EXIT_AGREE) << cut.when << "\n" << verify.out;
        EXPECT_EQ(read_file(players_log_name), players_after) << cut.when;
        for (const char *file : {journal_file_name, players_log_name, state_file_name, errors_file_name})
            EXPECT_EQ(read_file(file).find("Zelda"), std::string::npos) << cut.when << ": " << file;
        EXPECT_NE(read_file(journal_file_name).find("Bruno"), std::string::npos) << "the winner stays";
    }
}

TEST_F(OperatorOnRecords, VerifyReportsAPlayOnAnUncoveredSquareOrOverAnotherPrize)
{
    start_game();
    play("Anna", "333", 0);
    int taken = -1, empty = -1;
    for (int i = 0; i < BOARD_SIZE; i++) {
        if (prize_board.cells[i].revealed && prize_board.cells[i].type == 0)
            taken = i;
        if (!prize_board.cells[i].revealed && prize_board.cells[i].type == EMPTY_SQUARE && empty < 0)
            empty = i;
    }
    JournalEvent again = {{"event", "play"}, {"square", taken}, {"prize", "Poltrona"}, {"fields", {"B", "R", "3"}}};
    ASSERT_TRUE(append_journal(again));
    JournalEvent wrong = again;
    wrong["square"] = empty;
    wrong["prize"] = "Borsa";
    ASSERT_TRUE(append_journal(wrong));
    Outcome verify = operate({"verify"});
    EXPECT_EQ(verify.status, EXIT_DISAGREE);
    EXPECT_NE(verify.out.find("la casella " + std::to_string(taken) + " era già scoperta"), std::string::npos)
        << verify.out;
    EXPECT_NE(verify.out.find("la casella " + std::to_string(empty) + " nasconde Niente, non Borsa"),
              std::string::npos)
        << verify.out;
}

TEST_F(OperatorOnRecords, TheReportShowsWhatAPlayerTypedAsTextNeverAsMarkup)
{
    start_game();
    play("<b>Anna</b> & \"Co\"", "333", 0);
    Outcome report = operate({"report", "--uscita", "-"});
    EXPECT_NE(report.out.find("&lt;b&gt;Anna&lt;/b&gt; &amp; &quot;Co&quot;"), std::string::npos) << report.out;
    EXPECT_EQ(report.out.find("<b>"), std::string::npos);
}

TEST_F(OperatorOnRecords, EraseRefusesAFolderAnotherProgramHoldsAndChangesNothing)
{
    start_game();
    play("Zelda", "555", EMPTY_SQUARE);
    std::string journal = read_file(journal_file_name), players = read_file(players_log_name);
    // The game's lock, held through a second open file description of this process.
    ASSERT_TRUE(hold_lock_elsewhere());
    Outcome erase = operate({"erase", "zelda", "--si"});
    release_lock_elsewhere();
    EXPECT_EQ(erase.status, EXIT_TROUBLE) << erase.out << erase.err;
    EXPECT_NE(erase.err.find("il gioco è in corso in questa cartella"), std::string::npos) << erase.err;
    EXPECT_EQ(read_file(journal_file_name), journal);
    EXPECT_EQ(read_file(players_log_name), players);
}

TEST_F(OperatorOnRecords, ExportWritesTheBomHeaderAndTheLinesWithoutAnEntry)
{
    write_file(players_log_name, "Vecchio, Via Po, 3, 111, Borsa\r\n");
    start_game();
    play("Perché", "+39 333", 0);
    Outcome run = operate({"export", "--vincitori", "--uscita", "-"});
    ASSERT_EQ(run.status, EXIT_AGREE) << run.err;
    std::string time = italian_time_of_last_play();
    EXPECT_EQ(run.out, "\xEF\xBB\xBFNumero;Data e ora;Nome;Cognome;Telefono;Premio;Nota\r\n"
                       "1;" +
                           time +
                           ";Perché;\"Rossi; \"\"R\"\"\";'+39 333;Poltrona;\r\n"
                           "2;;Vecchio;Via Po, 3;111;Borsa;senza voce nel registro: divisa da players.txt\r\n");
    EXPECT_EQ(operate({"export", "--uscita", "players.txt"}).status, EXIT_TROUBLE);
}

TEST_F(OperatorOnRecords, VerifyIntoAFileKeepsWhatItPrintsWithABomAndCrLf)
{
    start_game();
    play("Niccolò", "333", EMPTY_SQUARE);
    Outcome run = operate({"verify", "--uscita", "esito.txt"});
    ASSERT_EQ(run.status, EXIT_AGREE) << run.err;
    std::string expected = "\xEF\xBB\xBF";
    for (char c : run.out)
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(read_file("esito.txt"), expected);
    EXPECT_NE(run.out.find("Esito: tutto concorda\n"), std::string::npos) << run.out;
    EXPECT_EQ(operate({"verify", "--uscita", "state.dat"}).status, EXIT_TROUBLE);
    EXPECT_EQ(operate({"report", "--apri", "--uscita", "-"}).status, EXIT_TROUBLE);
}

#ifndef _WIN32
TEST_F(OperatorOnRecords, AnEventOfKiosksShowsEachAndATornCopyAsADisagreementWithTheRightTotals)
{
    start_game();
    play("Anna", "333", 0);
    play("Bruno", "444", EMPTY_SQUARE);
    copy_records("bar");
    std::string state_behind = read_file(state_file_name);
    play("Carla", "555", 1);
    copy_records("fiera");
    // Copied while the game wrote Carla's play: players.txt cut in her line, state.dat one play behind.
    copy_records("in corsa");
    std::string players = read_file(players_log_name);
    write_file("in corsa/players.txt", players.substr(0, players.size() - 12));
    write_file("in corsa/state.dat", state_behind);

    Outcome verify = operate({"verifica", "bar", "fiera", "in corsa"});
    EXPECT_EQ(verify.status, EXIT_DISAGREE) << verify.err;
    for (const char *expected : {"== Chiosco bar ==", "== Chiosco in corsa ==", "manca in players.txt",
                                 "state.dat non è l'ultimo tabellone", "Evento: 3 chioschi, 2 concordano",
                                 "Esito dell'evento: NON concordano i registri di in corsa"})
        EXPECT_NE(verify.out.find(expected), std::string::npos) << expected << "\n" << verify.out;
    EXPECT_EQ(operate({"verify", "bar", "fiera"}).status, EXIT_AGREE);

    Outcome winners = operate({"vincitori", "bar", "fiera", "in corsa"});
    EXPECT_EQ(winners.status, EXIT_DISAGREE);
    EXPECT_NE(winners.out.find("Premi vinti: 5\n"), std::string::npos) << winners.out;
    EXPECT_NE(winners.out.find("in corsa: " + folder_ + "/in corsa (2 premi)  [i registri NON concordano"),
              std::string::npos) << winners.out;

    Outcome csv = operate({"esporta", "--kiosk", "Bar Centrale", "--chiosco", "Fiera", "--output", "-", "bar", "fiera"});
    ASSERT_EQ(csv.status, EXIT_AGREE) << csv.err;
    std::vector<std::string> starts;
    for (size_t at = 0; at < csv.out.size(); at = csv.out.find("\r\n", at) + 2)
        starts.push_back(csv.out.substr(at, csv.out.find(';', csv.out.find(';', at) + 1) - at));
    EXPECT_EQ(starts, (std::vector<std::string>{"\xEF\xBB\xBFNumero;Chiosco", "1;Bar Centrale", "2;Bar Centrale",
                                                "3;Fiera", "4;Fiera", "5;Fiera"}));
    EXPECT_NE(csv.out.find("Data e ora;Nome;Cognome;Telefono;Premio;Nota\r\n"), std::string::npos);

    // The report of the event: each kiosk, its verify result, the totals, every winner with its kiosk.
    Outcome report = operate({"relazione", "--uscita", "evento.html", "bar", "fiera", "in corsa"});
    EXPECT_EQ(report.status, EXIT_DISAGREE) << report.err;
    std::string html = read_file("evento.html");
    for (const char *expected :
         {"<tr><th>Chioschi</th><td>3</td></tr>", "<tr><th>Giocate</th><td>8</td></tr>",
          "<tr><th>Premi assegnati</th><td>5</td></tr>", "NON concordano: in corsa</span>",
          "<tr><td>in corsa</td>", "<td class=\"bad\">NON concordano</td>", "<th>Chiosco</th><th>Data e ora</th>",
          "<h3>Chiosco fiera</h3>"})
        EXPECT_NE(html.find(expected), std::string::npos) << expected;
    size_t winner_rows = 0;
    for (size_t at = 0; (at = html.find("</td><td>in corsa</td>", at)) != std::string::npos; at++)
        winner_rows++;
    EXPECT_EQ(winner_rows, 2u);
    EXPECT_EQ(operate({"relazione", "--uscita", "in corsa/players.txt", "bar", "in corsa"}).status, EXIT_TROUBLE);
}
#endif

TEST_F(OperatorOnRecords, CloseWritesTheFinalReportThenErasesEveryNonWinnerAndTheGameStartsCleanly)
{
    start_game();
    play("Zelda", "555", EMPTY_SQUARE);
    play("Bruno", "444", 0);
    play("Carla", "666", EMPTY_SQUARE);
    record_run_ended("ESC", true);
    std::string players = read_file(players_log_name);
    // Records that disagree are refused, untouched.
    write_file(players_log_name, players + "Ugo, Neri, 1, Tenda\r\n");
    Outcome refused = operate({"chiudi", "--si"});
    EXPECT_EQ(refused.status, EXIT_TROUBLE);
    EXPECT_NE(refused.err.find("i registri non concordano"), std::string::npos) << refused.err;
    write_file(players_log_name, players);
    Outcome early = operate({"chiudi", "--prima-del", "2000-01-01", "--si", "--uscita", "prima.html"});
    EXPECT_EQ(early.status, EXIT_AGREE) << early.err;
    EXPECT_NE(early.out.find("Nessuna giocata non vincente da cancellare"), std::string::npos) << early.out;
    EXPECT_EQ(read_file(players_log_name), players);
    EXPECT_EQ(operate({"chiudi", "--uscita", "x.html"}, "no\n").status, EXIT_DISAGREE);

    Outcome close = operate({"chiudi", "--uscita", "finale.html"}, "si\n");
    ASSERT_EQ(close.status, EXIT_AGREE) << close.err;
    EXPECT_NE(read_file("finale.html").find("<td>Bruno</td>"), std::string::npos);
    EXPECT_EQ(read_file(players_log_name), "[cancellato], [cancellato], [cancellato], Niente\r\n"
                                           "Bruno, Rossi; \"R\", 444, Poltrona\r\n"
                                           "[cancellato], [cancellato], [cancellato], Niente\r\n");
    std::string journal = read_file(journal_file_name);
    EXPECT_EQ(journal.find("Zelda"), std::string::npos);
    EXPECT_EQ(journal.find("Carla"), std::string::npos);
    JournalReadBack back = read_back_journal();
    EXPECT_EQ(back.events.back()["reason"], "chiusura dell'evento: dati delle giocate non vincenti");
    EXPECT_EQ(operate({"verifica"}).status, EXIT_AGREE);
    start_game();
    for (const JournalEvent &event : read_back_journal().events)
        EXPECT_NE(event["event"], "records_disagree");
}

#ifndef _WIN32
// The system's opener is xdg-open found through PATH: a stand-in that notes
// what it was asked to open shows each task's file handed over.
TEST_F(OperatorOnRecords, OpenWritesADatedFileAndHandsItToTheSystemOpener)
{
    start_game();
    play("Anna", "333", 0);
    std::string bin = folder_ + "/bin", log = folder_ + "/opened.log";
    ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
    ASSERT_TRUE(write_file(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$*\" >> " + log + ".part\n/bin/mv " + log +
                                                  ".part " + log + "\n"));
    ASSERT_EQ(chmod((bin + "/xdg-open").c_str(), 0755), 0);
    std::string path = getenv("PATH");
    setenv("PATH", bin.c_str(), 1);
    std::string day = local_time_iso(time(NULL)).substr(0, 10);
    struct Task {
        std::vector<std::string> args;
        std::string file, starts;
    };
    for (const Task &task : {Task{{"report", "--apri"}, "relazione-chiusura-" + day + ".html", "<!DOCTYPE html>"},
                             Task{{"export", "--apri"}, "giocate-" + day + ".csv", "\xEF\xBB\xBFNumero;"},
                             Task{{"verify", "--apri"}, "verifica-registri-" + day + ".txt", "\xEF\xBB\xBFVerifica"}}) {
        Outcome run = operate(task.args);
        EXPECT_EQ(run.status, EXIT_AGREE) << run.err;
        EXPECT_EQ(read_file(task.file).rfind(task.starts, 0), 0u) << task.file;
        std::string opened;
        for (int wait = 0; wait < 500 && (opened = read_file(log)).empty(); wait++)
            usleep(10000);
        EXPECT_EQ(opened, folder_ + "/" + task.file + "\n");
        remove(log.c_str());
    }
    // Without an opener the file is still written, and the failure is told.
    setenv("PATH", folder_.c_str(), 1);
    Outcome alone = operate({"export", "--apri", "--uscita", "senza.csv"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(alone.status, EXIT_TROUBLE);
    EXPECT_NE(alone.err.find("senza.csv è scritto ma non si apre: manca xdg-open"), std::string::npos) << alone.err;
    EXPECT_FALSE(read_file("senza.csv").empty());
}
#endif

}  // namespace
