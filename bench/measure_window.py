"""Measures the real program under Xvfb: start-up until the statistics
screen is shown, idle cost at the table, and peak memory.

    /usr/bin/python3 bench/measure_window.py build/rotandor [IDLE_SECONDS]
"""

import ctypes
import ctypes.util
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "window"))
import rotandor_window as rw  # noqa: E402

binary = sys.argv[1]
idle = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte))]


x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XFree.argtypes = [ctypes.c_void_p]
connections = {}


def root_pixel(display, x, y):
    """One pixel of the X screen as 0xRRGGBB (24-bit screen, 32 bits a pixel)."""
    if display not in connections:
        connections[display] = x11.XOpenDisplay(display.encode())
    d = connections[display]
    image = x11.XGetImage(d, x11.XDefaultRootWindow(d), x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
    b, g, r = image.contents.data[0], image.contents.data[1], image.contents.data[2]
    x11.XFree(ctypes.cast(image.contents.data, ctypes.c_void_p))
    x11.XFree(ctypes.cast(image, ctypes.c_void_p))
    return (r << 16) | (g << 8) | b


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


with rw.Session(binary, files=["Button.txt"]) as s:
    start = s.started
    # Shown: the panel's white top edge is on the screen. The window opens
    # centred, so that pixel's place on the screen is known before it comes;
    # it is read over one X connection, which costs the game nothing.
    x, y = (1280 - 640) // 2 + 300, (1024 - 420) // 2 + 300  # the harness screen is 1280 x 1024
    rw.wait_for(lambda: root_pixel(s.display.name, x, y) == 0xFFFFFF, 10, interval=0.001,
                what="the statistics panel")
    print("start-up to the statistics screen shown: %.0f ms" % ((time.monotonic() - start) * 1000))
    s.wait_statistics()
    s.click(300, 350)
    s.wait_window(930, 647)
    s.wait_pixel(27, 580, 0xFFFFFF)
    # A ready bet keeps the croupier from spinning: only the idle loop runs.
    with open(os.path.join(rw.SOURCE_DIR, "data", "Button.txt")) as f:
        records = f.read().split()
    for field in (17, 84):
        xl, xr, yt, yb = [int(v) for v in records[field].split(",")[:4]]
        s.click((xl + xr) // 2, (yt + yb) // 2)
    s.move(600, 600)
    time.sleep(0.5)
    cpu, t = s.cpu_seconds(), time.monotonic()
    time.sleep(idle)
    share = (s.cpu_seconds() - cpu) / (time.monotonic() - t)
    print("idle at the table over %.0f s: %.2f %% of one core" % (idle, share * 100))
    print("peak resident memory with the table open: %.1f MB" % peak_rss_mb(s.pid))
    s.escape()
    s.wait_exit()
