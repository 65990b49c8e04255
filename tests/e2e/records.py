"""The game's state.dat: written for a scenario, read back, and a fresh
deal checked."""
from layout import PRIZE_COUNTS, PRIZE_NAMES, check

STATE_LETTERS = "gvnabrxGVNABRX"


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
