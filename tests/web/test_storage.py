"""The player's files in the browser's storage: when the storage fails (a
browser that blocks site data, so that indexedDB.open throws; a full quota; a
database the page cannot open), when the browser may delete it or has, and
on their way to the desktop game and back. Each failure once hung the page
or lost the session or the progress without a word; now the player is told,
once, in German, and plays.

Usage: /usr/bin/python3 test_storage.py PATH/TO/site PATH/TO/desktop/rotandor [TEST ...]
"""

import base64
import os
import shutil
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "window"))
import rotandor_browser as rb  # noqa: E402
import rotandor_window as rw  # noqa: E402

site, desktop_game = sys.argv[1], sys.argv[2]
chosen = sys.argv[3:]
results = rw.Results()

MONDAY = "@2026-12-07 12:00:00 x10"
CANNOT_KEEP = "nichts speichern"    # in the box before the first round
NOT_STORED = "nicht gespeichert"    # in the box after a failed save
WIN = "Ihr Gewinn ist: "


def zone(value):
    return ("% d" % value).ljust(14).encode()


PLAYER = {"Login.dat": b"12-05-2026\r\n", "Login2.dat": b"12-07-2026\r\n",
          "Secrets.dat": b"".join(zone(d) + zone(p) + b" 0\r\n" for d, p in [(1, 1), (0, 3)] + [(0, 0)] * 12)}


def boxes_of_a_round(s, prompt):
    """Plays a round on the 17; the texts of the boxes that follow, each dismissed."""
    rw.bet_between_spins(s, prompt, rw.place_bet_on_17)
    s.click(*rw.START_BUTTON)
    texts = [s.wait_box(60)["text"]]
    while not texts[-1].startswith(WIN):
        s.dismiss_box()
        texts.append(s.wait_box(30)["text"])
    s.dismiss_box()
    rw.wait_for(lambda: rw.crop(s, rw.BET_LINE) == prompt, 30, what="the table after the round")
    return texts


def stored(s, name):
    data = s.driver.execute_async_script(rb._READ_STORED, rb.PLAYER_DIR + "/" + name)
    return None if data is None else base64.b64decode(data)


def told_before_the_first_round(s, words, when=""):
    """The box on the statistics screen, before anything is played."""
    box = s.wait_box(60)
    s.wait_statistics()
    results.check("told before the first round%s: %s" % (when, words), words in box["text"], box["text"])
    return box


def no_box_within(s, seconds):
    try:
        rw.wait_for(s.boxes, seconds, interval=0.05)
        return False
    except rw.HarnessError:
        return True


# A browser that blocks site data: the open throws. Every save used to loop
# for ever from the second round on, and a reload hung.
BLOCKED = """IDBFactory.prototype.open = function () {
  throw new DOMException("The user denied permission to access the database.", "SecurityError");
};"""


def open_throws():
    with rb.Session(site, faketime=MONDAY, scripts=[BLOCKED]) as s:
        told_before_the_first_round(s, CANNOT_KEEP)
        s.dismiss_box()
        prompt = rw.open_table(s)
        for n in (1, 2, 3):
            texts = boxes_of_a_round(s, prompt)
            results.check("round %d plays and tells only its win" % n, len(texts) == 1, texts)
        s.escape()
        results.check("Escape still ends the game", s.wait_exit(5) == 0)
        s.driver.refresh()
        told_before_the_first_round(s, CANNOT_KEEP, " after a reload")


