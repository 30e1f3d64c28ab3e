"""The Windows installer: what it holds, then, under Wine in a fresh prefix,
the install, a whole round started as its Start menu entry starts the game,
an update to the next version over it, and the uninstall.

Usage: /usr/bin/python3 installer_under_wine.py BUILD VERSION NEXT_EXE NEXT_VERSION

BUILD: the Windows build folder (rotandor.exe, box_text.exe); VERSION: the
CMake project's version; NEXT_EXE: the same program built as NEXT_VERSION.
Both are packed by tools/package-windows.sh as a release is. The times of
the install, the update and the uninstall are printed, never judged.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rotandor_window as rw  # noqa: E402

build, version, next_exe, next_version = sys.argv[1:5]
build = os.path.abspath(build)
work = os.path.join(build, "installer-test")
prefix = os.path.join(work, "prefix")
# No menu entries on this machine's own desktop for the prefix's shortcuts.
os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
results = rw.Results()

# Released installers carry it: another would leave old installs beside new ones.
UPGRADE_CODE = "{E53DD355-ECA6-4F0C-87F4-F183EBA96F5A}"
UNINSTALL = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
HISTORY = "Roulettezahlen.txt"


def read(path):
    """A file's bytes, None when there is none."""
    if not path or not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def run(*command, check=True):
    result = subprocess.run(list(command), capture_output=True, text=True, timeout=300)
    if check and result.returncode != 0:
        raise rw.HarnessError("%s exited with %d: %s" % (" ".join(command), result.returncode,
                                                         result.stderr.strip()[-2000:]))
    return result


# --- The package --------------------------------------------------------------

def package(exe, out, *version_given):
    """Packs exe as released; (zip path, msi path)."""
    run(os.path.join(rw.SOURCE_DIR, "tools", "package-windows.sh"), exe, out, *version_given)
    found = sorted(f for f in os.listdir(out) if f.endswith((".zip", ".msi")))
    if len(found) != 2:
        raise rw.HarnessError("not one zip and one msi in %s: %s" % (out, found))
    return os.path.join(out, found[1]), os.path.join(out, found[0])


