"""Input under Wine: each click and each key typed into the form waits for
its visible effect, and is sent again only when none came."""
import sys
import time

from game_contract import CONTRACT
from layout import Failure, box_centre, check, pointer_box
from pictures import differing_pixels

# How long an input's effect may take under Wine before the input counts as
# lost (the slowest seen: 1.7 s with both cores busy), and how often it is sent.
WINE_INPUT_WAIT = 5
WINE_INPUT_TRIES = 3
WINE_REPEAT_WATCH = 0.5     # the library repeats a key held over 250 ms


def said_again(what):
    """A line in the test's output for each input Wine lost and the harness
    sent again, so passing runs show how often it happens."""
    sys.stderr.write("note: under Wine %s had no effect; sent again\n" % what)


# Wine now and then passes an input on late, and so in effect drops it: a
# press and release that reach the library in one go are never seen as a
# click, a key's release over 250 ms late makes the library repeat the key,
# a key or a click may come over a second late on a busy machine. The loss
# is Wine's, not the game's.
# So under Wine each click and each key typed into the form waits for its
# visible effect before anything else is sent, and is sent again only when
# no effect at all came within WINE_INPUT_WAIT seconds; an input that did
# arrive is never sent twice. On Linux the inputs go as they always have.

def changed(game, boxes, reference, timeout, skip=(), settle=0.1):
    """The first settled shot in which each of boxes (less skip) differs
    from the shot reference, or None after timeout seconds."""
    deadline = time.monotonic() + timeout
    previous = None
    while True:
        check(game.running(), "the game ended while waiting for an input's effect: %s"
              % game.error_text().strip())
        shot = game.display.screenshot()
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


def wine_input(game, send, boxes, what):
    """Sends an input until each of boxes changes; sent again only when
    nothing changed at all. Returns the settled shot."""
    for attempt in range(WINE_INPUT_TRIES):
        if attempt:
            said_again(what)
        before = game.display.screenshot()
        send()
        shot = changed(game, boxes, before, WINE_INPUT_WAIT)
        if shot:
            return shot
    raise Failure("%s had no effect under Wine, sent %d times" % (what, WINE_INPUT_TRIES))


def wine_type(game, box, text):
    """Types text into the focused field box, one character at a time,
    each seen in the field before the next. A key whose release Wine
    passes on late is repeated by the library (after 250 ms): the field
    is watched a moment longer, and what came beyond the character typed
    is taken back with Backspace. The field's look after each number of
    characters typed tells where it stands, so a Backspace repeated in
    turn is typed over again."""
    display = game.display
    shown = [display.screenshot().crop(box).rgb]    # the field after 0, 1, ... characters
    kept = min(len(text), CONTRACT["FORM_FIELD_CHARS"])
    while len(shown) <= kept:
        ch = text[len(shown) - 1]
        shown.append(wine_input(game, lambda: display.type_character(ch), [box], repr(ch)).crop(box).rgb)
        while True:
            time.sleep(WINE_REPEAT_WATCH)
            now = display.screenshot().crop(box).rgb
            if now in shown:
                del shown[shown.index(now) + 1:]
                break
            sys.stderr.write("note: under Wine the field took more than %r; a Backspace takes it back\n" % ch)
            wine_input(game, lambda: display.xdotool("key", "BackSpace"), [box], "Backspace")
    for ch in text[kept:]:      # the field is full and shows nothing more
        display.type_character(ch)
        time.sleep(0.1)


def wine_click(game, box):
    """A click in the middle of box under Wine: the button is held until
    the box is drawn pressed: released sooner, the press and the release
    may reach the library together, which then never sees the button
    down. The pointer stays a moment after the release, which Wine passes
    on later than the pointer's position. A click whose press never shows
    is sent again only if nothing came of it either."""
    display = game.display
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
        pressed = changed(game, [box], before, WINE_INPUT_WAIT, skip, display.settle)
        display.xdotool("mouseup", 1)
        time.sleep(0.3)
        if pressed or changed(game, [box], before, WINE_INPUT_WAIT, skip, display.settle):
            return
    raise Failure("a click at %s had no effect under Wine, sent %d times" % (centre, WINE_INPUT_TRIES))
