"""A game played in the real window with --record replays to the same end: cavesim's trace of
the saved demo ends with the very report the box showed, and --play shows that box again. The
score goes into the best scores, with the same demo, and --scores lists it. The demo's watch link
plays the same game."""

import os
import subprocess
import sys
import time

from cave_picture import ball_top, box_picture
from xsession import XSession, exit_status, fail

CAVE, CAVESIM, MESSAGE_BOX = sys.argv[1], sys.argv[2], sys.argv[3]


def play_until_crash(x, window):
    """Up held while the ball is low and let go while it is high, as a player would, until
    the ball meets the rock and the box shows."""
    x.focus(window)
    deadline, held = time.monotonic() + 60, False
    while not x.windows_named("Game Over!"):
        if time.monotonic() > deadline:
            fail("no Game Over! box within 60 s")
        top = ball_top(x.screenshot(window))
        if top is not None and (top > 120) != held:
            held = not held
            (x.key_down if held else x.key_up)("Up")
    if held:
        x.key_up("Up")


def dismiss(x, box, game, what):
    x.focus(box)
    x.tap("Return")
    status = exit_status(game, 10, what)
    if status != 0:
        fail(f"{what}: status {status}")


def replayed_report(demo):
    run = subprocess.run([CAVESIM, "--demo", demo, "--trace", "-"], capture_output=True,
                         text=True, timeout=60)
    lines = run.stdout.splitlines()
    if run.returncode != 0 or not lines or not lines[-1].startswith("E report "):
        fail(f"cavesim --demo: status {run.returncode}, last line {lines[-1:]}, {run.stderr}")
    print(f"cavesim --demo: {lines[1]} ... {lines[-2]}\n                {lines[-1]}")
    return lines[-1][len("E report "):].replace("\\n", "\n")


def same_picture(a, b):
    return (a.width, a.height, a.data) == (b.width, b.height, b.data)


def main():
    with XSession() as x:
        home = x.env["XDG_DATA_HOME"]
        demo = os.path.join(home, "played.demo")
        game = x.start([CAVE, "--record", demo])
        play_until_crash(x, x.window_of(game))
        box, shown = box_picture(x)
        # Boxes are waited for one at a time: a box's X id may come back for the next one.
        dismiss(x, box, game, "the recorded game")
        with open(demo) as recorded:
            text = recorded.read()
        print("recorded: " + " | ".join(text.splitlines()[:4]) + " ...")

        report = replayed_report(demo)
        reference = x.start([MESSAGE_BOX, "Game Over!", report])
        reference_box, expected = box_picture(x)
        dismiss(x, reference_box, reference, "the reference box")
        if not same_picture(shown, expected):
            fail("the recorded game's box does not show cavesim's report " + repr(report))

        # The demo itself, and the watch link --share makes of it.
        share = x.run([CAVE, "--share", demo])
        if share.returncode != 0 or not share.stdout.startswith("1"):
            fail(f"--share: status {share.returncode}, {share.stdout!r}{share.stderr!r}")
        link = "https://example.org/cave/#watch=" + share.stdout.strip()
        for source in (demo, link):
            player = x.start([CAVE, "--play", source])
            x.focus(x.window_of(player))
            # A played-back game lasts as long as the game did.
            replay_box, replayed = box_picture(x, seconds=60)
            dismiss(x, replay_box, player, "the played-back game")
            if not same_picture(replayed, expected):
                fail(f"--play {source} ends with another box than the game it plays back")
        print(f"--share: a link of {len(link)} characters for {len(text.splitlines())} lines")

        scores = x.run([CAVE, "--scores"])
        points = report.split(": ")[1].split()[0]
        entry = scores.stdout.splitlines()[1].split() if scores.returncode == 0 else []
        if entry[:2] != ["1", points] or entry[3:4] != ["random"] or open(entry[4]).read() != text:
            fail(f"--scores: status {scores.returncode}, {scores.stdout!r}{scores.stderr!r}")
        print("--scores:\n" + scores.stdout.rstrip())
        quit_demo = os.path.join(home, "quit.demo")
        started = time.time()
        game = x.start([CAVE, "--daily", "--record", quit_demo])
        x.focus(x.window_of(game))
        x.tap("Up")
        x.tap("Escape")
        if exit_status(game, 10, "Escape") != 0 or not os.path.exists(quit_demo):
            fail("a game ended with Escape leaves no demo")
        run = subprocess.run([CAVESIM, "--demo", quit_demo, "--trace", "-"], capture_output=True,
                             text=True, timeout=60)
        if run.stdout.splitlines()[-1:] != ["E quit"]:
            fail(f"the demo of a game ended with Escape ends {run.stdout.splitlines()[-1:]}")
        # Today's cave: the seed is the UTC date, read before and after in case midnight passed.
        days = {time.strftime("%Y%m%d", time.gmtime(t)) for t in (started, time.time())}
        header = open(quit_demo).readline().split()
        if header[-1] not in days:
            fail(f"--daily flew seed {header[-1]}, not today's {days}")
    print(f"demo: the box, cavesim, --play and its link agree on {report!r}; Escape too is "
          "recorded, and --daily flies today's cave")


main()
