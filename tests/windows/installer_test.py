#!/usr/bin/env python3
"""The installer run silently under Wine, in a Wine prefix of its own: what it
puts where (the game and its datafiles, byte for byte, in the user's own
folder), the Start-menu shortcut working in that folder, the optional start
with Windows, and an uninstaller that keeps the records unless asked.

    installer_test.py build-windows/tabellone-1.0-setup.exe
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from harness import Display  # noqa: E402
WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "windows", "wine-run")
PROGRAM_FILES = ["tabellone.exe", "graphics.dat", "battle.dat", "music.dat"]
RECORDS = ["state.dat", "players.txt", "tabellone-registro.jsonl", "tabellone-errori.txt"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL " + message)
    return condition


def wine(env, *args):
    code = subprocess.run([WINE_RUN] + list(args), env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    # The uninstaller hands over to a copy of itself and returns at once:
    # the prefix's wineserver tells when every program has ended.
    subprocess.run([WINE_RUN, "--server", "-w"], env=env)
    return code


def link_working_folder(path):
    """The working folder written in a shell link (.lnk), or None."""
    with open(path, "rb") as f:
        data = f.read()
    flags = int.from_bytes(data[20:24], "little")
    at = 76
    if flags & 0x01:                       # an item id list
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    if flags & 0x02:                       # link info
        at += int.from_bytes(data[at:at + 4], "little")
    unicode = flags & 0x80
    strings = []
    for bit in (0x04, 0x08, 0x10):         # name, relative path, working folder
        if flags & bit:
            count = int.from_bytes(data[at:at + 2], "little")
            size = count * (2 if unicode else 1)
            raw = data[at + 2:at + 2 + size]
            strings.append((bit, raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")))
            at += 2 + size
    return dict(strings).get(0x10)


def main(installer):
    stage = os.path.join(os.path.dirname(os.path.abspath(installer)), "stage")
    scratch = tempfile.mkdtemp(prefix="tabellone-installer-")
    # Wine's desktop, set in every prefix wine-run makes, needs an X server.
    display = Display()
    env = dict(display.env, TABELLONE_WINEPREFIX=os.path.join(scratch, "wine"))
    try:
        check(wine(env, installer, "/S", "/AUTOSTART") == 0, "the silent install failed")
        users = os.path.join(scratch, "wine", "drive_c", "users")
        found = glob.glob(os.path.join(users, "*", "AppData", "Local", "Tabellone"))
        if not check(len(found) == 1, "no Tabellone folder in the user's AppData\\Local: %s" % found):
            return 1
        folder = found[0]
        print("installed into %s" % os.path.relpath(folder, scratch))
        for name in PROGRAM_FILES:
            with open(os.path.join(stage, name), "rb") as a:
                path = os.path.join(folder, name)
                same = os.path.exists(path) and open(path, "rb").read() == a.read()
            check(same, "%s is not installed as built" % name)
        check(os.path.exists(os.path.join(folder, "uninstall.exe")), "no uninstaller")
        user = os.path.dirname(os.path.dirname(os.path.dirname(folder)))
        menu = os.path.join(user, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")
        # Windows names it Startup, Wine StartUp: its case does not matter there.
        startup = os.path.join(menu, next((n for n in os.listdir(menu) if n.lower() == "startup"), "Startup"))
        for link in [os.path.join(menu, "Tabellone", "Tabellone.lnk"), os.path.join(startup, "Tabellone.lnk")]:
            if check(os.path.exists(link), "no shortcut %s" % os.path.relpath(link, user)):
                working = link_working_folder(link) or ""
                check(working.lower().endswith("\\appdata\\local\\tabellone"),
                      "%s works in %r, not the game's folder" % (os.path.basename(os.path.dirname(link)), working))

        # The records of a day's draw, then the uninstaller, silently: they stay.
        for name in RECORDS:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"record " + name.encode() + b"\r\n")
        check(wine(env, os.path.join(folder, "uninstall.exe"), "/S") == 0, "the silent uninstall failed")
        left = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        check(left == sorted(RECORDS), "after uninstalling, the folder holds %s, not just the records" % left)
        for name in RECORDS:
            path = os.path.join(folder, name)
            check(os.path.exists(path) and open(path, "rb").read() == b"record " + name.encode() + b"\r\n",
                  "%s was not kept as it was" % name)
        check(not os.path.exists(os.path.join(menu, "Tabellone")) and
              not os.path.exists(os.path.join(startup, "Tabellone.lnk")), "shortcuts left behind")

        # Installed again and uninstalled with the box ticked: nothing is left.
        check(wine(env, installer, "/S") == 0, "the second silent install failed")
        check(not os.path.exists(os.path.join(startup, "Tabellone.lnk")),
              "the start with Windows was chosen without /AUTOSTART")
        check(wine(env, os.path.join(folder, "uninstall.exe"), "/S", "/REMOVERECORDS") == 0,
              "the uninstall with /REMOVERECORDS failed")
        check(not os.path.exists(folder), "the folder is left after /REMOVERECORDS: %s"
              % (os.listdir(folder) if os.path.isdir(folder) else ""))
    finally:
        subprocess.run([WINE_RUN, "--server", "-k"], env=env, stderr=subprocess.DEVNULL)
        display.close()
        shutil.rmtree(scratch, ignore_errors=True)
    print("PASS the installer and the uninstaller" if not failures else "FAIL %d checks" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
