"""Drives the real game in a private X server: Xvfb on a free display,
xdotool for the pointer and keys, xwd screenshots, and the sound the game
plays captured through an ALSA file plugin. Python 3 standard library only."""
import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

from game_contract import CONTRACT

SCREEN_W, SCREEN_H = CONTRACT["SCREEN_WIDTH"], CONTRACT["SCREEN_HEIGHT"]
DATAFILES = CONTRACT["datafiles"]

# Where the dialogs put their objects.
OK_BUTTON = (CONTRACT["OK_X"], CONTRACT["OK_Y"], CONTRACT["OK_W"], CONTRACT["OK_H"])
FORM_FIELDS = [(x, y, CONTRACT["FIELD_W"], CONTRACT["FIELD_H"]) for x, y in CONTRACT["form_field_origins"]]
GRID_X, GRID_Y, CELL_STEP, CELL_SIZE = (CONTRACT[k] for k in ("GRID_X", "GRID_Y", "CELL_STEP", "CELL_SIZE"))
COLUMNS, SQUARES = CONTRACT["BOARD_COLUMNS"], CONTRACT["BOARD_SIZE"]
GRID_BOX = (GRID_X, GRID_Y, (COLUMNS - 1) * CELL_STEP + CELL_SIZE, (SQUARES // COLUMNS - 1) * CELL_STEP + CELL_SIZE)
OK_INSIDE_IMAGE = (2, 2, OK_BUTTON[2] - 4, OK_BUTTON[3] - 4)   # less the focus frame
OK_INSIDE = (OK_BUTTON[0] + 2, OK_BUTTON[1] + 2, OK_BUTTON[2] - 4, OK_BUTTON[3] - 4)
PARKED_POINTER = (790, 8)   # out of the way of every object and most of the picture
FOCUS_INSIDE = (2, 2, CELL_SIZE - 4, CELL_SIZE - 4)   # a cell less its focus frame

PRIZE_NAMES = CONTRACT["prize_names"]
PRIZE_COUNTS = CONTRACT["prize_counts"]
RESULT_BACKGROUND_BASE = CONTRACT["RESULT_BACKGROUND_BASE"]
STATE_LETTERS = "gvnabrxGVNABRX"
# How long an input's effect may take under Wine before the input counts as
# lost (the slowest seen: 1.7 s with both cores busy), and how often it is sent.
WINE_INPUT_WAIT = 5
WINE_INPUT_TRIES = 3
WINE_REPEAT_WATCH = 0.5     # the library repeats a key held over 250 ms


def said_again(what):
    """A line in the test's output for each input Wine lost and the harness
    sent again, so passing runs show how often it happens."""
    sys.stderr.write("note: under Wine %s had no effect; sent again\n" % what)


class Failure(Exception):
    """A scenario's expectation that did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def cell_box(i):
    return (GRID_X + CELL_STEP * (i % COLUMNS), GRID_Y + CELL_STEP * (i // COLUMNS), CELL_SIZE, CELL_SIZE)


def box_centre(box):
    x, y, w, h = box
    return (x + w // 2, y + h // 2)


# ---------------------------------------------------------------- pictures

class Picture:
    """An RGB picture: width, height and 3 bytes a pixel, rows top down."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        o = 3 * (y * self.width + x)
        return tuple(self.rgb[o:o + 3])

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        o = 3 * y * self.width
        return self.rgb[o + 3 * x0:o + 3 * x1]

    def crop(self, box):
        x, y, w, h = box
        return Picture(w, h, b"".join(self.row(yy, x, x + w) for yy in range(y, y + h)))

    def write_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(self.rgb)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    check(fields[0] == b"P6" and fields[3] == b"255", "%s is no 8-bit P6 picture" % path)
    width, height = int(fields[1]), int(fields[2])
    pos += 1
    return Picture(width, height, data[pos:pos + 3 * width * height])


def parse_xwd(data):
    """A depth 24 ZPixmap xwd dump, 4 or 3 bytes a pixel, as a Picture. A
    DirectColor dump (Xvfb with Wine's desktop on it) passes each channel
    through its colour map."""
    header = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    visual_class, (red_mask, green_mask, blue_mask) = header[13], header[14:17]
    ncolors = header[19]
    check(pixmap_format == 2 and depth == 24 and bits_per_pixel in (24, 32),
          "unexpected xwd format (format %d, %d bpp)" % (pixmap_format, bits_per_pixel))
    check((red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF), "unexpected xwd masks")
    tables = [None, None, None]
    if visual_class == 5 and ncolors >= 256:
        entries = [struct.unpack(">IHHHBB", data[header_size + 12 * i:header_size + 12 * i + 12])
                   for i in range(256)]
        tables = [bytes(e[1 + c] >> 8 for e in entries) for c in range(3)]
    pixels = data[header_size + 12 * ncolors:]
    # byte order 0: least significant byte first, so a pixel reads B G R (x).
    step = bits_per_pixel // 8
    b_at, g_at, r_at = (0, 1, 2) if byte_order == 0 else (step - 1, step - 2, step - 3)
    rgb = bytearray(3 * width * height)
    for y in range(height):
        row = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        o = 3 * width * y
        for c, at in enumerate((r_at, g_at, b_at)):
            channel = row[at::step]
            rgb[o + c:o + 3 * width:3] = channel.translate(tables[c]) if tables[c] else channel
    return Picture(width, height, rgb)


def differing_pixels(shot, expected, box, skip=()):
    """How many pixels of box differ between the screenshot and the expected
    picture (whose top-left is the screen's), leaving out the boxes in skip."""
    x0, y0, w, h = box
    count = 0
    for y in range(y0, y0 + h):
        a, b = shot.row(y, x0, x0 + w), expected.row(y, x0, x0 + w)
        if a == b:
            continue
        for x in range(w):
            if a[3 * x:3 * x + 3] != b[3 * x:3 * x + 3]:
                if not any(sx <= x0 + x < sx + sw and sy <= y < sy + sh for sx, sy, sw, sh in skip):
                    count += 1
    return count


def lit_pixels_outside(shot, box):
    """How many pixels of the whole shot outside box are not black."""
    x, y, w, h = box
    count = 0
    for yy in range(shot.height):
        row = shot.row(yy)
        for part in ([row[:3 * x], row[3 * (x + w):]] if y <= yy < y + h else [row]):
            if part.count(0) != len(part):
                count += sum(1 for i in range(0, len(part), 3) if part[i:i + 3] != b"\0\0\0")
    return count


def differing_in_place(shot, image, box):
    """Pixels of box on the screen that differ from image (of the box's size)."""
    x, y, w, h = box
    check((image.width, image.height) == (w, h),
          "image is %dx%d, its box %dx%d" % (image.width, image.height, w, h))
    count = 0
    for yy in range(h):
        a, b = shot.row(y + yy, x, x + w), image.row(yy)
        if a != b:
            count += sum(a[3 * i:3 * i + 3] != b[3 * i:3 * i + 3] for i in range(w))
    return count


# ---------------------------------------------------------------- datafile objects

class Content:
    """The built datafiles and the reference pictures made from them by the
    project's own tools: dat-object dumps an object, decode-jpeg decodes it."""

    def __init__(self, build_dir, scratch):
        self.build_dir = build_dir
        self.play_dir = os.path.join(build_dir, "play")
        self.scratch = scratch
        self.dat_object = os.path.join(build_dir, "tests", "e2e", "dat-object")
        self.decode_jpeg = os.path.join(build_dir, "decode-jpeg")
        self._pictures = {}

    def datafile(self, name):
        return os.path.join(self.play_dir, name)

    def dump(self, datafile, index, suffix):
        out = os.path.join(self.scratch, "%s-%d.%s" % (datafile, index, suffix))
        if not os.path.exists(out):
            subprocess.run([self.dat_object, self.datafile(datafile), str(index), out], check=True)
        return out

    def background(self, n):
        """Background n as build/decode-jpeg decodes "graphics.dat" object n."""
        key = ("background", n)
        if key not in self._pictures:
            jpeg = self.dump("graphics.dat", n, "jpg")
            ppm = os.path.join(self.scratch, "background-%d.ppm" % n)
            subprocess.run([self.decode_jpeg, jpeg, ppm], check=True)
            self._pictures[key] = read_ppm(ppm)
        return self._pictures[key]

    def bitmap(self, index):
        """A "battle.dat" bitmap by its object number."""
        key = ("bitmap", index)
        if key not in self._pictures:
            self._pictures[key] = read_ppm(self.dump("battle.dat", index, "ppm"))
        return self._pictures[key]

    def cover(self):
        return self.bitmap(CONTRACT["COVER_OBJECT"])

    def ok_button(self):
        return self.bitmap(CONTRACT["OK_BUTTON_OBJECT"])

    def prize_image(self, t):
        return self.bitmap(CONTRACT["FIRST_PRIZE_OBJECT"] + t)


# ---------------------------------------------------------------- the X server

def die_with_harness():
    """Run in each child before it starts: the kernel kills it when the
    harness goes, so a harness killed by a test timeout leaves neither an X
    server nor a game behind. SIGKILL, because the library's own handler of
    gentler signals can hang once its X server is gone."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)      # PR_SET_PDEATHSIG


# Italian letters on keys of their own, as on an Italian keyboard. Without
# them xdotool binds a spare key for each letter and unbinds it right after
# the release: a game slow to read its events (a busy machine) then looks the
# key up after the unbinding and gets no letter.
ACCENTED_KEYS = ["keycode %d = %s %s" % (250 + i, name, name.capitalize())
                 for i, name in enumerate(["agrave", "egrave", "eacute", "igrave", "ograve", "ugrave"])]


class Display:
    """A private Xvfb on a display number it picks itself: 800x600x24 for the
    Linux game; for Wine's 1024x768 desktop, with the game's window centred
    on it, at offset, where the screen of every scenario is then read and
    clicked."""

    def __init__(self, screen="800x600x24", offset=(0, 0), wine=False):
        self.offset, self.wine = offset, wine
        # How long a screen must stay the same to count as settled: Wine
        # passes the pointer's moves on to the game later.
        self.settle = 0.3 if wine else 0.1
        # Under Wine on a busy machine a screen takes a few times longer to draw.
        self.slowdown = 3 if wine else 1
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_harness)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        check(number.isdigit(), "Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name)
        if not wine:
            self.run("xmodmap", *[e for k in ACCENTED_KEYS for e in ("-e", k)])

    def run(self, *args):
        return subprocess.run(list(args), env=self.env, check=True,
                              stdout=subprocess.PIPE).stdout.decode()

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def move(self, x, y):
        # No --sync: it waits for a motion that never comes when the pointer
        # is already there.
        self.xdotool("mousemove", x + self.offset[0], y + self.offset[1])
        time.sleep(0.05)

    def click(self, x, y):
        """Pointer to the spot first, then a press and a release the game's
        input polling cannot miss."""
        self.move(x, y)
        time.sleep(0.1)
        self.xdotool("mousedown", 1)
        time.sleep(0.2)     # Wine's input polling wants 0.15 to 0.25 s
        self.xdotool("mouseup", 1)

    def double_click(self, x, y, gap):
        """Two presses of 60 ms, gap seconds apart, as a hand makes them:
        "xdotool click" sends each press and release in the same millisecond,
        too short for the game's polling to see at all."""
        self.move(x, y)
        time.sleep(0.1)
        for n in range(2):
            if n:
                time.sleep(gap)
            self.xdotool("mousedown", 1)
            time.sleep(0.06)
            self.xdotool("mouseup", 1)

    def click_box(self, box):
        self.click(*box_centre(box))

    def key(self, name):
        self.xdotool("key", "--delay", 60, name)
        if self.wine:
            time.sleep(0.3)     # as after typing: the keys settle before a click

    def type_text(self, text):
        if not self.wine:
            self.xdotool("type", "--delay", 60, text)
            return
        # The library takes a letter's shift state from its window thread's
        # message queue, which lags DirectInput's key: under Wine a Shift
        # pressed with the letter, as xdotool does, is often missed. And a
        # click meant for the next screen is lost unless the keys have settled.
        for ch in text:
            self.type_character(ch)
            time.sleep(0.06)
        time.sleep(0.3)

    def type_character(self, ch):
        if ch.isupper():
            self.xdotool("keydown", "Shift_L", "sleep", 0.15, "key", ch.lower(), "sleep", 0.1, "keyup", "Shift_L")
        else:
            self.xdotool("type", ch)

    def screenshot(self, save_png=None, whole=False):
        for attempt in range(3):
            # xwd fails when a window it looks at goes meanwhile, as Wine's
            # desktop does when its game is killed: look again.
            done = subprocess.run(["xwd", "-root", "-silent", "-display", self.name],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if done.returncode == 0:
                break
            time.sleep(0.2)
        check(done.returncode == 0, "xwd cannot read the screen")
        shot = parse_xwd(done.stdout)
        if not whole and (self.offset != (0, 0) or shot.width != SCREEN_W):
            shot = shot.crop(self.offset + (SCREEN_W, SCREEN_H))
        if save_png:
            ppm = b"P6\n%d %d\n255\n" % (shot.width, shot.height) + shot.rgb
            subprocess.run(["convert", "ppm:-", save_png], input=ppm, check=True)
        return shot

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class FastScreen:
    """Pixels straight from the X server through libX11's XGetImage: the root
    window a few milliseconds a look, or any pixmap, such as a window's icon."""

    def __init__(self, display_name):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display_name.encode())
        self.root = self.x11.XDefaultRootWindow(self.display)

    def grab(self, drawable=None, width=SCREEN_W, height=SCREEN_H):
        pointer = self.x11.XGetImage(self.display, drawable or self.root, 0, 0, width, height,
                                     0xFFFFFFFF, 2)
        check(bool(pointer), "XGetImage failed")
        image = pointer.contents
        check(image.bits_per_pixel == 32 and image.byte_order == 0, "unexpected X image format")
        raw = ctypes.string_at(image.data, image.bytes_per_line * image.height)
        rgb = bytearray(width * height * 3)
        for y in range(height):
            row = raw[y * image.bytes_per_line:y * image.bytes_per_line + 4 * width]
            o = 3 * width * y
            rgb[o:o + 3 * width:3] = row[2::4]
            rgb[o + 1:o + 3 * width:3] = row[1::4]
            rgb[o + 2:o + 3 * width:3] = row[0::4]
        self.x11.XFree(image.data)
        self.x11.XFree(pointer)
        return Picture(width, height, rgb)


def read_xpm(path):
    """The picture of the XPM data in a C source file (one character a pixel)."""
    with open(path) as f:
        source = f.read()
    strings = re.findall(r'"([^"]*)"', source[source.index("{"):])
    width, height, ncolours, _ = (int(v) for v in strings[0].split())
    colours = {}
    for line in strings[1:1 + ncolours]:
        colours[line[0]] = bytes.fromhex(line.split()[-1].lstrip("#"))
    rows = strings[1 + ncolours:1 + ncolours + height]
    return Picture(width, height, b"".join(colours[c] for row in rows for c in row))


# ---------------------------------------------------------------- the game

ALSA_CAPTURE = """# The default sound device writes everything the game plays to a file.
pcm.!default {
    type file
    slave.pcm { type null }
    file "%s"
    format "wav"
}
"""


# No sound device at all: the library is told to use ALSA, whose default
# device names a card that is not there, so the sound cannot start.
ALSA_MISSING = "pcm.!default { type hw card 9 }\n"
ALLEGRO_ALSA_ONLY = "[sound]\ndigi_card = ALSA\n"


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
                    self.wine_input(lambda: self.display.xdotool("key", "Tab"), FORM_FIELDS[n - 1:n + 1], "Tab")
                else:
                    self.display.key("Tab")
            if self.display.wine:
                self.wine_type(FORM_FIELDS[n], text)
            elif text:
                self.display.type_text(text)
        if self.display.wine:
            time.sleep(0.3)     # the keys settle before a click

    # ------------------------------------------------------------ input under Wine
    # Wine now and then passes an input on late, and so in effect drops it: a
    # press and release that reach the library in one go are never seen as a
    # click, a key's release over 250 ms late makes the library repeat the key,
    # a key or a click may come over a second late on a busy machine. The loss
    # is Wine's, not the game's.
    # So under Wine each click and each key typed into the form waits for its
    # visible effect before anything else is sent, and is sent again only when
    # no effect at all came within WINE_INPUT_WAIT seconds; an input that did
    # arrive is never sent twice. On Linux the inputs go as they always have.

    def changed(self, boxes, reference, timeout, skip=(), settle=0.1):
        """The first settled shot in which each of boxes (less skip) differs
        from the shot reference, or None after timeout seconds."""
        deadline = time.monotonic() + timeout
        previous = None
        while True:
            check(self.running(), "the game ended while waiting for an input's effect: %s"
                  % self.error_text().strip())
            shot = self.display.screenshot()
            if all(differing_pixels(shot, reference, box, skip) for box in boxes):
                if previous is not None and not any(differing_pixels(shot, previous, box, skip) for box in boxes):
                    return shot
                previous = shot
                time.sleep(settle)
                continue
            previous = None
            if time.monotonic() > deadline:
                return None
            time.sleep(0.02)

    def wine_input(self, send, boxes, what):
        """Sends an input until each of boxes changes; sent again only when
        nothing changed at all. Returns the settled shot."""
        for attempt in range(WINE_INPUT_TRIES):
            if attempt:
                said_again(what)
            before = self.display.screenshot()
            send()
            shot = self.changed(boxes, before, WINE_INPUT_WAIT)
            if shot:
                return shot
        raise Failure("%s had no effect under Wine, sent %d times" % (what, WINE_INPUT_TRIES))

    def wine_type(self, box, text):
        """Types text into the focused field box, one character at a time,
        each seen in the field before the next. A key whose release Wine
        passes on late is repeated by the library (after 250 ms): the field
        is watched a moment longer, and what came beyond the character typed
        is taken back with Backspace. The field's look after each number of
        characters typed tells where it stands, so a Backspace repeated in
        turn is typed over again."""
        display = self.display
        shown = [display.screenshot().crop(box).rgb]    # the field after 0, 1, ... characters
        kept = min(len(text), CONTRACT["FORM_FIELD_CHARS"])
        while len(shown) <= kept:
            ch = text[len(shown) - 1]
            shown.append(self.wine_input(lambda: display.type_character(ch), [box], repr(ch)).crop(box).rgb)
            while True:
                time.sleep(WINE_REPEAT_WATCH)
                now = display.screenshot().crop(box).rgb
                if now in shown:
                    del shown[shown.index(now) + 1:]
                    break
                sys.stderr.write("note: under Wine the field took more than %r; a Backspace takes it back\n" % ch)
                self.wine_input(lambda: display.xdotool("key", "BackSpace"), [box], "Backspace")
        for ch in text[kept:]:      # the field is full and shows nothing more
            display.type_character(ch)
            time.sleep(0.1)

    def click_box(self, box):
        """A click in the middle of box. Under Wine the button is held until
        the box is drawn pressed: released sooner, the press and the release
        may reach the library together, which then never sees the button
        down. The pointer stays a moment after the release, which Wine passes
        on later than the pointer's position. A click whose press never shows
        is sent again only if nothing came of it either."""
        display = self.display
        if not display.wine:
            display.click_box(box)
            return
        centre = box_centre(box)
        skip = [pointer_box(centre)]
        display.move(*centre)
        time.sleep(0.1)
        for attempt in range(WINE_INPUT_TRIES):
            if attempt:
                said_again("a click at %s" % (centre,))
            before = display.screenshot()
            display.xdotool("mousedown", 1)
            time.sleep(0.2)
            pressed = self.changed([box], before, WINE_INPUT_WAIT, skip, display.settle)
            display.xdotool("mouseup", 1)
            time.sleep(0.3)
            if pressed or self.changed([box], before, WINE_INPUT_WAIT, skip, display.settle):
                return
        raise Failure("a click at %s had no effect under Wine, sent %d times" % (centre, WINE_INPUT_TRIES))

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


DIALOG_BOXES = [OK_BUTTON, GRID_BOX] + FORM_FIELDS


def inside_any(x, y, boxes):
    return any(bx <= x < bx + bw and by <= y < by + bh for bx, by, bw, bh in boxes)


def pointer_box(position):
    """Where the library may draw its mouse pointer at this position."""
    x, y = position
    return (x - 4, y - 4, 28, 36)


# ---------------------------------------------------------------- state, log, sound

def state_text(cells):
    """state.dat bytes for cells given as (type, revealed) pairs."""
    rows = []
    for r in range(10):
        rows.append("".join(STATE_LETTERS[t + 7 * rev] for t, rev in cells[10 * r:10 * r + 10]))
    return ("\r\n".join(rows) + "\r\n").encode()


def parse_state(data):
    """(type, revealed) for each square of a state.dat written by the game."""
    check(len(data) == 120, "state.dat is %d bytes, not 120" % len(data))
    cells = []
    for r in range(10):
        line = data[12 * r:12 * r + 12]
        check(line[10:] == b"\r\n", "state.dat line %d does not end in CR LF" % (r + 1))
        for ch in line[:10].decode("ascii"):
            check(ch in STATE_LETTERS, "state.dat holds %r" % ch)
            k = STATE_LETTERS.index(ch)
            cells.append((k % 7, k // 7))
    return cells


def check_fresh_deal(cells, what):
    counts = [sum(1 for t, _ in cells if t == k) for k in range(len(PRIZE_NAMES))]
    revealed = [t for t, rev in cells if rev]
    check(counts == PRIZE_COUNTS, "%s: prize counts %s" % (what, counts))
    check(len(revealed) == 15 and set(revealed) == {6},
          "%s: %d revealed squares of types %s" % (what, len(revealed), sorted(set(revealed))))


def read_wav(path):
    """(frames per second, channels, 16-bit signed samples) of the capture.
    The header's lengths are not trusted: the data runs to the end of the
    file. The library may hand ALSA unsigned samples under a header that says
    signed; the reading whose samples sit closer to zero is the right one."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"RIFF" and data[8:12] == b"WAVE", "the sound capture is no WAV file")
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if chunk == b"fmt ":
            fmt = struct.unpack("<HHIIHH", data[pos + 8:pos + 24])
        if chunk == b"data":
            body = data[pos + 8:]
            break
        pos += 8 + size
    check(fmt is not None and body is not None, "the sound capture has no data")
    _, channels, rate, _, _, bits = fmt
    check(bits == 16, "the sound capture has %d-bit samples" % bits)
    body = body[:len(body) // 2 * 2]
    signed = struct.unpack("<%dh" % (len(body) // 2), body)
    flipped = [s ^ -0x8000 for s in signed]     # unsigned data read as signed
    sample = range(0, len(signed), max(1, len(signed) // 20000))
    if sum(abs(flipped[i]) for i in sample) < sum(abs(signed[i]) for i in sample):
        signed = flipped
    return rate, channels, signed, pos + 8


def rms(samples):
    return (sum(s * s for s in samples) / max(1, len(samples))) ** 0.5


# ---------------------------------------------------------------- running scenarios

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
