"""P pauses: the cave alone, standing still; P again resumes the game."""

import sys
import time

from cave_picture import FPS_TEXT, SCORE_TEXT, ball_top, has_border, has_white
from xsession import XSession, fail

CAVE = sys.argv[1]


def is_cave_alone(picture):
    return not (has_border(picture) or has_white(picture, FPS_TEXT)
                or has_white(picture, SCORE_TEXT) or ball_top(picture) is not None)


with XSession() as x:
    cave = x.start([CAVE])
    window = x.window_of(cave)
    x.focus(window)
    x.tap("p")
    paused = x.wait_for_picture(window, is_cave_alone, 5, "the paused picture: cave alone")
    time.sleep(0.5)  # several pause turns: nothing may move meanwhile
    if x.screenshot(window).data != paused.data:
        fail("the paused picture changes")
    x.tap("p")
    resumed = x.wait_for_picture(window, has_border, 5, "the game to resume with its border")
    x.wait_for_picture(window, lambda p: p.data != resumed.data, 5, "the cave to scroll again")
    print("pause: cave alone and still while paused, game runs again after the second P")
