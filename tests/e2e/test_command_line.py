"""The real `cave` settles its command line before anything else. It runs with no display here:
had it tried to open a window, it would end with the start-up error instead."""

import os
import subprocess
import sys

from xsession import fail

CAVE, VERSION = sys.argv[1], sys.argv[2]
ENV = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}


def cave(*args):
    return subprocess.run([CAVE, *args], env=ENV, capture_output=True, text=True, timeout=10)


def expect(args, status, out, err):
    """out and err: a text the stream must contain, or None for an empty stream."""
    run = cave(*args)
    for name, text, want in [("stdout", run.stdout, out), ("stderr", run.stderr, err)]:
        if (want is None and text) or (want is not None and want not in text):
            fail(f"cave {' '.join(args)}: {name} {text!r}, expected {want!r}")
    if run.returncode != status:
        fail(f"cave {' '.join(args)}: status {run.returncode}, expected {status}")


expect(["--version"], 0, f"cave {VERSION}\nCopyright", None)
for asks_for_help in (["--help"], ["-h", "--scale", "2"]):
    expect(asks_for_help, 0, "--scale N", None)
expect(["--fullscreen=yes"], 2, None, "cave: --fullscreen takes no value\nTry 'cave --help'.")
expect(["--full"], 2, None, "cave: unknown option '--full'")
expect(["anything"], 2, None, "unexpected argument 'anything'")
expect(["--scale", "9"], 2, None, "--scale takes a whole number from 1 to 8, not '9'")
expect(["--version", "--scale"], 2, None, "--scale needs a value")
expect(["--play", "/no/such.demo"], 2, None, "cave: --play: cannot read '/no/such.demo'")
expect(["--play", CAVE], 2, None, "line 1: not a demo header")
expect(["--record", "a.demo", "--play", "b.demo"], 2, None, "cannot go together")
expect(["--cave", "-1"], 2, None, "--cave takes a number from 0 to 4294967295, not '-1'")
expect(["--share", "#watch=1AIA"], 2, None, "watch link: the payload ends in the middle")
expect(["--play", "1AIA"], 2, None, "'1AIA' is neither a file nor a watch payload")
print(f"command line: version {VERSION}, help, and ten bad lines refused with status 2")
