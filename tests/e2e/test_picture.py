"""The first pictures: red border, textured cave, both read-outs in white, the ball at (160, 120)."""

import sys

from cave_picture import (FPS_TEXT, SCORE_TEXT, ball_top, colour_count, has_border,
                          has_white)
from xsession import XSession, fail

CAVE = sys.argv[1]

with XSession() as x:
    cave = x.start([CAVE])
    window = x.window_of(cave)
    picture = x.wait_for_picture(window, has_border, 10, "a picture with the red border")
    top = ball_top(picture)
    # The ball starts with its image's top at 120 and falls a little before the screenshot: 10
    # rows in ten frames, 30 in seventeen (a slow screenshot on a busy machine).
    if top is None or not 118 <= top <= 150:
        fail(f"ball top at {top}, expected just below 120")
    if not has_white(picture, FPS_TEXT):
        fail("no white read-out at (10, 10)")
    if not has_white(picture, SCORE_TEXT):
        fail("no white read-out at (270, 190)")
    colours = colour_count(picture)
    if colours < 100:
        fail(f"cave shows only {colours} colours: no texture")
    print(f"picture: border, read-outs, ball top at row {top}, {colours} colours")
