"""The roulette table in the real window.

A field's message and the 25 chip's ring read back from the screen; a stake
typed with umlauts on a German keyboard, echoed in code page 437; a spin
(time sped up) that leaves the white ball in a pocket of the orbit; and a
real-time spin that ends with the ball in the pocket its seed gives. How long
a spin takes, and what the idle table costs, bench/ measures.

Usage: /usr/bin/python3 test_table.py PATH/TO/rotandor [TEST ...]
       /usr/bin/python3 test_table.py --web PATH/TO/site [TEST ...]
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

binary, Session, chosen = rw.harness(sys.argv)
results = rw.Results()
os.environ.setdefault("ROTANDOR_ARTIFACTS", os.path.join(rw.SOURCE_DIR, "tests", "artifacts"))

CYAN = (0xFFFFFF, 0x55FFFF, 0x00AAAA)
START_BUTTON = (80, 605)


# --- What the screen should show, worked out here ------------------------------

def layout():
    rects = []
    with open(os.path.join(rw.SOURCE_DIR, "data", "Button.txt")) as f:
        for line in f:
            items = line.strip().split(",")
            if len(items) == 5:
                rects.append(tuple(int(v) for v in items[:4]))
    return rects


def centre(rect):
    left, right, top, bottom = rect
    return (left + right) // 2, (top + bottom) // 2


GLYPHS = rw.screen_font()


def text_pixels(text, row, column, bands):
    """{(x, y): colour} of every pixel of the text's cells."""
    pixels = {}
    for i, ch in enumerate(text.encode("cp437")):
        x0, y0 = 8 * (column + i) - 8, 8 * row - 8
        for k in range(8):
            band = bands[0] if k < 2 else bands[1] if k < 5 else bands[2]
            for j in range(8):
                lit = GLYPHS[ch][k] & (0x80 >> j)
                pixels[(x0 + j, y0 + k)] = band if lit else 0
    return pixels


def mismatches(image, expected):
    px = image.load()
    wrong = 0
    for (x, y), colour in expected.items():
        r, g, b = px[x, y]
        wrong += ((r << 16) | (g << 8) | b) != colour
    return wrong


def circle_points(x, y, r):
    """The outline of a circle as the screen's circle routine plots it."""
    points = set()
    x1, x2, y1, y2 = x - r, x + r, y, y
    points.update({(x1, y), (x2, y)})
    aq = bq = r * r
    dx, dy = 2 * aq, 2 * bq
    t = r * bq
    tx, ty, d = 2 * t, 0, r
    while d > 0:
        if t > 0:
            y1, y2 = y1 + 1, y2 - 1
            ty += dx
            t -= ty
        if t <= 0:
            d -= 1
            x1, x2 = x1 + 1, x2 - 1
            tx -= dy
            t += tx
        points.update({(x1, y1), (x2, y1), (x1, y2), (x2, y2)})
    return points


# --- Driving the table ----------------------------------------------------------

def open_table(session):
    session.wait_statistics()
    session.click(200, 300, hold=0.2)
    session.wait_window(930, 647)
    prompt = text_pixels("Machen sie bitte ihr Spiel!     ", 58, 5, CYAN)
    rw.wait_for(lambda: mismatches(session.grab(), prompt) == 0, 30, what="the table's prompt")


def hold(session, x, y, until, timeout=15):
    """Holds the left button on (x, y) until until() is true; returns its value."""
    session.press(x, y)
    try:
        return rw.wait_for(until, timeout, interval=0.02, what="the table to answer the held button")
    finally:
        session.release()


def escape(session):
    """Escape held longer than a spin's longest step: a tap between steps is not seen."""
    session.key_down("Escape")
    time.sleep(0.6)
    session.key_up("Escape")


def field_and_chip():
    rects = layout()
    with Session(binary, files=["Button.txt"]) as s:
        open_table(s)
        s.screenshot("table")
        message = text_pixels("auf die 17 gesetzt" + " " * 15, 58, 5, CYAN)
        shown = hold(s, *centre(rects[17]), until=lambda: mismatches(s.grab(), message) == 0)
        results.check("holding 17 shows its message in the three bands", shown)
        s.screenshot("table-17")

        ring = circle_points(26, 496, 18)
        chip_message = text_pixels("Sie haben 25 Euro" + " " * 15, 54, 5, CYAN)

        def chip_shown():
            image = s.grab()
            return all(image.getpixel(p) == (255, 255, 255) for p in ring) and mismatches(image, chip_message) == 0

        results.check("the 25 chip gets its white ring and message", hold(s, 26, 496, until=chip_shown))
        escape(s)
        results.check("Escape at the table ends with 0", s.wait_exit() == 0)


