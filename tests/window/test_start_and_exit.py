"""The program's windows, and every way a player ends it, in a real X server;
and a start without a display, which must end at once and leave no file.

Usage: /usr/bin/python3 test_start_and_exit.py PATH/TO/rotandor
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

SCREEN_W, SCREEN_H = 1280, 1024
PANEL_CORNER = (200, 300)  # inclusive top-left of the statistics panel
EXIT_TIMEOUT = 30

binary = sys.argv[1] if len(sys.argv) > 1 else "rotandor"
results = rw.Results()


def size_hints(session):
    """(min, max) client sizes the window asks the window manager for."""
    text = session.display.run("xprop", "-id", session.window.id, "WM_NORMAL_HINTS")
    minimum = re.search(r"minimum size: (\d+) by (\d+)", text)
    maximum = re.search(r"maximum size: (\d+) by (\d+)", text)
    as_size = lambda m: (int(m.group(1)), int(m.group(2))) if m else None  # noqa: E731
    return as_size(minimum), as_size(maximum)


def check_window(session, name, width, height):
    window = session.wait_window(width, height)
    results.check(name + ": title", window.name == "Rotandor", window.name)
    origin = session.client_origin()
    centred = ((SCREEN_W - width) // 2, (SCREEN_H - height) // 2)
    results.check(name + ": centred", origin == centred, "%s, expected %s" % (origin, centred))
    results.check(name + ": 32 x 32 icon", session.icon() == (32, 32), session.icon())
    hints = size_hints(session)
    if session.wine:
        results.check(name + ": not resizable", hints == ((width, height), (width, height)), hints)
    else:
        results.check(name + ": resizable, never below its own size", hints == ((width, height), None), hints)


def open_table(session):
    session.wait_statistics()
    session.click(*PANEL_CORNER)
    return session.wait_window(930, 647)


def expect_exit(session, name):
    status = session.wait_exit(EXIT_TIMEOUT)
    results.check(name, status == 0, "exit status %s" % status)


def statistics_window_then_escape():
    with rw.Session(binary, files=["Button.txt"]) as s:
        check_window(s, "statistics window", 640, 420)
        s.screenshot("statistics")
        s.key("Escape")
        expect_exit(s, "Escape on the statistics screen ends with 0")


def close_statistics_window():
    with rw.Session(binary, files=["Button.txt"]) as s:
        s.wait_window(640, 420)
        s.close_window()
        expect_exit(s, "closing the statistics window ends with 0")


def any_key_on_statistics_screen():
    for key in ["a", "space", "F5", "Left"]:
        with rw.Session(binary, files=["Button.txt"]) as s:
            s.wait_window(640, 420)
            s.key(key)
            expect_exit(s, "key %s on the statistics screen ends with 0" % key)


def click_beside_panel_keeps_statistics():
    with rw.Session(binary, files=["Button.txt"]) as s:
        s.wait_statistics()
        # One pixel right of the panel, held as long as a click that opens the table.
        s.click(401, 350, hold=0.4)
        time.sleep(0.5)
        sizes = [(w.width, w.height) for w in s.game_windows()]
        results.check("a click beside the panel keeps the statistics screen",
                      s.running() and sizes == [(640, 420)], "running %s, windows %s" % (s.running(), sizes))


def table_window_idle_then_escape():
    with rw.Session(binary, files=["Button.txt"]) as s:
        s.wait_statistics()
        s.click(*PANEL_CORNER)
        check_window(s, "table window", 930, 647)
        s.screenshot("table")
        # Idle at the table, before the croupier's first spin (3 s at the earliest) or during it.
        time.sleep(10)
        results.check("still running after 10 s idle at the table", s.running())
        s.escape()
        expect_exit(s, "Escape at the table ends with 0")


def close_table_window():
    with rw.Session(binary, files=["Button.txt"]) as s:
        open_table(s)
        s.close_window()
        expect_exit(s, "closing the table window ends with 0")


def key_at_table():
    with rw.Session(binary, files=["Button.txt"]) as s:
        open_table(s)
        s.key("x")
        expect_exit(s, "a key at the table ends with 0")


def no_display():
    # Asked for X, and left to choose (SDL would fall back to a driver that shows nothing).
    for driver in ["x11", None]:
        root = tempfile.mkdtemp(prefix="rotandor-nodisplay-")
        try:
            data, runtime = os.path.join(root, "data"), os.path.join(root, "run")
            os.makedirs(data)
            os.makedirs(runtime, mode=0o700)
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
            env.update(XDG_DATA_HOME=data, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")
            if driver:
                env["SDL_VIDEODRIVER"] = driver
            try:
                run = subprocess.run([os.path.abspath(binary)], cwd=root, env=env, capture_output=True,
                                     timeout=EXIT_TIMEOUT)
            except subprocess.TimeoutExpired:
                results.check("no display (%s): the program ends" % driver, False, "still running")
                continue
            lines = run.stderr.decode(errors="replace").splitlines()
            name = "no display (%s)" % (driver or "any driver")
            results.check(name + ": status 1", run.returncode == 1, run.returncode)
            said = len(lines) == 1 and lines[0].startswith("rotandor: cannot open the 640 x 420 window: ")
            results.check(name + ": one line on stderr saying why", said, lines)
            written = [os.path.join(d, f) for d, _, files in os.walk(data) for f in files]
            results.check(name + ": no player file written", not written, written)
        finally:
            shutil.rmtree(root, ignore_errors=True)


# Under Wine there is always a display: Wine's own X driver, or its own error.
tests = [] if binary.lower().endswith(".exe") else [no_display]
for test in tests + [statistics_window_then_escape, close_statistics_window, any_key_on_statistics_screen,
             click_beside_panel_keeps_statistics, table_window_idle_then_escape, close_table_window,
             key_at_table]:
    results.run(test.__name__, test)
results.finish()
