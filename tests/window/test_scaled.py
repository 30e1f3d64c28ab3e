"""On a large screen the window opens at twice its size: the table is the 1x
frame with every pixel a 2 x 2 square, a field is chosen by holding at its
doubled position, and a window made larger keeps the 2x frame centred on
black, where a held field is found again.

Usage: /usr/bin/python3 test_scaled.py PATH/TO/rotandor
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

from PIL import Image, ImageGrab  # noqa: E402

binary = sys.argv[1] if len(sys.argv) > 1 else "rotandor"
results = rw.Results()
# No speed-up: the croupier's first spin is at least 3 s away, so the table
# stays as it was drawn while it is compared.
START = "@2026-12-07 12:00:00"
SMALL, LARGE = (1280, 1024), (2560, 1440)
WHITE = 0xFFFFFF
X1, Y1, X2, Y2 = rw.BET_LINE


def client(session):
    """The whole client area as it is now, whatever its size."""
    info = rw.window_info(session.display, session.window.id)
    return ImageGrab.grab(bbox=(info["x"], info["y"], info["x"] + info["width"], info["y"] + info["height"]),
                          xdisplay=session.display.name).convert("RGB")


def bet_line(session, k, left=0, top=0):
    return client(session).crop((left + X1 * k, top + Y1 * k, left + (X2 + 1) * k, top + (Y2 + 1) * k))


def hold(session, field, k, left=0, top=0):
    """Holds the left button on a field, at the last window pixel of its
    centre's square, until the bet line changes; returns the line."""
    x, y = rw.region(field)
    before = bet_line(session, k, left, top).tobytes()
    session.display.run("xdotool", "mousemove", "--window", session.window.id,
                        str(left + x * k + k - 1), str(top + y * k + k - 1), "mousedown", "1")
    try:
        rw.wait_for(lambda: bet_line(session, k, left, top).tobytes() != before, 30, interval=0.05,
                    what="the message of field %d" % field)
    finally:
        session.display.run("xdotool", "mouseup", "1")
    return bet_line(session, k, left, top)


def doubled(image):
    return image.resize((image.width * 2, image.height * 2), Image.NEAREST)


def table(session, k):
    session.wait_statistics(scale=k)
    session.click(300 * k + k - 1, 350 * k + k - 1, hold=0.2)
    session.wait_window(930 * k, 647 * k)
    session.wait_pixel(27 * k, 580 * k, WHITE)
    return client(session)


def scaled():
    with rw.Session(binary, files=["Button.txt"], faketime=START, screen=SMALL) as s:
        small = table(s, 1)
        m17, m5 = hold(s, 17, 1), hold(s, 5, 1)
        s.escape()
        s.wait_exit()

    with rw.Session(binary, files=["Button.txt"], faketime=START, screen=LARGE) as s:
        large = table(s, 2)
        results.check("the table opens at 1860 x 1294", large.size == (1860, 1294), large.size)
        same = large.tobytes() == doubled(small).tobytes()
        if not same:
            s.screenshot("scaled-table")
        results.check("the 2x table is the 1x table pixel-doubled", same)
        line = hold(s, 17, 2)
        results.check("holding the 17 at its doubled place chooses it",
                      line.tobytes() == doubled(m17).tobytes())

        # Maximised on this screen: short of 3x, so still 2x, centred on black.
        frame = client(s).tobytes()
        s.display.run("xdotool", "windowmove", s.window.id, "0", "0", "windowsize", s.window.id, "2560", "1440")
        left, top = (2560 - 1860) // 2, (1440 - 1294) // 2

        def centred():
            image = client(s)
            return (image.size == (2560, 1440) and image.getpixel((0, 0)) == (0, 0, 0)
                    and image.getpixel((2559, 1439)) == (0, 0, 0)
                    and image.crop((left, top, left + 1860, top + 1294)).tobytes() == frame
                    and image)

        image = None
        try:
            image = rw.wait_for(centred, 30, interval=0.1, what="the frame centred in the larger window")
        except rw.HarnessError:
            s.screenshot("scaled-resized")
        results.check("a larger window shows the 2x frame centred on black", image is not None)
        if image is not None:
            margin = image.crop((0, 0, left, 1440)).getcolors()
            results.check("the margin is black", margin == [(left * 1440, (0, 0, 0))], margin)
        line = hold(s, 5, 2, left, top)
        results.check("holding the 5 in the centred frame chooses it", line.tobytes() == doubled(m5).tobytes())
        s.escape()
        results.check("Escape ends with 0", s.wait_exit() == 0)


results.run("scaled", scaled)
results.finish()
