"""End-to-end scenarios of a kiosk left alone: the form, the board and the
result go back to the title when nobody acts, with the wait shortened
through the test-only TABELLONE_TEST_LEFT_ALONE_MS; slow typing keeps the form."""
import json
import time

from game_contract import CONTRACT
from harness import FORM_FIELDS, PARKED_POINTER, check, differing_pixels, state_text, wine_type
from operator_scenarios import operator
from record_scenarios import JOURNAL
from scenarios import (KNOWN_BOARD, POLTRONA_SQUARE, UNCOVERED_SQUARE, expect_clean_exit, start_with_board,
                       win_poltrona_and_leave)

# The shortened wait in seconds: a few times the slowest input gap of the
# harness, and far under the game's own waits. Under Wine on a busy machine
# an input confirmed and a screen recognised take seconds each: 15 s proved
# too short there for the board to be seen before it went back.
LEFT_ALONE = 5.0
LEFT_ALONE_UNDER_WINE = 25.0
FORM = CONTRACT["FORM_BACKGROUND"]
PLAYER = ["Mario", "Rossi", "Milano"]


def journal_events(game):
    return [json.loads(line) for line in game.read(JOURNAL).decode().splitlines()]


def returns_to_title(game):
    return [e["screen"] for e in journal_events(game) if e["event"] == "idle_return"]


def check_returns(session, game, screens):
    """The journal holds one return for each of screens, and the operator's
    verify passes the records while status counts the returns."""
    check(returns_to_title(game) == screens, "the journal's returns: %s" % returns_to_title(game))
    code, out, _ = operator(session, "verify", game.workdir)
    check(code == 0 and "Esito: tutto concorda" in out, "verify: exit status %d:\n%s" % (code, out))
    counted = "Ritorni al titolo per inattività: dal modulo %d, dal tabellone %d, dal risultato %d" % tuple(
        screens.count(s) for s in ("form", "board", "result"))
    check(counted in operator(session, "status", game.workdir)[1], "status does not say %r" % counted)


def left_alone_until_title(game, wait, screen, what):
    """The screen with background `screen` stays up a while untouched, then
    the title comes back by itself."""
    game.stays_on(screen, what, seconds=wait / 2)
    game.wait_title(timeout=wait + 10)


def check_next_form_empty(game, first_form):
    """After the title's OK the form shows what it showed the first time."""
    game.press_ok()
    shot = game.wait_form()
    differing = [differing_pixels(shot, first_form, box) for box in FORM_FIELDS]
    check(differing == [0, 0, 0], "the next form is not empty: pixels differing %s" % differing)


def start_at_form(session):
    """The game with the shortened wait, on its first form; the wait, and the
    form as it first shows."""
    wait = LEFT_ALONE_UNDER_WINE if session.wine else LEFT_ALONE
    game = start_with_board(session, KNOWN_BOARD, env={"TABELLONE_TEST_LEFT_ALONE_MS": str(int(wait * 1000))})
    game.wait_title()
    game.press_ok()
    return game, wait, game.wait_form()


def now_and_then(wait, act):
    """act(n) for n = 0, 1, ... at a spacing of 0.4 wait, however long each
    takes, until 1.5 wait have passed; the number of acts."""
    started, n = time.monotonic(), 0
    while time.monotonic() - started <= 1.5 * wait:
        time.sleep(max(0.0, started + n * 0.4 * wait - time.monotonic()))
        act(n)
        n += 1
    return n


def form_left_alone_goes_to_title(session):
    """Fields typed and left: the title comes back, the next form is empty,
    nothing is recorded but the return, which names no player."""
    game, wait, first_form = start_at_form(session)
    game.fill_form(PLAYER)
    left_alone_until_title(game, wait, FORM, "form with its fields typed")
    check_next_form_empty(game, first_form)
    game.escape()
    expect_clean_exit(game, "ESC on the form screen")
    check(not game.exists("players.txt"), "a form left alone logged a play")
    check(game.read("state.dat") == state_text(KNOWN_BOARD), "a form left alone changed state.dat")
    check_returns(session, game, ["form"])
    check(not any(name.encode() in game.read(JOURNAL) for name in PLAYER), "the journal holds the player's data")


def board_left_alone_records_no_play(session):
    """The pointer moved now and then, and a click on an uncovered square,
    keep the board past the wait; left alone, it goes back to the title: no
    play, the board as it was, the next form empty."""
    game, wait, first_form = start_at_form(session)
    game.fill_form(PLAYER)
    game.press_ok()
    game.wait_board()
    spots = [(700, 100), (700, 500), (600, 300)]
    now_and_then(wait, lambda n: game.click_square(UNCOVERED_SQUARE) if n == 2 else game.display.move(*spots[n % 3]))
    check(game.ready(game.display.screenshot(), CONTRACT["BOARD_BACKGROUND"]), "the board did not stay while used")
    left_alone_until_title(game, wait, CONTRACT["BOARD_BACKGROUND"], "board screen")
    check_next_form_empty(game, first_form)
    game.escape()
    expect_clean_exit(game, "ESC on the form screen")
    check(not game.exists("players.txt"), "a board left alone logged a play")
    check(game.read("state.dat") == state_text(KNOWN_BOARD), "a board left alone changed state.dat")
    check(not [e for e in journal_events(game) if e["event"] == "play"], "a board left alone journalled a play")
    check_returns(session, game, ["board"])


def result_left_alone_keeps_its_play(session):
    """The result left alone goes back to the title; its play stays recorded once."""
    game, wait, _ = start_at_form(session)
    game.fill_form(PLAYER)
    game.press_ok()
    game.wait_board()
    game.click_square(POLTRONA_SQUARE)
    game.wait_result(0)
    game.wait_title(timeout=wait + 10)
    game.escape()
    expect_clean_exit(game, "ESC on the title screen")
    check(game.read("players.txt") == b"Mario, Rossi, Milano, Poltrona\r\n",
          "players.txt holds %r" % game.read("players.txt"))
    plays = [e["square"] for e in journal_events(game) if e["event"] == "play"]
    check(plays == [POLTRONA_SQUARE], "the journal's plays: %s" % plays)
    check_returns(session, game, ["result"])


def slow_typing_keeps_the_form(session):
    """One character now and then (every 2 s on Linux), past the wait: the
    form stays and its field reaches the log whole."""
    game, wait, _ = start_at_form(session)
    game.display.move(*PARKED_POINTER)
    letters = "abcdefghij"

    def type_one(n):
        if session.wine:
            wine_type(game, FORM_FIELDS[0], letters[n])
        else:
            game.display.type_text(letters[n])
    text = letters[:now_and_then(wait, type_one)]
    check(game.ready(game.display.screenshot(), FORM), "the form did not stay while typed into")
    game.press_ok()
    game.wait_board()
    win_poltrona_and_leave(game, ("%s, , , Poltrona\r\n" % text).encode())
    check_returns(session, game, [])


SCENARIOS = [
    form_left_alone_goes_to_title,
    board_left_alone_records_no_play,
    result_left_alone_keeps_its_play,
    slow_typing_keeps_the_form,
]
