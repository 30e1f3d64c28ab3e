"""Measures the real program under Xvfb: start-up until the statistics
screen is shown, idle cost at the table, and peak memory.

    /usr/bin/python3 bench/measure_window.py build/rotandor [IDLE_SECONDS]
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "window"))
import rotandor_window as rw  # noqa: E402

binary = sys.argv[1]
idle = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


with rw.Session(binary, files=["Button.txt"]) as s:
    start = s.started
    s.wait_window(640, 420, interval=0.01)
    # Shown: the panel's white top edge is on the screen.
    rw.wait_for(lambda: s.pixel(300, 300) == 0xFFFFFF, 10, interval=0.005, what="the statistics panel")
    print("start-up to the statistics screen shown: %.0f ms" % ((time.monotonic() - start) * 1000))
    s.click(300, 350)
    s.wait_window(930, 647)
    s.wait_pixel(27, 580, 0xFFFFFF)
    # A ready bet keeps the croupier from spinning: only the idle loop runs.
    with open(os.path.join(rw.SOURCE_DIR, "data", "Button.txt")) as f:
        records = f.read().split()
    for field in (17, 84):
        xl, xr, yt, yb = [int(v) for v in records[field].split(",")[:4]]
        s.click((xl + xr) // 2, (yt + yb) // 2)
    s.move(600, 600)
    time.sleep(0.5)
    cpu, t = s.cpu_seconds(), time.monotonic()
    time.sleep(idle)
    share = (s.cpu_seconds() - cpu) / (time.monotonic() - t)
    print("idle at the table over %.0f s: %.2f %% of one core" % (idle, share * 100))
    print("peak resident memory with the table open: %.1f MB" % peak_rss_mb(s.pid))
    s.escape()
    s.wait_exit()
