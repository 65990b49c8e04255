"""Drives the real game in a private X server, Linux or under Wine: the one
module the scenarios import from. What it gathers lives by job in layout
(screen places, Failure), pictures, content (reference pictures), x_display
(Xvfb, xdotool, screenshots), game (the game's process, its waits and
inputs), wine_input, records (state.dat), sound and session. Python 3
standard library only."""
from content import Content
from game import Game
from layout import (DATAFILES, DIALOG_BOXES, FOCUS_INSIDE, FORM_FIELDS, GRID_BOX, OK_BUTTON, OK_INSIDE,
                    OK_INSIDE_IMAGE, PARKED_POINTER, PRIZE_COUNTS, PRIZE_NAMES, RESULT_BACKGROUND_BASE, SCREEN_H,
                    SCREEN_W, SQUARES, Failure, box_centre, cell_box, check, inside_any, pointer_box)
from pictures import (Picture, differing_in_place, differing_pixels, lit_pixels_outside, parse_xwd, read_ppm,
                      read_xpm)
from records import STATE_LETTERS, check_fresh_deal, parse_state, state_text
from session import Session, Wine, raise_priority, run_with_timeout
from sound import read_wav, rms
from wine_input import wine_click, wine_input, wine_type
from x_display import Display, FastScreen

__all__ = [
    "Content", "Game", "DATAFILES", "DIALOG_BOXES", "FOCUS_INSIDE", "FORM_FIELDS", "GRID_BOX", "OK_BUTTON",
    "OK_INSIDE", "OK_INSIDE_IMAGE", "PARKED_POINTER", "PRIZE_COUNTS", "PRIZE_NAMES", "RESULT_BACKGROUND_BASE",
    "SCREEN_H", "SCREEN_W", "SQUARES", "Failure", "box_centre", "cell_box", "check", "inside_any", "pointer_box",
    "Picture", "differing_in_place", "differing_pixels", "lit_pixels_outside", "parse_xwd", "read_ppm", "read_xpm",
    "STATE_LETTERS", "check_fresh_deal", "parse_state", "state_text", "Session", "Wine", "raise_priority",
    "run_with_timeout", "read_wav", "rms", "wine_click", "wine_input", "wine_type", "Display", "FastScreen",
]
