"""Measures the browser build in each browser engine: the site's size (plain
and gzip-compressed), the time from loading the page to the drawn statistics
screen on a first visit and on repeat visits (served by the service worker),
and what the whole browser costs idle at the table with a bet ready, beside
the same browser showing an empty page of the same site. The idle figures
come from a browser with a window on a private X server, as a player has
(1920 x 1357, the pointer off the game): a headless browser skips the
compositing a shown page costs. Screenshots of both screens and of a message
box go to $ROTANDOR_ARTIFACTS (else ./web-artifacts).

    /usr/bin/python3 bench/measure_web.py build-web/site [IDLE_SECONDS] [--engine chromium|firefox|webkit|all]
"""

import argparse
import gzip
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "web"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "window"))
import engines  # noqa: E402
import rotandor_browser as rb  # noqa: E402
import rotandor_window as rw  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import processes  # noqa: E402

WINDOW = (1920, 1357)
SETTLE = 20.0  # a browser keeps busy for a while after it starts or the page changes
ticks = os.sysconf("SC_CLK_TCK")


def sizes(site):
    total = packed = 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        small = len(gzip.compress(data, 9))
        total, packed = total + len(data), packed + small
        print("%-16s %9d bytes, gzip %9d" % (name, len(data), small))
    print("%-16s %9d bytes, gzip %9d" % ("site", total, packed))


def to_statistics(s, url):
    """Milliseconds from the navigation to the drawn statistics panel."""
    s.driver.get("about:blank")
    start = time.monotonic()
    s.driver.get(url)
    s.wait_window(640, 420, timeout=60)
    s.wait_pixel(300, 300, 0xFFFFFF, timeout=60)
    return (time.monotonic() - start) * 1000


def visits(site, engine):
    """A first visit (a site never seen by this browser: a new origin) and
    repeat ones (served by the service worker), each to the drawn statistics
    screen."""
    with rb.Session(site) as s:
        s.wait_window(640, 420, timeout=60)
        fresh = rb.Server(site, inject=s.server.inject)
        try:
            first = to_statistics(s, fresh.url)
            kept = "return navigator.serviceWorker.ready.then(r => caches.keys()).then(k => k.length);"
            rw.wait_for(lambda: s.js(kept) == 1, 60, interval=0.5, what="the site to be kept")
            repeat = [to_statistics(s, fresh.url) for _ in range(3)]
        finally:
            fresh.stop()
    print("%s: statistics screen on a first visit after %.0f ms, on a repeat visit (service worker) after %s ms"
          % (engine, first, " / ".join("%.0f" % t for t in repeat)))
    return first, repeat


def idle(site, engine, seconds, headed=True):
    """Whole-browser CPU share: an empty page of the site, then the table
    with a bet ready (the croupier never spins)."""
    with rb.Session(site, window_size=WINDOW, headed=headed) as s:
        def browser():
            return processes.descendants(s.engine.browser_pid())

        def share():
            pids = browser()
            before, t0 = processes.cpu_ticks(pids) / ticks, time.monotonic()
            time.sleep(seconds)
            return (processes.cpu_ticks(pids) / ticks - before) / (time.monotonic() - t0) * 100, len(pids)

        def empty_page():
            s.driver.get(s.server.url + rb.EMPTY_PAGE)
            time.sleep(SETTLE)
            return share()[0]

        # A new browser does chores of its own now and then: the empty page
        # before the game and after it, the quieter counts.
        s.wait_window(640, 420, timeout=60)
        empty = empty_page()
        s.driver.get(s.server.url)
        s.wait_statistics(timeout=60)
        s.screenshot_root("page-statistics-%s" % engine)
        prompt = rw.open_table(s)
        s.screenshot_root("page-table-%s" % engine)
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
        s.move(-1, -1)  # the pointer off the game
        time.sleep(SETTLE)
        table, count = share()
        s.click(*rw.START_BUTTON)
        s.wait_box(120)
        s.screenshot_root("page-message-box-%s" % engine)
        while s.boxes():
            s.dismiss_box()
            time.sleep(0.5)
        s.escape()
        s.wait_exit(15)
        s.screenshot_root("page-ended-%s" % engine)
        empty = min(empty, empty_page())
        print("%s%s: whole browser idle (%d processes, %.0f s each): empty page of the site %.2f %%, "
              "table with a bet ready %.2f %% of one core: %+.2f points (goal: at most +0.5)"
              % (engine, "" if headed else " (headless)", count, seconds, empty, table, table - empty))
        return empty, table


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("site")
    parser.add_argument("idle_seconds", nargs="?", type=float, default=20.0)
    parser.add_argument("--engine", default="chromium", choices=list(engines.ENGINES) + ["all"])
    parser.add_argument("--headless", action="store_true",
                        help="idle without a window too, where the engine can (to compare)")
    parser.add_argument("--idle-only", action="store_true")
    args = parser.parse_args()
    sizes(args.site)
    for engine in engines.ENGINES if args.engine == "all" else [args.engine]:
        os.environ["ROTANDOR_ENGINE"] = engine
        if not args.idle_only:
            visits(args.site, engine)
        idle(args.site, engine, args.idle_seconds)
        if args.headless and engine != "webkit":
            idle(args.site, engine, args.idle_seconds, headed=False)


main()
