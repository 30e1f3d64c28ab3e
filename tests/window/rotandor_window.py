"""Drive the real game window under a private X server.

A Session starts its own Xvfb, runs the game in temporary directories and
offers what a player does: move and press the mouse, type keys, close the
window, answer message boxes. It also reads pixels back and takes
screenshots. Only processes started here are ever stopped, by their PID.

Run with /usr/bin/python3 (Debian's python3-pil is needed for pixels).

    results = Results()
    with Session(game, files=["Button.txt"], faketime="+0 x10") as s:
        s.wait_statistics()
        s.click(300, 350)                 # held 0.3 s: the game polls levels
        s.wait_window(930, 647)
        s.dismiss_box(s.wait_box(60))
        s.escape()
        results.check("ends with 0", s.wait_exit() == 0)
    results.finish()

Screenshots go to $ROTANDOR_ARTIFACTS, else ./window-artifacts.

A Windows build (a name ending in .exe) runs under Wine in the prefix
$WINEPREFIX, which must exist; its player files are then the Wine user's
%APPDATA%\Rotandor.
"""

import ctypes
import ctypes.util
import glob
import math
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

GAME_TITLE = "Rotandor"
SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TESTS_DIR = os.path.join(SOURCE_DIR, "tests")
# libfaketime's library, under the machine's multiarch directory.
FAKETIME_LIB = (sorted(glob.glob("/usr/lib/*/faketime/libfaketimeMT.so.1")) or ["libfaketimeMT.so.1"])[0]


class HarnessError(Exception):
    pass


class Unsupported(HarnessError):
    """What the engine or system a test runs on cannot do; the message says
    which check and why. Reported, never skipped silently."""


def wait_for(predicate, timeout, interval=0.02, what="condition"):
    """Polls predicate until it gives a true value; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# --- X server ----------------------------------------------------------------

class Display:
    """A private Xvfb with a free display number."""

    def __init__(self, width=1280, height=1024):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb writes the number and the newline separately; closing the pipe
        # before the newline has arrived kills the server.
        text = b""
        deadline = time.monotonic() + 10
        try:
            while not text.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    raise HarnessError("Xvfb did not report its display")
                chunk = os.read(read_end, 64)
                if not chunk:
                    raise HarnessError("Xvfb ended before reporting its display")
                text += chunk
        except Exception:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + text.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("XAUTHORITY", None)

    def run(self, *args, timeout=10):
        """Runs an X client command against this display; returns its stdout."""
        result = subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=timeout)
        if result.returncode != 0:
            raise HarnessError("%s failed: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    def stop(self):
        stop_process(self.proc)


def stop_process(proc, grace=2.0):
    if proc is None or proc.poll() is not None:
        return
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def forget_shared_clock(pid):
    """libfaketime keeps a clock in /dev/shm named after the first process
    that loads it and removes it only when that process exits cleanly; the
    game killed, or under Wine at all, leaves it, and a later faketime run
    given the same process id fails on it."""
    for name in ("faketime_shm_%d", "sem.faketime_sem_%d"):
        try:
            os.unlink(os.path.join("/dev/shm", name % pid))
        except FileNotFoundError:
            pass


# --- Windows -----------------------------------------------------------------

# A line of `xwininfo -root -children`:
#      0x200002 "Rotandor": ("rotandor" "rotandor")  640x420+320+302  +320+302
_CHILD = re.compile(r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)')


class TopWindow:
    def __init__(self, wid, name, klass, w, h, x, y):
        self.id, self.name, self.klass = wid, name, klass
        self.width, self.height, self.x, self.y = w, h, x, y

    def __repr__(self):
        return "<%s %r %dx%d+%d+%d>" % (self.id, self.name, self.width, self.height, self.x, self.y)


def top_windows(display):
    found = []
    for line in display.run("xwininfo", "-root", "-children").splitlines():
        m = _CHILD.match(line)
        if m:
            wid, name, klass, w, h, x, y = m.groups()
            found.append(TopWindow(wid, name, klass, int(w), int(h), int(x), int(y)))
    return found


def window_info(display, wid):
    """Map state, client position and size of a window, from xwininfo."""
    try:
        text = display.run("xwininfo", "-id", wid)
    except HarnessError:
        return None

    def field(label):
        m = re.search(r"^\s*%s:\s*(\S+)" % re.escape(label), text, re.M)
        return m.group(1) if m else None

    return {
        "viewable": field("Map State") == "IsViewable",
        "x": int(field("Absolute upper-left X")),
        "y": int(field("Absolute upper-left Y")),
        "width": int(field("Width")),
        "height": int(field("Height")),
    }


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_delete_window(display_name, wid):
    """What a window manager does for the close button: WM_DELETE_WINDOW."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = xlib.XOpenDisplay(display_name.encode())
    if not dpy:
        raise HarnessError("cannot open display " + display_name)
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(wid, 16)
        event.xclient.message_type = xlib.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = xlib.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not xlib.XSendEvent(dpy, int(wid, 16), 0, 0, ctypes.byref(event)):
            raise HarnessError("XSendEvent failed")
        xlib.XFlush(dpy)
    finally:
        xlib.XCloseDisplay(dpy)


