"""How long a 5 ms tap on a chip takes to show its ring in the real window,
and how many taps take at all: Linux under Xvfb, a Windows build under Wine
in $WINEPREFIX, or the page (--web SITE).

    /usr/bin/python3 bench/measure_taps.py build/rotandor [--taps 20] [--load] [--lost-after 60]
    /usr/bin/python3 bench/measure_taps.py build-windows/rotandor.exe --load

--load keeps both cores busy (stress-ng --cpu 2) while the taps run. A tap
counts as lost when no ring shows within --lost-after seconds. The window tests wait five
times the slowest tap measured here under load.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "window"))
import rotandor_window as rw  # noqa: E402

parser = argparse.ArgumentParser()
parser.add_argument("binary")
parser.add_argument("--web", action="store_true", help="the binary is a site folder, played in the page")
parser.add_argument("--taps", type=int, default=20)
parser.add_argument("--load", action="store_true", help="both cores busy with stress-ng --cpu 2")
parser.add_argument("--lost-after", type=float, default=60, help="seconds without a ring that make a tap lost")
args = parser.parse_args()

_, Session, _ = rw.harness(["", "--web", args.binary] if args.web else ["", args.binary])
load = subprocess.Popen(["stress-ng", "--cpu", "2", "--quiet"]) if args.load else None
try:
    with Session(args.binary, files=["Button.txt"]) as s:
        if not rw.table_with_bet_for_taps(s):
            sys.exit("the tap on the statistics panel did not open the table")
        times, lost = [], 0
        for i in range(args.taps):
            chip = rw.TAP_CHIPS[i % 2]
            start = time.monotonic()
            s.tap(*chip, 0.005)
            try:
                rw.wait_for(lambda: rw.ring_on(s, chip), args.lost_after, what="the ring")
                times.append(time.monotonic() - start)
            except rw.HarnessError:
                lost += 1
        s.tap_key("Escape", 0.005)
        s.wait_exit()
finally:
    if load:
        load.terminate()
        load.wait()

print("%s%s: %d of %d taps took effect" % (args.binary, ", both cores busy" if args.load else "",
                                           len(times), args.taps))
if times:
    print("tap to ring: min %.2f s, median %.2f s, max %.2f s" % (min(times), statistics.median(times), max(times)))
