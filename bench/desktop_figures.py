"""The desktop figures: how much of a core the real game uses while it is played, and how evenly
its pacing spaces the frames, on a quiet machine and beside two busy loops started (and ended,
by process id) here.

- cpu: the game's process, in % of one core, over SECONDS of play on a private Xvfb; a small
  controller holds Up whenever the ball sinks below the middle. Under wine the wineserver's
  share is given too: every wait of cave.exe goes through it.
- periods: |period - 1/31 s| p50 / p99 / max in ms over SECONDS of paced frames of the pacing
  probe (the same platform layer and host as the game, a new picture every frame).
- load: the one-minute load average as the row began; the machine may be shared.

Usage: desktop_figures.py BUILD_DIR [--windows MINGW_BUILD_DIR] [--seconds S]
BUILD_DIR holds cave and src/cave_pacing; MINGW_BUILD_DIR cave.exe and cave_pacing.exe, which
run under wine in a prefix made there on first use.
"""

import argparse
import contextlib
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wine"))
from cave_picture import ball_top  # noqa: E402
from wine_session import WineSession  # noqa: E402
from xsession import XSession  # noqa: E402

TARGET_ROW = 112
BUSY_LOOPS = 2


@contextlib.contextmanager
def busy_loops(count):
    loops = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(count)]
    try:
        yield
    finally:
        for loop in loops:
            loop.kill()
            loop.wait()


def load_average():
    return float(open("/proc/loadavg").read().split()[0])


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def play(session, window, pids, seconds):
    """Keeps the ball in the middle for `seconds`; the CPU % of one core each pid used, and the
    span actually played (shorter when the ball was lost)."""
    session.focus(window)
    start = time.monotonic()
    used = [cpu_seconds(pid) for pid in pids]
    held, last, seen = False, None, start
    while time.monotonic() - start < seconds:
        row = ball_top(session.screenshot(window))
        if row is None:
            if time.monotonic() - seen > 1.0:  # not drawn, or the game is over
                break
            continue
        seen = time.monotonic()
        rising = 0 if last is None else row - last
        last = row
        want = row + 3 * rising > TARGET_ROW
        if want != held:
            (session.key_down if want else session.key_up)("Up")
            held = want
    span = time.monotonic() - start
    return [100 * (cpu_seconds(pid) - was) / span for pid, was in zip(pids, used)], span


def deviations(probe_output):
    found = re.search(r"deviation p50 ([\d.]+) ms, p99 ([\d.]+) ms, max ([\d.]+) ms", probe_output)
    if not found:
        sys.exit(f"desktop_figures: the pacing probe printed no periods:\n{probe_output}")
    return "{} / {} / {}".format(*found.groups())


def linux_row(build, seconds):
    with XSession() as x:
        game = x.start([os.path.join(build, "cave")])
        (cpu,), span = play(x, x.window_of(game), [game.pid], seconds)
        game.kill()
        probe = subprocess.run([os.path.join(build, "src", "cave_pacing"), str(int(seconds * 31))],
                               env=x.env, capture_output=True, text=True, check=True).stdout
    return f"{cpu:.1f}", span, deviations(probe)


def wineserver_of(prefix):
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            comm = open(f"/proc/{pid}/comm").read().strip()
            environ = open(f"/proc/{pid}/environ", "rb").read().split(b"\0")
        except OSError:
            continue
        if comm.startswith("wineserver") and f"WINEPREFIX={prefix}".encode() in environ:
            return int(pid)
    sys.exit(f"desktop_figures: no wineserver runs for {prefix}")


def wine_row(mingw, seconds):
    prefix = os.path.join(os.path.abspath(mingw), "bench-wine-prefix")
    log = os.path.join(mingw, "bench-wine.log")
    with WineSession(prefix, log) as w:
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            w.wine("wineboot", "--init")
            w.wine("wineserver", "-w")
        game = w.start_wine(os.path.join(mingw, "cave.exe"))
        window = w.game_window()
        (cpu, server), span = play(w, window, [game.pid, wineserver_of(prefix)], seconds)
        game.kill()
        # A file, not a pipe: a wineserver started by this call would hold a pipe open.
        with tempfile.TemporaryFile(mode="w+") as out:
            subprocess.run(["wine", os.path.join(mingw, "cave_pacing.exe"),
                            str(int(seconds * 31))], env=w.env, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=seconds * 3 + 120)
            out.seek(0)
            probe = out.read()
    return f"{cpu:.1f} (+{server:.1f} wineserver)", span, deviations(probe)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--windows", metavar="MINGW_BUILD_DIR")
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    rows = [("linux", lambda: linux_row(args.build, args.seconds))]
    if args.windows:
        rows.append(("wine", lambda: wine_row(args.windows, args.seconds)))
    print(f"{'desktop':<14}{'load':>6}  {'cpu % of a core':<26}{'played':>8}  "
          "periods p50 / p99 / max (ms)")
    for name, row in rows:
        for busy in (0, BUSY_LOOPS):
            with busy_loops(busy):
                load = load_average()
                cpu, span, periods = row()
            label = f"{name} {'quiet' if busy == 0 else f'{busy} busy'}"
            print(f"{label:<14}{load:>6.2f}  {cpu:<26}{span:>7.1f}s  {periods}", flush=True)


if __name__ == "__main__":
    main()
