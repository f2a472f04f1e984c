"""--scale N: the window is N times 320x240, still centred and borderless, and its picture is a
game picture with every pixel repeated N x N times, exactly."""

import sys

from cave_picture import (FPS_TEXT, SCORE_TEXT, WHITE, ball_top, colour_count, has_border,
                          has_white, shrunk)
from xsession import XSession, exit_status, fail

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
