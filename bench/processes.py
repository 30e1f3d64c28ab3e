"""What /proc tells of a group of processes: processor time and wake-ups.

A sample holds, for every thread, its time on a processor (nanoseconds, from
schedstat, finer than the clock ticks of stat) and its voluntary context
switches: each one is a sleep that ended, so over an idle stretch their
count is how often the program woke up.
"""

import os
import time


def descendants(pid):
    """The process and everything it started, at any depth."""
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        # Children are listed per thread that started them.
        try:
            threads = os.listdir("/proc/%d/task" % p)
        except OSError:
            continue
        for t in threads:
            try:
                with open("/proc/%d/task/%s/children" % (p, t)) as f:
                    todo += [int(c) for c in f.read().split()]
            except OSError:
                pass
    return found


def cpu_ticks(pids):
    """Processor time so far of whole processes, ended threads included, in clock ticks."""
    total = 0
    for p in pids:
        stat = _read("/proc/%d/stat" % p)
        if stat:
            fields = stat.rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
    return total


def _read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return None


class MainThreads(list):
    """Processes of which only the first thread counts: the one a program's
    own loop runs on, apart from the helper threads of its runtime."""


def threads(pids):
    """{(pid, tid): (cpu ns, voluntary switches)} of every live thread."""
    found = {}
    for p in pids:
        try:
            tids = [str(p)] if isinstance(pids, MainThreads) else os.listdir("/proc/%d/task" % p)
        except OSError:
            continue
        for t in tids:
            stat, status = _read("/proc/%d/task/%s/schedstat" % (p, t)), _read("/proc/%d/task/%s/status" % (p, t))
            if stat is None or status is None:
                continue
            switches = [int(line.split()[1]) for line in status.splitlines()
                        if line.startswith("voluntary_ctxt_switches:")]
            found[(p, t)] = (int(stat.split()[0]), switches[0] if switches else 0)
    return found


class Stretch:
    """Processor share and wake-ups per second of some processes over a stretch
    of time. Threads that end meanwhile lose their part; threads that start
    count from nothing."""

    def __init__(self, pids):
        self.pids = pids if isinstance(pids, MainThreads) else list(pids)
        self.start = threads(self.pids)
        self.t0 = time.monotonic()

    def finish(self):
        end = threads(self.pids)
        seconds = time.monotonic() - self.t0
        cpu = sum(v[0] - self.start.get(k, (0, 0))[0] for k, v in end.items())
        wakes = sum(v[1] - self.start.get(k, (0, 0))[1] for k, v in end.items())
        return {"cpu": cpu / 1e9 / seconds * 100, "wakes": wakes / seconds, "seconds": seconds}


def measure(groups, seconds):
    """{name: figures} for each {name: pids} over the same stretch of time."""
    stretches = {name: Stretch(pids) for name, pids in groups.items()}
    time.sleep(seconds)
    return {name: s.finish() for name, s in stretches.items()}


def environ_has(pid, entry):
    """Whether a process of ours was started with this NAME=value."""
    data = _read_bytes("/proc/%d/environ" % pid)
    return data is not None and entry.encode() in data.split(b"\0")


def _read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def command_name(pid):
    return (_read("/proc/%d/comm" % pid) or "").strip()


def all_pids():
    return [int(d) for d in os.listdir("/proc") if d.isdigit()]