def quota_exceeded():
    profile = tempfile.mkdtemp(prefix="rotandor-quota-")
    try:
        with rb.Session(site, faketime=MONDAY, player_files=PLAYER, profile=profile) as s:
            port = s.server.port
        # A new browser on the same storage, with no room left.
        with rb.Session(site, faketime=MONDAY, profile=profile, port=port, quota=1) as s:
            s.wait_statistics()
            prompt = rw.open_table(s)
            texts = boxes_of_a_round(s, prompt)
            results.check("a failed save is told after the ball stops, then the win",
                          len(texts) == 2 and NOT_STORED in texts[0] and texts[1].startswith(WIN), texts)
            texts = boxes_of_a_round(s, prompt)
            results.check("told once: the next round shows only its win", len(texts) == 1, texts)
            s.escape()
            results.check("Escape ends the game after a failed save", s.wait_exit(5) == 0)
            kept = {name: stored(s, name) for name in PLAYER}
            results.check("the stored files are as they were", kept == PLAYER, kept)
            results.check("no history stored", s.driver.execute_async_script(
                rb._READ_STORED, rb.HOME + "/Roulettezahlen.txt") is None)

        # A start two days after the last game rewrites the date files.
        with rb.Session(site, faketime="@2026-12-09 12:00:00 x10", profile=profile, port=port, quota=1) as s:
            told_before_the_first_round(s, NOT_STORED)
            results.check("the statistics screen is drawn under the box", s.pixel(300, 300) == 0xFFFFFF)
            s.dismiss_box()
            texts = boxes_of_a_round(s, rw.open_table(s))
            results.check("the round after it shows only its win", len(texts) == 1, texts)
            results.check("the stored dates are as they were",
                          stored(s, "Login.dat") == PLAYER["Login.dat"] and
                          stored(s, "Login2.dat") == PLAYER["Login2.dat"])
    finally:
        shutil.rmtree(profile, ignore_errors=True)


# The database exists in a newer version than the page's: the open fails
# with an error event. The session used to be lost without a word.
NEWER = """(function () {
  var r = indexedDB.open("/home/web_user", 99);
  r.onupgradeneeded = function () { r.result.createObjectStore("FILE_DATA"); };
  r.onsuccess = function () { r.result.close(); };
})();"""


def open_fails():
    with rb.Session(site, faketime=MONDAY, scripts=[NEWER]) as s:
        told_before_the_first_round(s, CANNOT_KEEP)
        s.dismiss_box()
        texts = boxes_of_a_round(s, rw.open_table(s))
        results.check("the round plays and tells only its win", len(texts) == 1, texts)
        version = s.driver.execute_async_script("""
            var done = arguments[0];
            indexedDB.databases().then(function (l) { done(l.map(function (d) { return d.version; })); });""")
        results.check("the newer database is left alone", version == [99], version)


MAY_DELETE = "darf Ihren Spielstand l\u00f6schen"
GONE = "nicht mehr da"
SOLVED = "Folgende Aufgabe wurde erfolgreich gel\u00f6st"
# A start on a weekday between 3 and 5 o'clock solves a task with the first round.
EARLY_MONDAY = "@2026-12-07 03:30:00 x10"


