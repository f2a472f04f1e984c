"""The Windows download as a user gets it: the zip made by packaging/windows/package.cmake
unpacked, its cave.exe stripped, needing only DLLs every Windows has, carrying its icon, version
information and manifest, and answering --version under wine.

Usage: test_windows_package.py CAVE_EXE VERSION PREFIX
"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

EXE, VERSION, PREFIX = sys.argv[1:4]
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll", "shell32.dll",
               "ole32.dll"}
# Resource type: the names we need of it. 3 icon images, 14 the icon group (number 1 is what
# the window class loads), 16 version information, 24 the manifest.
RESOURCES = {3: "icon images", 14: "icon 1", 16: "version information", 24: "manifest"}


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(*command, env=None):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, env=env)


def resource_types(dump):
    """Type ids of the resource tree's first level, and whether the icon group has number 1."""
    section = dump.partition("The .rsrc Resource Directory section:")[2]
    types = {int(found, 16) for found in re.findall(r"^0[0-9a-f]{2}   Entry: ID: 0x([0-9a-f]+)",
                                                     section, re.M)}
    group = re.search(r"^\S+   Entry: ID: 0x00000e.*\n.*\n\S+     Entry: ID: 0x000001,", section,
                      re.M)
    return types - ({14} if group is None else set())


with tempfile.TemporaryDirectory() as out:
    made = run("cmake", f"-DEXE={EXE}", f"-DVERSION={VERSION}", f"-DOUT={out}", "-P",
               os.path.join(ROOT, "packaging", "windows", "package.cmake"))
    if made.returncode != 0:
        fail("package.cmake: " + made.stderr)
    folder = f"cave-{VERSION}-windows-x86_64"
    with zipfile.ZipFile(os.path.join(out, folder + ".zip")) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        archive.extractall(out)
    expected = [f"{folder}/{name}" for name in ("LICENSE", "README.txt", "cave.exe")]
    if names != expected:
        fail(f"the zip holds {names}, expected {expected}")
    exe = os.path.join(out, folder, "cave.exe")

    dump = run("x86_64-w64-mingw32-objdump", "-p", exe).stdout
    dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    if not dlls or not dlls <= SYSTEM_DLLS:
        fail(f"cave.exe needs {sorted(dlls - SYSTEM_DLLS)} beyond the system's DLLs")
    missing = [what for kind, what in RESOURCES.items() if kind not in resource_types(dump)]
    if missing:
        fail(f"cave.exe lacks its {', '.join(missing)}")
    if "no symbols" not in run("x86_64-w64-mingw32-objdump", "-t", exe).stdout:
        fail("cave.exe in the zip is not stripped")

    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    shown = run("wine", exe, "--version", env=env)
    if shown.returncode != 0 or not shown.stdout.startswith(f"cave {VERSION}\n"):
        fail(f"wine cave.exe --version: status {shown.returncode}, said {shown.stdout!r}")
    refused = run("wine", exe, "--full-screen", env=env)  # the option is --fullscreen
    if refused.returncode != 2 or "unknown option '--full-screen'" not in refused.stderr:
        fail(f"wine cave.exe --full-screen: status {refused.returncode}, said {refused.stderr!r}")
    size = os.path.getsize(exe)
    print(f"{folder}.zip: {names}; cave.exe {size} bytes, DLLs {sorted(dlls)}, "
          f"icon, version and manifest; --version and a bad option answered under wine")
