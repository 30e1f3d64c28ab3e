"""Measures the browser build: the site's size (plain and gzip-compressed),
the time from loading the page to the drawn statistics screen in headless
Chromium, and the processor use of the whole browser while idle at the table.
Screenshots of both screens and of a message box go to $ROTANDOR_ARTIFACTS
(else ./web-artifacts).

    /usr/bin/python3 bench/measure_web.py build-web/site [IDLE_SECONDS]
"""

import gzip
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "web"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "window"))
import rotandor_browser as rb  # noqa: E402
import rotandor_window as rw  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import processes  # noqa: E402
from processes import descendants  # noqa: E402

site = sys.argv[1]
idle = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
ticks = os.sysconf("SC_CLK_TCK")


def sizes():
    total = packed = 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        small = len(gzip.compress(data, 9))
        total, packed = total + len(data), packed + small
        print("%-16s %9d bytes, gzip %9d" % (name, len(data), small))
    print("%-16s %9d bytes, gzip %9d" % ("site", total, packed))


def cpu_seconds(pids):
    return processes.cpu_ticks(pids) / ticks


def to_statistics(s):
    """Milliseconds from the navigation to the drawn statistics panel."""
    s.driver.get("about:blank")
    start = time.monotonic()
    s.driver.get(s.server.url)
    s.wait_window(640, 420)
    s.wait_pixel(300, 300, 0xFFFFFF, timeout=20)
    return (time.monotonic() - start) * 1000


def visits():
    """A first visit (nothing kept: from the server) and a repeat one (served
    by the service worker), each to the drawn statistics screen."""
    with rb.Session(site) as s:
        s.driver.get("about:blank")
        s.cdp("Storage.clearDataForOrigin", origin=s.server.url.rstrip("/"), storageTypes="all")
        s.cdp("Network.clearBrowserCache")
        first = to_statistics(s)
        kept = "return navigator.serviceWorker.ready.then(r => caches.keys()).then(k => k.length);"
        rw.wait_for(lambda: s.js(kept) == 1, 30, interval=0.2, what="the site to be kept")
        repeat = [to_statistics(s) for _ in range(3)]
        print("statistics screen on a first visit after %.0f ms, on a repeat visit (service worker) after %s ms"
              % (first, " / ".join("%.0f" % t for t in repeat)))


def main():
    sizes()
    visits()
    with rb.Session(site) as s:
        # The browser alone, for comparison.
        s.driver.get("about:blank")
        pids = descendants(s.driver.service.process.pid)
        before, t0 = cpu_seconds(pids), time.monotonic()
        time.sleep(idle)
        print("browser CPU on an empty page: %.1f %% of one core over %.0f s"
              % ((cpu_seconds(pids) - before) / (time.monotonic() - t0) * 100, idle))
        # From the navigation to the first frame that shows the statistics panel.
        start = time.monotonic()
        s.driver.get(s.server.url)
        s.wait_window(640, 420)
        s.wait_pixel(300, 300, 0xFFFFFF, timeout=20)
        print("statistics screen after %.0f ms (page load to panel drawn, read back by polling)"
              % ((time.monotonic() - start) * 1000))
        s.screenshot_root("page-statistics")
        prompt = rw.open_table(s)
        s.screenshot_root("page-table")
        # With a bet ready the croupier never spins: the table only waits.
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
        time.sleep(1.0)
        pids = descendants(s.driver.service.process.pid)
        before, t0 = cpu_seconds(pids), time.monotonic()
        time.sleep(idle)
        share = (cpu_seconds(pids) - before) / (time.monotonic() - t0)
        print("browser CPU idle at the table, a bet ready: %.1f %% of one core over %.0f s, %d processes"
              % (share * 100, idle, len(pids)))
        s.click(*rw.START_BUTTON)
        s.wait_box(60)
        s.screenshot_root("page-message-box")
        while s.boxes():
            s.dismiss_box()
            time.sleep(0.5)
        s.escape()
        s.wait_exit(5)
        s.screenshot_root("page-ended")


main()
