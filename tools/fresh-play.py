#!/usr/bin/python3
"""Runs a command that starts the game under a private Xvfb, waits until the
statistics screen is on it, then closes the window as a player would and
expects the command to end with status 0.

    /usr/bin/python3 tools/fresh-play.py [--timeout S] [--screenshot PNG] -- CMD ...

The command gets DISPLAY (and no XAUTHORITY). It may install and build
first, so the timeout is long. The screen counts as shown when the game's
640 x 420 window is viewable and its panel is drawn: the white top edge
(client row 300, black above and below) and the text in it. Exit status 0 when it was seen
and the game then ended with 0.
"""

import argparse
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "window"))
import rotandor_window as rw  # noqa: E402

# The panel's top edge and the last row of the "!" ending its text, drawn last.
SHOWN = {(300, 299): (0, 0, 0), (300, 300): (255, 255, 255), (300, 301): (0, 0, 0), (363, 382): (0, 0xAA, 0xAA)}


def statistics_shown(display, proc):
    if proc.poll() is not None:
        raise rw.HarnessError("the command ended with status %s before the statistics screen" % proc.returncode)
    for w in rw.top_windows(display):
        if w.name == rw.GAME_TITLE and w.klass.strip() and (w.width, w.height) == (640, 420):
            info = rw.window_info(display, w.id)
            if info and info["viewable"]:
                from PIL import ImageGrab

                image = ImageGrab.grab(bbox=(info["x"], info["y"], info["x"] + 640, info["y"] + 420),
                                       xdisplay=display.name).convert("RGB")
                if all(image.getpixel(p) == c for p, c in SHOWN.items()):
                    return w, image
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=1200)
    parser.add_argument("--screenshot")
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    display = rw.Display()
    proc = None
    try:
        # Its own process group: what the command starts (apt, the build, the
        # game) is ended with it if it fails.
        proc = subprocess.Popen(args.command, env=display.env, start_new_session=True)
        started = time.monotonic()
        window, image = rw.wait_for(lambda: statistics_shown(display, proc), args.timeout, interval=0.2,
                                    what="the statistics screen")
        print("statistics screen shown %.1f s after the start" % (time.monotonic() - started))
        if args.screenshot:
            image.save(args.screenshot)
        rw.send_delete_window(display.name, window.id)
        try:
            status = proc.wait(10)
        except subprocess.TimeoutExpired:
            raise rw.HarnessError("the game did not end within 10 s of closing its window") from None
        print("closing the window ended it with status %d" % status)
        return 0 if status == 0 else 1
    except rw.HarnessError as error:
        print("fresh-play: %s" % error, file=sys.stderr)
        return 1
    finally:
        if proc is not None and proc.poll() is None:
            os.killpg(proc.pid, signal.SIGTERM)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        display.stop()


if __name__ == "__main__":
    sys.exit(main())
