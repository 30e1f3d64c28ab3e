"""What only the browser build has: the statistics screen against the desktop
window's pixels, the page's message box, the files stored before it shows,
typed characters in code page 437, and the page after the end.

Usage: /usr/bin/python3 test_browser.py PATH/TO/site PATH/TO/desktop/rotandor [TEST ...]
"""

import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "window"))
import rotandor_browser as rb  # noqa: E402
import rotandor_window as rw  # noqa: E402

site, desktop = sys.argv[1], sys.argv[2]
chosen = sys.argv[3:]
results = rw.Results()
ARTIFACTS = os.environ.get("ROTANDOR_ARTIFACTS", os.path.abspath("web-artifacts"))
os.makedirs(ARTIFACTS, exist_ok=True)

TODAY = b"12-07-2026\r\n"
MONDAY_NOON = "@2026-12-07 12:00:00"


def zone(value):
    return ("% d" % value).ljust(14).encode()


def tasks(rows):
    """A task file from (done, progress) pairs, check values 0."""
    return b"".join(zone(d) + zone(p) + b" 0\r\n" for d, p in rows)


# Some tasks done, some under way, a wallet: a screen that shows every part.
SOME_PROGRESS = {
    "Login.dat": b"12-05-2026\r\n", "Login2.dat": b"12-06-2026\r\n",
    "Secrets.dat": tasks([(1, 1), (0, 3), (0, 1), (0, 7), (1, 5)] + [(0, 0)] * 9),
    "Geldbeutel.dat": b" 4711\r\n",
}
ALL_DONE = {"Login.dat": TODAY, "Login2.dat": TODAY, "Secrets.dat": tasks([(1, 0)] * 14),
            "Geldbeutel.dat": b" 5000\r\n"}


def cells_match(image, text, row, column, colour):
    """Whether the cells from (row, column) on show these code page 437 bytes."""
    font, px = rw.screen_font(), image.load()
    for i, ch in enumerate(text):
        x0, y0 = 8 * (column + i - 1), 8 * (row - 1)
        for k in range(8):
            for j in range(8):
                lit = font[ch][k] & (0x80 >> j)
                if px[x0 + j, y0 + k] != (colour if lit else (0, 0, 0)):
                    return False
    return True


def statistics_like_the_desktop():
    with rb.Session(site, faketime=MONDAY_NOON, player_files=SOME_PROGRESS) as web:
        web.wait_pixel(300, 300, 0xFFFFFF)
        page = web.grab()
        page.save(os.path.join(ARTIFACTS, "statistics.png"))
        results.check("page title is the window title", web.window.name == "Rotandor", web.window.name)
        icon = web.js("return document.getElementById('icon').href")
        results.check("the page icon is the window icon", icon.startswith("data:image/png;base64,"), icon[:40])
        scale = web.canvas()
        results.check("the canvas is scaled by a whole factor",
                      scale["cssWidth"] % 640 == 0 and scale["cssWidth"] / 640 == scale["cssHeight"] / 420, scale)

    window = rw.Session(desktop, files=["Button.txt"], faketime=MONDAY_NOON)
    for name, data in SOME_PROGRESS.items():
        os.makedirs(os.path.join(window.data_home, "rotandor"), exist_ok=True)
        with open(os.path.join(window.data_home, "rotandor", name), "wb") as f:
            f.write(data)
    with window as s:
        s.wait_window(640, 420)
        s.wait_pixel(300, 300, 0xFFFFFF)
        desk = s.grab()
    differ = sum(a != b for a, b in zip(page.getdata(), desk.getdata()))
    results.check("the statistics screen has the desktop window's pixels",
                  page.size == desk.size and differ == 0, "%d pixels differ" % differ)