def table(msi, name):
    """The rows of an MSI table as dicts, by column name."""
    lines = run("msiinfo", "export", msi, name).stdout.splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def exe_version(data):
    """The file version in a program's version resource, as a.b.c.d."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def zip_files(path):
    """{name: bytes} of the release archive, without its top folder."""
    with zipfile.ZipFile(path) as z:
        return {n.split("/", 1)[1]: z.read(n) for n in z.namelist() if not n.endswith("/")}


def check_package(msi, zip_path, expected_version):
    """The rows that make it a per-user install with a Start menu entry and
    clean updates; the four versions as one."""
    files = zip_files(zip_path)
    name = "rotandor-%s-windows-x64" % expected_version
    tables = run("msiinfo", "tables", msi).stdout.split()
    missing = [t for t in ("Property", "Shortcut", "Upgrade", "Directory", "Component", "File", "RemoveFile",
                           "Registry", "Icon", "InstallExecuteSequence") if t not in tables]
    results.check("msiinfo lists the installer's tables", not missing, missing)

    props = {r["Property"]: r["Value"] for r in table(msi, "Property")}
    words = re.search(r"^Source: (\d+)", run("msiinfo", "suminfo", msi).stdout, re.M)
    for what, good in [
        ("no ALLUSERS: installed for this user alone", "ProductCode" in props and "ALLUSERS" not in props),
        ("no MSIINSTALLPERUSER: nothing for a machine to choose",
         "ProductCode" in props and "MSIINSTALLPERUSER" not in props),
        ("no elevation asked for", words is not None and int(words.group(1)) & 8 == 8),
        ("the product is Rotandor", props.get("ProductName") == "Rotandor"),
        ("the publisher", props.get("Manufacturer") == "Rotandor developers"),
        ("the upgrade code of every release", props.get("UpgradeCode") == UPGRADE_CODE),
        ("the product's icon in the list of installed apps", props.get("ARPPRODUCTICON") == "rotandor.ico"),
        ("versions agree: installer and CMake", props.get("ProductVersion") == expected_version),
        ("versions agree: archive name and CMake", os.path.basename(zip_path) == name + ".zip"),
        ("versions agree: installer name and CMake", os.path.basename(msi) == name + ".msi"),
        ("versions agree: program and CMake", exe_version(files.get("rotandor.exe", b"")) == expected_version + ".0"),
    ]:
        results.check(what, good, "" if good else props)

    shortcuts = table(msi, "Shortcut")
    want = {"Directory_": "ProgramMenuFolder", "Name": "Rotandor", "Target": "[#rotandor.exe]",
            "WkDir": "INSTALLDIR", "Icon_": "rotandor.ico"}
    results.check("one Start menu shortcut to the program, started in its folder, with the game's icon",
                  len(shortcuts) == 1 and all(shortcuts[0].get(k) == v for k, v in want.items()), shortcuts)

    dirs = {r["Directory"]: r for r in table(msi, "Directory")}
    path, at = [], "INSTALLDIR"
    while at in dirs and dirs[at]["Directory_Parent"] not in ("", "TARGETDIR"):
        path.insert(0, dirs[at]["DefaultDir"].split("|")[-1])
        at = dirs[at]["Directory_Parent"]
    results.check("installed into %LOCALAPPDATA%\\Programs\\Rotandor", [at] + path ==
                  ["LocalAppDataFolder", "Programs", "Rotandor"], [at] + path)

    upgrade = table(msi, "Upgrade")
    older = [r for r in upgrade if r["VersionMax"] == expected_version and not r["VersionMin"]]
    newer = [r for r in upgrade if r["VersionMin"] == expected_version and not r["VersionMax"]]
    results.check("older versions are found and removed",
                  len(older) == 1 and older[0]["UpgradeCode"] == UPGRADE_CODE
                  and int(older[0]["Attributes"]) & (2 | 512) == 0, upgrade)
    results.check("a newer version is only detected",
                  len(newer) == 1 and newer[0]["UpgradeCode"] == UPGRADE_CODE
                  and int(newer[0]["Attributes"]) & 2 == 2, upgrade)
    sequence = {r["Action"]: int(r["Sequence"]) for r in table(msi, "InstallExecuteSequence")}
    results.check("the older version goes after the newer one is in",
                  sequence.get("RemoveExistingProducts", 0) > sequence.get("InstallFinalize", 1 << 30), sequence)

    removed = {(r["FileName"], r["DirProperty"], r["InstallMode"]) for r in table(msi, "RemoveFile")}
    results.check("the uninstall takes the history and the folder",
                  removed == {(HISTORY, "INSTALLDIR", "2"), ("", "INSTALLDIR", "2")}, removed)
    listed = {r["FileName"].split("|")[-1]: r for r in table(msi, "File")}
    results.check("it installs what the archive holds", set(listed) == set(files), sorted(listed))
    results.check("the program is a versioned file",
                  listed.get("rotandor.exe", {}).get("Version") == expected_version + ".0", listed.get("rotandor.exe"))
    return props


# --- The prefix -----------------------------------------------------------------

def wine_path(windows_path):
    return run("winepath", "-u", windows_path).stdout.strip()


def msiexec(action, msi):
    started = time.monotonic()
    status = run("wine", "msiexec", action, run("winepath", "-w", msi).stdout.strip(), "/qn", check=False).returncode
    return status, time.monotonic() - started


def registry(key):
    """{subkey: {name: value}} of a registry key and all below it; {} without it."""
    found, at = {}, None
    for line in run("wine", "reg", "query", key, "/s", check=False).stdout.splitlines():
        if line.startswith("HKEY_"):
            at = found.setdefault(line.strip(), {})
        else:
            m = re.match(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$", line)
            if m and at is not None:
                at[m.group(1)] = m.group(3) or ""
    return found


def entries():
    """The entries named Rotandor in the list of installed apps."""
    return [v for root in ("HKLM", "HKCU") for v in registry(root + "\\" + UNINSTALL).values()
            if v.get("DisplayName") == "Rotandor"]


def products():
    """The per-user products named Rotandor the installer knows."""
    return [v for v in registry(r"HKCU\Software\Microsoft\Installer\Products").values()
            if v.get("ProductName") == "Rotandor"]


def read_shortcut(path):
    """(target, working directory, icon file) of a shell link."""
    with open(path, "rb") as f:
        data = f.read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at, target = 0x4C, None
    if flags & 0x1:  # an item list first
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # where the target is
        size, _, info, _, base, _, suffix = struct.unpack_from("<7I", data, at)
        if info & 1:
            target = "".join(data[at + o:data.index(b"\0", at + o)].decode("cp1252") for o in (base, suffix))
        at += size
    strings = {}
    width, encoding = (2, "utf-16-le") if flags & 0x80 else (1, "cp1252")
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            strings[name] = data[at + 2:at + 2 + count * width].decode(encoding).rstrip("\0")
            at += 2 + count * width
    return target, strings.get("workdir"), strings.get("icon")


def folder_files(folder):
    found = {}
    for dirpath, _, names in os.walk(folder):
        for n in names:
            with open(os.path.join(dirpath, n), "rb") as f:
                found[os.path.relpath(os.path.join(dirpath, n), folder)] = f.read()
    return found


def leftovers():
    """What under the prefix's drive or in its registry still names the game."""
    drive = os.path.join(prefix, "drive_c")
    paths = [os.path.relpath(os.path.join(d, n), drive) for d, dirs, names in os.walk(drive)
             for n in dirs + names if "rotandor" in n.lower()]
    keys = [k for root in ("HKCU", "HKLM") for k, v in registry(root + r"\Software").items()
            if "rotandor" in (k + " ".join(v.values())).lower()]
    return paths, keys


# --- The run --------------------------------------------------------------------

