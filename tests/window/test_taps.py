"""Taps as short as a touchpad's in the real window: press and release 5 ms
apart, which fall between two looks of the game at the mouse.

A tap on the statistics panel opens the table; taps on the 25 and 50 chips,
in turn, each move the white ring to the chip tapped; a tap of Escape at the
table ends the program with status 0.

Usage: /usr/bin/python3 test_taps.py PATH/TO/rotandor
       /usr/bin/python3 test_taps.py --web PATH/TO/site
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

binary, Session, _ = rw.harness(sys.argv)
results = rw.Results()

TAP = 0.005
TRIES = 20
CHIPS = [(26, 496), (66, 496)]  # 25 and 50


def tap(session, x, y):
    session.tap(x, y, TAP)


def ring_on(session, chip):
    """Whether the chip at this centre carries the white ring of the chosen chip."""
    x, y = chip
    image = session.grab()
    return all(image.getpixel(p) == (255, 255, 255) for p in [(x, y - 18), (x - 18, y), (x + 18, y), (x, y + 18)])


def taken(what, timeout=2.0):
    try:
        return bool(rw.wait_for(what, timeout, what="the tap to take effect"))
    except rw.HarnessError:
        return False


def taps():
    with Session(binary, files=["Button.txt"]) as s:
        s.wait_window(640, 420)
        tap(s, 300, 350)
        try:
            s.wait_window(930, 647)
        except rw.HarnessError:
            results.check("a tap on the statistics panel opens the table", False)
            return
        results.check("a tap on the statistics panel opens the table", True)
        rw.wait_for(lambda: any(rw.crop(s, rw.BET_LINE)), 30, what="the table's prompt")
        prompt = rw.crop(s, rw.BET_LINE)

        # A number and a chip held: with a bet ready the croupier never spins.
        def place_bet(session, prompt):
            return rw.place_bet_on_17(session, prompt, CHIPS[1], lambda session: ring_on(session, CHIPS[1]))

        rw.bet_between_spins(s, prompt, place_bet, tries=3)
        took = 0
        for i in range(TRIES):
            chip = CHIPS[i % 2]
            tap(s, *chip)
            took += taken(lambda: ring_on(s, chip))
        print("taps on a chip that took effect: %d of %d" % (took, TRIES))
        results.check("every 5 ms tap on a chip takes effect", took == TRIES, "%d of %d" % (took, TRIES))

        s.tap_key("Escape", TAP)
        status = s.wait_exit()
        results.check("a 5 ms tap of Escape at the table ends with 0", status == 0, "exit status %s" % status)


results.run("taps", taps)
results.finish()
