"""Drive the browser build in headless Chromium, as rotandor_window drives the
desktop window: the same Session methods (wait_window, click, press, release,
grab, wait_box, dismiss_box, escape, wait_exit, player_file, work_file), so a
real-window test can run on either.

The site is served from a thread of this process; each Session has its own
browser profile, so its IndexedDB starts empty. Input goes through the
DevTools protocol and arrives as trusted DOM events. A faketime-like setting
("@2026-12-07 12:00:00 x10") replaces the page's clock before any script runs.

Run with /usr/bin/python3 (Debian's python3-selenium and python3-pil).
"""

import base64
import http.server
import io
import json
import os
import re
import shutil
import struct
import sys
import tempfile
import threading
import time
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "window"))
from rotandor_window import Harness, HarnessError, wait_for  # noqa: E402

HOME = "/home/web_user"
PLAYER_DIR = HOME + "/.local/share/rotandor"

# Date and performance.now from a fixed start, optionally sped up, like libfaketime.
_CLOCK = """
(function () {
  var start = %(start)s, speed = %(speed)s;
  var realNow = performance.now.bind(performance), origin = realNow(), RealDate = Date;
  var wall = function () { return (start === null ? RealDate.now() : start) + (realNow() - origin) * speed; };
  if (start === null) wall = function () { return RealDate.now() + (realNow() - origin) * (speed - 1); };
  function FakeDate() {
    if (!(this instanceof FakeDate)) return new RealDate(wall()).toString();
    var args = Array.prototype.slice.call(arguments);
    return args.length ? new (Function.prototype.bind.apply(RealDate, [null].concat(args)))() : new RealDate(wall());
  }
  FakeDate.prototype = RealDate.prototype;
  FakeDate.now = function () { return Math.floor(wall()); };
  FakeDate.parse = RealDate.parse;
  FakeDate.UTC = RealDate.UTC;
  Date = FakeDate;
  performance.now = function () { return origin + (realNow() - origin) * speed; };
})();
"""

# Reads one file as IndexedDB holds it; null when it is not stored.
_READ_STORED = """
var path = arguments[0], done = arguments[arguments.length - 1];
var open = indexedDB.open(%s);
open.onerror = function () { done(null); };
open.onsuccess = function () {
  var db = open.result;
  if (!db.objectStoreNames.contains("FILE_DATA")) { db.close(); done(null); return; }
  var get = db.transaction("FILE_DATA").objectStore("FILE_DATA").get(path);
  get.onsuccess = function () {
    db.close();
    var entry = get.result;
    if (!entry || !entry.contents) { done(null); return; }
    var s = "", bytes = entry.contents;
    for (var i = 0; i < bytes.length; i++) s += String.fromCharCode(bytes[i]);
    done(btoa(s));
  };
  get.onerror = function () { db.close(); done(null); };
};
""" % json.dumps(HOME)


def _faketime_script(setting):
    start, speed = "null", 1.0
    if setting:
        m = re.fullmatch(r"\s*(?:@(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d))?\s*(?:\+0)?\s*(?:x([\d.]+))?\s*", setting)
        if not m:
            raise HarnessError("unsupported clock setting %r" % setting)
        if m.group(1):
            start = "new Date(%s).getTime()" % json.dumps(m.group(1).replace(" ", "T"))
        if m.group(2):
            speed = float(m.group(2))
    return _CLOCK % {"start": start, "speed": speed}


