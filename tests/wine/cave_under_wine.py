#!/usr/bin/env python3
"""cave.exe played under wine on a private Xvfb, one scenario per run.

Usage: cave_under_wine.py SCENARIO --exe cave.exe --probe window_probe.exe --prefix DIR --out DIR
                          --cavesim cavesim
Scenarios: prefix (makes the shared wine prefix), window, picture, escape, game_over, course,
pointer, demo, scaled_display, full_screen, any_user (in a prefix of its own, beside --prefix).
The game's wine log and the screenshot go to the --out directory.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

from wine_session import WineSession, fail

from cave_picture import (ball_top, ball_track, colour_count, has_border,  # noqa: E402
                          is_cave_alone, shrunk)  # (tests/e2e)
from xsession import Picture, exit_status, wait_for  # noqa: E402  (tests/e2e)

WINDOW = (352, 264, 320, 240)  # a 320x240 window centred on a 1024x768 desktop
FULL_SCREEN_PICTURE = (32, 24, 960, 720)  # the picture at 3x, centred on that desktop


def expect(condition, message):
    if not condition:
        fail(message)


def scenario_prefix(session, args):
    marker = os.path.join(session.env["WINEPREFIX"], "cave-prefix-ready")
    if os.path.exists(marker):
        return
    expect(session.wine("wineboot", "--init").returncode == 0, "wineboot --init failed")
    session.wine("wineserver", "-w")
    open(marker, "w").close()


def scenario_window(session, args):
    session.start_wine(args.exe)
    session.game_window()
    seen = session.probe(args.probe, "window", 60)
    left, top, width, height = WINDOW
    expect(seen["desktop"] == "1024x768", f"desktop {seen['desktop']}")
    expect(seen["rect"] == f"{left},{top},{left + width},{top + height}",
           f"outer rectangle {seen['rect']}, expected 320x240 at ({left}, {top})")
    expect(seen["client"] == "320x240", f"client area {seen['client']}")
    style = int(seen["style"], 16)
    popup, visible, caption, thick_frame = 0x80000000, 0x10000000, 0x00C00000, 0x00040000
    expect(style & popup and style & visible, f"style 0x{style:08x} is not a visible popup")
    expect(not style & (caption | thick_frame), f"style 0x{style:08x} has a frame")
    expect(seen["title"] == "", f"title {seen['title']!r}")


def scenario_picture(session, args):
    session.start_wine(args.exe)
    window = session.game_window()
    shot = session.wait_for_picture(window, has_border, 30, "a picture with the red border")
    with open(os.path.join(args.out, "cave_under_wine.ppm"), "wb") as out:
        out.write(f"P6\n{shot.width} {shot.height}\n255\n".encode() + shot.data)
    colours = colour_count(shot)
    expect(colours >= 200, f"only {colours} colours inside the border: no textured cave")
    # Rock lines the top and bottom; the open cave between is darker.
    top_row = sum(map(sum, shot.region(1, 1, 319, 2)))
    middle_row = sum(map(sum, shot.region(1, 120, 319, 121)))
    expect(top_row > middle_row, "the top edge is not brighter rock than the open middle")


def scenario_escape(session, args):
    game = session.start_wine(args.exe)
    session.game_window()
    session.tap("Escape")
    # A message box would hold the program: ending in time means there was none.
    status = exit_status(game, 20, "Escape")
    expect(status == 0, f"exit status {status} after Escape")


def scenario_game_over(session, args):
    game = session.start_wine(args.exe)
    session.game_window()
    box = session.probe(args.probe, "box", 60)
    expect(box["title"] == "Game Over!", f"box title {box['title']!r}")
    expect(re.fullmatch(r"Spielstand:\\n\\nPlayer 1: \d+ Punkte\\n", box["text"]),
           f"box text {box['text']!r}")
    expect(game.poll() is None, "cave.exe ended before its box was dismissed")
    session.run(["xdotool", "key", "Return"])
    status = exit_status(game, 20, "dismissing the box")
    expect(status == 0, f"exit status {status} after the box")


def scenario_course(session, args):
    session.start_wine(args.exe)
    falling = ball_track(session, session.game_window(), 1.0)
    expect(falling and min(falling) >= 118 and falling[-1] > falling[0],
           f"without input the ball should only fall from row 120: {falling}")
    session.end_wine()

    session.start_wine(args.exe)
    window = session.game_window()
    session.key_down("Up")
    # Half a second on, another program takes the focus while Up is still held: the key must
    # count as let go. (Focusing a plain X window would not do: wine's popup never had the X
    # focus, it gets keys from under the pointer.)
    session.start_wine(args.probe, "focus", "500", "15000")
    session.wait_for_picture(window, lambda p: (ball_top(p) or 240) < 114, 5,
                             "the ball to rise above row 114 with Up held")
    # The probe is a second wine program: on a busy machine it may take seconds to start.
    track = track_until_fall(session, window, 10, 12.0)
    session.key_up("Up")
    after_top = track[track.index(min(track)):] if track else []
    expect(after_top and max(after_top) >= after_top[0] + 10,
           f"with the focus elsewhere the ball should fall: {track}")
    print(f"course: falls {falling[0]}->{falling[-1]} alone; with Up and then without the "
          f"focus it tops out at row {after_top[0]} and falls to {max(after_top)}")


def track_until_fall(session, window, rows, seconds):
    """Ball rows until it is `rows` below the highest seen, or `seconds` have passed."""
    track, deadline = [], time.monotonic() + seconds
    while time.monotonic() < deadline and not (track and track[-1] >= min(track) + rows):
        top = ball_top(session.screenshot(window))
        if top is not None:
            track.append(top)
    return track


def scenario_pointer(session, args):
    """The left mouse button held over the window lifts the ball; let go, it falls."""
    session.start_wine(args.exe)
    window = session.game_window()
    left, top, width, height = WINDOW
    session.run(["xdotool", "mousemove", str(left + width // 2), str(top + height // 2),
                 "mousedown", "1"])
    session.wait_for_picture(window, lambda p: (ball_top(p) or 240) < 114, 5,
                             "the ball to rise above row 114 with the mouse button held")
    session.run(["xdotool", "mouseup", "1"])
    track = ball_track(session, window, 1.5)
    after_top = track[track.index(min(track)):] if track else []
    expect(after_top and max(after_top) >= after_top[0] + 10,
           f"with the button let go the ball should fall: {track}")
    print(f"pointer: tops out at row {after_top[0]}, falls to {max(after_top)}")


def scenario_demo(session, args):
    """Recorded under wine, replayed by the native cavesim: the demo format is the same on
    every system. Then played back by cave.exe itself."""
    demo = os.path.join(os.path.abspath(args.out), "wine.demo")
    if os.path.exists(demo):
        os.remove(demo)
    game = session.start_wine(args.exe, "--record", "Z:" + demo)
    session.game_window()
    for _ in range(3):
        session.key_down("Up")
        time.sleep(0.2)
        session.key_up("Up")
        time.sleep(0.3)
    box = session.probe(args.probe, "box", 60)
    session.run(["xdotool", "key", "Return"])
    expect(exit_status(game, 20, "dismissing the box") == 0, "status after the recorded game")
    with open(demo) as recorded:
        lines = recorded.read().splitlines()
    expect(len(lines) > 3, f"the demo holds no key changes: {lines}")

    replay = subprocess.run([args.cavesim, "--demo", demo, "--trace", "-"], capture_output=True,
                            text=True, timeout=60)
    end = replay.stdout.splitlines()[-1:]
    expect(replay.returncode == 0 and end == ["E report " + box["text"]],
           f"cavesim --demo ends {end} (status {replay.returncode}), the box said "
           f"{box['text']!r}")

    player = session.start_wine(args.exe, "--play", "Z:" + demo)
    replayed = session.probe(args.probe, "box", 60)
    session.run(["xdotool", "key", "Return"])
    expect(exit_status(player, 20, "dismissing the box") == 0, "status after --play")
    expect(replayed["text"] == box["text"], f"--play showed {replayed['text']!r}")
    print(f"demo: {lines[0]}, {len(lines) - 2} key changes; the box under wine, cavesim and "
          f"--play all say {box['text']!r}")


def scenario_scaled_display(session, args):
    """At 200% display scaling the game doubles itself, centred, with sharp pixels."""
    def set_dpi(dpi):
        return session.wine("wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                            "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")

    expect(set_dpi(192).returncode == 0, "could not set the display to 200%")
    try:
        session.start_wine(args.exe)
        window = session.game_window()
        geometry = session.geometry(window)
        expected = {"x": 192, "y": 144, "width": 640, "height": 480, "border": 0}
        expect(geometry == expected, f"window {geometry}, expected {expected}")
        shot = session.wait_for_picture(window, has_border, 30, "a picture with the red border")
        small = shrunk(shot, 2)
        expect(has_border(small) and colour_count(small) >= 200,
               "the doubled picture lacks its border or its textured cave")
    finally:
        session.end_wine()
        set_dpi(96)
    print("scaled display: 640x480 at (192, 144), every pixel 2x2")


def crop(picture, left, top, width, height):
    row = 3 * picture.width
    return Picture(width, height, b"".join(
        picture.data[(top + y) * row + 3 * left : (top + y) * row + 3 * (left + width)]
        for y in range(height)))


def scenario_full_screen(session, args):
    """--fullscreen covers the desktop: the picture at the largest whole multiple, centred on
    black, every pixel sharp. Alt+Enter gives the window back where and as big as it was; F11
    switches again."""
    session.start_wine(args.exe, "--fullscreen")
    window = session.game_window()
    # P is held from the start and let go once the game shows its first picture, which pauses
    # it: unplayed, the ball reaches the rock in a second or two, sooner than the checks below
    # end on a busy machine. (A tap this early could be over before the game's first read.)
    # The paused game still draws its cave every tenth of a second, after every switch too.
    session.key_down("p")
    left, top, width, height = FULL_SCREEN_PICTURE
    shot = session.wait_for_picture(
        window, lambda p: p.width == 1024 and has_border(crop(p, left, top, width, height)), 30,
        "a 1024x768 picture with the red border at 3x in the middle")
    session.key_up("p")
    small = shrunk(crop(shot, left, top, width, height), 3)
    expect(has_border(small) and colour_count(small) >= 200,
           "the tripled picture lacks its border or its textured cave")
    around = (shot.region(0, 0, 1024, top) + shot.region(0, top + height, 1024, 768)
              + shot.region(0, top, left, top + height)
              + shot.region(left + width, top, 1024, top + height))
    expect(set(around) == {(0, 0, 0)}, f"around the picture: {sorted(set(around))[:5]}")
    session.wait_for_picture(
        window, lambda p: p.width == 1024 and not has_border(crop(p, left, top, width, height)),
        10, "the paused game in full screen")
    seen = session.probe(args.probe, "window", 60)
    expect(seen["rect"] == "0,0,1024,768", f"full screen outer rectangle {seen['rect']}")

    windowed = dict(zip(("x", "y", "width", "height"), WINDOW), border=0)
    session.run(["xdotool", "key", "alt+Return"])
    wait_for(lambda: session.geometry(window) == windowed, 10, f"the window back at {windowed}")
    session.wait_for_picture(window, lambda p: is_cave_alone(p) and colour_count(p) >= 200, 10,
                             "the paused 320x240 cave")
    seen = session.probe(args.probe, "window", 60)
    left, top, width, height = WINDOW
    expect(seen["rect"] == f"{left},{top},{left + width},{top + height}"
           and seen["client"] == "320x240", f"back in the window: {seen}")

    session.tap("F11")
    wait_for(lambda: session.geometry(window)["width"] == 1024, 10, "F11 to give full screen")
    print("full screen: 1024x768, the picture 3x at (32, 24) on black; Alt+Enter gives back the "
          "320x240 window at (352, 264), F11 full screen again")


# Wine names the profile after the Unix user; the folder's name mixes three scripts, none of
# them in the Western code page the prefix's Windows has.
USER = "Андрей"
FOLDER = "Jürgen Андрей 李"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def scenario_any_user(session, args):
    """A game recorded into the user's oddly named folder, its best score kept in their profile
    beside a table written by an earlier version, the lot listed by --scores, and the demo
    played back from there."""
    scenario_prefix(session, args)
    profile = os.path.join(session.env["WINEPREFIX"], "drive_c", "users", USER)
    expect(os.path.isdir(profile), f"wine made no profile named {USER}")
    kept = os.path.join(profile, "AppData", "Roaming", "cave")
    folder = os.path.join(os.path.abspath(args.out), FOLDER)
    for old in (kept, folder):
        shutil.rmtree(old, ignore_errors=True)
        os.makedirs(old)
    with open(os.path.join(kept, "scores.txt"), "w") as table:
        table.write("# cave best scores 1\n0 2026-01-01T00:00:00 old.demo\n")
    with open(os.path.join(kept, "old.demo"), "w") as old_demo:
        old_demo.write("# cave demo 1 seed 1\n# poll code state\n")

    demo = os.path.join(folder, "run.demo")
    game = session.start_wine(args.exe, "--record", windows_path(demo))
    box = session.probe(args.probe, "box", 60)
    session.run(["xdotool", "key", "Return"])
    expect(exit_status(game, 20, "dismissing the box") == 0, "status after the recorded game")
    expect(os.path.exists(demo), "no demo in " + folder)
    with open(demo) as recorded:
        expect(recorded.readline().startswith("# cave demo 1 seed "), "not a demo: " + demo)

    with open(os.path.join(kept, "scores.txt")) as table:
        lines = table.read().splitlines()
    expect(len(lines) == 3 and lines[:2] == ["# cave best scores 2",
                                             "0 2026-01-01T00:00:00 old.demo random"],
           f"the best scores in {kept}: {lines}")
    expect(os.path.exists(os.path.join(kept, lines[2].split()[2])), "the kept demo is missing")
    listed = session.output(args.exe, "--scores")
    where = "C:\\users\\" + USER + "\\AppData\\Roaming\\cave\\"
    expect(listed.count(where) == 2, f"--scores lists {listed!r}, not both demos in {where}")

    player = session.start_wine(args.exe, "--play", windows_path(demo))
    replayed = session.probe(args.probe, "box", 60)
    session.run(["xdotool", "key", "Return"])
    expect(exit_status(player, 20, "dismissing the box") == 0, "status after --play")
    expect(replayed["text"] == box["text"], f"--play showed {replayed['text']!r}, not {box['text']!r}")
    with open(session.log, encoding="utf-8", errors="replace") as log:
        said = [line for line in log if line.startswith("cave:")]
    expect(not said, f"cave.exe complained: {said}")
    print(f"any user: {USER}'s best scores kept beside an old table, the demo in '{FOLDER}' "
          f"played back: {box['text']!r}")


SCENARIOS = {
    "prefix": scenario_prefix,
    "window": scenario_window,
    "picture": scenario_picture,
    "escape": scenario_escape,
    "game_over": scenario_game_over,
    "course": scenario_course,
    "pointer": scenario_pointer,
    "demo": scenario_demo,
    "scaled_display": scenario_scaled_display,
    "full_screen": scenario_full_screen,
    "any_user": scenario_any_user,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=SCENARIOS)
    for option in ("--exe", "--probe", "--prefix", "--out", "--cavesim"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    os.makedirs(args.prefix, exist_ok=True)
    os.makedirs(args.out, exist_ok=True)
    log = os.path.join(args.out, f"{args.scenario}.log")
    open(log, "w").close()
    user = USER if args.scenario == "any_user" else None
    prefix = args.prefix if user is None else f"{args.prefix}-{user}"
    try:
        with WineSession(prefix, log, user) as session:
            SCENARIOS[args.scenario](session, args)
    except SystemExit:
        with open(log) as wine_log:
            print("wine said:\n" + "".join(wine_log.readlines()[-15:]), file=sys.stderr)
        raise
    print(f"ok {args.scenario}")


if __name__ == "__main__":
    main()
