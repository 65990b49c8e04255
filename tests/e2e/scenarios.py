"""End-to-end scenarios of the game, one per function. Each gets a Session
(private X server, scratch folder, the built content) and raises Failure
when the game does not behave."""
import os
import re
import time

from harness import (DATAFILES, FORM_FIELDS, OK_BUTTON, PARKED_POINTER,
                     FastScreen, read_xpm, cell_box, check, check_fresh_deal, differing_in_place,
                     differing_pixels, parse_state, pointer_box, read_wav, rms, state_text)

# A board of a known make-up for the scenarios that need to know what lies
# under a square: a fresh deal's counts, 15 empty squares uncovered.
KNOWN_BOARD = [(6, 0)] * 100
for square, prize in {7: 0, 23: 0, 31: 1, 45: 2, 52: 3, 68: 4, 70: 5, 74: 5, 81: 5, 88: 5, 96: 5}.items():
    KNOWN_BOARD[square] = (prize, 0)
for square in (0, 1, 2, 10, 19, 33, 40, 49, 55, 60, 66, 77, 90, 91, 99):
    KNOWN_BOARD[square] = (6, 1)
POLTRONA_SQUARE = 7
EMPTY_COVERED_SQUARE = 14
UNCOVERED_SQUARE = 33

ACCENTED = "Perché così è più già"
UNACCENTED = "Perche cosi e piu gia"   # where accented letters cannot be typed (Wine)
LONG_TEXT = "abcdefghijklmnopqrstuvwxyz0123456789"   # 36 characters, the field keeps 30
PLAIN = "Via Roma 1"


def start_with_board(session, cells, sound=True):
    game = session.new_game(sound=sound)
    with open(game.path("state.dat"), "wb") as f:
        f.write(state_text(cells))
    return game.start()


def reach_board(game, texts=("", "", "")):
    game.wait_title()
    game.press_ok()
    game.wait_form()
    game.fill_form(texts)
    game.press_ok()
    return game.wait_board()


def expect_clean_exit(game, what):
    code = game.wait_exit()
    check(code == 0, "%s: exit status %d, stderr %r" % (what, code, game.error_text()))


def focus_frame(box):
    """The two-pixel ring inside box where a focused icon shows its frame."""
    x, y, w, h = box
    return [(x, y, w, 2), (x, y + h - 2, w, 2), (x, y, 2, h), (x + w - 2, y, 2, h)]


def typed_pixels(shot, background, box):
    """Pixels of box that are near black and not so in the background: the
    text typed into a field."""
    seen, under = shot.crop(box).rgb, background.crop(box).rgb
    return sum(1 for i in range(0, len(seen), 3)
               if sum(seen[i:i + 3]) < 150 and seen[i:i + 3] != under[i:i + 3])


def cells_of(cells):
    """What the board screen should show for a board: 'cover' or the prize type."""
    return [t if rev else "cover" for t, rev in cells]


# ---------------------------------------------------------------- scenarios

def full_pass(session):
    """Title OK, three fields typed (accented; too long, cut at 30), OK, a
    covered square, the pause, the result of its prize, the log line byte
    for byte and the saved board with one more revealed square."""
    name = ACCENTED if session.types_accents else UNACCENTED
    game = start_with_board(session, KNOWN_BOARD)
    game.wait_title()
    game.press_ok()
    game.wait_form()
    game.fill_form([name, LONG_TEXT, PLAIN])
    game.press_ok()
    board = game.wait_board()
    check(game.board_cells(board) == cells_of(KNOWN_BOARD), "the board does not show state.dat")

    clicked = time.monotonic()
    game.click_square(POLTRONA_SQUARE)
    during = game.wait_for(lambda s: game.board_cells(s)[POLTRONA_SQUARE] == 0,
                           "the uncovered Poltrona", timeout=5)
    check(not game.shows_background(during, 3), "the result came without the pause")
    game.wait_result(0)
    pause = time.monotonic() - clicked
    check(pause >= 1.9, "the result came %.2f s after the click, before the 2 s pause" % pause)

    expected_line = ("%s, %s, %s, Poltrona\r\n" % (name, LONG_TEXT[:30], PLAIN)).encode("utf-8")
    check(game.read("players.txt") == expected_line,
          "players.txt holds %r, expected %r" % (game.read("players.txt"), expected_line))
    after = list(KNOWN_BOARD)
    after[POLTRONA_SQUARE] = (0, 1)
    check(parse_state(game.read("state.dat")) == after, "state.dat is not the board after the play")

    game.press_ok()
    game.wait_title()
    game.escape()
    expect_clean_exit(game, "ESC after a full pass")


