#!/usr/bin/env python3
"""The Debian package as a user meets it: installed (as root, with apt-get;
otherwise, or with --unpack, unpacked into a scratch root), the game started
through the launcher in a private Xvfb, one pass played, the records found in
the records folder and checked by the packaged tabellone-operatore, then the
package removed and the records found unchanged.

    package_test.py --build-dir build build/tabellone_1.0_amd64.deb [--unpack]
"""
import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

from harness import (DATAFILES, PRIZE_NAMES, Failure, Session, check, check_fresh_deal,  # noqa: E402
                     parse_state, run_with_timeout)
from scenarios import expect_clean_exit, reach_board  # noqa: E402

FIELDS = ("Mario", "Rossi", "Milano")
RECORDS = ("state.dat", "players.txt", "tabellone-registro.jsonl")


def run(*command, env=None):
    return subprocess.run(command, env=env, check=True, capture_output=True, text=True).stdout


class Package:
    """The package put on the machine, and taken off again."""

    def __init__(self, deb, scratch, unpack):
        self.deb, self.unpack = os.path.abspath(deb), unpack
        self.root = os.path.join(scratch, "root") if unpack else "/"
        self.installed = False

    def path(self, name):
        return os.path.join(self.root, name.lstrip("/"))

    def install(self):
        if self.unpack:
            run("dpkg-deb", "-x", self.deb, self.root)
        else:
            run("apt-get", "install", "-y", "-qq", "--no-install-recommends",
                "-o", "DPkg::Lock::Timeout=300", self.deb,
                env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        self.installed = True

    def remove(self):
        if not self.installed:
            return
        if self.unpack:
            subprocess.run(["rm", "-rf", self.root], check=True)
        else:
            run("apt-get", "purge", "-y", "-qq", "-o", "DPkg::Lock::Timeout=300", "tabellone")
        self.installed = False


def play_through_launcher(session, package):
    launcher = package.path("/usr/games/tabellone")
    game = session.new_game(files=())
    env = {k: v for k, v in game.env.items() if not k.startswith("XDG_")}
    game.env = env
    records = os.path.join(env["HOME"], ".local", "share", "tabellone")
    check(run(launcher, "--cartella", env=env) == records + "\n",
          "the launcher names another records folder than %s" % records)
    check(not os.path.exists(records), "the records folder exists before the first start")

    game.command = [launcher]
    said = game.path("launcher-output.txt")
    with open(said, "wb") as out:
        game.stdout = out
        game.start()
    game.workdir = records          # the game's files are read there from now on
    shown = game.board_cells(reach_board(game, FIELDS))
    check(shown.count("cover") == 85, "the first board shows %d covered squares" % shown.count("cover"))
    square = shown.index("cover")
    game.click_square(square)
    prize = game.wait_any_result()
    game.press_ok()
    game.wait_title()
    game.escape()
    expect_clean_exit(game, "ESC after a pass through the launcher")

    with open(said, encoding="utf-8") as f:
        check(records in f.read(), "the launcher did not say where the records are")
    for name in DATAFILES:
        link = os.path.join(records, name)
        installed = package.path("/usr/share/games/tabellone/" + name)
        check(os.path.islink(link) and os.path.realpath(link) == os.path.realpath(installed),
              "%s in the records folder is not a link to the installed datafile" % name)
        with open(installed, "rb") as a, open(session.content.datafile(name), "rb") as b:
            check(a.read() == b.read(), "the packaged %s differs from the build's" % name)
    expected = ("%s, %s, %s, %s\r\n" % (FIELDS + (PRIZE_NAMES[prize],))).encode("utf-8")
    check(game.read("players.txt") == expected,
          "players.txt holds %r, expected %r" % (game.read("players.txt"), expected))
    cells = parse_state(game.read("state.dat"))
    check(cells[square] == (prize, 1), "state.dat does not show square %d uncovered" % square)
    cells[square] = (prize, 0)
    check_fresh_deal(cells, "state.dat less the play")
    verdict = subprocess.run([package.path("/usr/games/tabellone-operatore"), "verify", records],
                             capture_output=True, text=True)
    check(verdict.returncode == 0, "tabellone-operatore verify: %s" % (verdict.stdout + verdict.stderr))
    return records


def autostart_entry(package, env):
    """The one command that makes the game start with the session."""
    launcher = package.path("/usr/games/tabellone")
    run(launcher, "--avvio-automatico", env=env)
    entry = os.path.join(env["HOME"], ".config", "autostart", "tabellone.desktop")
    check(os.path.realpath(entry) == os.path.realpath(package.path("/usr/share/applications/tabellone.desktop")),
          "--avvio-automatico made no link to the menu entry")
    run(launcher, "--niente-avvio-automatico", env=env)
    check(not os.path.lexists(entry), "--niente-avvio-automatico left the autostart entry")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--unpack", action="store_true", help="unpack into a scratch root instead of installing")
    parser.add_argument("deb")
    args = parser.parse_args()
    session = Session(os.path.abspath(args.build_dir))
    package = Package(args.deb, session.scratch, args.unpack or os.getuid() != 0)
    ok = False
    try:
        run_with_timeout(300)
        package.install()
        records = play_through_launcher(session, package)
        autostart_entry(package, session.games[0].env)
        kept = {name: open(os.path.join(records, name), "rb").read() for name in RECORDS}
        package.remove()
        check(not os.path.exists(package.path("/usr/games/tabellone")), "the launcher is still there")
        for name, data in kept.items():
            with open(os.path.join(records, name), "rb") as f:
                check(f.read() == data, "%s changed when the package was removed" % name)
        ok = True
        print("PASS package (%s): played through the launcher, records kept in %s"
              % ("unpacked" if package.unpack else "installed", records))
    except Failure as failure:
        print("FAIL package: %s" % failure)
    finally:
        run_with_timeout(0)
        package.remove()
        session.close(keep=not ok)
        if not ok:
            print("     scratch kept in %s" % session.scratch)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
