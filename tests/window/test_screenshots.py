"""The two screens as a player first sees them, checked at fixed pixels and
saved as screenshots (for the README when ROTANDOR_SCREENSHOT_DIR is set)."""

import os
import shutil
import sys

import rotandor_window as rw

binary = sys.argv[1]
results = rw.Results()
WHITE, GREY, BLACK = 0xFFFFFF, 0xAAAAAA, 0x000000


def keep(path, name):
    target = os.environ.get("ROTANDOR_SCREENSHOT_DIR")
    if target:
        os.makedirs(target, exist_ok=True)
        shutil.copy(path, os.path.join(target, name + ".png"))


def panel_ok(image, x1, y1, x2, y2):
    """White top and left edges, grey bottom and right ones, black inside."""
    px = lambda x, y: (lambda r, g, b: (r << 16) | (g << 8) | b)(*image.getpixel((x, y)))
    return (px(x1, y1) == WHITE and px(x1, y2 - 1) == WHITE and px(x2 - 1, y1) == WHITE
            and px(x2, y2) == GREY and px(x1, y2) == GREY and px(x2, y1) == GREY
            and px(x1 + 1, y1 + 1) == BLACK and px(x2 - 1, y2 - 1) == BLACK)


def screens():
    with rw.Session(binary, files=["Button.txt"], faketime="@2026-12-07 12:00:00") as s:
        s.wait_window(640, 420)
        s.wait_pixel(300, 300, WHITE)
        statistics = s.grab()
        results.check("statistics panel drawn", panel_ok(statistics, 200, 300, 400, 400))
        keep(s.screenshot("statistics"), "statistics")

        s.click(300, 350)
        s.wait_window(930, 647)
        s.wait_pixel(27, 580, WHITE)
        table = s.grab()
        for corners in [(27, 420, 296, 439), (27, 450, 296, 469), (27, 580, 138, 630),
                        (27, 545, 296, 564), (139, 483, 296, 502)]:
            results.check("table panel %s drawn" % (corners,), panel_ok(table, *corners))

        # A bet a player would make: the 17 and the 25 chip.
        rw.place_bet_on_17(s, rw.crop(s, rw.BET_LINE))
        s.wait_pixel(26, 496 - 18, WHITE)
        results.check("25 chip ringed in white", s.pixel(26 + 18, 496) == WHITE)
        keep(s.screenshot("table"), "table")
        s.escape()
        results.check("Escape ends with 0", s.wait_exit() == 0)


results.run("screens", screens)
results.finish()
