"""Measures what a hostile saved game costs the page: "Spielstand laden" given
a ZIP archive of about 1 MB holding one deflated file that unpacks to
984 MiB, whose headers claim 100 bytes. For each site given (the current
build, and an older one to compare), in headless Chromium: the time from
choosing the file to the page's answer, the answer, and how much the
browser's processes grew meanwhile (the one that grew most, and all of them).

    /usr/bin/python3 bench/measure_archive.py build-web/site [OLDER_SITE ...]
"""

import os
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "web"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "window"))
import rotandor_browser as rb  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from processes import descendants  # noqa: E402


def rss_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


class Peaks(threading.Thread):
    """The highest resident memory of each process, and of all together, sampled every 10 ms."""

    def __init__(self, pids):
        super().__init__(daemon=True)
        self.pids, self.done = pids, False
        self.peak = {p: rss_mb(p) for p in pids}
        self.total = sum(self.peak.values())

    def run(self):
        while not self.done:
            now = {p: rss_mb(p) for p in self.pids}
            self.total = max(self.total, sum(now.values()))
            for p, v in now.items():
                self.peak[p] = max(self.peak[p], v)
            time.sleep(0.01)


def measure(site, bomb):
    with rb.Session(site) as s:
        s.wait_statistics()
        pids = [p for p in descendants(s.driver.service.process.pid) if p != s.driver.service.process.pid]
        time.sleep(2)  # the page settles
        before = {p: rss_mb(p) for p in pids}
        peaks = Peaks(pids)
        peaks.start()
        start = time.monotonic()
        s.load_game(bomb)
        box = s.wait_box(300)
        seconds = time.monotonic() - start
        peaks.done = True
        peaks.join()
        grew = max(peaks.peak[p] - before[p] for p in pids)
        largest = max(pids, key=lambda p: peaks.peak[p] - before[p])
        print("%s\n  answered after %.2f s: %s\n  the process that grew most: %.0f MB -> %.0f MB (+%.1f MB)\n"
              "  all %d processes: %.0f MB -> at most %.0f MB (+%.1f MB)" %
              (site, seconds, box["text"], before[largest], peaks.peak[largest], grew, len(pids),
               sum(before.values()), peaks.total, peaks.total - sum(before.values())))


directory = tempfile.mkdtemp(prefix="rotandor-bomb-")
try:
    bomb = rb.archive_bomb(os.path.join(directory, "Rotandor-Spielstand.zip"))
    print("the archive: %d bytes, one file of 984 MiB" % os.path.getsize(bomb))
    for site in sys.argv[1:]:
        measure(site, bomb)
finally:
    shutil.rmtree(directory, ignore_errors=True)