# --- The game ------------------------------------------------------------------

_last_wine_faketime = [None]


def wine_app_data():
    """The Wine user's %APPDATA% on this side, in the prefix $WINEPREFIX."""
    prefix = os.environ.get("WINEPREFIX")
    if not prefix or not os.path.isdir(os.path.join(prefix, "drive_c")):
        raise HarnessError("a Windows build needs WINEPREFIX set to an existing Wine prefix")
    found = [d for d in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming"))
             if os.sep + "Public" + os.sep not in d]
    if len(found) != 1:
        raise HarnessError("no single Wine user's AppData\\Roaming in %s: %s" % (prefix, found))
    return found[0]


class Harness:
    """What every way of running the game offers alike: start() on entering,
    close() on leaving, and pixels read from grab()."""

    def __enter__(self):
        try:
            self.start()
        except Exception:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def pixel(self, x, y):
        r, g, b = self.grab().getpixel((x, y))
        return (r << 16) | (g << 8) | b

    def wait_pixel(self, x, y, colour, timeout=30):
        return wait_for(lambda: self.pixel(x, y) == colour, timeout, interval=0.05,
                        what="pixel (%d, %d) to be %06X" % (x, y, colour))

    def wait_statistics(self, timeout=30, scale=1):
        """The statistics window once all of it is drawn: a player clicks on
        what is shown. While the game is still setting the screen up, it
        takes the window's focus and a press in one look, and SDL drops a
        press that comes within 10 ms of the focus. scale: the factor the
        window is shown at."""
        self.wait_window(640 * scale, 420 * scale, timeout)
        # The last row of the "!" that ends the panel's text, drawn last.
        self.wait_pixel(363 * scale, 382 * scale, 0x00AAAA, timeout)
        return self.window


