"""The desktop figures of the SDL2 host, under a private Xvfb.

1. cave_pacing: the cost of a present and the deviation of paced frame periods from 1/31 s.
2. cave itself, played: a small controller holds Up whenever the ball sinks below the middle,
   and the game's CPU use over the played span is read from /proc/<pid>/stat.

Usage: desktop_figures.py BUILD_DIR [SECONDS]   (default 10 s of play)
"""

import os
import re
import select
import subprocess
import sys
import time

BALL_COLUMNS = range(158, 170)  # the ball's image is 8 pixels wide at x = 160
TARGET_ROW = 112


def accepts_clients(display):
    env = dict(os.environ, DISPLAY=display)
    for _ in range(50):
        if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0:
            return True
        time.sleep(0.1)
    return False


def start_xvfb():
    """A fresh Xvfb and its display name. The number is chosen here, away from the low numbers
    that a desktop or another test may hold; -displayfd tells when the server is ready."""
    first = 1000 + os.getpid() % 4000
    for number in range(first, first + 100):
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        ready, _, _ = select.select([read_end], [], [], 20)
        reported = os.read(read_end, 64).decode().strip() if ready else ""
        os.close(read_end)
        if reported == str(number) and accepts_clients(f":{number}"):
            return server, f":{number}"
        server.kill()
        server.wait()
    sys.exit("desktop_figures: no Xvfb could be started")


def ball_row(env, window):
    """The top row of the red ball in the window, or None when it cannot be seen."""
    shot = subprocess.run(["import", "-silent", "-window", window, "-depth", "8", "ppm:-"],
                          env=env, capture_output=True, timeout=30).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
    if not header:
        return None
    width, height = int(header.group(1)), int(header.group(2))
    pixels = shot[header.end():]
    for y in range(1, height - 1):  # rows 0 and 239 hold the red border
        for x in BALL_COLUMNS:
            r, g, b = pixels[3 * (y * width + x): 3 * (y * width + x) + 3]
            if r > 120 and g < 60 and b < 60:
                return y
    return None


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def play(env, cave, seconds):
    game = subprocess.Popen([cave], env=env)
    try:
        window = ""
        for _ in range(500):
            window = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(game.pid)],
                                    env=env, capture_output=True, text=True).stdout.split()
            if window:
                break
            time.sleep(0.02)
        if not window:
            sys.exit(f"cave showed no window within 10 s (exit status {game.poll()})")
        window = window[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env)
        start, cpu_start = time.monotonic(), cpu_seconds(game.pid)
        held, last, rows, seen = False, None, [], start
        while time.monotonic() - start < seconds and game.poll() is None:
            row = ball_row(env, window)
            if row is None:
                # Not drawn yet, or crashed: a ball gone for a second is over.
                if time.monotonic() - seen > 1.0:
                    break
                continue
            seen = time.monotonic()
            rising = 0 if last is None else row - last
            last = row
            rows.append(row)
            want = row + 3 * rising > TARGET_ROW
            if want != held:
                subprocess.run(["xdotool", "keydown" if want else "keyup", "Up"], env=env)
                held = want
        span = time.monotonic() - start
        used = cpu_seconds(game.pid) - cpu_start
        print(f"cave while playing: {100 * used / span:.1f} % of one core over {span:.1f} s "
              f"(ball rows {min(rows, default=0)}..{max(rows, default=0)})")
    finally:
        game.kill()
        game.wait()


def main():
    build = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    server, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display)
    try:
        subprocess.run([os.path.join(build, "src", "cave_pacing"), str(int(seconds * 31))],
                       env=env, check=True)
        play(env, os.path.join(build, "cave"), seconds)
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
