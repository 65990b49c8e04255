"""End-to-end scenarios of the operator program on a folder the game really
played in: full passes, a restart, a kill during a play and a redeal; then
status, winners, export, verify (also on tampered copies), report and erase,
which refuses while the game runs; an event of two kiosks exported and
reported together, and chiudi at its end."""
import csv
import hashlib
import io
import json
import os
import shutil
import subprocess

from harness import PRIZE_NAMES, check, parse_state, state_text
from record_scenarios import JOURNAL, RECORD_PAUSE, Skip, kill_hard, restart, wait_until
from scenarios import EMPTY_COVERED_SQUARE, KNOWN_BOARD, POLTRONA_SQUARE, expect_clean_exit, reach_board

# A winner whose fields hold a semicolon, quotes, a comma and accented letters.
WINNER = ('Rossi; "Mario"', "Via Po, 3", "Perché 333 1234567")
# A player who will ask for their data to be erased, and who won nothing.
ERASED = ("Anna", "Bianchi", "340 7654321")
BORSA_SQUARE = 31
MARKS = {t: m for t, m in enumerate(["Po", "Bo", "Mo", "As", "Te", "Tl", "--"])}


def operator(session, *args, stdin=None):
    """Runs build/tabellone-operatore; (exit status, stdout, stderr)."""
    done = subprocess.run([os.path.join(session.content.build_dir, "tabellone-operatore")] + list(args),
                          input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def play_one(game, texts, square, prize=None):
    reach_board(game, texts)
    game.click_square(square)
    return game.wait_result(prize) if prize is not None else game.wait_any_result()


def played_folder(session):
    """A folder with a full pass of a winner and of a loser, a restart, a play
    killed between players.txt and state.dat, and a redeal after state.dat was
    removed: 4 plays on 2 boards."""
    game = session.new_game()
    with open(game.path("state.dat"), "wb") as f:
        f.write(state_text(KNOWN_BOARD))
    game.start()
    play_one(game, WINNER, POLTRONA_SQUARE, 0)
    game.press_ok()
    play_one(game, ERASED, EMPTY_COVERED_SQUARE, 6)
    game.escape()
    expect_clean_exit(game, "the first run")

    again = session.new_game(workdir=game.workdir, env=RECORD_PAUSE).start()
    reach_board(again, ("Luca", "Verdi", "Torino"))
    size = os.path.getsize(game.path("players.txt"))
    again.click_square(BORSA_SQUARE)
    wait_until(lambda: os.path.getsize(game.path("players.txt")) > size, "the killed play in players.txt")
    kill_hard(again)

    third = restart(session, game)
    third.escape()
    expect_clean_exit(third, "the run after the kill")
    check("board_restored" in [e["event"] for e in events(game.workdir)], "the kill did not land mid-play")
    # The operator removes state.dat for a new board.
    os.remove(game.path("state.dat"))
    fourth = session.new_game(workdir=game.workdir).start()
    reach_board(fourth, ERASED)
    # A covered empty square of the new deal, so this player wins nothing again.
    dealt = [e for e in events(game.workdir) if e["event"] == "deal"][-1]["board"]
    fourth.click_square(dealt.index("x"))
    fourth.wait_result(6)
    fourth.escape()
    expect_clean_exit(fourth, "the run with a new deal")
    return game


def second_kiosk(session):
    """Another kiosk's folder: one run, a winner of the Poltrona and a player who won nothing."""
    game = session.new_game()
    with open(game.path("state.dat"), "wb") as f:
        f.write(state_text(KNOWN_BOARD))
    game.start()
    play_one(game, ("Sara", "Neri", "Fiera 1"), POLTRONA_SQUARE, 0)
    game.press_ok()
    play_one(game, ("Ugo", "Blu", "Fiera 2"), EMPTY_COVERED_SQUARE, 6)
    game.escape()
    expect_clean_exit(game, "the second kiosk's run")
    return game.workdir


def italian_time(iso):
    return "%s/%s/%s %s" % (iso[8:10], iso[5:7], iso[:4], iso[11:19])


def events(folder):
    with open(os.path.join(folder, JOURNAL), "rb") as f:
        return [json.loads(line) for line in f.read().splitlines()]


def check_status(session, folder):
    code, out, err = operator(session, "status", folder)
    check(code == 0 and not err, "status: exit status %d, stderr %r" % (code, err))
    with open(os.path.join(folder, "state.dat"), "rb") as f:
        cells = parse_state(f.read())
    grid = [line.split()[1:] for line in out.splitlines()[4:14]]
    shown = [mark for row in grid for mark in row]
    check(shown == [MARKS[t] if rev else "##" for t, rev in cells], "status shows another board:\n%s" % out)
    covered = sum(1 for _, rev in cells if not rev)
    for expected in ("Caselle ancora coperte: %d di 100" % covered, "Giocate su questo tabellone: 1",
                     "Giocate in tutto: 4 (vincenti: 2)", "Tabelloni in tutto: 2", "Avvisi: nessuno"):
        check(expected in out, "status lacks %r:\n%s" % (expected, out))
    hidden = [sum(1 for t, rev in cells if t == k and not rev) for k in range(6)]
    for k in range(6):
        check("%-12s %d di" % (PRIZE_NAMES[k], hidden[k]) in out, "status: %s hidden %d:\n%s" % (PRIZE_NAMES[k], hidden[k], out))
    return out


def check_winners(session, folder):
    code, out, err = operator(session, "winners", folder)
    check(code == 0, "winners: exit status %d, %r" % (code, err))
    plays = [e for e in events(folder) if e["event"] == "play"]
    winning = [p for p in plays if p["prize"] != "Niente"]
    check("Premi vinti: %d" % len(winning) in out, "winners does not count %d prizes:\n%s" % (len(winning), out))
    for p in winning:
        line = "%s  %s  (casella %d)" % (italian_time(p["time"]), ", ".join(p["fields"]), p["square"])
        check(line in out, "winners lacks %r:\n%s" % (line, out))
    check("Poltrona (1)" in out and "Borsa (1)" in out, "winners not grouped by prize:\n%s" % out)
    return out


def check_export(session, folder):
    target = os.path.join(session.scratch, "giocate.csv")
    code, out, err = operator(session, "export", "--uscita", target, folder)
    check(code == 0, "export: exit status %d, %r" % (code, err))
    with open(target, "rb") as f:
        data = f.read()
    check(data[:3] == b"\xef\xbb\xbf", "the export does not start with the byte order mark: %r" % data[:8])
    rows = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline=""), delimiter=";"))
    check(rows[0] == ["Numero", "Data e ora", "Nome", "Cognome", "Telefono", "Premio", "Nota"],
          "export header %r" % rows[0])
    check(len(rows) == 5 and [r[0] for r in rows[1:]] == ["1", "2", "3", "4"], "export rows %r" % rows)
    # As the journal holds them: the typing of an accented letter is up to xdotool.
    typed = [e for e in events(folder) if e["event"] == "play"][0]["fields"]
    check(typed[:2] == list(WINNER[:2]) and rows[1][2:6] == typed + ["Poltrona"],
          "the winner did not round-trip: %r, typed %r" % (rows[1], typed))
    check(rows[3][2:6] == ["Luca", "Verdi", "Torino", "Borsa"], "the killed play: %r" % rows[3])
    return data


