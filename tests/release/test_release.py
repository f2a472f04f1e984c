"""The release as users and distributions get it: scripts/release run in two fresh clones of
this commit gives the same bytes; the .deb passes lintian and hardening-check, installs with dpkg,
starts from a user's terminal and goes again; the zips carry one version and one licence text.

Usage: test_release.py SOURCE_DIR VERSION
"""

import gzip
import os
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

SOURCE, VERSION = sys.argv[1], sys.argv[2]
SKIPPED = 77  # ctest's skip code
PACKAGES = [
    f"cave-{VERSION}-linux-x86_64.tar.gz",
    f"cave_{VERSION}_amd64.deb",
    f"cave-{VERSION}-windows-x86_64.zip",
    f"cave-{VERSION}-web.zip",
    "SHA256SUMS",
]
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


def run(*command, check=True, cwd=None, timeout=300):
    done = subprocess.run(command, capture_output=True, text=True, timeout=timeout, cwd=cwd)
    if check and done.returncode != 0:
        fail(f"{' '.join(command)}: status {done.returncode}\n{done.stdout}{done.stderr}")
    return done


def release(folder):
    """A fresh clone of this commit, released; returns its dist folder."""
    run("git", "clone", "-q", SOURCE, folder)
    started = time.monotonic()
    run("scripts/release", cwd=folder, timeout=1500)
    print(f"scripts/release in {folder}: {time.monotonic() - started:.0f} s")
    return os.path.join(folder, "dist")


def same_bytes(first, second):
    names = sorted(os.listdir(first))
    if names != sorted(PACKAGES) or sorted(os.listdir(second)) != names:
        fail(f"dist holds {names} and {sorted(os.listdir(second))}, not {sorted(PACKAGES)}")
    differing = [name for name in names if open(os.path.join(first, name), "rb").read()
                 != open(os.path.join(second, name), "rb").read()]
    if differing:
        fail(f"two releases of one commit differ in {differing}")
    run("sha256sum", "--quiet", "-c", "SHA256SUMS", cwd=first)


def check_tarball(dist):
    top = f"cave-{VERSION}-linux-x86_64"
    with tarfile.open(os.path.join(dist, top + ".tar.gz")) as tar:
        names = set(tar.getnames())
        owners = {(member.uid, member.gid) for member in tar.getmembers()}
    missing = [path for path in ["bin/cave"] + SHARE if f"{top}/{path}" not in names]
    if missing or owners != {(0, 0)}:
        fail(f"the tarball lacks {missing} or has owners {owners}")


def licence_of(archive, name):
    with zipfile.ZipFile(archive) as packed:
        return packed.read(name).decode().replace("\r\n", "\n")


def check_zips(dist):
    licence = open(os.path.join(SOURCE, "LICENSE")).read()
    for kind in ("windows-x86_64", "web"):
        archive = os.path.join(dist, f"cave-{VERSION}-{kind}.zip")
        if licence_of(archive, f"cave-{VERSION}-{kind}/LICENSE") != licence:
            fail(f"the {kind} zip's licence is not the project's")
    check_gzipped_page(os.path.join(dist, f"cave-{VERSION}-web.zip"))


# A static server may send the page's text and wasm as they are gzipped beside them: each .gz
# must unpack to its file, and the page's own files must all have one.
def check_gzipped_page(archive):
    folder = f"cave-{VERSION}-web/"
    with zipfile.ZipFile(archive) as packed:
        names = set(packed.namelist())
        for name in ("index.html", "page.js", "cave.css", "cave.js", "cave.wasm"):
            if folder + name + ".gz" not in names:
                fail(f"the web zip has no {name}.gz")
        for name in sorted(n for n in names if n.endswith(".gz")):
            if gzip.decompress(packed.read(name)) != packed.read(name[:-3]):
                fail(f"{name} in the web zip does not unpack to {name[:-3]}")


def check_deb(deb, scratch):
    lint = run("lintian", "--fail-on", "error,warning", deb, check=False)
    if lint.returncode != 0:
        fail(f"lintian: {lint.stdout}{lint.stderr}")
    root = os.path.join(scratch, "unpacked")
    run("dpkg-deb", "-x", deb, root)
    # Debian 12's C start files are not built for control flow protection, so no program
    # linked there can be marked for it; every other check must pass.
    run("hardening-check", "--nocfprotection", os.path.join(root, "usr/games/cave"))
    depends = run("dpkg-deb", "-f", deb, "Depends").stdout.strip()
    if "libsdl2-2.0-0" not in depends or "libc6" not in depends:
        fail(f"the .deb depends on {depends!r}, not on the SDL2 runtime and the C library")


def dpkg(*args):
    """dpkg waits for nobody: while another install holds its lock, try again."""
    for _ in range(60):
        done = run("dpkg", *args, check=False)
        if done.returncode == 0 or "lock" not in done.stderr:
            return done
        time.sleep(5)
    return done


def install_and_run(deb):
    done = dpkg("-i", deb)
    if done.returncode != 0:
        fail(f"dpkg -i: {done.stderr}")
    try:
        # A user's login shell finds the program on its PATH.
        found = run("runuser", "-u", "nobody", "--", "bash", "-lc", "command -v cave").stdout
        if found.strip() != "/usr/games/cave":
            fail(f"a user's shell finds cave at {found!r}")
        shown = run("/usr/games/cave", "--version").stdout
        if not shown.startswith(f"cave {VERSION}\n"):
            fail(f"installed cave --version says {shown!r}")
        missing = [p for p in SHARE[:2] + ["share/man/man6/cave.6.gz", "share/doc/cave/copyright"]
                   if not os.path.isfile("/usr/" + p)]
        if missing:
            fail(f"dpkg -i installed no {missing}")
    finally:
        removed = dpkg("-r", "cave")
    if removed.returncode != 0 or os.path.exists("/usr/games/cave"):
        fail(f"dpkg -r left cave behind: {removed.stderr}")


if run("git", "-C", SOURCE, "rev-parse", "--git-dir", check=False).returncode != 0:
    print("not a git checkout: no commit to release")
    sys.exit(SKIPPED)
with tempfile.TemporaryDirectory() as scratch:
    first = release(os.path.join(scratch, "a"))
    second = release(os.path.join(scratch, "b"))
    same_bytes(first, second)
    check_tarball(first)
    check_zips(first)
    deb = os.path.join(first, f"cave_{VERSION}_amd64.deb")
    check_deb(deb, scratch)
    print(f"two releases, byte for byte the same: {', '.join(PACKAGES)}; lintian and "
          "hardening-check pass")
    if os.geteuid() != 0:
        print("installing the .deb needs root: left out")
        sys.exit(SKIPPED)
    install_and_run(deb)
    print(f"cave_{VERSION}_amd64.deb: installed, found on a user's PATH, ran, removed")