def archive_bomb(path, name="Secrets.dat", mib=984, declared=100):
    """Writes a ZIP archive of about 1 MB holding one deflated file that
    unpacks to mib MiB of zeros, while its headers give the size as declared."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    # After a full flush each MiB of zeros packs to the same bytes.
    block = packer.compress(bytes(1 << 20)) + packer.flush(zlib.Z_FULL_FLUSH)
    data, name = block * mib + b"\x03\x00", name.encode()  # then an empty last block
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0, 0, len(data), declared, len(name), 0) + name
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0, 0, len(data), declared,
                          len(name), 0, 0, 0, 0, 0, 0) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local) + len(data), 0)
    with open(path, "wb") as f:
        f.write(local + data + central + end)
    return path


class _Site(http.server.SimpleHTTPRequestHandler):
    """Serves whichever site the server serves when the request comes (a
    browser may open a connection well before it sends on it)."""

    def translate_path(self, path):
        self.directory = self.server.site
        return super().translate_path(path)

    def do_GET(self):
        # A host that sends a path elsewhere, as many static hosts send
        # /index.html to /.
        target = self.server.redirects.get(self.path.split("?")[0])
        if target is None:
            return super().do_GET()
        self.send_response(301)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


class Server:
    """The site on a free port of 127.0.0.1, or on the port given (the same
    origin, and so the same storage, as an earlier server's)."""

    def __init__(self, site, port=0, redirects=None):
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), _Site)
        self.httpd.site = site
        self.httpd.redirects = dict(redirects or {})
        self.port = self.httpd.server_address[1]
        self.url = "http://127.0.0.1:%d/" % self.port
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def serve(self, site):
        """From now on serves another site (a new build)."""
        self.httpd.site = os.path.abspath(site)

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Window:
    def __init__(self, name, width, height):
        self.name, self.width, self.height = name, width, height