def click_on_uncovered_square(session):
    """A click on an uncovered square keeps the board screen as it is; the
    next click on a covered one plays as usual."""
    game = start_with_board(session, KNOWN_BOARD)
    before = reach_board(game)
    game.click_square(UNCOVERED_SQUARE)
    time.sleep(1.0)
    after = game.display.screenshot()
    # The library may draw its dotted focus frame round the cell clicked.
    changed = differing_pixels(after, before, (0, 0, 800, 600),
                               skip=[pointer_box(PARKED_POINTER)] + focus_frame(cell_box(UNCOVERED_SQUARE)))
    check(changed == 0, "the screen changed in %d pixels after a click on an uncovered square" % changed)
    check(game.running(), "the game ended")
    check(not game.exists("players.txt") and game.read("state.dat") == state_text(KNOWN_BOARD),
          "a click on an uncovered square was recorded")
    game.click_square(EMPTY_COVERED_SQUARE)
    game.wait_result(6)
    check(game.read("players.txt") == b", , , Niente\r\n", "log line %r" % game.read("players.txt"))
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")


def esc_on_title(session):
    game = session.new_game().start()
    game.wait_title()
    game.escape()
    expect_clean_exit(game, "ESC on the title screen")
    check(not game.exists("players.txt") and not game.exists("state.dat"),
          "ESC on the title screen wrote a record")


def esc_on_form(session):
    game = session.new_game().start()
    game.wait_title()
    game.press_ok()
    game.wait_form()
    game.fill_form(["Mario"])
    game.escape()
    expect_clean_exit(game, "ESC on the form screen")
    check(not game.exists("players.txt") and not game.exists("state.dat"),
          "ESC on the form screen wrote a record")


def esc_on_board(session):
    game = start_with_board(session, KNOWN_BOARD)
    reach_board(game, ["Mario", "Rossi", ""])
    game.escape()
    expect_clean_exit(game, "ESC on the board screen")
    check(not game.exists("players.txt"), "ESC on the board screen logged a play")
    check(game.read("state.dat") == state_text(KNOWN_BOARD), "ESC on the board screen changed state.dat")


def esc_on_result(session):
    game = start_with_board(session, KNOWN_BOARD)
    reach_board(game, ["Mario", "Rossi", "Milano"])
    game.click_square(POLTRONA_SQUARE)
    game.wait_result(0)
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")
    check(game.read("players.txt") == b"Mario, Rossi, Milano, Poltrona\r\n",
          "the play was not kept: %r" % game.read("players.txt"))
    check(parse_state(game.read("state.dat"))[POLTRONA_SQUARE] == (0, 1), "the board was not saved")


def restart_goes_on_with_saved_board(session):
    """A first run without state.dat deals and saves; the second run shows
    that very board and adds its play to it."""
    first = session.new_game().start()
    board = reach_board(first)
    shown = first.board_cells(board)
    covered = [i for i, c in enumerate(shown) if c == "cover"]
    check(len(covered) == 85, "a fresh board shows %d covered squares" % len(covered))
    first.click_square(covered[0])
    first.wait_for(lambda s: first.board_cells(s)[covered[0]] not in ("cover", None),
                   "the uncovered square", timeout=5)
    first.wait_any_result()
    first.escape()
    expect_clean_exit(first, "first run")
    saved = parse_state(first.read("state.dat"))
    check(sum(rev for _, rev in saved) == 16, "the first play is not in state.dat")

    second = session.new_game(workdir=first.workdir).start()
    board = reach_board(second)
    check(second.board_cells(board) == cells_of(saved), "the restart does not show the saved board")
    square = next(i for i, (_, rev) in enumerate(saved) if not rev)
    second.click_square(square)
    second.wait_result(saved[square][0])
    second.escape()
    expect_clean_exit(second, "second run")
    expected = list(saved)
    expected[square] = (saved[square][0], 1)
    check(parse_state(second.read("state.dat")) == expected, "the second play did not go on the saved board")
    check(second.read("players.txt").count(b"\r\n") == 2, "players.txt does not hold both plays")


