"""End-to-end scenarios of the records under faults: the game killed at each
moment of a play, a full disk, a folder that turns read-only, and a second
copy started in the same folder."""
import json
import os
import signal
import subprocess
import time

from harness import RESULT_BACKGROUND_BASE, Failure, check, parse_state, state_text
from scenarios import KNOWN_BOARD, POLTRONA_SQUARE, expect_clean_exit, reach_board

JOURNAL = "tabellone-registro.jsonl"
PLAYER = ("Mario", "Rossi", "Milano")
PLAYER_LINE = b"Mario, Rossi, Milano, Poltrona\r\n"
# Between the writes of a play the game waits this long, so a kill can land there.
RECORD_PAUSE = {"TABELLONE_TEST_RECORD_PAUSE_MS": "1500"}


class Skip(Exception):
    """A scenario that cannot run on this machine (run_e2e reports it as skipped)."""


def size_of(game, name):
    try:
        return os.path.getsize(game.path(name))
    except FileNotFoundError:
        return 0


def wait_until(condition, what, timeout=10):
    deadline = time.monotonic() + timeout
    while not condition():
        check(time.monotonic() < deadline, "no %s after %d s" % (what, timeout))
        time.sleep(0.005)


def kill_hard(game):
    game.process.send_signal(signal.SIGKILL)
    game.process.wait()
    game.stderr.close()


def restart(session, game):
    """The game started again in the same folder; it settles its records before the title."""
    again = session.new_game(workdir=game.workdir).start()
    again.wait_title()
    return again


def journal_has_play(game):
    return b'"event":"play"' in game.read(JOURNAL) if game.exists(JOURNAL) else False


def poltrona_shown(game):
    return game.exists("state.dat") and parse_state(game.read("state.dat"))[POLTRONA_SQUARE] == (0, 1)


def killed_during_a_play_is_recorded_once(session):
    """kill -9 after the journal, after players.txt, during the pause and on
    the result screen: after a restart the play is in both files exactly once,
    and the square it uncovered cannot be won again."""
    moments = [
        ("between the journal and players.txt", RECORD_PAUSE, lambda g: journal_has_play(g)),
        ("between players.txt and state.dat", RECORD_PAUSE, lambda g: size_of(g, "players.txt") > 0),
        ("during the pause", None, poltrona_shown),
        ("on the result screen", None, None),
    ]
    for when, env, moment in moments:
        game = session.new_game(env=env)
        with open(game.path("state.dat"), "wb") as f:
            f.write(state_text(KNOWN_BOARD))
        game.start()
        reach_board(game, PLAYER)
        game.click_square(POLTRONA_SQUARE)
        if moment:
            wait_until(lambda: moment(game), "moment %s" % when)
        else:
            game.wait_result(0)
        if when == "between the journal and players.txt":
            check(not game.exists("players.txt"), "players.txt was written before the kill %s" % when)
        kill_hard(game)

        again = restart(session, game)
        check(again.read("players.txt") == PLAYER_LINE,
              "killed %s: players.txt holds %r" % (when, again.read("players.txt")))
        check(poltrona_shown(again), "killed %s: state.dat does not show the play" % when)
        if when == "between the journal and players.txt":
            # The reproduction of the prize given twice: the same square, clicked again.
            again.press_ok()
            again.wait_form()
            again.press_ok()
            again.wait_board()
            again.click_square(POLTRONA_SQUARE)
            time.sleep(1.0)
            check(again.running() and not again.shows_background(again.display.screenshot(), RESULT_BACKGROUND_BASE),
                  "the Poltrona already won was given again")
        again.escape()
        expect_clean_exit(again, "ESC after the restart")
        check(again.read("players.txt") == PLAYER_LINE, "killed %s: a later run logged again" % when)


def mounted_folder(session, size="4m"):
    """A small file system of its own for the game's folder (root only)."""
    if os.geteuid() != 0:
        raise Skip("mounting a file system needs root")
    folder = os.path.join(session.scratch, "disk")
    os.mkdir(folder)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s,mode=0755" % size, "tabellone-e2e", folder],
                   check=True)
    session.cleanups.append(lambda: subprocess.run(["umount", "-l", folder]))
    return folder


def expect_stop_after_result(game, what):
    game.wait_result(0)
    game.press_ok()
    code = game.wait_exit()
    said = game.error_text()
    check(code == 1, "%s: exit status %d after the result, stderr %r" % (what, code, said))
    check(said.splitlines()[-1].startswith("tabellone: stopped: the records of the draw could not be written"),
          "%s: the game did not say why it stopped: %r" % (what, said))


def full_disk_leaves_no_partial_line_and_stops(session):
    """The disk fills while a player is on the board: the player sees the
    result, the game then stops; players.txt keeps no part of a line, and the
    next start, with room again, completes the play from the journal."""
    folder = mounted_folder(session)
    # No sound capture: it would write to the same full disk.
    game = session.new_game(workdir=folder, sound=False)
    game.stderr_path = os.path.join(session.scratch, "full-disk-stderr.txt")
    # The log ends 10 bytes short of a page, so the next line is cut by the full disk.
    earlier = b"x" * (4096 - 12) + b"\r\n"
    with open(game.path("players.txt"), "wb") as f:
        f.write(earlier[10:])
    with open(game.path("state.dat"), "wb") as f:
        f.write(state_text(KNOWN_BOARD))
    game.start()
    reach_board(game, PLAYER)
    filler = game.path("filler")
    fd = os.open(filler, os.O_WRONLY | os.O_CREAT)
    try:
        while os.write(fd, b"\0" * 4096) > 0:
            pass
    except OSError:
        pass
    os.close(fd)
    game.click_square(POLTRONA_SQUARE)
    expect_stop_after_result(game, "full disk")
    check(game.read("players.txt") == earlier[10:], "the full disk left part of a line in players.txt")
    check(game.read("state.dat") == state_text(KNOWN_BOARD), "state.dat changed on a full disk")

    os.remove(filler)
    again = restart(session, game)
    again.escape()
    expect_clean_exit(again, "the restart with room again")
    check(again.read("players.txt") == earlier[10:] + PLAYER_LINE,
          "the play was not completed: %r" % again.read("players.txt")[-60:])
    check(poltrona_shown(again), "state.dat does not show the completed play")


