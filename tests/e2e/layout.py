"""Where things sit on the game's screen (from the game's contract), the
prize names and counts, and how a scenario fails: Failure and check."""
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


DIALOG_BOXES = [OK_BUTTON, GRID_BOX] + FORM_FIELDS


def inside_any(x, y, boxes):
    return any(bx <= x < bx + bw and by <= y < by + bh for bx, by, bw, bh in boxes)


def pointer_box(position):
    """Where the library may draw its mouse pointer at this position."""
    x, y = position
    return (x - 4, y - 4, 28, 36)