class Session(Harness):
    """One run of the game in a fresh headless Chromium.

    files: as for rotandor_window.Session; "Button.txt" is packed with the
    site already, anything else is put in the current directory first.
    player_files: {name: bytes} put into the player's directory first.
    Both are written through the page and stored, then the page is loaded
    again, so the game starts with them as the desktop game would.
    keyboard: ignored; the page is handed the typed characters themselves.
    scripts: JavaScript run in every page before its own scripts.
    profile, port: the browser profile and the server's port of an earlier
    session, to come back to its storage (the profile is then kept).
    quota: bytes the origin may store, set before the page first uses storage.
    device: (width, height, device pixel ratio) of a phone or tablet the
    browser poses as, with touch; presses, releases and taps are then touches.
    persistent: what the browser answers when the page asks to keep its
    storage for good (granted unless False: the page then tells the player).
    redirects: {path: location} the server answers with a redirect.
    """

    def __init__(self, site, files=(), faketime=None, player_files=None, window_size=(1280, 1024),
                 keyboard=None, scripts=(), profile=None, port=0, quota=None, device=None, persistent=True,
                 redirects=None):
        self.site = os.path.abspath(site)
        self.faketime = faketime
        self.work_files = {}
        for f in files:
            source, name = (f if isinstance(f, tuple) else (None, f))
            if source is not None or name != "Button.txt":
                with open(source or os.path.join(os.path.dirname(__file__), "..", "..", "data", name), "rb") as fh:
                    self.work_files[name] = fh.read()
        self.player_files = dict(player_files or {})
        self.window_size = window_size
        self.scripts = list(scripts)
        self.keep_profile = profile is not None
        self.profile = profile or tempfile.mkdtemp(prefix="rotandor-browser-")
        self.port = port
        self.quota = quota
        self.device = device
        self.persistent = persistent
        self.redirects = redirects
        self.server = None
        self.driver = None
        self.window = None
        self.reloaded = False

    def start(self):
        self.server = Server(self.site, self.port, self.redirects)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        # Without a shared-memory mount (a bare root, a container) Chromium uses /tmp.
        for arg in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                    "--user-data-dir=" + self.profile,
                    "--window-size=%d,%d" % self.window_size, "--force-device-scale-factor=1"]:
            options.add_argument(arg)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(30)
        self.cdp("Emulation.setTimezoneOverride", timezoneId="UTC")
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=_faketime_script(self.faketime))
        for script in self.scripts:
            self.cdp("Page.addScriptToEvaluateOnNewDocument", source=script)
        if self.device:
            self.emulate(*self.device)
        self.cdp("Browser.setPermission", permission={"name": "persistent-storage"},
                 setting="granted" if self.persistent else "denied", origin=self.server.url.rstrip("/"))
        if self.quota is not None:
            self.cdp("Storage.overrideQuotaForOrigin", origin=self.server.url.rstrip("/"), quotaSize=self.quota)
        self.started = time.monotonic()
        self.driver.get(self.server.url)
        if self.work_files or self.player_files:
            self.wait_window(640, 420)
            self.store_files()
            self.reload()

    def close(self):
        if self.driver:
            try:
                self.driver.quit()
            except Exception:  # noqa: BLE001 - the browser may be gone already
                pass
        if self.server:
            self.server.stop()
        if not self.keep_profile:
            shutil.rmtree(self.profile, ignore_errors=True)

    def emulate(self, width, height, ratio):
        """A touch screen of this many CSS pixels, held the way its sides say."""
        landscape = width > height
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                 mobile=True, screenOrientation={"type": "landscapePrimary" if landscape else "portraitPrimary",
                                                 "angle": 90 if landscape else 0})
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def store_files(self):
        files = [(HOME + "/" + n, base64.b64encode(b).decode()) for n, b in self.work_files.items()]
        files += [(PLAYER_DIR + "/" + n, base64.b64encode(b).decode()) for n, b in self.player_files.items()]
        self.driver.execute_async_script("""
            var files = arguments[0], done = arguments[arguments.length - 1];
            files.forEach(function (f) {
              var dir = f[0].substring(0, f[0].lastIndexOf("/"));
              FS.mkdirTree(dir);
              var raw = atob(f[1]), bytes = new Uint8Array(raw.length);
              for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
              FS.writeFile(f[0], bytes);
            });
            Module.page.persist().then(function () { done(true); });
        """, files)

    def reload(self):
        self.driver.refresh()
        self.wait_window(640, 420)

    def log(self):
        return [e["message"] for e in self.driver.get_log("browser")]

    # The page ----------------------------------------------------------------

    def canvas(self):
        """Size, title and place of the canvas; None while it is hidden."""
        return self.js("""
            var c = document.getElementById('screen');
            if (!c || !c.width || c.getClientRects().length === 0) return null;  // not shown
            var r = c.getBoundingClientRect();
            return {width: c.width, height: c.height, title: document.title,
                    left: r.left, top: r.top, cssWidth: r.width, cssHeight: r.height};
        """)

    def ended(self):
        return self.js("var e = document.getElementById('ended'); return !!e && !e.hidden;")

    def running(self):
        return not self.ended()

    def wait_window(self, width=None, height=None, timeout=20):
        def shown():
            if self.ended():
                raise HarnessError("the game ended before its %sx%s canvas came" % (width, height))
            c = self.canvas()
            if c and (width is None or c["width"] == width) and (height is None or c["height"] == height):
                return c
            return None

        c = wait_for(shown, timeout, interval=0.02, what="a %sx%s canvas" % (width, height))
        self.window = Window(c["title"], c["width"], c["height"])
        return self.window

    def wait_exit(self, timeout=15):
        """0 once the page says the game is over (the game's status is logged), else None."""
        try:
            wait_for(self.ended, timeout, interval=0.05, what="the end of the game")
        except HarnessError:
            return None
        statuses = [int(m.group(1)) for line in self.log() for m in [re.search(r"ended with status (\d+)", line)] if m]
        self._status = statuses[-1] if statuses else getattr(self, "_status", None)
        return self._status

    # Input -------------------------------------------------------------------

    def _page_point(self, x, y):
        c = self.canvas()
        if c is None:
            raise HarnessError("no canvas to point at")
        return (c["left"] + (x + 0.5) * c["cssWidth"] / c["width"],
                c["top"] + (y + 0.5) * c["cssHeight"] / c["height"])

    _TOUCH = {"mousePressed": "touchStart", "mouseReleased": "touchEnd", "mouseMoved": "touchMove"}

    def _mouse(self, kind, px, py, buttons, button="none"):
        if self.device:
            # A finger: it moves only while it touches.
            if kind == "mouseMoved" and not buttons:
                return
            points = [] if kind == "mouseReleased" else [{"x": px, "y": py}]
            self.cdp("Input.dispatchTouchEvent", type=self._TOUCH[kind], touchPoints=points)
            return
        self.cdp("Input.dispatchMouseEvent", type=kind, x=px, y=py, button=button, buttons=buttons,
                 clickCount=1 if kind != "mouseMoved" else 0)

    def move(self, x, y):
        self._held_at = self._page_point(x, y)
        self._mouse("mouseMoved", *self._held_at, getattr(self, "_buttons", 0),
                    "left" if getattr(self, "_buttons", 0) else "none")

    def press(self, x, y):
        self.move(x, y)
        self._buttons = 1
        self._mouse("mousePressed", *self._held_at, 1, "left")

    def release(self):
        self._buttons = 0
        self._mouse("mouseReleased", *self._held_at, 0, "left")

    def tap(self, x, y, seconds, button=1):
        self.press(x, y)
        time.sleep(seconds)
        self.release()

    def tap_key(self, name, seconds):
        self.key_down(name)
        time.sleep(seconds)
        self.key_up(name)

    def click(self, x, y, button=1, hold=0.3):
        self.press(x, y)
        time.sleep(hold)
        self.release()

    # Keys by their X names, as xdotool takes them: (DOM key, DOM code, text, key code).
    _NAMED = {"Escape": ("Escape", "Escape", "", 27), "Return": ("Enter", "Enter", "\r", 13),
              "space": (" ", "Space", " ", 32), "Left": ("ArrowLeft", "ArrowLeft", "", 37),
              "BackSpace": ("Backspace", "Backspace", "", 8), "Tab": ("Tab", "Tab", "", 9)}

    def _key(self, name):
        if name in self._NAMED:
            key, code, text, vk = self._NAMED[name]
        elif re.fullmatch(r"F\d\d?", name):
            key, code, text, vk = name, name, "", 111 + int(name[1:])
        else:
            key, text = name, name
            code = ("Key" + name.upper()) if name.isascii() and name.isalpha() else \
                ("Digit" + name) if name.isdigit() else ""
            vk = ord(name.upper()) if name.isascii() and name.isalnum() else 0
        down = dict(type="keyDown" if text else "rawKeyDown", key=key, code=code, windowsVirtualKeyCode=vk)
        if text:
            down.update(text=text, unmodifiedText=text)
        return down, dict(type="keyUp", key=key, code=code, windowsVirtualKeyCode=vk)

    def key_down(self, name):
        self.cdp("Input.dispatchKeyEvent", **self._key(name)[0])

    def key_up(self, name):
        self.cdp("Input.dispatchKeyEvent", **self._key(name)[1])

    def key(self, *names, hold=0.05):
        for name in names:
            self.key_down(name)
            time.sleep(hold)
            self.key_up(name)

    def escape(self, hold=0.6):
        """Held, as on the desktop: a spin looks only at keys held between its steps."""
        self.key("Escape", hold=hold)

    def type(self, text):
        for ch in text:
            self.key(ch, hold=0.03)

    def press_button(self, element_id):
        """Clicks (or touches) one of the page's own buttons."""
        r = self.js("var r = document.getElementById(arguments[0]).getBoundingClientRect();"
                    "return [r.left + r.width / 2, r.top + r.height / 2];", element_id)
        self._mouse("mouseMoved", r[0], r[1], 0)
        self._mouse("mousePressed", r[0], r[1], 1, "left")
        self._mouse("mouseReleased", r[0], r[1], 0, "left")

    # The saved game ----------------------------------------------------------

    def save_game(self, directory, timeout=10):
        """Presses "Spielstand speichern"; the path of the file downloaded."""
        self.cdp("Page.setDownloadBehavior", behavior="allow", downloadPath=directory)
        before = set(os.listdir(directory))
        self.press_button("save-game")

        def downloaded():
            new = [n for n in set(os.listdir(directory)) - before if not n.endswith(".crdownload")]
            return os.path.join(directory, new[0]) if new else None

        return wait_for(downloaded, timeout, interval=0.05, what="the saved game's download")

    def load_game(self, path):
        """Picks this file for "Spielstand laden", as the file dialog would."""
        root = self.cdp("DOM.getDocument")["root"]["nodeId"]
        node = self.cdp("DOM.querySelector", nodeId=root, selector="#load-file")["nodeId"]
        self.cdp("DOM.setFileInputFiles", nodeId=node, files=[os.path.abspath(path)])

    # Message boxes -----------------------------------------------------------

    def boxes(self):
        box = self.js("""
            var b = document.getElementById('box');
            return b.open ? {caption: document.getElementById('box-caption').textContent,
                             text: document.getElementById('box-text').textContent} : null;
        """)
        return [box] if box else []

    def wait_box(self, timeout=10):
        return wait_for(lambda: (self.boxes() or [None])[0], timeout, interval=0.05, what="a message box")

    def box_text(self, box):
        """The text as the page's dialog shows it (line breaks as LF)."""
        return box["text"]

    def move_to_box(self, box):
        """The pointer over the box's text, buttons as they are."""
        r = self.js("var r = document.getElementById('box-text').getBoundingClientRect();"
                    "return [r.left + r.width / 2, r.top + r.height / 2];")
        self._held_at = (r[0], r[1])
        buttons = getattr(self, "_buttons", 0)
        self._mouse("mouseMoved", r[0], r[1], buttons, "left" if buttons else "none")

    def dismiss_box(self, box=None, timeout=5):
        """Clicks the box's OK button as a player would and waits until it is gone."""
        # Counted, since the next box of a row may open at once.
        closed = self.js("""
            var box = document.getElementById('box');
            if (box.closings === undefined) {
              box.closings = 0;
              box.addEventListener('close', function () { box.closings++; });
            }
            return box.closings;""")
        self.press_button("box-ok")
        wait_for(lambda: self.js("return document.getElementById('box').closings") > closed, timeout,
                 what="the box to close")

    # Pixels ------------------------------------------------------------------

    def grab(self):
        """The canvas as a PIL image, exactly the game's pixels."""
        from PIL import Image

        url = self.js("return document.getElementById('screen').toDataURL('image/png');")
        return Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB")

    def _artifact(self, name):
        directory = os.environ.get("ROTANDOR_ARTIFACTS", os.path.abspath("web-artifacts"))
        os.makedirs(directory, exist_ok=True)
        return os.path.join(directory, name + ".png")

    def screenshot(self, name):
        """The canvas as a PNG under the artifacts directory; returns its path."""
        path = self._artifact(name)
        self.grab().save(path)
        return path

    def screenshot_root(self, name):
        """The whole page, message boxes included."""
        path = self._artifact(name)
        self.driver.save_screenshot(path)
        return path

    # Files -------------------------------------------------------------------

    def stored_file(self, path):
        """A file's bytes as the browser keeps them, None when it keeps none. The
        first look reloads the page: what it reads has survived a reload."""
        if not self.reloaded:
            self.reloaded = True
            self.reload()
        data = self.driver.execute_async_script(_READ_STORED, path)
        return None if data is None else base64.b64decode(data)

    def player_file(self, name):
        return self.stored_file(PLAYER_DIR + "/" + name)

    def work_file(self, name):
        return self.stored_file(HOME + "/" + name)
