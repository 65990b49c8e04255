"""The values of shell/game_contract.h, read from the header itself, so the
tests put the pointer where the game's dialogs put their objects and never
restate a coordinate, a name or an object number."""
import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shell", "game_contract.h")


def _read():
    with open(HEADER) as f:
        text = re.sub(r"//[^\n]*", "", f.read())
    values = {}
    enum = re.search(r"enum\s*\{(.*?)\};", text, re.S).group(1)
    for name, expression in re.findall(r"([A-Z][A-Z0-9_]*)\s*=\s*([^,]+),", enum):
        # An entry is a number or a sum of entries before it.
        values[name] = sum(int(term) if term.strip().isdigit() else values[term.strip()]
                           for term in expression.split("+"))

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
