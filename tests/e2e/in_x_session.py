"""Runs a program on a private X server of its own: `in_x_session.py PROGRAM [ARGS...]`."""

import subprocess
import sys

from xsession import XSession

with XSession() as x:
    sys.exit(subprocess.run(sys.argv[1:], env=x.env).returncode)
