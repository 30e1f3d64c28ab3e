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

NUMBER_17, START_BUTTON, BET_LINE, crop = rw.NUMBER_17, rw.START_BUTTON, rw.BET_LINE, rw.crop


def release_over_box():
    # Local date and hour fixed so that no task completes: the round shows one box.
    with Session(binary, files=["Button.txt"], faketime="@2026-12-07 12:00:00 x2") as s:
        prompt = rw.open_table(s)
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17, tries=3)

        s.press(*START_BUTTON)
        box = s.wait_box(90)
        # Still holding the button, over to the box, and let go there.
        s.move_to_box(box)
        time.sleep(0.2)
        s.release()
        s.dismiss_box(box)
        rw.wait_for(lambda: crop(s, BET_LINE) == prompt, 30, what="the table to be reset after the round")

        s.move(*NUMBER_17)
        time.sleep(1.0)
        results.check("moving over a number after the box chooses nothing", crop(s, BET_LINE) == prompt)

        results.check("the first click after the box chooses the number", rw.hold_until_message(s, NUMBER_17, prompt))
        s.escape()
        results.check("Escape ends with 0", s.wait_exit() == 0)


results.run("release_over_box", release_over_box)
results.finish()
