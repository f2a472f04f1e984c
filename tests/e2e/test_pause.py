"""P pauses: the cave alone, standing still; P again resumes the game. A close request from the
window manager meanwhile changes nothing."""

import sys
import time

from cave_picture import has_border, is_cave_alone
from xsession import XSession, fail

CAVE, CLOSE_REQUEST = sys.argv[1], sys.argv[2]

with XSession() as x:
    cave = x.start([CAVE])
    window = x.window_of(cave)
    x.focus(window)
    x.tap("p")
    paused = x.wait_for_picture(window, is_cave_alone, 5, "the paused picture: cave alone")
    time.sleep(0.5)  # several pause turns: nothing may move meanwhile
    if x.screenshot(window).data != paused.data:
        fail("the paused picture changes")
    if x.run([CLOSE_REQUEST, window]).returncode != 0:
        fail("could not send the close request")
    x.tap("p")  # reaches the game after the close request: the game must still answer it
    resumed = x.wait_for_picture(window, has_border, 5, "the game to resume with its border")
    x.wait_for_picture(window, lambda p: p.data != resumed.data, 5, "the cave to scroll again")
    if cave.poll() is not None:
        fail(f"the program ended with status {cave.returncode} on a close request")
    print("pause: cave alone and still while paused, close request ignored, "
          "game runs again after the second P")
