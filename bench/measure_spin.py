"""How long a real spin takes against the waits its seed gives, in the real
window (Linux under Xvfb, or a Windows build under Wine in $WINEPREFIX).

    /usr/bin/python3 bench/measure_spin.py build/rotandor

The game seeds the spin with the whole seconds of CLOCK_MONOTONIC, the clock
read here too; the spin begins in the second of the first grab that shows the
ball or of the one before it. A candidate seed gives the start pocket, the
steps and every wait, so the pocket first seen tells which step it was, and
the plan tells where and about when the ball will stop. Grabs stall the X
server, and with it the game's presents, so the wheel is not grabbed in
between; near the end only the few pixels of the pocket where the ball
should stop are grabbed. The time from the first pocket seen to the ball's
arrival in its last pocket (each timed at the middle between the grabs around
it) is compared with the sum of the waits between those steps. The seed is
the candidate whose last pocket the ball came to rest in.
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "window"))
import rotandor_window as rw  # noqa: E402
from PIL import ImageGrab  # noqa: E402

binary = sys.argv[1]


def measure():
    with rw.Session(binary, files=["Button.txt"]) as s:
        rw.open_table(s)
        x, y = s.client_origin()

        def grab(box):
            before = time.clock_gettime(time.CLOCK_MONOTONIC)
            image = ImageGrab.grab(bbox=(x + box[0], y + box[1], x + box[2], y + box[3]),
                                   xdisplay=s.display.name).convert("RGB")
            return (before + time.clock_gettime(time.CLOCK_MONOTONIC)) / 2, image

        previous = grab(rw.WHEEL_BOX)
        if rw.white_discs(previous[1], rw.WHEEL_BOX[:2]):
            raise rw.HarnessError("a ball on the wheel before the first spin")
        deadline = time.monotonic() + 60
        while True:
            t, image = grab(rw.WHEEL_BOX)
            discs = rw.white_discs(image, rw.WHEEL_BOX[:2])
            if len(discs) == 1:
                break
            if time.monotonic() > deadline:
                raise rw.HarnessError("no spin within 60 s")
            previous = (t, image) if not discs else previous
        first_seen = (previous[0] + t) / 2
        candidates = []
        for seed in rw.spin_seeds(previous[0], t, binary.lower().endswith(".exe")):
            start, waits = rw.spin_plan(seed)
            step = (discs[0] - start - 1) % 37
            stop = (start + len(waits)) % 37
            candidates.append({"seed": seed, "waits": waits, "step": step, "stop": stop,
                               "expected": sum(waits[step:-1]) / 1000, "before": None, "arrived": None})
        time.sleep(max(0.0, first_seen + min(c["expected"] for c in candidates) - 1.0 - time.monotonic()))
        while True:
            for c in candidates:
                px, py = rw.POCKETS[c["stop"]]
                t, image = grab((px - 6, py - 6, px + 7, py + 7))
                there = all(image.getpixel((6 + dx, 6 + dy)) == (255, 255, 255) for dx, dy in rw.DISC)
                if not there:
                    c["before"], c["arrived"] = t, None
                elif c["arrived"] is None and c["before"] is not None:
                    c["arrived"] = (c["before"] + t) / 2, t - c["before"]
            rested = [c for c in candidates if c["arrived"] and t - c["arrived"][0] > 1.0]
            if rested or t - first_seen > 60:
                break
        s.escape()
        s.wait_exit()

    if len(rested) > 1 and len({c["stop"] for c in rested}) == 1:
        # Two seeds of the slack stop in the same pocket: the spin's length tells them apart.
        rested = [min(rested, key=lambda c: abs(c["arrived"][0] - first_seen - c["expected"]))]
    if len(rested) != 1:
        print("no single seed explains where the ball stopped: %s" % [(c["seed"], c["stop"]) for c in candidates])
        return 1
    c = rested[0]
    measured = c["arrived"][0] - first_seen
    error = (measured - c["expected"]) / c["expected"]
    print("spin: seed %d, %d steps, first seen at step %d: measured %.3f s (arrival timed to %.1f ms), "
          "waits %.3f s, %+.2f%% (%+.2f ms a step)" %
          (c["seed"], len(c["waits"]), c["step"], measured, 1000 * c["arrived"][1], c["expected"],
           100 * error, 1000 * (measured - c["expected"]) / (len(c["waits"]) - 1 - c["step"])))
    return 0


sys.exit(measure())