def box_after_the_files():
    with rb.Session(site, files=["Button.txt"], faketime=MONDAY_NOON + " x10") as s:
        prompt = rw.open_table(s)
        rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
        s.click(*rw.START_BUTTON)
        try:
            box = s.wait_box(60)
        except rw.HarnessError:
            s.grab().save(os.path.join(ARTIFACTS, "no-box.png"))
            raise
        results.check("the box has the caption Rotandor", box["caption"] == "Rotandor", box)
        results.check("the box says the win", box["text"].startswith("Ihr Gewinn ist: "), box)
        results.check("the box is modal, with the information icon", s.js(
            "return document.querySelector('dialog:modal svg[aria-label=Information]') !== null"))
        # Before the message shows, the round is stored: no reload, no end needed.
        history = s.driver.execute_async_script(rb._READ_STORED, rb.HOME + "/Roulettezahlen.txt")
        secrets = s.driver.execute_async_script(rb._READ_STORED, rb.PLAYER_DIR + "/Secrets.dat")
        results.check("the round is stored before its message shows", history and secrets)
        # A key typed into the box is the box's, not the game's.
        s.key("x")
        time.sleep(0.3)
        results.check("a key typed into the box does not end the game", s.running() and s.boxes())
        s.dismiss_box()
        rw.wait_for(lambda: rw.crop(s, rw.BET_LINE) == prompt, 30, what="the table to be reset after the round")
        results.check("OK closes the box and the game goes on", not s.boxes() and s.running())


def typed_characters_in_code_page_437():
    with rb.Session(site, faketime=MONDAY_NOON, player_files=ALL_DONE) as s:
        rw.open_table(s)
        s.click(200, 492, hold=0.2)  # the stake line
        s.wait_pixel(216, 495, 0xFFFFFF)  # the cursor under the first cell
        s.type("\u00e4\u00f6\u00fc\u00df\u00c4")
        rw.wait_for(lambda: cells_match(s.grab(), b"\x84\x94\x81\xe1\x8e", 62, 28, (255, 255, 255)), 30,
                    what="the typed umlauts and sharp s on the stake line")
        results.check("typed \u00e4\u00f6\u00fc\u00df\u00c4 show as their code page 437 glyphs", True)


def endings():
    with rb.Session(site) as s:
        s.wait_window(640, 420)
        s.escape(hold=0.2)
        results.check("Escape on the statistics screen ends the game", s.wait_exit() == 0)
        text = s.js("return document.getElementById('ended').innerText")
        results.check("the page says the game is over, without the screen", "beendet" in text and s.canvas() is None,
                      text)
        s.js("document.getElementById('again').click()")
        rw.wait_for(lambda: not s.ended(), 30, what="the page to load again")
        s.wait_window(640, 420)
        results.check("the page starts the game again", s.running())
        rw.open_table(s)
        s.key("a")
        results.check("a key at the table ends the game", s.wait_exit() == 0)


def back_and_forward():
    """Away to another page and back: a page the browser kept shows the game
    it left or starts afresh, never the end of a game that did not end."""
    with rb.Session(site, faketime=MONDAY_NOON) as s:
        rw.open_table(s)
        s.driver.get(s.server.url + "manifest.webmanifest")
        time.sleep(0.5)
        s.driver.back()
        rw.wait_for(lambda: s.canvas() or s.ended(), 20, what="the game or its end after going back")
        restored = s.js("return sessionStorage.getItem('rotandor-restored');")
        if not restored:
            results.cannot("a page restored from the back/forward cache",
                           "%s did not keep the page on going away" % s.engine_name)
        # Playing on at the table, or afresh from the statistics screen.
        try:
            if s.wait_window().width == 640:
                prompt = rw.open_table(s)
            else:
                prompt = rw.crop(s, rw.BET_LINE)
            plays = rw.hold_until_message(s, rw.NUMBER_17, prompt)
        except rw.HarnessError as error:
            plays = error
        results.check("back to the game: it plays on or starts again, not over",
                      plays is True and not s.ended(), plays if plays is not True else s.js(
                          "return document.body.innerText"))


def one_game_per_browser():
    with rb.Session(site) as s:
        s.wait_window(640, 420)
        first = s.driver.current_window_handle
        s.driver.switch_to.new_window("tab")
        s.driver.get(s.server.url)
        busy = rw.wait_for(lambda: s.js("return !document.getElementById('busy').hidden"), 10,
                           what="the second tab to wait")
        results.check("a second tab waits while the game runs in the first", busy and s.canvas() is None)
        s.driver.switch_to.window(first)
        s.escape(hold=0.2)
        s.wait_exit()
        s.driver.switch_to.new_window("tab")
        s.driver.get(s.server.url)
        s.wait_window(640, 420)
        results.check("once the first game is over, a new tab plays", s.running())


for test in [statistics_like_the_desktop, box_after_the_files, typed_characters_in_code_page_437, endings,
             back_and_forward, one_game_per_browser]:
    if not chosen or test.__name__ in chosen:
        results.run(test.__name__, test)
results.finish()
