"""A scenario's world: the X server, the scratch folder, the content and
its games, Linux or under Wine, and the scenario's time limit."""
import os
import re
import shutil
import signal
import subprocess
import tempfile

from content import Content
from game import Game
from layout import DATAFILES, SCREEN_H, SCREEN_W, Failure, check
from x_display import Display


class Wine:
    """tabellone.exe under Wine, through scripts/windows/wine-run (the
    project's prefix, with its 1024x768 desktop). One wineserver serves one
    X display, so each session stops the one left by whatever ran before.
    The game's window sits in the middle of Wine's desktop, over a black
    backdrop that covers the rest."""
    SCREEN = "1024x768x24"
    DESKTOP = "display 1024 768"    # what window-probe.exe display says
    WINDOW_AT = ((1024 - SCREEN_W) // 2, (768 - SCREEN_H) // 2)

    def __init__(self, exe):
        self.exe = exe
        self.run = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts", "windows", "wine-run")

    def probe(self, display, *args):
        """The output of window-probe.exe, built beside the game."""
        probe = os.path.join(os.path.dirname(self.exe), "window-probe.exe")
        return subprocess.run([self.run, probe] + list(args), env=display.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.decode(errors="replace")

    def display_mode(self, display):
        """The display's mode as Windows tells it: "display W H"."""
        return self.probe(display, "display").strip()

    def hold(self, display, path):
        """window-probe.exe holding the file open as a virus scanner does
        (reads shared, neither writes nor deletion) until its standard input
        is closed; returned once the file is held."""
        probe = os.path.join(os.path.dirname(self.exe), "window-probe.exe")
        holder = subprocess.Popen([self.run, probe, "hold", "Z:" + path.replace("/", "\\")], env=display.env,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        said = holder.stdout.readline().decode(errors="replace").strip()
        check(said == "held", "window-probe could not hold %s: %r" % (path, said))
        return holder

    def stop_server(self):
        subprocess.run([self.run, "--server", "-k"], stderr=subprocess.DEVNULL)
        subprocess.run([self.run, "--server", "-w"], stderr=subprocess.DEVNULL)


def raise_priority():
    """Under Wine a key or a button passes through the X server, Wine's
    desktop process, its server and the game's window thread: on a machine
    whose cores are busy with other work each hop waits its turn, and a
    release that reaches the game half a second late makes the library repeat
    the key. The harness, and so the X server and Wine it starts, then runs
    at a higher priority where it may (as root, as in CI)."""
    try:
        os.setpriority(os.PRIO_PROCESS, 0, -10)
    except PermissionError:
        pass


class Session:
    """One scenario's world: an X server, a scratch directory and the content
    (of the Linux build), and the game: the Linux build's, or a Wine one."""

    def __init__(self, build_dir, wine=None):
        self.scratch = tempfile.mkdtemp(prefix="tabellone-e2e-")
        self.content = Content(build_dir, self.scratch)
        self.wine = wine
        # Xvfb and xdotool type what a US keyboard has; Wine passes on no other letters.
        self.types_accents = wine is None
        if wine:
            wine.stop_server()
            raise_priority()
            self.display = Display(Wine.SCREEN, Wine.WINDOW_AT, wine=True)
        else:
            self.display = Display()
        self.games = []
        self.cleanups = []      # run at close, last first (a file system to unmount)

    def new_game(self, files=DATAFILES, workdir=None, sound=True, allegro_config="", env=None):
        if workdir is None:
            workdir = tempfile.mkdtemp(prefix="run-", dir=self.scratch)
        game = Game(self.display, self.content, workdir, files, sound, allegro_config, env)
        if self.wine:
            game.command = [self.wine.run, self.wine.exe]
            game.env["HOME"] = os.environ["HOME"]    # where wine-run keeps the prefix
        self.games.append(game)
        return game

    def use_screen(self, screen, offset):
        """Another X server in place of the first, of another size, with the
        game's picture at offset on it; before any game starts."""
        self.display.close()
        self.display = Display(screen, offset, wine=self.wine is not None)

    def windows_titled_tabellone(self):
        if self.wine:
            found = re.search(r"windows (\d+)", self.wine.probe(self.display))
            return int(found.group(1)) if found else -1
        return len(self.display.xdotool("search", "--name", "^Tabellone$").split())

    def close(self, keep):
        for game in self.games:
            game.kill()
        if self.wine:
            self.wine.stop_server()
        for cleanup in reversed(self.cleanups):
            cleanup()
        self.display.close()
        if not keep:
            shutil.rmtree(self.scratch, ignore_errors=True)


def run_with_timeout(seconds):
    """From now on, a scenario still running after seconds fails; 0 disarms."""
    def alarm(*_):
        raise Failure("scenario took longer than %d s" % seconds)
    signal.signal(signal.SIGALRM, alarm)
    signal.alarm(seconds)
