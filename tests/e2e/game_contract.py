"""The values of shell/game_contract.h and the draw's rules it includes
(board/draw_rules.h), read from the headers themselves, so the tests put the
pointer where the game's dialogs put their objects and never restate a
coordinate, a name or an object number; and how many characters a form field
keeps, from board/players_log.h."""
import os
import re

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
HEADER = os.path.join(SOURCE, "shell", "game_contract.h")
RULES_HEADER = os.path.join(SOURCE, "board", "draw_rules.h")
PLAYERS_LOG_HEADER = os.path.join(SOURCE, "board", "players_log.h")


def _header(path):
    with open(path) as f:
        return re.sub(r"//[^\n]*", "", f.read())


def _read():
    # The rules first: the contract's entries are sums of theirs.
    text = _header(RULES_HEADER) + _header(HEADER)
    values = {}
    enums = "".join(re.findall(r"enum\s*\{(.*?)\};", text, re.S))
    for name, expression in re.findall(r"([A-Z][A-Z0-9_]*)\s*=\s*([^,]+),", enums):
        # An entry is a number or a sum of entries before it.
        values[name] = sum(int(term) if term.strip().isdigit() else values[term.strip()]
                           for term in expression.split("+"))
    values["FORM_FIELD_CHARS"] = int(re.search(r"\bFORM_FIELD_CHARS\s*=\s*(\d+)", _header(PLAYERS_LOG_HEADER)).group(1))

    def array(name):
        return re.search(r"\b%s\[[A-Z_]+\]\s*=\s*\{(.*?)\};" % name, text, re.S).group(1)
    values["form_field_origins"] = [(int(x), int(y)) for x, y in
                                    re.findall(r"\{\s*(\d+)\s*,\s*(\d+)\s*\}", array("form_field_origins"))]
    values["prize_names"] = re.findall(r'"([^"]*)"', array("prize_names"))
    values["prize_counts"] = [int(n) for n in re.findall(r"\d+", array("prize_counts"))]
    values["datafiles"] = tuple(re.search(r'\b%s_file_name\[\]\s*=\s*"([^"]+)"' % kind, text).group(1)
                                for kind in ("graphics", "battle", "music"))
    return values


CONTRACT = _read()