def tampered(session, folder, name, change):
    """verify on a copy of the folder after change(copy): its exit status and output."""
    copy = os.path.join(session.scratch, "tampered-" + name)
    shutil.copytree(folder, copy, ignore=shutil.ignore_patterns("*.dat", "home", "*.wav", "*.lock"))
    shutil.copy(os.path.join(folder, "state.dat"), copy)
    change(copy)
    return operator(session, "verify", copy)


def rewrite(path, edit):
    with open(path, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(edit(data))


def journal_lines_edit(edit):
    def change(copy):
        def apply(data):
            lines = data.split(b"\r\n")[:-1]
            return b"".join(line + b"\r\n" for line in edit(lines))
        rewrite(os.path.join(copy, JOURNAL), apply)
    return change


def swap(lines, i):
    lines[i], lines[i + 1] = lines[i + 1], lines[i]
    return lines


def uncover_one(state):
    """state.dat with its first covered square uncovered: still a board the game could have dealt."""
    at = next(i for i, b in enumerate(state) if 0x61 <= b <= 0x7a)
    return state[:at] + state[at:at + 1].upper() + state[at + 1:]


def check_verify_catches(session, folder):
    plays = [i for i, e in enumerate(events(folder)) if e["event"] == "play"]
    cases = {
        "an edited field": (journal_lines_edit(lambda ls: [l.replace(b'"Luca"', b'"Lucia"') for l in ls]),
                            "la catena si rompe alla riga %d" % (plays[2] + 2)),
        "a removed line": (journal_lines_edit(lambda ls: ls[:plays[1]] + ls[plays[1] + 1:]),
                           "la catena si rompe alla riga %d" % (plays[1] + 1)),
        "a swapped pair": (journal_lines_edit(lambda ls: swap(ls, plays[0])),
                           "la catena si rompe alla riga %d" % (plays[0] + 1)),
        "an edited state.dat": (lambda c: rewrite(os.path.join(c, "state.dat"), uncover_one),
                                "state.dat non è l'ultimo tabellone del registro"),
        "a players.txt line without an entry": (
            lambda c: rewrite(os.path.join(c, "players.txt"), lambda d: d + b"Ugo, Neri, Roma, Tenda\r\n"),
            "la riga 5 di players.txt non ha una voce nel registro"),
        "an edited players.txt field": (
            lambda c: rewrite(os.path.join(c, "players.txt"), lambda d: d.replace(b"Luca", b"Lucio")),
            "manca in players.txt"),
    }
    for what, (change, expected) in cases.items():
        code, out, err = tampered(session, folder, what.replace(" ", "-"), change)
        check(code == 1 and expected in out and "Esito: i registri NON concordano" in out,
              "verify after %s: exit status %d, %r, output:\n%s" % (what, code, err, out))


def operator_reads_a_played_folder(session):
    game = played_folder(session)
    folder = game.workdir
    code, out, err = operator(session, "verify", folder)
    check(code == 0 and "Esito: tutto concorda" in out, "verify: exit status %d, %r:\n%s" % (code, err, out))
    head = out.split("(SHA-256): ")[1].split("\n")[0].replace(" ", "")
    with open(os.path.join(folder, JOURNAL), "rb") as f:
        last = f.read().splitlines()[-1]
    check(head == hashlib.sha256(last).hexdigest(), "verify prints another head hash: %s" % head)
    check_status(session, folder)
    winners = check_winners(session, folder)
    check_export(session, folder)
    check_verify_catches(session, folder)
    code, out, err = operator(session, "verify", "--quale", folder)
    check(code == 2 and err.count("\n") == 1, "a bad option: exit status %d, %r" % (code, err))
    code, out, err = operator(session, "status", session.scratch)
    check(code == 2 and err.count("\n") == 1 and "non contiene i file del gioco" in err,
          "a folder without the game's files: exit status %d, %r" % (code, err))

    # While the game runs: reading works and writes nothing; erase refuses.
    running = session.new_game(workdir=folder).start()
    running.wait_title()
    before = {n: game.read(n) for n in ("state.dat", "players.txt", JOURNAL)}
    for command in (["status"], ["winners"], ["verify"], ["export", "--uscita", "-"], ["report", "--uscita", "-"]):
        code, _, err = operator(session, *(command + [folder]))
        check(code == 0, "%s while the game runs: exit status %d, %r" % (command[0], code, err))
    for command in (["erase", "7654321"], ["chiudi", "--uscita", os.path.join(session.scratch, "mai.html")]):
        code, out, err = operator(session, *(command + ["--si", folder]))
        check(code == 2 and "il gioco è in corso" in err, "%s while the game runs: %d, %r" % (command[0], code, err))
    check(all(game.read(n) == b for n, b in before.items()), "the operator changed the game's files")
    running.escape()
    expect_clean_exit(running, "the run beside the operator")

    code, out, err = operator(session, "erase", "340 7654321", folder, stdin=b"no\n")
    check(code == 1 and "Nessuna modifica" in out and b"7654321" in game.read("players.txt"),
          "erase not confirmed: exit status %d, %r" % (code, out))
    code, out, err = operator(session, "erase", "3407654321", folder, stdin=b"si\n")
    check(code == 0 and out.count("-> da cancellare") == 2, "erase: exit status %d, %r, %r" % (code, out, err))
    check(b"7654321" not in game.read("players.txt") and b"7654321" not in game.read(JOURNAL),
          "the erased phone number is still in the records")
    check(b"[cancellato], [cancellato], [cancellato], Niente\r\n" in game.read("players.txt"),
          "players.txt has no erased line:\n%r" % game.read("players.txt"))
    erasure = events(folder)[-1]
    check(erasure["event"] == "erasure" and len(erasure["journal_lines"]) == 2 and len(erasure["players_lines"]) == 2,
          "the erasure event: %r" % erasure)
    code, out, err = operator(session, "verify", folder)
    check(code == 0, "verify after erase: exit status %d:\n%s" % (code, out))
    check(operator(session, "winners", folder)[1] == winners, "erase changed the winners")
    code, out, _ = operator(session, "erase", "Mario", "--si", folder)
    check(code == 0 and "vincente: resta" in out and "Nessuna giocata non vincente" in out,
          "erase of a winner: exit status %d, %r" % (code, out))

    # The game starts cleanly on the rewritten records.
    after = session.new_game(workdir=folder).start()
    after.wait_title()
    after.escape()
    expect_clean_exit(after, "the run after the erasure")
    names = [e["event"] for e in events(folder)]
    check("records_disagree" not in names and "chain_broken" not in names,
          "the game found the erased records wrong: %r" % names[-4:])
    check(operator(session, "verify", folder)[0] == 0, "verify after the next run")
    close_an_event(session, folder, second_kiosk(session))


def close_an_event(session, folder, other):
    """esporta over two kiosks read back by Python's csv; chiudi on the played
    folder: no non-winner's text left, verifica agrees, the game starts."""
    target = os.path.join(session.scratch, "evento.csv")
    code, out, err = operator(session, "esporta", "--chiosco", "Centro", "--chiosco", "Fiera", "--uscita", target,
                              folder, other)
    check(code == 0, "esporta over two kiosks: exit status %d, %r" % (code, err))
    with open(target, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.DictReader(f, delimiter=";"))
    plays = [(k, e) for k, f in (("Centro", folder), ("Fiera", other)) for e in events(f) if e["event"] == "play"]
    check([(r["Chiosco"], r["Nome"], r["Telefono"], r["Premio"]) for r in rows] ==
          [(k, e["fields"][0], e["fields"][2], e["prize"]) for k, e in plays], "the event's CSV: %r" % rows)

    # chiudi on the second kiosk, whose player who won nothing is still whole.
    losers = [e["fields"] for e in events(other) if e["event"] == "play" and e["prize"] == "Niente"]
    winners = [e["fields"] for e in events(other) if e["event"] == "play" and e["prize"] != "Niente"]
    report = os.path.join(session.scratch, "finale.html")
    code, out, err = operator(session, "chiudi", "--uscita", report, other, stdin=b"si\n")
    check(code == 0 and "Cancellati i dati di %d" % len(losers) in out, "chiudi: exit status %d, %r, %r" % (code, out, err))
    with open(report, encoding="utf-8") as f:
        check(all(w[2] in f.read() for w in winners), "the final report lacks a winner")
    for name in ("players.txt", JOURNAL):
        data = game_file(other, name).decode("utf-8")
        for fields in losers:
            check(not any(text in data for text in fields), "%s keeps %r after chiudi" % (name, fields))
        check(all(w[2] in data for w in winners), "%s lost a winner" % name)
    check(events(other)[-1]["event"] == "erasure", "chiudi is not one erasure event")
    check(operator(session, "verifica", other)[0] == 0, "verifica after chiudi")
    after = session.new_game(workdir=other).start()
    after.wait_title()
    after.escape()
    expect_clean_exit(after, "the run after chiudi")
    check(operator(session, "verifica", other)[0] == 0, "verifica after the run that followed chiudi")


def game_file(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


SCENARIOS = [
    operator_reads_a_played_folder,
]


# ---------------------------------------------------------------- the closing report in a browser

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]
MORE_PLAYERS = 60


def extend_records(folder, count):
    """Adds plays the way the game records them (journal line chained, its
    bytes in players.txt, the square uncovered in state.dat), so a report runs
    to more than one page; the records stay in step."""
    with open(os.path.join(folder, JOURNAL), "rb") as f:
        lines = f.read().splitlines()
    with open(os.path.join(folder, "players.txt"), "rb") as f:
        players = f.read()
    with open(os.path.join(folder, "state.dat"), "rb") as f:
        cells = parse_state(f.read())
    covered = [i for i, (_, rev) in enumerate(cells) if not rev]
    last_time = json.loads(lines[-1])["time"]
    for n in range(count):
        square = covered[n]
        prize = PRIZE_NAMES[cells[square][0]]
        fields = ["Giocatore %d" % (n + 1), "Cognome è %d" % (n + 1), "333 %07d" % n]
        line = ("%s, %s, %s, %s\r\n" % (fields[0], fields[1], fields[2], prize)).encode()
        event = {"event": "play", "time": last_time, "square": square, "prize": prize, "fields": fields,
                 "players_size_before": len(players), "players_bytes": line.decode(),
                 "prev": hashlib.sha256(lines[-1]).hexdigest()}
        lines.append(json.dumps(event, ensure_ascii=False, separators=(",", ":")).encode())
        players += line
        cells[square] = (cells[square][0], 1)
    with open(os.path.join(folder, JOURNAL), "wb") as f:
        f.write(b"".join(l + b"\r\n" for l in lines))
    with open(os.path.join(folder, "players.txt"), "wb") as f:
        f.write(players)
    with open(os.path.join(folder, "state.dat"), "wb") as f:
        f.write(state_text(cells))


def chromium(session, *args):
    profile = os.path.join(session.scratch, "chromium-%d" % len(os.listdir(session.scratch)))
    subprocess.run(["chromium"] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile] + list(args),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90, check=True)