def fast_spin():
    # Ten times faster: the croupier comes within 3 s and spins for about 3 s.
    with Session(binary, files=["Button.txt"], faketime="+0 x10") as s:
        open_table(s)
        spinning = text_pixels("Nichts geht mehr!     ", 58, 5, CYAN)
        prompt = text_pixels("Machen sie bitte ihr Spiel!     ", 58, 5, CYAN)
        rw.wait_for(lambda: mismatches(s.grab(), spinning) == 0, 30, what="the croupier's spin")
        rw.wait_for(lambda: mismatches(s.grab(), prompt) == 0, 30, what="the end of the spin")
        image = s.grab()
        s.screenshot("table-after-spin")
        discs = rw.white_discs(image)
        results.check("the spin ends with one white ball in a pocket", len(discs) == 1, discs)
        escape(s)
        status = s.wait_exit()
        results.check("Escape ends with 0", status == 0, "exit status %s" % status)


# Every task done with its check value: the player stakes the wallet's money.
ALL_TASKS_DONE = (b"1,0,27406159\r\n1,0,0\r\n1,3,6148\r\n1,10,0\r\n1,50,0\r\n1,5,0\r\n1,3,0\r\n"
                  b"1,0,3027\r\n1,0,4591\r\n1,3,0\r\n1,2,0\r\n1,0,1836\r\n1,7,638\r\n1,0,26953\r\n")
STAKE_LINE = (200, 492)


def typed_stake():
    """Typed letters echo as the font's code page 437 glyphs, umlauts and ß
    included; Escape empties the line, and a typed amount becomes the stake."""
    wallet = {"Secrets.dat": ALL_TASKS_DONE, "Geldbeutel.dat": b"375\r\n"}
    white = (0xFFFFFF,) * 3
    with Session(binary, files=["Button.txt"], player_files=wallet, keyboard="de") as s:
        def shows(what, text, row, column, bands, cursor=None):
            pixels = text_pixels(text, row, column, bands)
            if cursor is not None:  # the line editor's underline in that cell
                pixels.update({(8 * cursor - 8 + dx, 8 * row - 1): 0xFFFFFF for dx in range(8)})
            try:
                rw.wait_for(lambda: mismatches(s.grab(), pixels) == 0, 30, what=what)
            except rw.HarnessError:
                s.screenshot("table-typed-failed")
                raise
            results.check(what, True)

        open_table(s)
        limits = text_pixels("Limits: Min = 25 Max = 1000", 54, 5, CYAN)
        results.check("the stake line asks for an amount within the limits",
                      hold(s, *STAKE_LINE, until=lambda: mismatches(s.grab(), limits) == 0))
        s.type("\u00e4\u00f6\u00fc\u00df")
        shows("\u00e4\u00f6\u00fc\u00df echo as code page 437 84 94 81 E1", "\u00e4\u00f6\u00fc\u00df", 62, 28, white)
        s.screenshot("table-typed-umlauts")
        s.key("Escape")
        shows("Escape empties the line", "    ", 62, 28, white, cursor=28)
        s.type("500")
        s.key("Return")
        shows("the typed 500 is the stake", "Sie haben 500 Euro", 54, 5, CYAN)
        escape(s)
        results.check("Escape at the table ends with 0", s.wait_exit() == 0)
        results.check("the wallet is as it was", s.player_file("Geldbeutel.dat") == b"375\r\n",
                      s.player_file("Geldbeutel.dat"))