def not_persistent_told_once():
    """A browser that may delete the page's storage: the player hears it at the
    first press, again when the first task is solved, and never after."""
    profile = tempfile.mkdtemp(prefix="rotandor-persist-")
    try:
        with rb.Session(site, faketime=EARLY_MONDAY, profile=profile, persistent=False) as s:
            port = s.server.port
            prompt = rw.open_table(s)
            box = s.wait_box(30)
            results.check("told at the first press that the browser may delete the progress",
                          MAY_DELETE in box["text"] and "Spielstand speichern" in box["text"] and
                          "Home-Bildschirm" in box["text"], box["text"])
            s.dismiss_box()
            texts = boxes_of_a_round(s, prompt)
            results.check("told again with the first task solved, then the task and the win",
                          len(texts) == 3 and sum(MAY_DELETE in t for t in texts) == 1 and
                          sum(t.startswith(SOLVED) for t in texts) == 1, texts)
            texts = boxes_of_a_round(s, prompt)
            results.check("the next round shows only its win", len(texts) == 1, texts)
        with rb.Session(site, faketime=EARLY_MONDAY, profile=profile, port=port, persistent=False) as s:
            prompt = rw.open_table(s)
            results.check("the next visit's first press tells nothing", no_box_within(s, 3))
            texts = boxes_of_a_round(s, prompt)
            results.check("nor does its round", len(texts) == 1, texts)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def cleared_between_visits():
    """The browser deletes the site's storage between two visits, as it does to
    make room: the next visit says so instead of starting a new player in silence."""
    profile = tempfile.mkdtemp(prefix="rotandor-cleared-")
    try:
        with rb.Session(site, faketime=MONDAY, profile=profile) as s:
            port = s.server.port
            boxes_of_a_round(s, rw.open_table(s))
            # All the site keeps but its cookies.
            s.cdp("Storage.clearDataForOrigin", origin=s.server.url.rstrip("/"),
                  storageTypes="indexeddb,local_storage,cache_storage,service_workers")
        with rb.Session(site, faketime=TUESDAY, profile=profile, port=port) as s:
            box = told_before_the_first_round(s, GONE)
            results.check("with the day it was last stored", "7.12.2026" in box["text"], box["text"])
            s.dismiss_box()
            texts = boxes_of_a_round(s, rw.open_table(s))
            results.check("the round after it shows only its win", len(texts) == 1, texts)
            s.driver.refresh()
            s.wait_statistics()
            results.check("once the new files are stored, a reload tells nothing", no_box_within(s, 3))
    finally:
        shutil.rmtree(profile, ignore_errors=True)


# An app on the home screen of an iPhone or iPad, as Safari marks it.
STANDALONE = "Object.defineProperty(Navigator.prototype, 'standalone', {get: function () { return true; }});"


def home_screen_app_starts_new():
    """The app on an iPhone's home screen has storage of its own: a new player
    there is told how to bring the browser's progress over, once."""
    with rb.Session(site, faketime=MONDAY, scripts=[STANDALONE]) as s:
        told_before_the_first_round(s, "Spielstand laden")
        s.dismiss_box()
        rw.wait_for(lambda: stored(s, "Login.dat"), 30, what="the first files to be stored")
        s.driver.refresh()
        s.wait_statistics()
        results.check("once its files are stored, a reload tells nothing", no_box_within(s, 3))


NAMES = ["Login.dat", "Login2.dat", "Secrets.dat", "Geldbeutel.dat"]
TUESDAY = "@2026-12-08 12:00:00 x10"
WALLET = b"4711\r\n"  # shown on the statistics screen in place of the start money drawn


def statistics(session):
    session.wait_statistics()
    return session.grab()


def same_pixels(a, b):
    return a.size == b.size and a.tobytes() == b.tobytes()