def operator_report_prints_on_a4(session):
    """The closing report of an event of two kiosks (a played folder with
    sixty plays more, and a second kiosk), printed to PDF by headless
    Chromium: A4 pages, both kiosks, the event's totals, every section and
    every winner with its kiosk, and a picture of its first page (kept in
    build/operator-report/)."""
    if not shutil.which("chromium") or not shutil.which("pdftotext"):
        raise Skip("chromium and pdftotext (poppler-utils) are not installed: scripts/install-deps could not install them")
    folder = played_folder(session).workdir
    extend_records(folder, MORE_PLAYERS)
    other = second_kiosk(session)
    check(operator(session, "verify", folder)[0] == 0, "verify refuses the extended records")
    out_dir = os.path.join(session.content.build_dir, "operator-report")
    os.makedirs(out_dir, exist_ok=True)
    html = os.path.join(out_dir, "relazione-chiusura.html")
    code, out, err = operator(session, "relazione", "--chiosco", "Centro", "--chiosco", "Fiera", "--uscita", html,
                              folder, other)
    check(code == 0, "relazione: exit status %d, %r" % (code, err))
    with open(html, encoding="utf-8") as f:
        source = f.read()
    check("<script" not in source and "src=" not in source and "href=" not in source,
          "the report is not self-contained")

    pdf = os.path.join(out_dir, "relazione-chiusura.pdf")
    chromium(session, "--no-pdf-header-footer", "--print-to-pdf=" + pdf, "file://" + html)
    info = subprocess.run(["pdfinfo", pdf], stdout=subprocess.PIPE, check=True).stdout.decode()
    pages = int(info.split("Pages:")[1].split()[0])
    size = info.split("Page size:")[1].split("\n")[0]
    # Sixty more plays give about ten winners: more than the first page holds.
    check(pages >= 2 and "(A4)" in size, "the PDF: %d pages of %s" % (pages, size.strip()))
    # In reading order, with a cell wrapped over two lines joined again.
    text = " ".join(subprocess.run(["pdftotext", pdf, "-"], stdout=subprocess.PIPE, check=True).stdout.decode().split())
    kiosks = (("Centro", folder), ("Fiera", other))
    plays = [(k, e) for k, f in kiosks for e in events(f) if e["event"] == "play"]
    winners = [(k, e) for k, e in plays if e["prize"] != "Niente"]
    sections = ["Tabellone: relazione di chiusura dell'evento", "Riepilogo dell'evento", "Chioschi 2",
                "Giocate %d" % len(plays), "Premi assegnati %d" % len(winners), "concordano in ogni chiosco",
                "Premi assegnati e messi in palio", "Vincitori", "Verifica dei registri", "Chiosco Centro",
                "Chiosco Fiera", "Tutto concorda", "Firme", 'Rossi; "Mario"']
    page_numbers = ["Pagina %d di %d" % (n + 1, pages) for n in range(pages)]
    for expected in sections + page_numbers + ["%s %s" % (k, italian_time(e["time"])) for k, e in winners] + \
            [e["fields"][2] for _, e in winners]:
        check(expected in text, "the PDF lacks %r" % expected)
    for _, f in kiosks:
        head = operator(session, "verify", f)[1].split("(SHA-256): ")[1].split("\n")[0]
        check(head in text, "the PDF lacks the head hash %s" % head)

    subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", "1", "-l", "1", "-singlefile", pdf,
                    os.path.join(out_dir, "relazione-pagina-1")], check=True)
    chromium(session, "--screenshot=" + os.path.join(out_dir, "relazione-schermo.png"),
             "--window-size=900,1200", "file://" + html)
    check(os.path.getsize(os.path.join(out_dir, "relazione-schermo.png")) > 10000, "no screenshot")


SCENARIOS.append(operator_report_prints_on_a4)
