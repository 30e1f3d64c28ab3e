"""What an idle game costs, beside an older build of it: wake-ups per second
and processor share of the statistics screen waiting for its click and of
the table waiting with a bet ready (so the croupier never spins), on Linux
(SDL under a private Xvfb), on Windows under Wine (the program apart from
Wine's server and Wine's other processes) and in Chromium (the renderer of
the game's tab, and the whole browser beside an empty page of the same site
in the same browser). Under Wine and in the page the main thread, where the
game's loop runs, is shown apart too: the other threads are the runtime's.
Chromium has a window of 1920 x 1357 on a private X server, as a player's
has, and the table is measured once more with the pointer off the game: a
headless browser shows nothing and so skips what showing a page costs.
bench/measure_web.py gives the whole-browser figures for every engine.

    /usr/bin/python3 bench/measure_idle.py [--seconds S] [--old COMMIT] [--only linux,wine,web] [--out DIR]

The older build comes from COMMIT (default d402c50, the last one whose idle
loops woke every 20 and 100 ms), unpacked and built once under DIR/old/
(default build-idle/); the current one is built from this tree under
DIR/new/. Later runs rebuild only what changed. Each figure is taken over S
seconds (default 15), the old and the new build one after the other.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "window"))
sys.path.insert(0, os.path.join(SOURCE, "tests", "web"))
import processes  # noqa: E402
import rotandor_window as rw  # noqa: E402

SETTLE = 2.0  # after the screen is shown or the bet placed, before measuring
PAGE_SETTLE = 30.0  # a browser keeps busy for tens of seconds after it starts or the page changes
JOBS = os.environ.get("ROTANDOR_JOBS", "2")


def log(text):
    print(text, file=sys.stderr, flush=True)


def run(*command, env=None):
    subprocess.run(list(command), check=True, env=env, stdout=subprocess.DEVNULL)


# --- Builds --------------------------------------------------------------------

def source_of(side, out, commit):
    if side == "new":
        return SOURCE
    full = subprocess.run(["git", "-C", SOURCE, "rev-parse", commit + "^{commit}"], check=True,
                          capture_output=True, text=True).stdout.strip()
    src = os.path.join(out, "old", "src")
    stamp = os.path.join(src, ".commit")
    if not os.path.exists(stamp) or open(stamp).read() != full:
        shutil.rmtree(os.path.join(out, "old"), ignore_errors=True)
        os.makedirs(src)
        archive = subprocess.Popen(["git", "-C", SOURCE, "archive", full], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", src], stdin=archive.stdout, check=True)
        if archive.wait() != 0:
            raise SystemExit("git archive %s failed" % commit)
        with open(stamp, "w") as f:
            f.write(full)
    return src


def build(side, platform, out, commit):
    """The program of one side for one platform, built if needed: its path."""
    src = source_of(side, out, commit)
    where = os.path.join(out, side, platform)
    env = dict(os.environ)
    common = ["-DROTANDOR_TESTS=OFF", "-Wno-dev"]
    if platform == "linux":
        configure = ["cmake", "-S", src, "-B", where, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"] + common
        target, result = "rotandor", os.path.join(where, "rotandor")
    elif platform == "wine":
        configure = ["cmake", "-S", src, "-B", where, "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DROTANDOR_LTO=OFF",
                     "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(src, "cmake", "mingw-w64-x86_64.cmake")] + common
        target, result = "rotandor", os.path.join(where, "rotandor.exe")
    else:
        # Debian's Emscripten runs on a Node that may not look in Debian's module tree.
        env["NODE_PATH"] = "/usr/share/nodejs" + (":" + env["NODE_PATH"] if env.get("NODE_PATH") else "")
        configure = ["emcmake", "cmake", "-S", src, "-B", where, "-DCMAKE_BUILD_TYPE=Release"] + common
        target, result = "rotandor_web", os.path.join(where, "site")
    log("building the %s %s program in %s" % (side, platform, where))
    if not os.path.exists(os.path.join(where, "CMakeCache.txt")):
        run(*configure, env=env)
    run("cmake", "--build", where, "--target", target, "-j" + JOBS, env=env)
    return result


# --- Measuring -----------------------------------------------------------------

def idle_screens(session, groups, seconds, pointer_away=None, settle=SETTLE):
    """Figures of the statistics screen, then of the table with a bet ready,
    and with pointer_away, once more after it has moved the pointer off the
    window."""
    session.wait_statistics(timeout=120)
    time.sleep(settle)
    figures = {"statistics": processes.measure(groups(), seconds)}
    prompt = rw.open_table(session)
    rw.bet_between_spins(session, prompt, rw.place_bet_on_17)
    time.sleep(settle)
    figures["table"] = processes.measure(groups(), seconds)
    if pointer_away:
        pointer_away()
        time.sleep(settle)
        figures["table, pointer off"] = processes.measure(groups(), seconds)
    session.escape()
    session.wait_exit(30)
    return figures


def wine_processes(prefix):
    """Wine's server and its other programs (services, explorer, ...) in this prefix."""
    entry = "WINEPREFIX=" + prefix
    mine = [p for p in processes.all_pids() if processes.environ_has(p, entry)]
    server = [p for p in mine if processes.command_name(p).startswith("wineserver")]
    others = [p for p in mine if processes.command_name(p).lower().endswith(".exe")]
    return server, others


