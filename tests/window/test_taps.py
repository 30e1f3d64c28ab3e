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


# A tap's effect can take 87 passes of the table; under Wine on a busy machine
# each pass waits on the Wine server: the slowest tap measured with both cores
# busy took 2.2 s, and 6.3 s with the machine busier still (bench/measure_taps.py).
def taken(what, timeout=30.0):
    try:
        return bool(rw.wait_for(what, timeout, what="the tap to take effect"))
    except rw.HarnessError:
        return False


def taps():
    with Session(binary, files=["Button.txt"]) as s:
        opened = rw.table_with_bet_for_taps(s)
        results.check("a tap on the statistics panel opens the table", opened)
        if not opened:
            return
        took = 0
        for i in range(TRIES):
            chip = rw.TAP_CHIPS[i % 2]
            s.tap(*chip, TAP)
            took += taken(lambda: rw.ring_on(s, chip))
        print("taps on a chip that took effect: %d of %d" % (took, TRIES))
        results.check("every 5 ms tap on a chip takes effect", took == TRIES, "%d of %d" % (took, TRIES))

        s.tap_key("Escape", TAP)
        status = s.wait_exit()
        results.check("a 5 ms tap of Escape at the table ends with 0", status == 0, "exit status %s" % status)


results.run("taps", taps)
results.finish()
