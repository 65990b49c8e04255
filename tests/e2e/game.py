"""The game's process: build/tabellone (or tabellone.exe through Wine) in
a fresh working directory, its files, its threads' counts, and the waits
for its screens and the inputs that play it."""
import os
import re
import shutil
import subprocess
import time

from game_contract import CONTRACT
from layout import (DATAFILES, DIALOG_BOXES, FOCUS_INSIDE, FORM_FIELDS, OK_BUTTON, OK_INSIDE, OK_INSIDE_IMAGE,
                    PARKED_POINTER, PRIZE_NAMES, RESULT_BACKGROUND_BASE, SCREEN_H, SCREEN_W, SQUARES, Failure,
                    cell_box, check, inside_any, pointer_box)
from pictures import differing_in_place
from sound import ALLEGRO_ALSA_ONLY, ALSA_CAPTURE, ALSA_MISSING
from wine_input import wine_click, wine_input, wine_type
from x_display import die_with_harness


class Game:
    """build/tabellone running in a fresh working directory that holds the
    built datafiles (or what a scenario put there instead), its sound either
    captured to sound.wav or, with sound=False, without any sound device;
    allegro_config goes into the library's configuration file."""

    def __init__(self, display, content, workdir, files=DATAFILES, sound=True, allegro_config="", env=None):
        self.display, self.content, self.workdir = display, content, workdir
        for name in files:
            shutil.copy(content.datafile(name), os.path.join(workdir, name))
        home = os.path.join(workdir, "home")
        os.makedirs(home, exist_ok=True)
        self.sound_file = os.path.join(workdir, "sound.wav")
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write(ALSA_CAPTURE % self.sound_file if sound else ALSA_MISSING)
        with open(os.path.join(home, ".allegrorc"), "w") as f:
            f.write(allegro_config + ("" if sound else ALLEGRO_ALSA_ONLY))
        self.env = dict(display.env, HOME=home, **(env or {}))
        self.command = [os.path.join(content.build_dir, "tabellone")]
        self.process = None
        self.stdout = subprocess.DEVNULL
        self.stderr = None
        self.stderr_path = self.path("stderr.txt")

    def path(self, name):
        return os.path.join(self.workdir, name)

    def start(self):
        self.stderr = open(self.stderr_path, "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(self.command,
                                        cwd=self.workdir, env=self.env,
                                        stdout=self.stdout, stderr=self.stderr,
                                        preexec_fn=die_with_harness)
        return self

    def wait_exit(self, timeout=15):
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure("the game did not end within %d s" % timeout)
        self.stderr.close()
        return code

    def error_text(self):
        """What the game wrote on standard error, less the complaints of the
        ALSA library about the capture device having no mixer."""
        with open(self.stderr_path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        if self.display.wine:
            text = text.replace("\r\n", "\n")   # standard error is a text stream on Windows
        lines = text.splitlines(True)
        return "".join(line for line in lines if not line.startswith("ALSA lib "))

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(self.path(name))

    def cpu_seconds(self, main_thread_only=False):
        """Time on a processor so far, summed over the game's threads or of
        its main thread alone (the one that runs the dialogs): the scheduler's
        count in nanoseconds, as /proc/PID/stat's clock ticks are too coarse
        for shares under 1%."""
        total = 0
        task_dir = "/proc/%d/task" % self.process.pid
        tasks = [str(self.process.pid)] if main_thread_only else os.listdir(task_dir)
        for task in tasks:
            try:
                with open(os.path.join(task_dir, task, "schedstat")) as f:
                    total += int(f.read().split()[0])
            except FileNotFoundError:      # a thread that just ended
                pass
        return total / 1e9

    def sleeps(self):
        """The times each thread of the game has gone to sleep so far (its
        voluntary context switches), by thread id."""
        counts = {}
        task_dir = "/proc/%d/task" % self.process.pid
        for task in os.listdir(task_dir):
            try:
                with open(os.path.join(task_dir, task, "status")) as f:
                    counts[task] = int(re.search(r"^voluntary_ctxt_switches:\s*(\d+)", f.read(), re.M).group(1))
            except FileNotFoundError:      # a thread that just ended
                pass
        return counts

    def peak_memory_kib(self):
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    # ------------------------------------------------------------ screens

    def wait_for(self, predicate, what, timeout=10, settled=True):
        """Screenshots until predicate(shot) holds, on a settled screen unless
        settled is False (the library updates the window behind the game's
        back, so a shot may catch a picture half drawn: two equal shots in a
        row are whole); returns that shot. A predicate that looks at exact
        pixels of one small spot needs no settled screen."""
        timeout *= self.display.slowdown
        deadline = time.monotonic() + timeout
        previous = None
        while True:
            check(self.running(), "the game ended while waiting for %s: %s"
                  % (what, self.error_text().strip()))
            shot = self.display.screenshot()
            if predicate(shot):
                if not settled or (previous is not None and previous.rgb == shot.rgb):
                    return shot
                previous = shot
                time.sleep(self.display.settle)
                continue
            previous = None
            if time.monotonic() > deadline:
                self.display.screenshot(self.path("timeout.png"))
                raise Failure("no %s after %d s (screen saved to %s)"
                              % (what, timeout, self.path("timeout.png")))
            time.sleep(0.05)

    def shows_background(self, shot, n):
        """The screen shows background n where no dialog object covers it:
        a sparse probe of the picture outside the boxes every dialog uses."""
        picture = self.content.background(n)
        for y in range(4, SCREEN_H - 4, 37):
            for x in range(6, SCREEN_W - 6, 41):
                if inside_any(x, y, DIALOG_BOXES + [pointer_box(PARKED_POINTER)]):
                    continue
                if shot.pixel(x, y) != picture.pixel(x, y):
                    return False
        return True

    def dialog_drawn(self, shot, n):
        """The dialog of the screen with background n has drawn its objects:
        the board its cells, the others their OK button (inside its focus
        frame). The game draws them only once its input has settled, so from
        then on a click or a key reaches the dialog."""
        if n == 2:
            return None not in self.board_cells(shot)
        return differing_in_place(shot, self.content.ok_button().crop(OK_INSIDE_IMAGE), OK_INSIDE) == 0

    def ready(self, shot, n):
        return self.shows_background(shot, n) and self.dialog_drawn(shot, n)

    def wait_for_background(self, n, what, timeout=10):
        """Waits until the screen with background n is up and takes input."""
        return self.wait_for(lambda shot: self.ready(shot, n), what, timeout)

    def wait_title(self, timeout=10):
        """Waits for the title screen, then parks the pointer: the library
        draws its pointer at the screen's centre until the first motion."""
        self.wait_for_background(CONTRACT["TITLE_BACKGROUND"], "title screen", timeout)
        self.park_pointer()
        return self.wait_for_background(CONTRACT["TITLE_BACKGROUND"], "title screen", timeout)

    def stays_on(self, n, what, seconds=1.5):
        """The screen with background n is up, and still up seconds later."""
        self.wait_for_background(n, what, timeout=5)
        time.sleep(seconds)
        shot = self.display.screenshot()
        check(self.ready(shot, n), "the %s did not stay up for %.1f s" % (what, seconds))
        return shot

    def park_pointer(self):
        x, y = PARKED_POINTER
        self.display.move(x - 10, y + 10)
        self.display.move(x, y)

    def wait_form(self, timeout=10):
        return self.wait_for_background(CONTRACT["FORM_BACKGROUND"], "form screen", timeout)

    def wait_board(self, timeout=10):
        return self.wait_for_background(CONTRACT["BOARD_BACKGROUND"], "board screen", timeout)

    def wait_result(self, prize, timeout=10):
        return self.wait_for_background(prize + RESULT_BACKGROUND_BASE, "result screen of %s" % PRIZE_NAMES[prize],
                                        timeout)

    def wait_any_result(self, timeout=10):
        """Waits for the result screen of whichever prize; returns its type."""
        found = []

        def is_result(shot):
            found[:] = [t for t in range(len(PRIZE_NAMES)) if self.ready(shot, t + RESULT_BACKGROUND_BASE)]
            return bool(found)
        self.wait_for(is_result, "a result screen", timeout)
        return found[0]

    def press_ok(self):
        self.click_box(OK_BUTTON)
        self.display.move(*PARKED_POINTER)

    def click_square(self, i):
        self.click_box(cell_box(i))
        self.display.move(*PARKED_POINTER)

    def escape(self):
        self.display.move(*PARKED_POINTER)
        self.display.key("Escape")

    def fill_form(self, texts):
        """Types each text into its field; the first field has the focus and
        Tab moves on to the next."""
        self.display.move(*PARKED_POINTER)
        for n, text in enumerate(texts):
            if n:
                if self.display.wine:
                    wine_input(self, lambda: self.display.xdotool("key", "Tab"), FORM_FIELDS[n - 1:n + 1], "Tab")
                else:
                    self.display.key("Tab")
            if self.display.wine:
                wine_type(self, FORM_FIELDS[n], text)
            elif text:
                self.display.type_text(text)
        if self.display.wine:
            time.sleep(0.3)     # the keys settle before a click

    def click_box(self, box):
        """A click in the middle of box; under Wine one that waits for its
        effect (wine_input.wine_click)."""
        if self.display.wine:
            wine_click(self, box)
        else:
            self.display.click_box(box)

    def board_cells(self, shot):
        """What each of the 100 cells shows: 'cover', a prize type 0-6, or None.
        Compared inside the dotted focus frame that the library draws two
        pixels deep round the cell clicked last."""
        images = [("cover", self.content.cover())] + \
                 [(t, self.content.prize_image(t)) for t in range(len(PRIZE_NAMES))]
        images = [(name, image.crop(FOCUS_INSIDE)) for name, image in images]
        cells = []
        for i in range(SQUARES):
            x, y, _, _ = cell_box(i)
            fx, fy, fw, fh = FOCUS_INSIDE
            seen = shot.crop((x + fx, y + fy, fw, fh))
            cells.append(next((name for name, image in images if image.rgb == seen.rgb), None))
        return cells