def desktop(binary, seconds, prefix=None):
    with rw.Session(binary, files=["Button.txt"]) as s:
        def groups():
            if prefix is None:
                return {"program": [s.pid]}
            server, others = wine_processes(prefix)
            return {"program": [s.pid], "program, main thread": processes.MainThreads([s.pid]), "wineserver": server,
                    "Wine's other processes": [p for p in others if p != s.pid]}

        # Wine follows a pointer over the window with a timer of its own: the
        # same table with the pointer elsewhere shows what that costs.
        away = (lambda: s.display.run("xdotool", "mousemove", "0", "0")) if prefix else None
        return idle_screens(s, groups, seconds, away)


def tab_renderers(pids):
    """Renderers of pages, not of the browser's own user interface."""
    found = []
    for p in pids:
        line = processes._read_bytes("/proc/%d/cmdline" % p) or b""
        if b"--type=renderer" in line and b"--top-chrome-webui" not in line and b"--extension-process" not in line:
            found.append(p)
    return found


def page(site, seconds):
    import rotandor_browser as rb

    with rb.Session(site, window_size=(1920, 1357), headed=True) as s:
        browser = s.engine.browser_pid()

        def everything():
            return [p for p in processes.descendants(browser) if p != browser]  # not chromedriver

        def empty_page():
            s.driver.get(s.server.url + rb.EMPTY_PAGE)
            time.sleep(PAGE_SETTLE)
            pids = everything()
            tabs = tab_renderers(pids)
            return processes.measure({"renderer": tabs, "renderer, main thread": processes.MainThreads(tabs),
                                      "browser": pids}, seconds)

        # What any tab costs: an empty page in the same browser, before the
        # game and after it. A new browser does chores of its own now and
        # then; the quieter of the two is the baseline.
        s.wait_window(640, 420, timeout=60)
        first = empty_page()
        before = {p: processes.cpu_ticks([p]) for p in tab_renderers(everything())}
        s.driver.get(s.server.url)

        def groups():
            pids = everything()
            # The game's tab: the renderer that has worked the most since the
            # game was asked for (it compiled the game). Not the most in all:
            # the empty page's renderer may live on to run the site's worker.
            game = max(tab_renderers(pids), key=lambda p: processes.cpu_ticks([p]) - before.get(p, 0))
            return {"renderer": [game], "renderer, main thread": processes.MainThreads([game]), "browser": pids}

        figures = idle_screens(s, groups, seconds, lambda: s.move(-1, -1), settle=PAGE_SETTLE)
        figures["empty page"] = min(first, empty_page(), key=lambda f: f["browser"]["cpu"])
        return figures


