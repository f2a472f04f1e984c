"""How a run ends: Escape, the score report after a crash, no display at all, and the X server
going away mid-game."""

import os
import subprocess
import sys

from cave_picture import box_picture, has_border
from xsession import XSession, exit_status, fail, stop_server, wait_for

CAVE, MESSAGE_BOX = sys.argv[1], sys.argv[2]
# About one start tick in a hundred seeds a cave where the falling ball scores a point, so the
# game-over case flies a cave where it scores none.
CAVE_OF_NO_POINTS = "5"
REPORT = "Spielstand:\n\nPlayer 1: 0 Punkte\n"


def escape_quits():
    with XSession() as x:
        cave = x.start([CAVE])
        window = x.window_of(cave)
        x.focus(window)
        x.tap("Escape")
        status = exit_status(cave, 10, "Escape")
        boxes = x.windows_named("Game Over!")
        if status != 0 or boxes:
            fail(f"Escape: status {status}, boxes shown: {boxes}")
    print("Escape: status 0, no box")


def game_over_report():
    with XSession() as x:
        cave = x.start([CAVE, "--cave", CAVE_OF_NO_POINTS])
        box, shown = box_picture(x)
        # The same box drawn by SDL with the expected text must look exactly alike.
        reference = x.start([MESSAGE_BOX, "Game Over!", REPORT])
        reference_box, expected = box_picture(x, known=[box])
        x.focus(reference_box)
        x.tap("Return")
        exit_status(reference, 10, "the reference box")
        if (shown.width, shown.height, shown.data) != (expected.width, expected.height,
                                                       expected.data):
            fail("the Game Over! box does not show the report " + repr(REPORT))
        if cave.poll() is not None:
            fail("the program ended before its box was dismissed")
        x.focus(box)
        x.tap("Return")
        status = exit_status(cave, 10, "dismissing the box")
        if status != 0:
            fail(f"after the report: status {status}")
    print("game over: box with " + repr(REPORT) + ", status 0 once dismissed")


def no_display():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = subprocess.run([CAVE], env=env, capture_output=True, text=True, timeout=10)
    if run.returncode != 1 or "ERROR" not in run.stderr or "Fehler Nr.1" not in run.stderr:
        fail(f"no display: status {run.returncode}, stderr {run.stderr!r}")
    print(f"no display: status 1, stderr {run.stderr.strip()!r}")


def display_lost():
    with XSession() as x:
        cave = x.start([CAVE])
        x.wait_for_picture(x.window_of(cave), has_border, 10, "the running game")
        stop_server(x.server)
        status = exit_status(cave, 10, "the X server going away")
        stderr = cave.stderr.read().decode(errors="replace")
        if status != 1 or "cave: lost the connection to the X display" not in stderr:
            fail(f"display lost: status {status}, stderr {stderr!r}")
    print(f"display lost: status 1, stderr {stderr.strip()!r}")


{"escape": escape_quits, "game-over": game_over_report, "no-display": no_display,
 "display-lost": display_lost}[sys.argv[3]]()