def typed_stake_by_touch():
    """A phone with real money: a finger on the stake line gives the number
    keyboard's input the focus; what is typed there shows as typed on a
    keyboard and becomes the stake; the round that follows books it."""
    if not hasattr(Session, "insert_text"):
        raise rw.Unsupported("the desktop window has no touch screen of its own")
    wallet = {"Secrets.dat": ALL_TASKS_DONE, "Geldbeutel.dat": b"375\r\n"}
    limits = text_pixels("Limits: Min = 25 Max = 1000", 54, 5, CYAN)
    # The line as typed, nothing behind it but the cursor's underline.
    typed = text_pixels("30  ", 62, 28, (0xFFFFFF,) * 3)
    typed.update({(8 * 30 - 8 + dx, 8 * 62 - 1): 0xFFFFFF for dx in range(8)})
    stake = text_pixels("Sie haben 30 Euro", 54, 5, CYAN)
    focus = ("var e = document.activeElement;"
             "return e && e.tagName === 'INPUT' ? [e.inputMode, e.enterKeyHint] : null;")
    with Session(binary, files=["Button.txt"], player_files=wallet, faketime="+0 x10", device=(844, 390, 3)) as s:
        # A bet with the 25 chip first: with a bet ready the croupier, due every
        # few seconds at ten times the speed, never clears the table meanwhile.
        prompt = rw.open_table(s)
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
        message = rw.crop(s, rw.BET_LINE)
        results.check("the finger on the stake line shows the limits",
                      rw.hold_until(s, STAKE_LINE, lambda: mismatches(s.grab(), limits) == 0, "the limits", 30))
        keyboard = rw.wait_for(lambda: s.js(focus), 30, what="the number keyboard's input to take the focus")
        results.check("the finger opens the number keyboard", keyboard[0] == "numeric"
                      and keyboard[1] in ("done", "go", "enter"), keyboard)
        s.insert_text("30")
        try:
            rw.wait_for(lambda: mismatches(s.grab(), typed) == 0, 30, what="30 and the cursor on the stake line")
        finally:
            shot = s.screenshot_root("phone-typed-stake")
        results.check("the typed 30 shows on the stake line, the input still focused (%s)" % shot,
                      s.js(focus) is not None)
        s.key("Return")
        rw.wait_for(lambda: mismatches(s.grab(), stake) == 0, 30, what="Sie haben 30 Euro")
        results.check("Enter on the number keyboard: the typed 30 is the stake", True)
        results.check("the keyboard closes with the line", rw.wait_for(lambda: s.js(focus) is None, 30))
        results.check("the field stays chosen", rw.crop(s, rw.BET_LINE) == message)
        s.click(*START_BUTTON)
        box = s.wait_box(120)
        win = int(box["text"].split(":")[1].split()[0])
        s.dismiss_box()
        wallet = s.player_file("Geldbeutel.dat")
        results.check("the round books the typed stake: 375 - 30 + %d" % win,
                      wallet == b"%d\r\n" % (375 - 30 + win), wallet)


def spin_pocket():
    """The croupier's first spin, in real time, ends with the ball in the pocket
    its seed gives. The seed is read between the last grab of the wheel
    without the ball and the first with it; the spin is over when the prompt
    is back."""
    with Session(binary, files=["Button.txt"]) as s:
        open_table(s)
        x, y = s.client_origin()
        from PIL import ImageGrab

        def grab_wheel():
            """(time the grab began, time it ended, pockets with the ball)."""
            before = time.clock_gettime(time.CLOCK_MONOTONIC)
            image = ImageGrab.grab(bbox=(x + rw.WHEEL_BOX[0], y + rw.WHEEL_BOX[1], x + rw.WHEEL_BOX[2],
                                         y + rw.WHEEL_BOX[3]), xdisplay=s.display.name).convert("RGB")
            return before, time.clock_gettime(time.CLOCK_MONOTONIC), rw.white_discs(image, rw.WHEEL_BOX[:2])

        empty = grab_wheel()
        if empty[2]:
            raise rw.HarnessError("a ball on the wheel before the first spin")
        # The croupier is due 3 to 30 s after the table opened.
        deadline = time.monotonic() + 150
        while True:
            shown = grab_wheel()
            if shown[2]:
                break
            if time.monotonic() > deadline:
                raise rw.HarnessError("no spin within 150 s")
            empty = shown
        seeds = rw.spin_seeds(empty[0], shown[1], binary.lower().endswith(".exe"))
        prompt = text_pixels("Machen sie bitte ihr Spiel!     ", 58, 5, CYAN)
        # A spin takes about half a minute.
        rw.wait_for(lambda: mismatches(s.grab(), prompt) == 0, 180, interval=0.5, what="the end of the spin")
        rested = grab_wheel()[2]
        s.screenshot("table-after-real-spin")
        escape(s)
        s.wait_exit()
    stops = {}
    for seed in seeds:
        start, waits = rw.spin_plan(seed)
        stops[seed] = (start + len(waits)) % 37
    results.check("the ball rests in the pocket its seed gives", len(rested) == 1 and rested[0] in stops.values(),
                  "ball in %s, the seeds %s give %s" % (rested, list(seeds), stops))


TESTS = {"field_and_chip": field_and_chip, "typed_stake": typed_stake, "typed_stake_by_touch": typed_stake_by_touch,
         "fast_spin": fast_spin, "spin_pocket": spin_pocket}
for name in chosen or TESTS:
    results.run(name, TESTS[name])
results.finish()
