#!/usr/bin/env python3
"""The installer run silently under Wine, in a Wine prefix of its own: what it
puts where (the game and its datafiles, byte for byte, in the user's own
folder), the Italian Start-menu entries with their targets, arguments and
working folder, each operator entry writing its file and asking the system to
open it, the operator program on an accented folder and argument, the optional
start with Windows, and an uninstaller that keeps the records unless asked.

    installer_test.py build-windows/tabellone-1.0-setup.exe
"""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from harness import Display, state_text  # noqa: E402
from operator_scenarios import extend_records  # noqa: E402
from scenarios import KNOWN_BOARD  # noqa: E402
WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "windows", "wine-run")
PROGRAM_FILES = ["tabellone.exe", "tabellone-operatore.exe", "graphics.dat", "battle.dat", "music.dat",
                 "guida-operatore.html"]
OPERATOR = "C:\\users\\%s\\AppData\\Local\\Tabellone\\tabellone-operatore.exe"
# The Start-menu entries: name -> (target under the game's folder, "" for the
# folder itself; arguments; the file the entry writes there, by its prefix).
ENTRIES = {
    "Tabellone": ("tabellone.exe", "", None),
    "Relazione di chiusura": ("tabellone-operatore.exe", "relazione --apri", "relazione-chiusura-"),
    "Giocate per Excel": ("tabellone-operatore.exe", "esporta --apri", "giocate-"),
    "Verifica dei registri": ("tabellone-operatore.exe", "verifica --apri", "verifica-registri-"),
    "Cartella dei registri": ("", "", None),
    "Guida dell'operatore": ("guida-operatore.html", "", None),
    "Disinstalla Tabellone": ("uninstall.exe", "", None),
}
SW_SHOWMINIMIZED = 7
RECORDS = ["state.dat", "players.txt", "tabellone-registro.jsonl", "tabellone-errori.txt"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL " + message)
    return condition


def wine(env, *args, cwd=None, output=None):
    done = subprocess.run([WINE_RUN] + list(args), env=env, cwd=cwd, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
    if output is not None:
        output.append(done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace"))
    code = done.returncode
    # The uninstaller hands over to a copy of itself and returns at once:
    # the prefix's wineserver tells when every program has ended.
    subprocess.run([WINE_RUN, "--server", "-w"], env=env)
    return code


def read_link(path):
    """The target, arguments and working folder written in a shell link (.lnk)."""
    with open(path, "rb") as f:
        data = f.read()
    flags = int.from_bytes(data[20:24], "little")
    at = 76
    if flags & 0x01:                       # an item id list
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    link = {"target": None, "show": int.from_bytes(data[60:64], "little")}
    if flags & 0x02:                       # link info: the target's local path
        info = data[at:at + int.from_bytes(data[at:at + 4], "little")]
        header = int.from_bytes(info[4:8], "little")
        if header >= 0x24:
            start = int.from_bytes(info[28:32], "little")
            end = next(i for i in range(start, len(info), 2) if info[i:i + 2] == b"\0\0")
            link["target"] = info[start:end].decode("utf-16-le")
        else:
            start = int.from_bytes(info[16:20], "little")
            link["target"] = info[start:info.index(b"\0", start)].decode("latin-1")
        at += len(info)
    unicode = flags & 0x80
    for bit, key in ((0x04, "name"), (0x08, "relative"), (0x10, "working"), (0x20, "arguments")):
        if flags & bit:
            count = int.from_bytes(data[at:at + 2], "little")
            size = count * (2 if unicode else 1)
            raw = data[at + 2:at + 2 + size]
            link[key] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
            at += 2 + size
    return link


def write_records(folder):
    """The records of one deal and two plays, chained as the game writes them;
    the first play's second field, "Cognome è 1", won nothing."""
    board = state_text(KNOWN_BOARD)
    deal = {"event": "deal", "time": "2026-12-09T10:00:00+01:00", "reason": "first",
            "board": board.replace(b"\r\n", b"").decode(), "prev": "0" * 64}
    for name, data in (("state.dat", board), ("players.txt", b""),
                       ("tabellone-registro.jsonl", json.dumps(deal).encode() + b"\r\n")):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    extend_records(folder, 2)


def open_through_a_recorder(env, scratch):
    """Makes the prefix open .html, .csv and .txt files with a command that
    notes each file asked for: the shell's own association, as a double click
    would use it."""
    log = os.path.join(scratch, "opened.log")
    command = 'C:\\windows\\system32\\cmd.exe /c echo %%1>>Z:%s' % log.replace("/", "\\")
    reg = os.path.join(scratch, "open.reg")
    with open(reg, "w") as f:
        f.write("REGEDIT4\n\n")
        for extension in ("html", "csv", "txt"):
            f.write('[HKEY_CLASSES_ROOT\\.%s]\n@="TabelloneProva"\n\n' % extension)
        f.write('[HKEY_CLASSES_ROOT\\TabelloneProva\\shell\\open\\command]\n@="%s"\n' % command.replace("\\", "\\\\"))
    wine(env, "regedit", "/S", reg)
    return log


def read_opened(log):
    if not os.path.exists(log):
        return []
    with open(log, "rb") as f:
        return [line.strip().strip(b'"').decode("latin-1") for line in f.read().splitlines() if line.strip()]


def check_entries(env, scratch, folder, menu, user):
    """The Start-menu entries' targets, arguments and working folder; each
    operator entry run as its shortcut says, writing its file into the records
    folder and asking the system to open it."""
    windows_folder = "C:\\users\\%s\\AppData\\Local\\Tabellone" % user
    write_records(folder)
    log = open_through_a_recorder(env, scratch)
    for name, (target, arguments, writes) in ENTRIES.items():
        path = os.path.join(menu, "Tabellone", name + ".lnk")
        if not check(os.path.exists(path), "no Start-menu entry %r" % name):
            continue
        link = read_link(path)
        expected = windows_folder + ("\\" + target if target else "")
        check((link["target"] or "").lower() == expected.lower(), "%r points to %r, not %r" % (name, link["target"], expected))
        check(link.get("arguments", "") == arguments, "%r has arguments %r" % (name, link.get("arguments")))
        check((link.get("working") or "").lower() == windows_folder.lower(), "%r works in %r" % (name, link.get("working")))
        if not writes:
            continue
        check(link["show"] == SW_SHOWMINIMIZED, "%r opens its console as %d, not minimised" % (name, link["show"]))
        before = set(os.listdir(folder))
        said = []
        code = wine(env, link["target"], *arguments.split(), cwd=folder, output=said)
        written = [n for n in set(os.listdir(folder)) - before if n.startswith(writes)]
        check(code in (0, 1) and len(written) == 1, "%r: status %d, wrote %s: %s" % (name, code, written, said))
        opened = read_opened(log)
        print("%s: wrote %s, asked to open %s" % (name, written, opened))
        if written:
            check([p.lower() for p in opened] == [(windows_folder + "\\" + written[0]).lower()],
                  "%r asked the system to open %s" % (name, opened))
        if os.path.exists(log):
            os.remove(log)
    verified = [n for n in os.listdir(folder) if n.startswith("verifica-registri-")]
    if verified:
        with open(os.path.join(folder, verified[0]), "rb") as f:
            check(b"Esito: tutto concorda\r\n" in f.read(), "the verify entry did not find the records in order")


def check_accents(env, scratch, user):
    """A records folder under an accented name, and an accented argument: the
    play of "Cognome è 1" is found and erased."""
    users = os.path.join(scratch, "wine", "drive_c", "users", user)
    folder = os.path.join(users, "Niccolò")
    os.makedirs(folder)
    write_records(folder)
    windows_folder = "C:\\users\\%s\\Niccolò" % user
    operator = OPERATOR % user
    said = []
    code = wine(env, operator, "verifica", "--uscita", windows_folder + "\\esito è.txt", windows_folder, output=said)
    check(code == 0 and "Verifica dei registri nella cartella %s\n" % windows_folder in said[0].replace("\r", ""),
          "verify in an accented folder: status %d, %s" % (code, said))
    check(os.path.exists(os.path.join(folder, "esito è.txt")), "verify wrote no file with an accented name")
    said = []
    code = wine(env, operator, "erase", "cognome è 1", "--si", windows_folder, output=said)
    with open(os.path.join(folder, "players.txt"), "rb") as f:
        players = f.read().decode("utf-8")
    check(code == 0 and "[cancellato], [cancellato], [cancellato], Niente\r\n" in players,
          "erase of an accented name: status %d, players.txt %r, %s" % (code, players, said))


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
        link = os.path.join(startup, "Tabellone.lnk")
        if check(os.path.exists(link), "no shortcut %s" % os.path.relpath(link, user)):
            working = read_link(link).get("working") or ""
            check(working.lower().endswith("\\appdata\\local\\tabellone"),
                  "the start with Windows works in %r, not the game's folder" % working)
        check_entries(env, scratch, folder, menu, os.path.basename(user))
        check_accents(env, scratch, os.path.basename(user))
        written = sorted(n for n in os.listdir(folder) if n.endswith((".html", ".csv", ".txt")) and "-20" in n)

        # The records of a day's draw, then the uninstaller, silently: they stay.
        for name in RECORDS:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"record " + name.encode() + b"\r\n")
        check(wine(env, os.path.join(folder, "uninstall.exe"), "/S") == 0, "the silent uninstall failed")
        left = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        check(left == sorted(RECORDS + written),
              "after uninstalling, the folder holds %s, not just the records and %s" % (left, written))
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
