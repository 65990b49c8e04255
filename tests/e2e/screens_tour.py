"""One scripted pass through the four screens, saving a PNG of each: the
pictures of the README and docs/, and the timings of the closing measurements."""
import os

from harness import PARKED_POINTER


def tour(session, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    game = session.new_game().start()
    display = session.display

    def save(name):
        display.move(*PARKED_POINTER)
        display.screenshot(os.path.join(out_dir, name))
        print("saved", os.path.join(out_dir, name))

    game.wait_title()
    save("1-title.png")
    game.press_ok()
    game.wait_form()
    game.fill_form(["Niccolò", "Rossi", "333 123 4567"])
    game.wait_for(lambda shot: True, "the typed form")
    save("2-form.png")
    game.press_ok()
    board = game.wait_board()
    save("3-board.png")
    square = game.board_cells(board).index("cover")
    game.click_square(square)
    game.wait_for(lambda shot: game.board_cells(shot)[square] not in ("cover", None),
                  "the uncovered square", timeout=5)
    save("4-reveal.png")
    game.wait_any_result()
    save("5-result.png")
    game.escape()
    game.wait_exit()
