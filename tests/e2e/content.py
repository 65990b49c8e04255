"""The built datafiles' objects as reference pictures, made by the
project's own tools."""
import os
import subprocess

from game_contract import CONTRACT
from pictures import read_ppm


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