def fully_revealed_board_gives_new_deal(session):
    game = start_with_board(session, [(t, 1) for t, _ in KNOWN_BOARD])
    board = reach_board(game)
    shown = game.board_cells(board)
    check(shown.count("cover") == 85 and shown.count(6) == 15,
          "the first board is no fresh deal: %d covered, %d Niente shown"
          % (shown.count("cover"), shown.count(6)))
    square = shown.index("cover")
    game.click_square(square)
    game.wait_any_result()
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")
    saved = parse_state(game.read("state.dat"))
    check(sum(rev for _, rev in saved) == 16, "state.dat does not hold the new deal and one play")
    saved[square] = (saved[square][0], 0)
    check_fresh_deal(saved, "the new deal")


def refused_state_file_keeps_fresh_deal(session):
    game = session.new_game()
    with open(game.path("state.dat"), "wb") as f:
        f.write(b"xxxxxxxxxx\r\nxxxx?xxxxx\r\n")
    game.start()
    board = reach_board(game)
    shown = game.board_cells(board)
    check(shown.count("cover") == 85 and shown.count(6) == 15, "the refused file replaced the deal")
    game.escape()
    expect_clean_exit(game, "ESC on the board screen")
    message = game.error_text()
    check("state.dat" in message and message.count("\n") == 1,
          "no one-line word about the refused state.dat: %r" % message)


def screens_show_backgrounds_buttons_and_cells(session):
    """Each screen is its background as build/decode-jpeg decodes it, with the
    OK button and the board cells where the dialogs put them."""
    content = session.content
    game = start_with_board(session, KNOWN_BOARD)
    pointer = [pointer_box(PARKED_POINTER)]
    ok_inside = (OK_BUTTON[0] + 2, OK_BUTTON[1] + 2, OK_BUTTON[2] - 4, OK_BUTTON[3] - 4)

    def button_matches(shot):
        image = content.ok_button().crop((2, 2, OK_BUTTON[2] - 4, OK_BUTTON[3] - 4))
        return differing_in_place(shot, image, ok_inside)

    def background_matches(shot, n, covered):
        return differing_pixels(shot, content.background(n), (0, 0, 800, 600), skip=covered + pointer)

    shot = game.wait_title()
    check(background_matches(shot, 0, [OK_BUTTON]) == 0, "title background differs")
    check(button_matches(shot) == 0, "title OK button differs")
    game.press_ok()

    shot = game.wait_form()
    check(background_matches(shot, 1, [OK_BUTTON] + FORM_FIELDS) == 0, "form background differs")
    check(button_matches(shot) == 0, "form OK button differs")
    # The first field, which has the focus, shows only its block caret at the left.
    x, y, w, h = FORM_FIELDS[0]
    empty = [typed_pixels(shot, content.background(1), box)
             for box in [(x + 16, y, w - 16, h)] + FORM_FIELDS[1:]]
    check(empty == [0, 0, 0], "the empty fields hold text: %s" % empty)
    game.fill_form(["MMMM", "MMMM", "MMMM"])
    shot = game.wait_for(lambda s: all(typed_pixels(s, content.background(1), box) > 20
                                       for box in FORM_FIELDS),
                         "typed text in the three fields", timeout=5)
    check(background_matches(shot, 1, [OK_BUTTON] + FORM_FIELDS) == 0,
          "typing drew outside the three fields")
    game.press_ok()

    shot = game.wait_board()
    cells = [cell_box(i) for i in range(100)]
    check(background_matches(shot, 2, cells) == 0, "board background differs between the cells")
    for i in range(100):
        t, rev = KNOWN_BOARD[i]
        image = content.prize_image(t) if rev else content.cover()
        check(differing_in_place(shot, image, cell_box(i)) == 0, "cell %d is not at its place" % i)
    game.click_square(POLTRONA_SQUARE)

    shot = game.wait_result(0)
    check(background_matches(shot, 3, [OK_BUTTON]) == 0, "result background differs")
    check(button_matches(shot) == 0, "result OK button differs")
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")