def unwritable_folder_stops_after_the_player(session):
    """The folder stops taking new files while a player is on the board (as
    when its permissions change; root is held back by the immutable flag):
    players.txt and the journal still take the play, state.dat cannot be
    replaced, so the game stops after the result; it will not start again in
    that folder, and once the folder is writable the board comes back from the
    journal with the prize uncovered."""
    game = session.new_game()
    with open(game.path("state.dat"), "wb") as f:
        f.write(state_text(KNOWN_BOARD))
    open(game.path("players.txt"), "wb").close()
    game.start()
    reach_board(game, PLAYER)
    lock = ["chattr", "+i", game.workdir] if os.geteuid() == 0 else ["chmod", "555", game.workdir]
    unlock = ["chattr", "-i", game.workdir] if os.geteuid() == 0 else ["chmod", "755", game.workdir]
    if subprocess.run(lock, stderr=subprocess.DEVNULL).returncode != 0:
        raise Skip("the folder cannot be made unwritable here")
    session.cleanups.append(lambda: subprocess.run(unlock))
    game.click_square(POLTRONA_SQUARE)
    expect_stop_after_result(game, "unwritable folder")
    check(game.read("players.txt") == PLAYER_LINE, "players.txt: %r" % game.read("players.txt"))
    check(game.read("state.dat") == state_text(KNOWN_BOARD), "state.dat changed in an unwritable folder")
    events = [json.loads(line) for line in game.read(JOURNAL).splitlines()]
    check([e["event"] for e in events[-3:]] == ["play", "write_failed", "run_ended"]
          and [f["file"] for f in events[-2]["failed"]] == ["state.dat"] and events[-1]["clean"] is False,
          "the journal does not tell the failed write: %r" % events[-3:])

    refused = session.new_game(workdir=game.workdir, files=()).start()
    code = refused.wait_exit()
    check(code == 1 and "does not run without its records" in refused.error_text(),
          "a start in the unwritable folder: exit status %d, stderr %r" % (code, refused.error_text()))
    subprocess.run(unlock, check=True)
    again = restart(session, game)
    again.escape()
    expect_clean_exit(again, "the restart in a writable folder")
    check(poltrona_shown(again) and again.read("players.txt") == PLAYER_LINE,
          "the play did not come back from the journal")


def second_copy_stops_before_drawing(session):
    """A second game in the same folder stops at once with one line, and opens no window."""
    first = session.new_game().start()
    first.wait_title()
    second = session.new_game(workdir=first.workdir).start()
    code = second.wait_exit()
    said = second.error_text()
    check(code == 1 and said == "tabellone: another Tabellone is already running in this folder\n",
          "the second copy: exit status %d, stderr %r" % (code, said))
    windows = session.windows_titled_tabellone()
    check(windows == 1, "%d windows titled Tabellone" % windows)
    first.escape()
    expect_clean_exit(first, "ESC on the first copy")


def held_state_file_waits_then_stops(session):
    """Under Wine: state.dat held open as a virus scanner holds it right
    after a write, so that replacing it meets a sharing violation. Held half
    a second while a play is recorded, the play is recorded and the game goes
    on; held for longer than the game tries (2 s), the game stops after the
    result as for any failed write, state.dat unchanged."""
    if not session.wine:
        raise Skip("a file held open blocks its replacement on Windows only")
    for held_long in (False, True):
        game = session.new_game()
        with open(game.path("state.dat"), "wb") as f:
            f.write(state_text(KNOWN_BOARD))
        game.start()
        reach_board(game, PLAYER)
        holder = session.wine.hold(session.display, game.path("state.dat"))
        try:
            game.click_square(POLTRONA_SQUARE)
            # The new board waits beside the held file while the game tries again.
            wait_until(lambda: game.exists("state.dat.tmp"), "state.dat.tmp beside the held state.dat")
            if held_long:
                wait_until(lambda: not game.exists("state.dat.tmp"), "the game giving up", timeout=10)
            else:
                time.sleep(0.5)
                check(game.exists("state.dat.tmp"), "the game gave up within half a second")
        finally:
            holder.stdin.close()
            holder.wait()
        if held_long:
            expect_stop_after_result(game, "state.dat held for long")
            check(game.read("state.dat") == state_text(KNOWN_BOARD), "the held state.dat changed")
            check(b'"event":"write_failed"' in game.read(JOURNAL), "the journal does not tell the failed write")
        else:
            game.wait_result(0)
            check(poltrona_shown(game) and not game.exists("state.dat.tmp"), "the play was not saved in state.dat")
            game.press_ok()
            game.wait_title()
            game.escape()
            expect_clean_exit(game, "ESC after a play that met a held state.dat")
        check(game.read("players.txt") == PLAYER_LINE, "players.txt: %r" % game.read("players.txt"))


SCENARIOS = [
    killed_during_a_play_is_recorded_once,
    full_disk_leaves_no_partial_line_and_stops,
    unwritable_folder_stops_after_the_player,
    second_copy_stops_before_drawing,
    held_state_file_waits_then_stops,
]
