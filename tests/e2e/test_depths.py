"""Any screen depth: a known picture shows pixel for pixel, through the cheap window surface
wherever it can take the screen's format, and the game opens and plays."""

import subprocess
import sys

from cave_picture import RED, edge_pixels
from xsession import XSession, fail

CAVE, PATTERN, DEPTH = sys.argv[1], sys.argv[2], int(sys.argv[3])
SURFACE = DEPTH != 30  # SDL's window surface cannot take a 30-bit screen's pixels


def near_red_border(picture):
    # Screenshots of shallow screens come back with a few counts off in each channel.
    return all(abs(a - b) <= 8 for p in edge_pixels(picture) for a, b in zip(p, RED))


with XSession(depth=DEPTH) as x:
    try:
        check = x.run([PATTERN])
    except subprocess.TimeoutExpired:
        fail(f"depth {DEPTH}: the pattern did not show within 30 s")
    verdict = check.stdout.strip()
    if check.returncode != 0:
        fail(f"depth {DEPTH}: status {check.returncode}, {verdict!r} {check.stderr!r}")
    if verdict.startswith("surface") != SURFACE:
        fail(f"depth {DEPTH}: {verdict!r}, expected the {'surface' if SURFACE else 'renderer'}")
    cave = x.start([CAVE])
    window = x.window_of(cave)
    x.wait_for_picture(window, near_red_border, 10, "the game's picture with its red border")
print(f"depth {DEPTH}: {verdict}; the game plays")