# --- Report --------------------------------------------------------------------

# (platform, screen, group, what it is compared with): at most this many wake-ups a second, this share of a core.
TARGETS = {
    ("linux", "program"): (2, 0.1),
    ("wine", "program"): (2, 0.3),
    ("wine", "program, main thread"): (2, None),
    ("web", "renderer"): (2, None),
    ("web", "renderer, main thread"): (2, None),
}
PAGE_ABOVE_EMPTY = 0.5  # points of a core the whole browser may spend above an empty page


def ratio(old, new):
    if new <= 0:
        return "  inf" if old > 0 else "    -"
    return "%5.1f" % (old / new)


def report(results, seconds, commit):
    print("Idle cost over %.0f s a figure: old = %s (20 ms and 100 ms slices), new = this tree" % (seconds, commit))
    print("%-6s %-18s %-22s %9s %9s %7s %9s %9s %7s  %s" % (
        "where", "screen", "process", "old wk/s", "new wk/s", "old/new", "old CPU%", "new CPU%", "old/new", "target"))
    missed = []
    for platform in ("linux", "wine", "web"):
        if platform not in results:
            continue
        old, new = results[platform]["old"], results[platform]["new"]
        for screen in ("empty page", "statistics", "table", "table, pointer off"):
            if screen not in new:
                continue
            for group in new[screen]:
                o, n = old[screen][group], new[screen][group]
                verdict = []
                wakes, share = TARGETS.get((platform, group), (None, None))
                if screen == "empty page":
                    wakes = share = None
                if wakes is not None:
                    ok = n["wakes"] <= wakes
                    verdict.append("%s <= %g wk/s" % ("meets" if ok else "MISSES", wakes))
                    ok or missed.append("%s %s %s wake-ups" % (platform, screen, group))
                if share is not None:
                    ok = n["cpu"] <= share
                    verdict.append("%s <= %g %%" % ("meets" if ok else "MISSES", share))
                    ok or missed.append("%s %s %s CPU" % (platform, screen, group))
                if platform == "web" and group == "browser" and screen != "empty page":
                    above = n["cpu"] - new["empty page"]["browser"]["cpu"]
                    ok = above <= PAGE_ABOVE_EMPTY
                    verdict.append("%+.2f points over the empty page: %s <= %g" % (
                        above, "meets" if ok else "MISSES", PAGE_ABOVE_EMPTY))
                    ok or missed.append("web %s browser CPU above the empty page" % screen)
                print("%-6s %-18s %-22s %9.1f %9.1f %7s %9.3f %9.3f %7s  %s" % (
                    platform, screen, group, o["wakes"], n["wakes"], ratio(o["wakes"], n["wakes"]),
                    o["cpu"], n["cpu"], ratio(o["cpu"], n["cpu"]), "; ".join(verdict)))
    print("all targets met" if not missed else "targets missed: " + ", ".join(missed))
    return not missed


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=15.0)
    parser.add_argument("--old", default="d402c50")
    parser.add_argument("--only", default="linux,wine,web")
    parser.add_argument("--out", default=os.path.join(SOURCE, "build-idle"))
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    platforms = args.only.split(",")
    programs = {(side, p): build(side, p, out, args.old) for p in platforms for side in ("old", "new")}

    results = {}
    for platform in platforms:
        results[platform] = {}
        if platform == "wine":
            prefix = os.path.join(out, "wine-prefix")
            os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            if not os.path.isdir(os.path.join(prefix, "drive_c")):
                log("making the Wine prefix %s" % prefix)
                run("wineboot", "-i")
                run("wineserver", "-w")
        for side in ("old", "new"):
            log("measuring the %s %s program" % (side, platform))
            program = programs[(side, platform)]
            if platform == "web":
                results[platform][side] = page(program, args.seconds)
            else:
                results[platform][side] = desktop(program, args.seconds, prefix if platform == "wine" else None)
            if platform == "wine":
                run("wineserver", "-w")  # each side starts with Wine's processes afresh
    report(results, args.seconds, args.old)


main()
