"""A mouse button released over a message box must not stay held in the game.

The player holds the start button, drags the pointer to where the win message
will appear and lets go over the box. Afterwards the pointer passing over a
number must not choose it, and the very next click must.

Usage: /usr/bin/python3 test_button_over_message_box.py PATH/TO/rotandor
       /usr/bin/python3 test_button_over_message_box.py --web PATH/TO/site
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

binary, Session, _ = rw.harness(sys.argv)
results = rw.Results()

NUMBER_17, CHIP_25, START_BUTTON, BET_LINE = rw.NUMBER_17, rw.CHIP_25, rw.START_BUTTON, rw.BET_LINE
crop, chip_marked = rw.crop, rw.chip_marked


def place_bet(session, prompt):
    """Chooses 17 and the 25 chip; true when both took (no croupier spin in between)."""
    session.click(*NUMBER_17, hold=0.3)
    session.click(*CHIP_25, hold=0.3)
    return chip_marked(session) and crop(session, BET_LINE) != prompt


def release_over_box():
    # Local date and hour fixed so that no task completes: the round shows one box.
    with Session(binary, files=["Button.txt"], faketime="@2026-12-07 12:00:00 x2") as s:
        prompt = rw.open_table(s)
        rw.bet_between_spins(s, prompt, place_bet, tries=3)

        s.press(*START_BUTTON)
        box = s.wait_box(90)
        # Still holding the button, over to the box, and let go there.
        s.move_to_box(box)
        time.sleep(0.2)
        s.release()
        s.dismiss_box(box)
        rw.wait_for(lambda: crop(s, BET_LINE) == prompt, 10, what="the table to be reset after the round")

        s.move(*NUMBER_17)
        time.sleep(1.0)
        results.check("moving over a number after the box chooses nothing", crop(s, BET_LINE) == prompt)

        s.click(*NUMBER_17, hold=0.3)
        try:
            chosen = rw.wait_for(lambda: crop(s, BET_LINE) != prompt, 3, what="the number to be chosen")
        except rw.HarnessError:
            chosen = False
        results.check("the first click after the box chooses the number", chosen)
        s.escape()
        results.check("Escape ends with 0", s.wait_exit(5) == 0)


results.run("release_over_box", release_over_box)
results.finish()
