"""The Linux release packages as a user gets them: the tarball's tree, and the .deb installed
with dpkg on this machine (root only), run, checked and removed again.

Usage: test_linux_packages.py BUILD_DIR VERSION
"""

import os
import subprocess
import sys
import tarfile
import tempfile
import time

BUILD, VERSION = sys.argv[1], sys.argv[2]
SKIPPED = 77  # ctest's skip code for this test

SHARE = [
    "share/applications/cave.desktop",
    "share/metainfo/io.github.cavegame.cave.metainfo.xml",
    "share/man/man6/cave.6",
    "share/doc/cave/LICENSE",
    "share/doc/cave/README.md",
] + [f"share/icons/hicolor/{n}x{n}/apps/cave.png" for n in (16, 32, 48, 64, 128, 256)]


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(*command, check=True):
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    if check and done.returncode != 0:
        fail(f"{' '.join(command)}: status {done.returncode}\n{done.stdout}{done.stderr}")
    return done


def dpkg(*args):
    """dpkg waits for nobody: while another install holds its lock, try again."""
    for _ in range(60):
        done = run("dpkg", *args, check=False)
        if done.returncode == 0 or "lock" not in done.stderr:
            return done
        time.sleep(5)
    return done


def check_stripped(path):
    kind = run("file", "-b", path).stdout
    if "ELF 64-bit" not in kind or ", stripped" not in kind:
        fail(f"{path} is not a stripped x86-64 program: {kind}")


with tempfile.TemporaryDirectory() as out:
    run("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-G", "TGZ;DEB", "-B", out)
    top = f"cave-{VERSION}-linux-x86_64"
    with tarfile.open(os.path.join(out, top + ".tar.gz")) as tar:
        names = set(tar.getnames())
        tar.extract(f"{top}/bin/cave", out)
    missing = [path for path in ["bin/cave"] + SHARE if f"{top}/{path}" not in names]
    if missing:
        fail(f"the tarball lacks {missing}")
    check_stripped(os.path.join(out, top, "bin", "cave"))
    print(f"{top}.tar.gz: {len(names)} entries, stripped bin/cave")

    deb = os.path.join(out, f"cave_{VERSION}_amd64.deb")
    depends = run("dpkg-deb", "-f", deb, "Depends").stdout.strip()
    if "libsdl2-2.0-0" not in depends or "libc6" not in depends:
        fail(f"the .deb depends on {depends!r}, not on the SDL2 runtime and the C library")
    if os.geteuid() != 0:
        print("installing the .deb needs root: left out")
        sys.exit(SKIPPED)
    done = dpkg("-i", deb)
    if done.returncode != 0:
        fail(f"dpkg -i: {done.stderr}")
    try:
        shown = run("/usr/bin/cave", "--version").stdout
        if not shown.startswith(f"cave {VERSION}\n"):
            fail(f"installed cave --version says {shown!r}")
        missing = [path for path in SHARE if not os.path.isfile("/usr/" + path)]
        if missing:
            fail(f"dpkg -i installed no {missing}")
        check_stripped("/usr/bin/cave")
    finally:
        removed = dpkg("-r", "cave")
    if removed.returncode != 0 or os.path.exists("/usr/bin/cave"):
        fail(f"dpkg -r left cave behind: {removed.stderr}")
    print(f"cave_{VERSION}_amd64.deb: Depends {depends}; installed, ran, removed")