def zipped(path, files, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", method) as z:
        for name, data in files.items():
            z.writestr(name, data)
    return path


def desktop(files, faketime, play=True):
    """The desktop game started on these player files: its statistics screen,
    and its player files after one round."""
    with rw.Session(desktop_game, files=["Button.txt"], faketime=faketime, player_files=files) as d:
        try:
            shown = statistics(d)
            if not play:
                return shown, None
            prompt = rw.open_table(d)
            rw.bet_between_spins(d, prompt, rw.place_bet_on_17)
            d.click(*rw.START_BUTTON)
            d.dismiss_box(d.wait_box(60))
            rw.wait_for(lambda: rw.crop(d, rw.BET_LINE) == prompt, 30, what="the table after the round")
            d.escape()
            d.wait_exit(5)
        except rw.HarnessError as error:
            raise rw.HarnessError("%s; the desktop game said: %r" % (error, d.errors()))
        return shown, {n: d.player_file(n) for n in NAMES if d.player_file(n) is not None}


def save_and_load_round_trip():
    downloads = tempfile.mkdtemp(prefix="rotandor-saves-")
    try:
        # A round in the page, then its files as one download.
        with rb.Session(site, faketime=MONDAY, player_files={"Geldbeutel.dat": WALLET}) as s:
            boxes_of_a_round(s, rw.open_table(s))
            path = s.save_game(downloads)
            with zipfile.ZipFile(path) as z:
                saved = {n: z.read(n) for n in z.namelist()}
            kept = {n: stored(s, n) for n in NAMES}
            kept = {n: b for n, b in kept.items() if b is not None}
            results.check("the download holds exactly the player's files as stored",
                          saved == kept and sorted(saved) == sorted(NAMES), saved)
            # Loading another game after a round asks first; no leaves all as it was.
            s.js("window.beforeTheLoad = true;")
            s.load_game(zipped(os.path.join(downloads, "other.zip"), {"Login.dat": b"12-01-2026\r\n"}))
            box = s.wait_box(10)
            results.check("after a round, loading asks first", "schon gespielt" in box["text"], box["text"])
            s.press_button("box-no")
            results.check("and answered no, loads nothing",
                          no_box_within(s, 3) and s.js("return window.beforeTheLoad === true") and
                          stored(s, "Login.dat") == saved["Login.dat"])
            s.driver.refresh()
            page_shown = statistics(s)

        # The desktop plays on from them, the next day.
        desk_shown, desk_files = desktop(saved, TUESDAY)
        results.check("the desktop game shows the page's statistics", same_pixels(page_shown, desk_shown))
        results.check("the desktop game goes on with the page's day streak",
                      desk_files["Login.dat"] == saved["Login.dat"] and desk_files["Login2.dat"] == b"12-08-2026\r\n",
                      desk_files)

        # And back: the desktop's files, packed by an ordinary archiver.
        bad = [("a text file", "notes.txt", b"hello"),
               ("another file inside", "other.zip", {"Login.dat": saved["Login.dat"], "Roulettezahlen.txt": b"x"}),
               ("a task file in another form", "form.zip", {"Secrets.dat": b"1,0,0\r\n"}),
               ("a damaged archive", "damaged.zip", None),
               ("1 MB that unpacks to 984 MiB", "bomb.zip", rb.archive_bomb),
               ("4 KB that unpack to 4 MiB", "small-bomb.zip", lambda path: rb.archive_bomb(path, mib=4))]
        with rb.Session(site, faketime=TUESDAY) as s:
            before = statistics(s)
            for what, name, content in bad:
                target = os.path.join(downloads, name)
                if isinstance(content, dict):
                    zipped(target, content)
                elif callable(content):
                    content(target)
                elif content is None:
                    data = bytearray(open(zipped(target, desk_files, zipfile.ZIP_STORED), "rb").read())
                    data[40] ^= 0x20  # a byte of the first file
                    open(target, "wb").write(data)
                else:
                    open(target, "wb").write(content)
                s.load_game(target)
                box = s.wait_box(10)
                s.dismiss_box()
                results.check("refused: " + what, "kein Spielstand von Rotandor" in box["text"], box["text"])
            results.check("after the refusals the game and its files are as they were",
                          same_pixels(statistics(s), before) and stored(s, "Secrets.dat") is None)
            s.js("window.beforeTheLoad = true;")
            s.load_game(zipped(os.path.join(downloads, "desktop.zip"), desk_files))
            rw.wait_for(lambda: s.js("var c = document.getElementById('screen');"
                                           "return !window.beforeTheLoad && !!c && !c.hidden"),
                        10, what="the page to start again")
            page_files = {n: stored(s, n) for n in NAMES}
            results.check("the page keeps the desktop's files byte for byte",
                          {n: b for n, b in page_files.items() if b is not None} == desk_files, page_files)
            s.wait_window(640, 420)
            page_shown = statistics(s)
        desk_shown, _ = desktop(desk_files, TUESDAY, play=False)
        results.check("the page starts again on them, showing what the desktop shows",
                      same_pixels(page_shown, desk_shown))
    finally:
        shutil.rmtree(downloads, ignore_errors=True)


for test in [open_throws, quota_exceeded, open_fails, not_persistent_told_once, cleared_between_visits,
             home_screen_app_starts_new, save_and_load_round_trip]:
    if not chosen or test.__name__ in chosen:
        results.run(test.__name__, test)
results.finish()
