#!/usr/bin/env python3
"""Times the game in Xvfb: launch to the first title screen drawn, each
screen's first appearance (its decode included) and a later one, the
processor share while a screen waits, and the peak memory. A screen has
appeared once its dialog is drawn and takes input: its input settling time
(INPUT_SETTLE_MS in shell/screens.h) is part of each figure.

    python3 tests/e2e/measure.py --build-dir build [--no-sound]
    python3 tests/e2e/measure.py --build-dir build --records FOLDER [--rounds N]

With --records it times only the launch to the title and the peak memory,
on a copy of the records in FOLDER (as bench/history_bench leaves them)
beside an empty folder, alternately, N rounds each.

The screen is read straight from the X server through libX11 (ctypes), a
few milliseconds a look, so the times are good to about 10 ms."""
import argparse
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from game_contract import CONTRACT  # noqa: E402
from harness import (OK_BUTTON, PARKED_POINTER, Failure, FastScreen, Session, cell_box,  # noqa: E402
                     box_centre, state_text)
import scenarios  # noqa: E402


OTHER_POLTRONA = 23     # the second Poltrona of the known board


def time_until(game, screen, predicate, what, since, timeout=15):
    while True:
        if predicate(screen.grab()):
            return time.monotonic() - since
        if time.monotonic() - since > timeout:
            raise Failure("no %s" % what)
        if not game.running():
            raise Failure("the game ended")


def cpu_share(game, seconds=5.0):
    """Shares of one core: all the game's threads, and its main thread."""
    used, own, started = game.cpu_seconds(), game.cpu_seconds(True), time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - started
    return (game.cpu_seconds() - used) / elapsed, (game.cpu_seconds(True) - own) / elapsed


def release_click(display, box):
    """Press over box; the returned time is that of the release, when the
    dialog closes. The pointer goes back out of the way, off the objects the
    next screen draws."""
    x, y = box_centre(box)
    display.move(x, y)
    time.sleep(0.1)
    display.xdotool("mousedown", 1)
    time.sleep(0.15)
    display.xdotool("mouseup", 1)
    released = time.monotonic()
    display.xdotool("mousemove", *PARKED_POINTER)
    return released


RECORD_FILES = ("tabellone-registro.jsonl", "players.txt", "state.dat")


def launch_on(session, screen, records, sound):
    """Launch to the title in milliseconds and peak memory in KiB, on a copy of
    the records in the folder records (an empty folder if None)."""
    game = session.new_game(sound=sound)
    for name in RECORD_FILES if records else ():
        if os.path.exists(os.path.join(records, name)):
            shutil.copyfile(os.path.join(records, name), game.path(name))
    launched = time.monotonic()
    game.start()
    title = time_until(game, screen, lambda s: game.ready(s, 0), "title", launched, timeout=60)
    peak = game.peak_memory_kib()
    game.escape()
    game.wait_exit()
    shutil.rmtree(game.workdir)
    return 1000 * title, peak


def measure_launch(session, records, rounds, sound):
    screen = FastScreen(session.display.name)
    session.content.background(0)
    figures = {None: [], records: []}
    for _ in range(rounds):        # alternately, so a busy moment falls on both
        for folder in figures:
            figures[folder].append(launch_on(session, screen, folder, sound))
    for folder, runs in figures.items():
        times = sorted(t for t, _ in runs)
        print("%-40s launch to title: median %4.0f ms (min %4.0f, max %4.0f); peak memory %6.1f MB"
              % (folder or "empty folder", times[len(times) // 2], times[0], times[-1],
                 max(p for _, p in runs) / 1024.0))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--no-sound", action="store_true",
                        help="without a sound device, instead of the capture device")
    parser.add_argument("--records", help="time the launch on a copy of the records in this folder")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    session = Session(os.path.abspath(args.build_dir))
    try:
        if args.records:
            measure_launch(session, os.path.abspath(args.records), args.rounds, not args.no_sound)
            return
        game = session.new_game(sound=not args.no_sound)
        with open(game.path("state.dat"), "wb") as f:
            f.write(state_text(scenarios.KNOWN_BOARD))
        screen = FastScreen(session.display.name)
        display = session.display
        for n in range(CONTRACT["BACKGROUND_COUNT"]):   # reference pictures first, out of the timed spans
            session.content.background(n)
        shows = game.ready
        ok = OK_BUTTON

        launched = time.monotonic()
        game.start()
        title_first = time_until(game, screen, lambda s: shows(s, 0), "title", launched)
        game.park_pointer()
        time.sleep(1.0)
        waiting = {"title": cpu_share(game)}
        form_first = time_until(game, screen, lambda s: shows(s, 1), "form", release_click(display, ok))
        display.move(*PARKED_POINTER)
        time.sleep(0.5)
        waiting["form"] = cpu_share(game)
        board_first = time_until(game, screen, lambda s: shows(s, 2), "board", release_click(display, ok))
        display.move(*PARKED_POINTER)
        time.sleep(0.5)
        waiting["board"] = cpu_share(game)
        result_first = time_until(game, screen, lambda s: shows(s, 3), "result",
                                  release_click(display, cell_box(scenarios.POLTRONA_SQUARE)))
        display.move(*PARKED_POINTER)
        time.sleep(0.5)
        waiting["result"] = cpu_share(game)

        title_again = time_until(game, screen, lambda s: shows(s, 0), "title", release_click(display, ok))
        form_again = time_until(game, screen, lambda s: shows(s, 1), "form", release_click(display, ok))
        board_again = time_until(game, screen, lambda s: shows(s, 2), "board", release_click(display, ok))
        result_again = time_until(game, screen, lambda s: shows(s, 3), "result",
                                  release_click(display, cell_box(OTHER_POLTRONA)))
        peak = game.peak_memory_kib()
        display.move(*PARKED_POINTER)
        game.escape()
        code = game.wait_exit()

        print("launch to first title screen drawn: %4.0f ms" % (1000 * title_first))
        print("first appearance (decode and input settling included), from the click that calls it:")
        print("  form   %4.0f ms   board %4.0f ms   result %4.0f ms (2000 ms pause included)"
              % (1000 * form_first, 1000 * board_first, 1000 * result_first))
        print("later appearance (cached picture, input settling included):")
        print("  title  %4.0f ms   form  %4.0f ms   board  %4.0f ms   result %4.0f ms (pause included)"
              % (1000 * title_again, 1000 * form_again, 1000 * board_again, 1000 * result_again))
        print("processor share while waiting (5 s each), all threads (main thread): " +
              ", ".join("%s %.2f%% (%.2f%%)" % (k, 100 * v[0], 100 * v[1]) for k, v in waiting.items()))
        print("peak resident memory (VmHWM): %d KiB; exit status %d" % (peak, code))
    finally:
        session.close(keep=False)


if __name__ == "__main__":
    main()
