"""Drive the browser build in a browser engine, as rotandor_window drives the
desktop window: the same Session methods (wait_window, click, press, release,
grab, wait_box, dismiss_box, escape, wait_exit, player_file, work_file), so a
real-window test can run on either.

The engine is $ROTANDOR_ENGINE: chromium (default), firefox or webkit
(tests/web/engines.py). The site is served from a thread of this process;
each Session has its own browser profile, so its IndexedDB starts empty.
Input arrives as trusted DOM events. A faketime-like setting
("@2026-12-07 12:00:00 x10") replaces the page's clock before any script
runs. Every page listens for violations of the site's content security
policy; a session that saw one fails when it closes.

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
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "window"))
import engines  # noqa: E402
from rotandor_window import Harness, HarnessError, Unsupported, wait_for  # noqa: E402

SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "platform", "web")

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


# Every page reports what the site's content security policy refused; the
# session fails on it. Console lines are kept where the engine keeps none.
_WATCH = """
(function () {
  var kept = window.rotandorConsole = [];
  ["log", "warn", "error"].forEach(function (level) {
    var real = console[level];
    console[level] = function () {
      kept.push(Array.prototype.map.call(arguments, String).join(" "));
      return real.apply(console, arguments);
    };
  });
  // Counts the pages the browser restored from its back/forward cache.
  window.addEventListener("pageshow", function (e) {
    if (!e.persisted) return;
    try { sessionStorage.setItem("rotandor-restored", String(+(sessionStorage.getItem("rotandor-restored") || 0) + 1)); }
    catch (x) { /* storage blocked */ }
  });
  document.addEventListener("securitypolicyviolation", function (e) {
    var text = "content security policy violated: " + e.violatedDirective + " refused " + e.blockedURI +
               " (" + e.sourceFile + ":" + e.lineNumber + ")";
    try { sessionStorage.setItem("rotandor-csp", (sessionStorage.getItem("rotandor-csp") || "") + text + "\\n"); }
    catch (x) { /* storage blocked: the console line remains */ }
    console.error(text);
  });
})();
"""


def page_script(faketime, scripts):
    """What runs in every page before its own scripts."""
    return "\n".join([_WATCH, _faketime_script(faketime)] + list(scripts))


EMPTY_PAGE = "rotandor-empty.html"

# The storage kept for good, for an engine whose driver cannot grant it.
_KEPT_STORAGE = """
(function () {
  var kept = function () { return Promise.resolve(true); };
  var storage = navigator.storage || {};
  try {
    storage.persist = kept;
    storage.persisted = kept;
    if (!navigator.storage) Object.defineProperty(navigator, "storage", { value: storage, configurable: true });
  } catch (e) { /* left as the engine has it */ }
})();
"""


class _Site(http.server.SimpleHTTPRequestHandler):
    """Serves whichever site the server serves when the request comes (a
    browser may open a connection well before it sends on it), and an empty
    page of the same site for comparison."""

    def do_GET(self):
        if self.path.split("?")[0] != "/" + EMPTY_PAGE:
            return super().do_GET()
        body = b"<!doctype html><title>empty</title>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

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


HARNESS_FILE = "rotandor-harness.js"


class Server:
    """The site on a free port of 127.0.0.1, or on the port given (the same
    origin, and so the same storage, as an earlier server's).

    inject: a script to run in every page before its own, for an engine that
    cannot run one itself: a copy of the site is served whose page loads it
    first, with a service worker that keeps it too."""

    def __init__(self, site, port=0, inject=None, redirects=None):
        self.inject = inject
        self.copies = {}
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), _Site)
        self.httpd.site = self.served(site)
        self.httpd.redirects = dict(redirects or {})
        self.port = self.httpd.server_address[1]
        self.url = "http://127.0.0.1:%d/" % self.port
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def served(self, site):
        """The folder served for this site: itself, or its copy with the script."""
        site = os.path.abspath(site)
        if not self.inject:
            return site
        if site not in self.copies:
            copy = tempfile.mkdtemp(prefix="rotandor-served-")
            shutil.copytree(site, copy, dirs_exist_ok=True)
            with open(os.path.join(copy, HARNESS_FILE), "w") as f:
                f.write(self.inject)
            for name in os.listdir(copy):
                if name.endswith(".html"):
                    with open(os.path.join(copy, name), "r+") as f:
                        page = f.read().replace("<head>", '<head>\n<script src="%s"></script>' % HARNESS_FILE, 1)
                        f.seek(0)
                        f.write(page)
            subprocess.run(["cmake", "-DSITE=" + copy, "-DTEMPLATE=" + os.path.join(SOURCES, "sw.js.in"),
                            "-P", os.path.join(SOURCES, "site_worker.cmake")], check=True)
            # The worker keeps its original's date: a browser's check for a new
            # worker goes by it.
            original = os.stat(os.path.join(site, "sw.js"))
            os.utime(os.path.join(copy, "sw.js"), (original.st_atime, original.st_mtime))
            self.copies[site] = copy
        return self.copies[site]

    def serve(self, site):
        """From now on serves another site (a new build)."""
        self.httpd.site = self.served(site)

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        for copy in self.copies.values():
            shutil.rmtree(copy, ignore_errors=True)
        self.copies = {}


class Window:
    def __init__(self, name, width, height):
        self.name, self.width, self.height = name, width, height


class Session(Harness):
    """One run of the game in a fresh browser of the engine chosen.

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
    refusals: a pattern of the policy violations the test causes itself; any
    other fails the session.
    headed: a browser window on a private X server, as a player has, where
    the engine can also run without one (the benches measure that way).
    What the engine cannot do of these raises Unsupported.
    """

    def __init__(self, site, files=(), faketime=None, player_files=None, window_size=(1280, 1024),
                 keyboard=None, scripts=(), profile=None, port=0, quota=None, device=None, persistent=True,
                 redirects=None, headed=False, refusals=None):
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
        self.headed = headed
        self.refusals = refusals
        self.engine_name = engines.chosen()
        self.engine = None
        self.server = None
        self.driver = None
        self.window = None
        self.reloaded = False
        self.downloads = None
        self.messages = []

    def start(self):
        kind = {"chromium": engines.Chromium, "firefox": engines.Firefox, "webkit": engines.WebKit}[self.engine_name]
        for what, wanted in (("pose as a phone", self.device), ("limit the quota", self.quota is not None),
                             ("come back to a site's storage", self.keep_profile and self.port)):
            reason = kind.lacks(what) if wanted else None
            if reason:
                raise Unsupported("%s cannot %s: %s" % (self.engine_name, what, reason))
        scripts = list(self.scripts)
        if kind.lacks("answer for persistent storage") and self.persistent:
            # Where the driver cannot grant it, the page is told it was.
            scripts.insert(0, _KEPT_STORAGE)
        script = page_script(self.faketime, scripts)
        self.server = Server(self.site, self.port, inject=None if kind.preload else script,
                             redirects=self.redirects)
        self.downloads = tempfile.mkdtemp(prefix="rotandor-downloads-")
        self.engine = kind(self.profile, self.window_size, self.downloads, **(
            {"headed": True} if self.headed else {}))
        self.driver = self.engine.driver
        if kind.preload:
            self.engine.add_preload(script)
        if self.device:
            self.engine.emulate(*self.device)
        if not kind.lacks("answer for persistent storage"):
            self.engine.set_persistent(self.server.url.rstrip("/"), self.persistent)
        if self.quota is not None:
            self.engine.set_quota(self.server.url.rstrip("/"), self.quota)
        self.started = time.monotonic()
        self.driver.get(self.server.url)
        if self.work_files or self.player_files:
            self.wait_window(640, 420)
            self.store_files()
            self.reload()

    def violations(self):
        """What the content security policy refused, as far as the pages told."""
        try:
            self.log()
            stored = self.js("try { return sessionStorage.getItem('rotandor-csp'); } catch (e) { return null; }")
        except Exception:  # noqa: BLE001 - the browser is gone
            stored = None
        lines = [m for m in self.messages if "content security policy violated" in m]
        return sorted(set(lines + [l for l in (stored or "").split("\n") if l]))

    def close(self):
        refused = []
        if self.engine:
            refused = [v for v in self.violations() if not (self.refusals and re.search(self.refusals, v))]
            try:
                self.engine.quit()
            except Exception:  # noqa: BLE001 - the browser may be gone already
                pass
        if self.server:
            self.server.stop()
        if not self.keep_profile:
            shutil.rmtree(self.profile, ignore_errors=True)
        if self.downloads:
            shutil.rmtree(self.downloads, ignore_errors=True)
        if refused:
            raise HarnessError("; ".join(refused))

    def need(self, what):
        """Raises Unsupported when the engine cannot do what."""
        self.engine.need(what)

    def emulate(self, width, height, ratio):
        """A touch screen of this many CSS pixels, held the way its sides say."""
        self.need("pose as a phone")
        self.engine.emulate(width, height, ratio)

    def offline(self):
        """The network gone, as far as the engine can say so (the caller
        stops the server too)."""
        if self.engine.lacks("go offline"):
            return False
        self.engine.offline()
        return True

    def cdp(self, command, **params):
        """Chromium's DevTools protocol; other engines have none."""
        if self.engine_name != "chromium":
            raise Unsupported("%s has no DevTools protocol (%s)" % (self.engine_name, command))
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
        """Every console line of the session so far."""
        self.messages += self.engine.log()
        return list(self.messages)

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

    def wait_window(self, width=None, height=None, timeout=60):
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

    _KINDS = {"mousePressed": "down", "mouseReleased": "up", "mouseMoved": "move"}

    def _mouse(self, kind, px, py, buttons, button="none"):
        kind = self._KINDS[kind]
        if self.device:
            # A finger: it moves only while it touches.
            if kind == "move" and not buttons:
                return
            self.engine.finger(kind, px, py)
            return
        self.engine.mouse(kind, px, py, buttons, {"right": 2, "middle": 1}.get(button, 0))

    def finger(self, kind, x, y):
        """A finger at page point (x, y): kind down, move or up."""
        self.engine.finger(kind, x, y)

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
        return key, code, text, vk

    def key_down(self, name):
        self.engine.key(True, *self._key(name))

    def key_up(self, name):
        self.engine.key(False, *self._key(name))

    def insert_text(self, text):
        """Typed into the element that has the focus, as a phone's keyboard types."""
        self.engine.insert_text(text)

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
        """Presses "Spielstand speichern"; the path of the file downloaded,
        moved into directory."""
        before = set(os.listdir(self.downloads))
        self.press_button("save-game")

        def downloaded():
            new = [n for n in set(os.listdir(self.downloads)) - before
                   if not n.endswith((".crdownload", ".part")) and os.path.getsize(os.path.join(self.downloads, n))]
            return new[0] if new else None

        name = wait_for(downloaded, timeout, interval=0.05, what="the saved game's download")
        time.sleep(0.2)  # a browser may still rename it
        name = downloaded() or name
        path = os.path.join(directory, name)
        shutil.move(os.path.join(self.downloads, name), path)
        return path

    def load_game(self, path):
        """Picks this file for "Spielstand laden", as the file dialog would."""
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode()
        self.js("""
            var raw = atob(arguments[1]), bytes = new Uint8Array(raw.length);
            for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
            var files = new DataTransfer(), input = document.getElementById('load-file');
            files.items.add(new File([bytes], arguments[0], {type: 'application/zip'}));
            input.files = files.files;
            input.dispatchEvent(new Event('change', {bubbles: true}));
        """, os.path.basename(path), data)

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
