"""Up lifts the ball, and so does the left mouse button held over the window; without input it
falls; when the focus leaves, a held Up stops counting."""

import sys

from cave_picture import ball_top, ball_track
from xsession import XSession, fail, wait_for

CAVE = sys.argv[1]


def started_game(x):
    cave = x.start([CAVE])
    window = x.window_of(cave)
    x.focus(window)
    return window


def fall_after_top(track):
    """The rows from the ball's highest point on, when it then falls; it may coast upwards a
    little first."""
    after_top = track[track.index(min(track)):] if track else []
    return after_top if after_top and max(after_top) >= after_top[0] + 10 else None


with XSession() as x:
    window = started_game(x)
    falling = ball_track(x, window, 1.0)
    if not falling or min(falling) < 118 or falling[-1] <= falling[0]:
        fail(f"without input the ball should only fall from 120: {falling}")

with XSession() as x:
    window = started_game(x)
    geometry = x.geometry(window)
    x.xdotool("mousemove", str(geometry["x"] + 100), str(geometry["y"] + 200))
    x.xdotool("mousedown", "1")
    held = x.wait_for_picture(window, lambda p: (ball_top(p) or 240) < 110, 5,
                              "the ball to rise above row 110 with the mouse button held")
    x.xdotool("mouseup", "1")
    let_go = ball_track(x, window, 1.5)
    if not fall_after_top(let_go):
        fail(f"with the mouse button let go the ball should fall: {let_go}")
    print(f"mouse: rises to {ball_top(held)} with the button held, falls after")

with XSession() as x:
    # The other window is ready before the ball rises, so that the focus moves at once and the
    # ball cannot reach the ceiling first.
    x.start(["xmessage", "-geometry", "+0+0", "another window"])
    other = wait_for(lambda: x.windows_named("xmessage"), 10, "the other window")[0]
    window = started_game(x)
    x.key_down("Up")
    risen = x.wait_for_picture(window, lambda p: (ball_top(p) or 240) < 110, 5,
                               "the ball to rise above row 110 with Up held")
    # Still holding Up, hand the focus to the other window: the key must count as released.
    x.focus(other)
    track = ball_track(x, window, 1.5)
    x.key_up("Up")
    after_top = fall_after_top(track)
    if not after_top:
        fail(f"with the focus elsewhere the ball should fall: {track}")
    print(f"lift: falls {falling[0]}->{falling[-1]} alone, rises to {ball_top(risen)} with Up, "
          f"falls {after_top[0]}->{max(after_top)} without the focus")
