"""The private X server: Xvfb on a free display, xdotool for the pointer
and keys, xwd screenshots, and fast looks at pixels through libX11."""
import ctypes
import ctypes.util
import os
import signal
import subprocess
import time

from layout import SCREEN_H, SCREEN_W, box_centre, check
from pictures import Picture, parse_xwd


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
