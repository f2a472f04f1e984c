"""--scale N: the window is N times 320x240, still centred and borderless, and its picture is a
game picture with every pixel repeated N x N times, exactly. Full screen shows it as large as it
fits whole; a desktop's scaling sets the default."""

import subprocess
import sys

from cave_picture import (FPS_TEXT, SCORE_TEXT, WHITE, ball_top, colour_count, has_border,
                          has_white, is_cave_alone, shrunk)
from xsession import XSession, exit_status, fail, wait_for

CAVE = sys.argv[1]
DESKTOP = (1024, 768)
LABEL = (10, 10, 10 + 4 * 8, 10 + 13)  # "FPS:", four 8x13 glyphs: the same in every frame


def white_mask(picture, box):
    return [p == WHITE for p in picture.region(*box)]


def first_picture(scale):
    """The first picture with its border, and the window's geometry."""
    with XSession(*DESKTOP) as x:
        cave = x.start([CAVE, "--scale", str(scale)])
        window = x.window_of(cave)
        geometry = x.geometry(window)
        picture = x.wait_for_picture(window, has_border, 10, f"scale {scale}: the red border")
        x.focus(window)
        x.tap("Escape")
        exit_status(cave, 10, "Escape")
    return geometry, picture


_, plain = first_picture(1)
for n in (2, 3):
    geometry, picture = first_picture(n)
    width, height = 320 * n, 240 * n
    expected = {"x": (DESKTOP[0] - width) // 2, "y": (DESKTOP[1] - height) // 2,
                "width": width, "height": height, "border": 0}
    if geometry != expected:
        fail(f"scale {n}: window {geometry}, expected {expected}")
    small = shrunk(picture, n)
    if not has_border(small) or any(p == (255, 0, 0) for p in small.region(1, 1, 319, 2)):
        fail(f"scale {n}: the red border is not {n} pixels wide")
    if white_mask(small, LABEL) != white_mask(plain, LABEL):
        fail(f"scale {n}: the FPS label differs from the one at scale 1")
    top = ball_top(small)
    if top is None or not 118 <= top <= 150:
        fail(f"scale {n}: ball top at {top}, expected just below 120")
    texts = has_white(small, SCORE_TEXT) and has_white(small, FPS_TEXT)
    if not texts or colour_count(small) < 100:
        fail(f"scale {n}: read-outs or cave texture missing")
    print(f"scale {n}: window {expected}, every pixel {n}x{n}, border, label and ball as at 1x")


def scaled_rect(x, y, width, height):
    return {"x": x, "y": y, "width": width, "height": height, "border": 0}


def is_black(picture, box):
    return all(p == (0, 0, 0) for p in picture.region(*box))


def shows_at_4x(picture, check):
    """The 1280x1024 screen: the 1280x960 picture between two 32-row black bands."""
    if picture.width != 1280 or picture.height != 1024:
        return False
    if not (is_black(picture, (0, 0, 1280, 32)) and is_black(picture, (0, 992, 1280, 1024))):
        return False
    picture.data = picture.data[3 * 1280 * 32 : 3 * 1280 * 992]
    picture.height = 960
    return check(shrunk(picture, 4))


def paused_cave(picture):
    return is_cave_alone(picture) and colour_count(picture) >= 100


def full_screen(window_manager):
    """Full screen: the whole screen, the picture at the largest whole multiple centred on
    black; Alt+Enter and F11 switch back and forth, paused too, and the window comes back as it
    was. Without a window manager the game covers the screen itself; with one, SDL asks it."""
    with XSession(1280, 1024) as x:
        if window_manager:
            x.start([window_manager])
            wait_for(lambda: "window id" in x.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"])
                     .stdout, 10, f"{window_manager} to manage the screen")
        cave = x.start([CAVE, "--fullscreen", "--scale", "2"])
        window = x.window_of(cave)
        # Paused at once: the ball would reach the rock in a second or so.
        x.run(["xdotool", "windowactivate", "--sync", window])
        x.tap("p")
        x.wait_for_picture(window, lambda p: shows_at_4x(p, paused_cave), 10, "the cave at 4x")
        if (geometry := x.geometry(window)) != scaled_rect(0, 0, 1280, 1024):
            fail(f"full screen: window {geometry}, expected the whole 1280x1024 screen")
        x.key_down("Alt_L")
        x.tap("Return")
        x.key_up("Alt_L")
        back = scaled_rect(320, 272, 640, 480)
        wait_for(lambda: x.geometry(window) == back, 10, f"Alt+Enter: the window at {back}")
        x.tap("F11")
        x.wait_for_picture(window, lambda p: shows_at_4x(p, paused_cave), 10, "F11: full screen")
        x.tap("F11")
        wait_for(lambda: x.geometry(window) == back, 10, f"F11: the window at {back}")
        if cave.poll() is not None:
            fail(f"the game ended with status {cave.returncode} while switching")
    print(f"full screen ({window_manager or 'no window manager'}): 1280x1024 at (0,0), the "
          "picture at 4x between black bands; back to the window")


full_screen(None)
full_screen("openbox")

# A desktop scaled to 200% shows the game twice as big, centred.
with XSession(*DESKTOP) as x:
    merged = subprocess.run(["xrdb", "-merge"], input="Xft.dpi: 192\n", env=x.env, text=True)
    if merged.returncode != 0:
        fail("xrdb could not merge Xft.dpi")
    window = x.window_of(x.start([CAVE]))
    expected = scaled_rect(192, 144, 640, 480)
    wait_for(lambda: x.geometry(window) == expected, 10, f"Xft.dpi 192: the window at {expected}")
    print("Xft.dpi 192: the window opens at 640x480, centred")