def sound_holds_music_and_reveal(session):
    """The capture holds the music from start-up, and the reveal sound rises
    over it after the click."""
    game = start_with_board(session, KNOWN_BOARD)
    reach_board(game)
    time.sleep(1.0)
    before_click = os.path.getsize(game.sound_file)
    game.click_square(POLTRONA_SQUARE)
    game.wait_result(0)
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")

    rate, channels, samples, header = read_wav(game.sound_file)
    window = rate * channels // 2          # half a second
    check(len(samples) > 4 * window, "the capture holds only %d samples" % len(samples))
    music = rms(samples[:window])
    check(music > 100, "no music at start-up (level %.0f)" % music)
    start = max(0, (before_click - header) // 2)
    music_levels = [rms(samples[i:i + window]) for i in range(0, start - window, window)]
    reveal_levels = [rms(samples[i:i + window]) for i in range(start, len(samples) - window, window // 2)]
    check(music_levels and reveal_levels, "the capture is too short to tell music from reveal")
    check(max(reveal_levels) > 1.3 * max(music_levels),
          "no reveal sound over the music: level %.0f after the click, up to %.0f before"
          % (max(reveal_levels), max(music_levels)))


def missing_datafile_stops(session):
    for missing in DATAFILES:
        game = session.new_game(files=[f for f in DATAFILES if f != missing]).start()
        code = game.wait_exit()
        message = game.error_text()
        check(code == 1, "without %s: exit status %d" % (missing, code))
        check(message.count("\n") == 1 and missing in message,
              "without %s: message %r" % (missing, message))
        kept = game.read("tabellone-errori.txt") if game.exists("tabellone-errori.txt") else b""
        check(kept.endswith(b"\r\n") and missing.encode() in kept.split(b"\r\n")[-2],
              "without %s: the errors file ends %r" % (missing, kept[-80:]))


def short_datafile_stops(session):
    """A datafile cut short, and one lacking objects, stop with a message."""
    game = session.new_game()
    with open(session.content.datafile("battle.dat"), "rb") as f:
        data = f.read()
    with open(game.path("battle.dat"), "wb") as f:
        f.write(data[:len(data) // 2])
    game.start()
    code = game.wait_exit()
    check(code == 1 and "battle.dat" in game.error_text() and game.error_text().count("\n") == 1,
          "a cut battle.dat: status %d, message %r" % (code, game.error_text()))

    game = session.new_game(files=("graphics.dat", "battle.dat"))
    # music.dat stands in for graphics.dat: one object where ten are needed.
    os.replace(game.path("graphics.dat"), game.path("music.dat"))
    os.link(session.content.datafile("music.dat"), game.path("graphics.dat"))
    game.start()
    code = game.wait_exit()
    message = game.error_text()
    check(code == 1 and "graphics.dat" in message and "object" in message and message.count("\n") == 1,
          "graphics.dat with too few objects: status %d, message %r" % (code, message))


def graphics_mode_failure_stops(session):
    """A graphics driver that cannot start (DGA, which Xvfb lacks, asked for
    through the library's configuration) stops the game with a message."""
    game = session.new_game(allegro_config="[graphics]\ngfx_card = DGA2\n").start()
    code = game.wait_exit()
    message = game.error_text()
    check(code == 1, "exit status %d" % code)
    check(message.startswith("tabellone: cannot set the 800x600 24-bit graphics mode")
          and message.count("\n") == 1, "message %r" % message)


def waiting_uses_little_processor(session):
    """Each waiting screen uses under 5% of one core. Measured without a sound
    device: the capture device of the other scenarios takes samples as fast
    as the library mixes them, at about twice a real card's pace."""
    game = start_with_board(session, KNOWN_BOARD, sound=False)

    def measure(what):
        time.sleep(0.5)
        used, started = game.cpu_seconds(), time.monotonic()
        time.sleep(4.0)
        share = (game.cpu_seconds() - used) / (time.monotonic() - started)
        check(share < 0.05, "waiting on the %s uses %.1f%% of a core" % (what, 100 * share))

    game.wait_title()
    measure("title screen")
    game.press_ok()
    game.wait_form()
    measure("form screen")
    game.press_ok()
    game.wait_board()
    measure("board screen")
    game.click_square(POLTRONA_SQUARE)
    game.wait_result(0)
    measure("result screen")
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")


def no_sound_device_plays_silently(session):
    """Sound that cannot start is no reason to stop: a whole pass is played
    and logged, and nothing is said about it."""
    game = start_with_board(session, KNOWN_BOARD, sound=False)
    reach_board(game, ["Mario", "", ""])
    game.click_square(POLTRONA_SQUARE)
    game.wait_result(0)
    game.escape()
    expect_clean_exit(game, "ESC on the result screen")
    check(game.read("players.txt") == b"Mario, , , Poltrona\r\n", "the play was not logged")
    check(not game.exists("sound.wav"), "a sound device was found after all")
    check(game.error_text() == "", "the game said %r" % game.error_text())


def window_has_title_and_icon(session):
    """The window is titled with the game's name, and its icon pixmap shows
    the picture of shell/icon_xpm.cpp (not the library's own icon); under
    Wine, its large and small icons are icon group 101 of the .exe."""
    game = session.new_game().start()
    game.wait_title()
    if session.wine:
        # The window lives inside Wine's desktop, not on the X server: its
        # caption shows the small icon, drawn there as the probe draws it.
        check(session.windows_titled_tabellone() == 1, "not one window titled Tabellone")
        shot = session.display.screenshot(whole=True)
        x, y = session.wine.CAPTION_ICON_AT
        expected = session.wine.small_icon(session.display, shot.pixel(x - 1, y))
        check(shot.crop((x, y, expected.width, expected.height)).rgb == expected.rgb,
              "the window's caption does not show icon group 101")
        game.escape()
        expect_clean_exit(game, "ESC on the title screen")
        return
    windows = session.display.xdotool("search", "--name", "^Tabellone$").split()
    check(len(windows) == 1, "%d windows titled Tabellone" % len(windows))
    hints = session.display.run("xprop", "-id", windows[0], "WM_HINTS")
    found = re.search(r"bitmap id # to use for icon: (0x[0-9a-f]+)", hints, re.I)
    check(found, "the window has no icon pixmap: %r" % hints)
    icon_source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shell", "icon_xpm.cpp")
    expected = read_xpm(icon_source)
    icon = FastScreen(session.display.name).grab(int(found.group(1), 16), expected.width, expected.height)
    check(icon.rgb == expected.rgb, "the window's icon is not the game's")
    game.escape()
    expect_clean_exit(game, "ESC on the title screen")


SCENARIOS = [
    full_pass,
    click_on_uncovered_square,
    esc_on_title,
    esc_on_form,
    esc_on_board,
    esc_on_result,
    restart_goes_on_with_saved_board,
    fully_revealed_board_gives_new_deal,
    refused_state_file_keeps_fresh_deal,
    screens_show_backgrounds_buttons_and_cells,
    sound_holds_music_and_reveal,
    missing_datafile_stops,
    short_datafile_stops,
    graphics_mode_failure_stops,
    waiting_uses_little_processor,
    no_sound_device_plays_silently,
    window_has_title_and_icon,
]
