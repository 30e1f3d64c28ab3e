"""A new player plays one whole round in practice mode in the real window.

The player clicks the statistics panel, holds the left button on the 17 until
its message shows, takes the 25 chip, presses the start button, waits for the
win message and dismisses it. Where the box's text can be read (under Wine and
in the browser) it must say what the round won. Then the player files and the
history line must hold exactly what one settled round writes on that day.

Usage: /usr/bin/python3 test_round.py PATH/TO/rotandor [--home DIR] [--locale NAME]
       (or rotandor.exe, under Wine; --locale sets its system's code page, e.g. ru_RU.UTF-8;
       --workdir DIR [--helpers DIR] for an installed rotandor.exe)
       /usr/bin/python3 test_round.py --web PATH/TO/site   (the browser build;
       its files are read back after a reload of the page)

With --home the game runs as an installed game does for a player: started in
the home directory DIR, with no layout file there (it takes the one beside
the program) and its player files in their default place under DIR.
With --workdir the game runs as the Start menu starts an installed game: in
DIR, with nothing put there; the files it writes are left for the caller.
--helpers names the build folder with box_text.exe.
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

binary, Session, _ = rw.harness(sys.argv)
home = sys.argv[sys.argv.index("--home") + 1] if "--home" in sys.argv else None
locale = sys.argv[sys.argv.index("--locale") + 1] if "--locale" in sys.argv else None
workdir = sys.argv[sys.argv.index("--workdir") + 1] if "--workdir" in sys.argv else None
helpers = sys.argv[sys.argv.index("--helpers") + 1] if "--helpers" in sys.argv else None
results = rw.Results()

# A Monday at noon: no task of the weekday or the day streak completes.
START = "@2026-12-07 12:00:00 x10"
TODAY = "12-07-2026"

START_BUTTON, BET_LINE = rw.START_BUTTON, rw.BET_LINE
crop, chip_marked = rw.crop, rw.chip_marked


def zone(value):
    """A number as the game writes it into a 14-column zone."""
    return ("% d" % value).ljust(14)


def task_file(won):
    """The task file of a new player after one round on the 17, won or lost."""
    rows = [[0, 0, 0] for _ in range(14)]
    if won:
        for task in (2, 4, 5):  # games won in a row, and all games won
            rows[task - 1][1] = 1
    return "".join(zone(d) + zone(p) + ("% d" % c) + "\r\n" for d, p, c in rows).encode()


def one_round():
    where = {"home": home} if home else {}
    if workdir:
        where.update(workdir=workdir, helpers=helpers)
    if locale:
        where["env"] = {"LC_ALL": locale}
    with Session(binary, files=[] if home or workdir else ["Button.txt"], faketime=START, **where) as s:
        prompt = rw.open_table(s)
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
        results.check("the chip and the field are chosen", chip_marked(s))

        s.click(*START_BUTTON)
        box = s.wait_box(60)
        text = s.box_text(box)
        s.dismiss_box(box)
        rw.wait_for(lambda: crop(s, BET_LINE) == prompt, 30, what="the table to be reset after the round")
        time.sleep(1.0)
        results.check("one message box for the round", not s.boxes())
        results.check("the chip's ring is gone after the round", not chip_marked(s))
        s.escape()
        results.check("Escape ends with 0", s.wait_exit() == 0)

        history = s.work_file("Roulettezahlen.txt") or b""
        m = re.fullmatch(rb" (\d{1,2}) *" + TODAY.encode() + rb"    12:[0-5]\d:[0-5]\d\r\n", history)
        results.check("one history line of today", m is not None and len(history) == 38, history)
        number = int(m.group(1)) if m else -1
        results.check("the winning number is one of the wheel's", 0 <= number <= 36, number)
        results.check("the number fills its 14-column zone", history[:14] == zone(number).encode(), history)
        if text is not None:
            won = "Ihr Gewinn ist: %d \u20ac" % (900 if number == 17 else 0)
            results.check("the box says what the round won", text == won, repr(text))

        results.check("Login.dat holds today", s.player_file("Login.dat") == (TODAY + "\r\n").encode())
        results.check("Login2.dat holds today", s.player_file("Login2.dat") == (TODAY + "\r\n").encode())
        secrets = s.player_file("Secrets.dat")
        results.check("Secrets.dat holds the round's tasks", secrets == task_file(number == 17), secrets)
        results.check("practice leaves no wallet", s.player_file("Geldbeutel.dat") is None)


results.run("one_round", one_round)
results.finish()
