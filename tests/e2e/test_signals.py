"""SIGTERM, SIGINT and SIGHUP to the game's process end it in every state, running, paused or
with the Game Over! box up, leave nothing on the screen, and it ends as a signalled program."""

import signal
import sys

from cave_picture import has_border, is_cave_alone
from xsession import XSession, exit_status, fail, wait_for

CAVE, STATE = sys.argv[1], sys.argv[2]


def running(x, window):
    x.wait_for_picture(window, has_border, 10, "the running game")


def paused(x, window):
    x.focus(window)
    x.tap("p")
    x.wait_for_picture(window, is_cave_alone, 5, "the paused picture")


def box_up(x, window):
    wait_for(lambda: x.windows_named("Game Over!"), 10, "the Game Over! box")


def windows_on_screen(x):
    tree = x.run(["xwininfo", "-root", "-children"]).stdout
    return [line.split()[0] for line in tree.splitlines() if line.strip().startswith("0x")]


reach = {"running": running, "paused": paused, "box": box_up}[STATE]
with XSession() as x:
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        cave = x.start([CAVE])
        reach(x, x.window_of(cave))
        cave.send_signal(sig)
        status = exit_status(cave, 5, f"{sig.name} while {STATE}")
        if status != -sig:
            fail(f"{sig.name} while {STATE}: status {status}, expected death by the signal")
        wait_for(lambda: not windows_on_screen(x), 5,
                 f"the screen to clear after {sig.name} while {STATE}")
print(f"{STATE}: SIGTERM, SIGINT and SIGHUP each end the game and clear the screen")