class Session(Harness):
    """One run of the game in its own X server and temporary directories.

    files: names to copy into the working directory, looked up in data/ of
    the source tree (for example ["Button.txt"]), or (source, name) pairs.
    faketime: a libfaketime time setting such as "+0 x10" or "@2026-12-07 03:30:00".
    home: run as a player would, in this home directory with the player's
    files in their default place; it is kept afterwards.
    screen: the size of the X screen; from 1860 x 1294 on the game opens at 2x.
    player_files: {name: bytes} put into the player's directory first.
    keyboard: an XKB layout such as "de", so that its letters are typed
    from their own keys (xdotool's remapping of a spare key for a letter the
    layout lacks races the game's reading of the key map).
    workdir: start the game in this folder, as a Start menu entry starts an
    installed game; the folder, and under Wine the player's files, are kept.
    helpers: the folder of box_text.exe, when it is not beside the program.
    """

    def __init__(self, binary, files=(), faketime=None, env=None, title=GAME_TITLE, home=None,
                 screen=(1280, 1024), player_files=None, keyboard=None, workdir=None, helpers=None):
        self.binary = os.path.abspath(binary)
        self.wine = self.binary.lower().endswith(".exe")
        self.title = title
        self.display = None
        self.proc = None
        self.window = None
        self.home = home
        self.screen_size = screen
        self.root = tempfile.mkdtemp(prefix="rotandor-window-")
        self.keep_player_files = bool(workdir)
        self.helpers = helpers or os.path.dirname(self.binary)
        if workdir:
            self.data_home = os.path.join(self.root, "data")
            self.workdir = workdir
            os.makedirs(self.data_home)
        elif home:
            self.data_home = os.path.join(home, ".local", "share")
            self.workdir = home
        else:
            self.data_home = os.path.join(self.root, "data")
            self.workdir = os.path.join(self.root, "work")
            os.makedirs(self.data_home)
            os.makedirs(self.workdir)
        for f in files:
            source, name = (f if isinstance(f, tuple) else (os.path.join(SOURCE_DIR, "data", f), f))
            shutil.copy(source, os.path.join(self.workdir, name))
        self.faketime = faketime
        self.keyboard = keyboard
        self.extra_env = env or {}
        if self.wine:
            self.player_dir = os.path.join(wine_app_data(), "Rotandor")
            shutil.rmtree(self.player_dir, ignore_errors=True)
        else:
            self.player_dir = os.path.join(self.data_home, "rotandor")
        for name, content in (player_files or {}).items():
            os.makedirs(self.player_dir, exist_ok=True)
            with open(os.path.join(self.player_dir, name), "wb") as f:
                f.write(content)
        self.stdout_path = os.path.join(self.root, "stdout.txt")
        self.stderr_path = os.path.join(self.root, "stderr.txt")

    def start(self):
        self.display = Display(*self.screen_size)
        if self.keyboard:
            self.display.run("setxkbmap", "-layout", self.keyboard)
        env = dict(self.display.env)
        for name in ("LC_ALL", "LC_CTYPE", "LANGUAGE"):
            env.pop(name, None)
        env.update(SDL_VIDEODRIVER="x11", LANG="C.UTF-8")
        if self.home:
            env.update(HOME=self.home)
            env.pop("XDG_DATA_HOME", None)
        else:
            env.update(XDG_DATA_HOME=self.data_home)
        env.update(self.extra_env)
        command = [self.binary]
        if self.wine:
            env.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            command = ["wine", self.binary]
        # Helpers beside the game run on the real clock: under Wine every
        # program given libfaketime leaves its shared clock behind.
        self.helper_env = dict(env)
        if self.faketime:
            # The library itself rather than the faketime wrapper, which forks:
            # the game stays this harness's own child, with its own exit status.
            env.update(LD_PRELOAD=FAKETIME_LIB, FAKETIME=self.faketime)
        if self.wine:
            # NO_FAKE_STAT: file times as they are, or Wine rebuilds its prefix.
            env.update(NO_FAKE_STAT="1")
            # The Wine server starts with the first program and takes its clock:
            # let one started with another time setting end first.
            if self.faketime or _last_wine_faketime[0]:
                subprocess.run(["wineserver", "-w"], env=self.helper_env, timeout=60)
            _last_wine_faketime[0] = self.faketime
        self.env = env
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.started = time.monotonic()
            self.proc = subprocess.Popen(command, cwd=self.workdir, env=env, stdout=out, stderr=err)

    def close(self):
        stop_process(self.proc)
        if self.faketime and self.proc:
            forget_shared_clock(self.proc.pid)
        if self.display:
            self.display.stop()
        shutil.rmtree(self.root, ignore_errors=True)
        if self.wine and not self.keep_player_files:
            shutil.rmtree(self.player_dir, ignore_errors=True)

    # Process ----------------------------------------------------------------

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=30):
        """The exit status, or None if the game is still running after timeout.
        Under Wine a window that closes first waits 2 s for a window manager
        that is not there, the table window after the statistics one too."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def cpu_seconds(self):
        """User plus system CPU time of the game so far."""
        with open("/proc/%d/stat" % self.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        # fields[0] is field 3 of the file (state); utime and stime are 14 and 15.
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def output(self):
        with open(self.stdout_path, errors="replace") as f:
            return f.read()

    def errors(self):
        with open(self.stderr_path, errors="replace") as f:
            return f.read()

    # Windows ----------------------------------------------------------------

    def _is_box(self, window):
        if not self.wine:
            return not window.klass.strip()  # SDL's box has no class, the game's window has one
        # Under Wine both carry the program's class; the system-modal box stays above.
        try:
            return "_NET_WM_STATE_ABOVE" in self.display.run("xprop", "-id", window.id, "_NET_WM_STATE")
        except HarnessError:
            return False  # gone meanwhile

    def game_windows(self):
        return [w for w in top_windows(self.display) if w.name == self.title and not self._is_box(w)]

    def boxes(self):
        return [w for w in top_windows(self.display) if w.name == "Rotandor" and self._is_box(w)]

    def wait_window(self, width=None, height=None, timeout=30, interval=0.02):
        """Waits for a viewable game window (of the given client size) and returns it."""

        def viewable():
            if not self.running():
                raise HarnessError("the game ended (status %s) before its window came" % self.proc.returncode)
            for w in self.game_windows():
                if (width is None or w.width == width) and (height is None or w.height == height):
                    info = window_info(self.display, w.id)
                    if info and info["viewable"]:
                        return w
            return None

        self.window = wait_for(viewable, timeout, interval=interval,
                               what="a viewable %sx%s game window" % (width, height))
        return self.window

    def client_origin(self):
        info = window_info(self.display, self.window.id)
        if info is None:
            raise HarnessError("the game window is gone")
        return info["x"], info["y"]

    def wait_box(self, timeout=30):
        """Waits for a message box that is shown and laid out; returns it."""
        seen = {}

        def settled_box():
            if not self.running():
                raise HarnessError("the game ended (status %s) while a box was awaited" % self.proc.returncode)
            for box in self.boxes():
                info = window_info(self.display, box.id)
                if not info or not info["viewable"]:
                    continue
                # A box is mapped small at the corner first, then sized and centred.
                geometry = (info["x"], info["y"], info["width"], info["height"])
                if seen.get(box.id) == geometry:
                    box.x, box.y, box.width, box.height = geometry
                    return box
                seen[box.id] = geometry
            return None

        return wait_for(settled_box, timeout, interval=0.05, what="a message box")

    def dismiss_box(self, box, timeout=30):
        """Presses the box's one OK button and waits until the box is gone."""
        info = window_info(self.display, box.id) or {"width": box.width, "height": box.height}
        self.display.run("xdotool", "mousemove", "--window", box.id, str(info["width"] // 2),
                         str(info["height"] - 26), "click", "1")
        wait_for(lambda: all(b.id != box.id for b in self.boxes()), timeout, what="the box to close")

    def box_text(self, box):
        """The text of the box on screen, or None where it cannot be read:
        SDL draws its box's text itself. Under Wine a helper beside the
        program asks the system (the game runs one box at a time)."""
        if not self.wine:
            return None
        helper = os.path.join(self.helpers, "box_text.exe")
        if not os.path.exists(helper):
            raise HarnessError("no %s to read the boxes with" % helper)
        out = subprocess.run(["wine", helper], env=self.helper_env, capture_output=True, timeout=30).stdout.decode()
        lines = [line.rstrip("\r").split("\t", 1) for line in out.split("\n") if "\t" in line]
        unescape = {"r": "\r", "n": "\n", "\\": "\\"}
        texts = [re.sub(r"\\(.)", lambda m: unescape[m.group(1)], text) for _, text in lines]
        if len(texts) != 1:
            raise HarnessError("%d boxes where one was shown: %r" % (len(texts), out))
        return texts[0]

    def move_to_box(self, box):
        """The pointer over the middle of the box's text, buttons as they are."""
        self.display.run("xdotool", "mousemove", "--window", box.id, str(box.width // 2), str(box.height // 3))

    def close_window(self):
        send_delete_window(self.display.name, self.window.id)

    def icon(self):
        """(width, height) of the window's _NET_WM_ICON, or None without one."""
        text = self.display.run("xprop", "-id", self.window.id, "-notype", "32c", "_NET_WM_ICON")
        numbers = re.findall(r"-?\d+", text.split("=", 1)[1]) if "=" in text else []
        if len(numbers) < 2:
            return None
        return int(numbers[0]), int(numbers[1])

    # Input ------------------------------------------------------------------

    def move(self, x, y):
        self.display.run("xdotool", "mousemove", "--window", self.window.id, str(x), str(y))

    def press(self, x, y, button=1):
        self.display.run("xdotool", "mousemove", "--window", self.window.id, str(x), str(y), "mousedown", str(button))

    def tap(self, x, y, seconds, button=1):
        """Press and release this far apart, in one xdotool run."""
        self.display.run("xdotool", "mousemove", "--window", self.window.id, str(x), str(y),
                         "mousedown", str(button), "sleep", str(seconds), "mouseup", str(button))

    def tap_key(self, name, seconds):
        self.display.run("xdotool", "keydown", name, "sleep", str(seconds), "keyup", name)

    def release(self, button=1):
        self.display.run("xdotool", "mouseup", str(button))

    def click(self, x, y, button=1, hold=0.3):
        # The game polls button levels: hold the button long enough to be seen.
        self.move(x, y)
        self.display.run("xdotool", "mousedown", str(button), "sleep", str(hold), "mouseup", str(button))

    def key(self, *names):
        self.display.run("xdotool", "key", *names)

    def escape(self, hold=0.6):
        """Holds Escape: a spin looks only at keys held between its steps,
        which are up to 0.45 s apart."""
        self.display.run("xdotool", "keydown", "Escape", "sleep", str(hold), "keyup", "Escape")

    def key_down(self, name):
        self.display.run("xdotool", "keydown", name)

    def key_up(self, name):
        self.display.run("xdotool", "keyup", name)

    def type(self, text):
        self.display.run("xdotool", "type", "--delay", "30", text)

    # Files ------------------------------------------------------------------

    def _file(self, path):
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def player_file(self, name):
        """A file of the player's directory, None when there is none."""
        return self._file(os.path.join(self.player_dir, name))

    def work_file(self, name):
        """A file of the directory the game was started in, None when there is none."""
        return self._file(os.path.join(self.workdir, name))

    # Pixels -----------------------------------------------------------------

    def grab(self):
        """The client area as a PIL image (message boxes on top included)."""
        from PIL import ImageGrab

        x, y = self.client_origin()
        return ImageGrab.grab(bbox=(x, y, x + self.window.width, y + self.window.height),
                              xdisplay=self.display.name).convert("RGB")

    def screenshot(self, name):
        """Saves the client area as a PNG under the artifacts directory; returns its path."""
        directory = os.environ.get("ROTANDOR_ARTIFACTS", os.path.abspath("window-artifacts"))
        os.makedirs(directory, exist_ok=True)
        path = os.path.join(directory, name + ".png")
        self.grab().save(path)
        return path

    def screenshot_root(self, name):
        """The whole X screen, for looking at message boxes."""
        from PIL import ImageGrab

        directory = os.environ.get("ROTANDOR_ARTIFACTS", os.path.abspath("window-artifacts"))
        os.makedirs(directory, exist_ok=True)
        path = os.path.join(directory, name + ".png")
        ImageGrab.grab(xdisplay=self.display.name).save(path)
        return path


# --- The screen font -------------------------------------------------------------

def screen_font():
    """The 256 glyphs (8 rows of 8 bits, top row first) of the table the game draws with."""
    path = os.path.join(SOURCE_DIR, "src", "services", "font8x8.inc")
    with open(path) as f:
        rows = [line.split("//")[0] for line in f if line.startswith("{")]
    glyphs = [bytes(int(v, 16) for v in re.findall(r"0x([0-9A-Fa-f]{2})", row)) for row in rows]
    if len(glyphs) != 256 or any(len(g) != 8 for g in glyphs):
        raise HarnessError("%s: not 256 glyphs of 8 rows" % path)
    return glyphs


# --- Places on the table screen -------------------------------------------------

NUMBER_17 = (218, 203)
CHIP_25 = (25, 495)
CHIP_25_RING = [(26, 478), (8, 496), (44, 496), (26, 514)]  # radius 18 around the chip
START_BUTTON = (80, 605)
BET_LINE = (28, 451, 296, 469)  # inside of the panel with the prompt and the field messages
FIRST_LINE = (28, 421, 296, 439)  # the status line above it: the croupier's "Rien ne va plus!"


def region(field):
    """Centre of a field's region (0 to 86) in the shipped layout."""
    with open(os.path.join(SOURCE_DIR, "data", "Button.txt")) as f:
        xl, xr, yt, yb = [int(v) for v in f.read().split()[field].split(",")[:4]]
    return (xl + xr) // 2, (yt + yb) // 2


def crop(session, box):
    return session.grab().crop(box).tobytes()


def chip_marked(session):
    """Whether the 25 chip carries the white ring of the chosen chip."""
    image = session.grab()
    return all(image.getpixel(p) == (255, 255, 255) for p in CHIP_25_RING)


TAP_CHIPS = [(26, 496), (66, 496)]  # centres of the 25 and 50 chips


def ring_on(session, chip):
    """Whether the chip at this centre carries the white ring of the chosen chip."""
    x, y = chip
    image = session.grab()
    return all(image.getpixel(p) == (255, 255, 255) for p in [(x, y - 18), (x - 18, y), (x + 18, y), (x, y + 18)])


def table_with_bet_for_taps(session):
    """From the statistics screen to a table with a bet on 17 and the 50 chip,
    so that the croupier never spins; false if the tap on the statistics panel
    did not open the table."""
    session.wait_window(640, 420)
    session.tap(300, 350, 0.005)
    try:
        session.wait_window(930, 647)
    except HarnessError:
        return False
    wait_for(lambda: any(crop(session, BET_LINE)), 30, what="the table's prompt")
    prompt = crop(session, BET_LINE)
    chip = TAP_CHIPS[1]
    bet_between_spins(session, prompt,
                      lambda s, p: place_bet_on_17(s, p, chip, lambda s2: ring_on(s2, chip)), tries=3)
    return True


def open_table(session):
    """From the statistics screen to the table; the bet line's empty prompt."""
    session.wait_statistics()
    session.click(300, 350, hold=0.2)
    session.wait_window(930, 647)
    time.sleep(0.2)

    # The croupier may spin before the first look (he is due 0.3 to 3 s after
    # the table opens on a clock ten times as fast), and his spin writes the bet
    # line: the prompt is what it shows while the status line above is empty.
    def prompt():
        image = session.grab()
        line = image.crop(BET_LINE).tobytes()
        return not any(image.crop(FIRST_LINE).tobytes()) and any(line) and line

    return wait_for(prompt, 150, interval=0.2, what="the table with no spin under way")


def bet_between_spins(session, prompt, place_bet, tries=10):
    """Calls place_bet(session, prompt) until it takes: a croupier spin may
    clear the bet, and his round ends with the prompt again. On a clock ten
    times as fast he is due 1 to 6 s after each round, and a busy WebKit takes
    that long to show a field's message now and then (5 tries once missed)."""
    for _ in range(tries):
        if place_bet(session, prompt):
            return
        wait_for(lambda: crop(session, BET_LINE) == prompt, 150, interval=0.2, what="the croupier's spin to end")
    raise HarnessError("could not place a bet")


def hold_until(session, point, done, what="the held button to take effect", timeout=90):
    """Holds the left button on a place of the table until done() is true; true
    if it came. The table tests one place per look: how long that takes to
    come round depends on how busy the machine is, and a croupier's spin under
    way holds it up for its length (up to 15 s seen in WebKit, both cores busy)."""
    session.press(*point)
    try:
        wait_for(done, timeout, interval=0.05, what=what)
        return True
    except HarnessError:
        return False
    finally:
        session.release()


def hold_until_message(session, point, prompt):
    """Holds the left button on a field until the bet line changes; true if it did."""
    return hold_until(session, point, lambda: crop(session, BET_LINE) != prompt, "the field's message")


def place_bet_on_17(session, prompt, chip=CHIP_25, chosen=chip_marked):
    """The 17 with a chip (chosen(session) tells that it took); false when the
    croupier cleared the table meanwhile. His spin writes the bet line too,
    and leaves the chips' rings as they were until it ends: only a first
    status line that a spin has not written shows that the line's change was
    the field's message."""
    before = crop(session, FIRST_LINE)
    if crop(session, BET_LINE) != prompt:  # a spin under way
        return False
    if not hold_until_message(session, NUMBER_17, prompt) or crop(session, FIRST_LINE) != before:
        return False
    message = crop(session, BET_LINE)
    return hold_until(session, chip, lambda: chosen(session), "the chip's ring") and crop(session, BET_LINE) == message


def harness(argv):
    """(what to run, Session class, further arguments) from a test's arguments:
    PATH/TO/rotandor for the desktop window, or --web PATH/TO/site for the
    page in headless Chromium (tests/web/rotandor_browser.py), which offers
    the same Session."""
    if argv[1:2] == ["--web"]:
        sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "web"))
        import rotandor_browser

        return argv[2], rotandor_browser.Session, argv[3:]
    return (argv[1] if len(argv) > 1 else "rotandor"), Session, argv[2:]


# --- The wheel --------------------------------------------------------------------

ORBIT = (641, 319, 184)  # centre and radius of the ball's path
WHEEL_BOX = (450, 128, 833, 511)  # the orbit and the ball's size around it
# The ball: a white disc of 89 pixels around its pocket's centre.
DISC = [(dx, dy) for dy, w in zip(range(-5, 6), (1, 3, 4, 4, 5, 5, 5, 4, 4, 3, 1)) for dx in range(-w, w + 1)]


def pocket_centre(p):
    cx, cy, radius = ORBIT
    angle = p * 2 * math.pi / 37
    return round(cx - radius * math.sin(angle)), round(cy - radius * math.cos(angle))


POCKETS = [pocket_centre(p) for p in range(37)]


def white_discs(image, offset=(0, 0)):
    """Pockets whose disc is all white in an image whose top left is offset."""
    px = image.load()
    ox, oy = offset
    found = []
    for p, (x, y) in enumerate(POCKETS):
        if all(px[x + dx - ox, y + dy - oy] == (255, 255, 255) for dx, dy in DISC):
            found.append(p)
    return found


def _f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


def spin_plan(seed):
    """Start pocket of a first spin, its steps and the wait after each step, from the seed."""
    x1 = (seed * 1664525 + 1013904223) % 2 ** 32
    x2 = (x1 * 1664525 + 1013904223) % 2 ** 32
    speed = _f32(x1 / 2 ** 32 * 37 + 111)
    start = math.floor(x2 / 2 ** 32 * 37)
    waits, delay, s = [], 10, speed
    while True:
        waits.append(delay)
        delay = round(_f32(450.0 - _f32(3.0 * s)))
        s = _f32(s - 1.0)
        if s <= 0:
            break
    return start, waits


def spin_seeds(before, after, wine):
    """Seeds a spin may have taken: the game seeds it with the whole seconds of
    CLOCK_MONOTONIC, read between before and after. Under Wine the program's
    counter is Wine's, whose origin may sit a fraction of a second off ours: a
    whole second more on either side."""
    slack = 1 if wine else 0
    return range(math.floor(before) - slack, math.floor(after) + 1 + slack)


# --- Test bookkeeping ------------------------------------------------------------

class Results:
    """Collects checks; finish() prints "N passed, M failed" and exits."""

    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.impossible = 0

    def check(self, name, condition, detail=""):
        if condition:
            self.passed += 1
            print("ok   " + name)
        else:
            self.failed += 1
            print("FAIL " + name + (": " + str(detail) if detail != "" else ""))
        sys.stdout.flush()
        return bool(condition)

    def cannot(self, name, reason):
        """A check this engine or system cannot make, and why."""
        self.impossible += 1
        print("CANNOT %s: %s" % (name, reason))
        sys.stdout.flush()

    def run(self, name, function, *args):
        """Runs one test function; an exception counts as a failure, what
        cannot be done here is told as such."""
        try:
            function(*args)
        except Unsupported as error:
            self.cannot(name, str(error))
        except Exception as error:  # noqa: BLE001 - any harness error fails this test only
            # Where in the tests it was raised: a driver's error may carry no message at all.
            frames = [f for f in traceback.extract_tb(error.__traceback__) if f.filename.startswith(TESTS_DIR)]
            where = " (at %s:%d)" % (os.path.basename(frames[-1].filename), frames[-1].lineno) if frames else ""
            self.check(name, False, "%s: %s%s" % (type(error).__name__, error, where))

    def finish(self):
        print("%d passed, %d failed" % (self.passed, self.failed) +
              (", %d not possible here (CANNOT above)" % self.impossible if self.impossible else ""))
        sys.exit(1 if self.failed or not (self.passed or self.impossible) else 0)
