"""An X session (see tests/e2e/xsession.py) with a wine prefix, for driving cave.exe.

Closing it ends every wine process of the prefix before the X server goes.
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from xsession import XSession, fail, wait_for  # noqa: E402


class WineSession(XSession):
    def __init__(self, prefix, log, user=None):
        super().__init__()
        self.env.update(WINEPREFIX=prefix, WINEDLLOVERRIDES="mscoree,mshtml=", WINEDEBUG="-all")
        if user is not None:
            # Wine names the profile after $USER; a UTF-8 locale carries the name and every
            # path on the command line into wine whole.
            self.env.update(USER=user, LOGNAME=user, LC_ALL="C.UTF-8")
        self.log = log

    def __exit__(self, *exc):
        self.end_wine()
        super().__exit__(*exc)

    def wine(self, *command, timeout=300):
        """Runs a wine tool to its end; its output goes to the log."""
        with open(self.log, "a") as out:
            return subprocess.run(command, env=self.env, stdout=out, stderr=out, timeout=timeout)

    def start_wine(self, *command):
        """Starts a Windows program; wine's error reports go to the log."""
        with open(self.log, "a") as out:
            child = subprocess.Popen(["wine", *command], env=dict(self.env, WINEDEBUG="err+all"),
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        self.children.append(child)
        return child

    def end_wine(self):
        """Ends every wine process of the prefix and waits until its server has gone."""
        self.wine("wineserver", "-k")
        self.wine("wineserver", "-w")

    def output(self, *command, timeout=60):
        """Standard output of a Windows program run to its end, as UTF-8."""
        # A file, not a pipe, for the same reason as in probe below.
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", *command], env=self.env, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return out.read().decode("utf-8", errors="replace")

    def probe(self, probe_exe, mode, seconds):
        """key=value lines from window_probe, which waits up to `seconds` itself."""
        # A file, not a pipe: a wineserver started by this call would hold a pipe open.
        with tempfile.TemporaryFile(mode="w+") as out:
            done = subprocess.run(["wine", probe_exe, mode, str(int(seconds * 1000))],
                                  env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                  timeout=seconds + 60)
            out.seek(0)
            lines = out.read().splitlines()
        if done.returncode != 0:
            fail(f"window_probe found no {mode} within {seconds} s")
        return dict(line.split("=", 1) for line in lines if "=" in line)

    def game_window(self, timeout=60):
        """X id of cave.exe's window once wine has mapped it (wine names the class after it)."""
        return wait_for(lambda: self.xdotool("search", "--onlyvisible", "--class", "cave.exe"),
                        timeout, "the window of cave.exe")[0]