def installer():
    shutil.rmtree(work, ignore_errors=True)
    zip_now, msi_now = package(os.path.join(build, "rotandor.exe"), os.path.join(work, "this"))
    zip_next, msi_next = package(next_exe, os.path.join(work, "next"), next_version)
    props = check_package(msi_now, zip_now, version)
    props_next = check_package(msi_next, zip_next, next_version)
    results.check("a product code of its own per version", props["ProductCode"] != props_next["ProductCode"])
    results.check("one component in both versions, so that the update keeps what the older one has",
                  table(msi_now, "Component") == table(msi_next, "Component"))
    print("installer %s: %d bytes (this build's program, with its debugging data)"
          % (os.path.basename(msi_now), os.path.getsize(msi_now)))

    started = time.monotonic()
    os.makedirs(prefix)
    run("wineboot", "-i")
    run("wineserver", "-w")
    print("fresh Wine prefix in %.1f s" % (time.monotonic() - started))

    status, seconds = msiexec("/i", msi_now)
    print("install: %.1f s" % seconds)
    results.check("msiexec /i /qn installs it", status == 0, status)
    roaming = rw.wine_app_data()
    folder = os.path.join(os.path.dirname(roaming), "Local", "Programs", "Rotandor")
    link = os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs", "Rotandor.lnk")
    player = os.path.join(roaming, "Rotandor")
    results.check("the installed files are the archive's", folder_files(folder) == zip_files(zip_now),
                  sorted(folder_files(folder)) if os.path.isdir(folder) else "no " + folder)
    target, workdir, icon = read_shortcut(link)
    print("Start menu shortcut: %s\n  target %s\n  working directory %s\n  icon %s" % (link, target, workdir, icon))
    program, start_in = wine_path(target), wine_path(workdir)
    results.check("the shortcut starts the installed program", os.path.realpath(program) ==
                  os.path.realpath(os.path.join(folder, "rotandor.exe")), target)
    results.check("in the install folder", os.path.realpath(start_in) == os.path.realpath(folder), workdir)
    game_icon = read(os.path.join(rw.SOURCE_DIR, "packaging", "windows", "rotandor.ico"))
    results.check("with the game's icon", icon is not None and read(wine_path(icon)) == game_icon, icon)
    listed = entries()
    results.check("one entry under installed apps, with version and publisher",
                  [(e.get("DisplayVersion"), e.get("Publisher")) for e in listed]
                  == [(version, "Rotandor developers")], listed)
    known = products()
    results.check("and its icon", len(known) == 1 and os.path.isfile(wine_path(known[0].get("ProductIcon", ""))),
                  known)

    # The round test, on the installed program as the shortcut starts it.
    round_run = subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "test_round.py"),
                                program, "--workdir", start_in, "--helpers", build],
                               capture_output=True, text=True, timeout=240)
    print("  " + round_run.stdout.strip().replace("\n", "\n  "))
    results.check("a whole round from the Start menu writes what the round test expects",
                  round_run.returncode == 0, round_run.stderr[-2000:])
    history = read(os.path.join(folder, HISTORY))
    results.check("the history goes into the install folder", history is not None)
    players = folder_files(player) if os.path.isdir(player) else {}

    status, seconds = msiexec("/i", msi_next)
    print("update to %s: %.1f s" % (next_version, seconds))
    results.check("msiexec /i installs the next version over it", status == 0, status)
    listed = entries()
    results.check("one entry under installed apps, the next version",
                  [e.get("DisplayVersion") for e in listed] == [next_version], listed)
    results.check("one product known to the installer", len(products()) == 1, products())
    now = folder_files(folder)
    results.check("the newer program and files", {k: v for k, v in now.items() if k != HISTORY} == zip_files(zip_next),
                  sorted(now))
    results.check("the newer program's version", exe_version(now.get("rotandor.exe", b"")) == next_version + ".0")
    results.check("the history is kept", now.get(HISTORY) == history)
    results.check("the shortcut still starts it", os.path.isfile(link) and read_shortcut(link)[0] == target)

    status, seconds = msiexec("/x", msi_next)
    print("uninstall: %.1f s" % seconds)
    results.check("msiexec /x removes it", status == 0, status)
    results.check("the program folder is gone", not os.path.exists(folder), sorted(os.listdir(folder))
                  if os.path.isdir(folder) else "")
    results.check("the shortcut is gone", not os.path.exists(link))
    results.check("no entry under installed apps", not entries() and not products(), entries())
    results.check("the player's files are kept", players and folder_files(player) == players, sorted(players))
    paths, keys = leftovers()
    print("left after the uninstall: %s; registry: %s" % (paths or "nothing", keys or "nothing"))
    results.check("nothing else is left", paths == [os.path.relpath(player, os.path.join(prefix, "drive_c"))]
                  and not keys, (paths, keys))


try:
    results.run("installer", installer)
finally:
    subprocess.run(["wineserver", "-k"], capture_output=True)
# The prefix takes 700 MB: kept only to look into a failure.
if not results.failed:
    shutil.rmtree(work, ignore_errors=True)
results.finish()
