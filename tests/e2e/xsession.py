"""A private X server for one end-to-end test, and the means to drive and watch `cave` on it.

Each test starts its own Xvfb on a display number the server picks itself, so tests can run in
parallel; everything started here is stopped again when the session closes. Input goes through
XTEST (xdotool without --window): SDL drops synthetic events sent to a window.
"""

import os
import re
import select
import subprocess
import sys
import tempfile
import time

KEY_HOLD_SECONDS = 0.1  # the game polls key state once a frame: hold longer than two frames


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(condition, timeout, what, interval=0.02):
    """Polls until condition() returns something truthy; returns it, or fails the test."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            fail(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


class Picture:
    """An RGB screenshot; pixel(x, y) gives (r, g, b)."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i : i + 3])

    def region(self, left, top, right, bottom):
        """Every pixel with left <= x < right and top <= y < bottom, row by row."""
        return [self.pixel(x, y) for y in range(top, bottom) for x in range(left, right)]


def parse_ppm(blob):
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", blob)
    if not match:
        fail("screenshot is not a binary PPM")
    width, height = int(match.group(1)), int(match.group(2))
    return Picture(width, height, blob[match.end() : match.end() + 3 * width * height])


def start_server(screens):
    """A fresh Xvfb with these screens ("WIDTHxHEIGHTxDEPTH" each) that accepts clients, and its
    display name.

    The number is chosen here, away from the low numbers a desktop or another test may hold;
    starting from the process id spreads parallel tests. -displayfd tells when it is ready.
    """
    first = 1000 + os.getpid() % 4000
    for number in list(range(first, 5000)) + list(range(1000, first)):
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        read_end, write_end = os.pipe()
        log = tempfile.TemporaryFile()
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end),
             *[arg for i, screen in enumerate(screens) for arg in ("-screen", str(i), screen)],
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=log)
        os.close(write_end)
        reported = read_line(read_end, 20)
        os.close(read_end)
        if reported == str(number) and server.poll() is None:
            return server, f":{number}"
        stop_server(server)
        log.seek(0)
        print(f"Xvfb :{number} did not come up:\n{log.read().decode(errors='replace')}",
              file=sys.stderr)
    fail("no X display could be started")


def read_line(fd, timeout):
    """The server writes its number and the newline separately, and dies if the pipe is closed
    in between: read through to the newline."""
    text, deadline = b"", time.monotonic() + timeout
    while not text.endswith(b"\n"):
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(fd, 64) if ready else b""
        if not chunk:
            break
        text += chunk
    return text.decode().strip()


def stop_server(server):
    server.terminate()  # lets the server remove its lock and socket
    try:
        server.wait(timeout=5)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


class XSession:
    def __init__(self, width=1024, height=768, depth=24, more_screens=()):
        self.server, self.display = start_server([f"{width}x{height}x{depth}", *more_screens])
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        # The games played here keep their best scores in a folder of their own, not the user's.
        self.data_home = tempfile.TemporaryDirectory()
        self.env["XDG_DATA_HOME"] = self.data_home.name
        self.children = []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for child in self.children:
            if child.poll() is None:
                child.kill()
            child.wait()
        stop_server(self.server)
        self.data_home.cleanup()

    def start(self, argv):
        child = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.children.append(child)
        return child

    def run(self, argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)

    def xdotool(self, *args):
        return self.run(["xdotool", *args]).stdout.split()

    def window_of(self, process, timeout=10):
        """The visible top-level window of a process: its X id as a decimal string."""
        def found():
            if process.poll() is not None:
                fail(f"{process.args[0]} ended with status {process.returncode} before its "
                     f"window showed: {process.stderr.read().decode(errors='replace')}")
            return self.xdotool("search", "--onlyvisible", "--pid", str(process.pid))[:1]
        return wait_for(found, timeout, "the program's window")[0]

    def geometry(self, window):
        info = self.run(["xwininfo", "-id", window]).stdout
        field = lambda name: int(re.search(name + r":\s+(-?\d+)", info).group(1))
        return {name: field(label) for name, label in
                [("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                 ("width", "Width"), ("height", "Height"), ("border", "Border width")]}

    def property(self, window, name):
        return self.run(["xprop", "-id", window, name]).stdout.strip()

    def windows_named(self, name):
        """Ids of the windows titled `name` anywhere in the tree (boxes escape xdotool search)."""
        tree = self.run(["xwininfo", "-root", "-tree"]).stdout
        pattern = r"(0x[0-9a-f]+) \"" + re.escape(name) + "\""
        return [str(int(found, 16)) for found in re.findall(pattern, tree)]

    def screenshot(self, window):
        try:
            shot = subprocess.run(["import", "-silent", "-window", window, "-depth", "8", "ppm:-"],
                                  env=self.env, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            fail(f"no screenshot of window {window} within 10 s: is it gone?")
        if shot.returncode != 0:
            fail("screenshot failed: " + shot.stderr.decode(errors="replace"))
        return parse_ppm(shot.stdout)

    def wait_for_picture(self, window, condition, timeout, what):
        """The first screenshot of the window for which condition(picture) holds."""
        def shot_if():
            picture = self.screenshot(window)
            return picture if condition(picture) else None
        return wait_for(shot_if, timeout, what)

    def focus(self, window):
        self.run(["xdotool", "windowfocus", "--sync", window])

    def key_down(self, key):
        self.run(["xdotool", "keydown", key])

    def key_up(self, key):
        self.run(["xdotool", "keyup", key])

    def tap(self, key):
        self.key_down(key)
        time.sleep(KEY_HOLD_SECONDS)
        self.key_up(key)


def exit_status(process, timeout, what):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        fail(f"{what}: the program still runs after {timeout} s")
