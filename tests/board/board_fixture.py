"""The real parts the board tests run against: cave-board processes, a throwaway PostgreSQL
cluster, demos made from key scripts with their points as cavesim replays them, and HTTP calls.
Everything talks to 127.0.0.1 only."""
import glob
import http.client
import json
import os
import pwd
import re
import shutil
import socket
import subprocess
import tempfile
import time


def demo_text(seed, script):
    """A demo file's text: the header naming the seed, then the key script."""
    return f"# cave demo 1 seed {seed}\n{script}"


def up_script(first, last):
    """Up held from poll `first` until poll `last`."""
    return f"{first} 200 down\n{last} 200 up\n"


def cavesim_points(cavesim, demo):
    """The points of the score report when cavesim replays the demo, else None."""
    with tempfile.NamedTemporaryFile("w", suffix=".demo") as file:
        file.write(demo)
        file.flush()
        trace = subprocess.run([cavesim, "--demo", file.name, "--trace", "-"], check=True,
                               capture_output=True, text=True).stdout
    found = re.search(r"^E report .*: (\d+) Punkte", trace, re.M)
    return int(found.group(1)) if found else None


def exchange(port, method, path, body=None, headers=None, timeout=60):
    """(status, headers, raw body) of one request on a fresh connection."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read()
    finally:
        connection.close()


def call(port, method, path, body=None, content_type="application/json", timeout=60):
    """(status, parsed JSON or text) of one request on a fresh connection."""
    data = body if body is None or isinstance(body, bytes) else json.dumps(body).encode()
    headers = {"Content-Type": content_type} if data is not None else {}
    status, answered, raw = exchange(port, method, path, data, headers, timeout)
    kind = answered.get("Content-Type", "")
    return status, json.loads(raw) if kind.startswith("application/json") else raw


def submit(port, name, demo, **extra):
    return call(port, "POST", "/api/runs", {"name": name, "demo": demo, **extra})


class BoardServer:
    """One cave-board process on a free port; kill() is kill -9."""

    def __init__(self, program, store_args, *options):
        self.process = subprocess.Popen(
            [program, "--listen", "127.0.0.1:0", *store_args, *options],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        found = re.search(r"listening on http://127\.0\.0\.1:(\d+)", line)
        if not found:
            self.process.kill()
            raise RuntimeError(f"cave-board did not start: {line}{self.process.stderr.read()}")
        self.port = int(found.group(1))
        found = re.search(r"metrics on http://127\.0\.0\.1:(\d+)", self.process.stdout.readline())
        self.metrics_port = int(found.group(1))

    def metrics(self):
        """The metrics without labels, by name."""
        text = exchange(self.metrics_port, "GET", "/metrics")[2].decode()
        return {line.split()[0]: float(line.split()[1]) for line in text.splitlines()
                if not line.startswith("#") and "{" not in line}

    def kill(self):
        self.process.kill()
        self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class PostgresCluster:
    """A cluster in a temporary folder, started by an unprivileged user (postgres refuses root),
    removed again by stop()."""

    def __init__(self):
        binaries = sorted(glob.glob("/usr/lib/postgresql/*/bin/initdb"))
        if not binaries:
            raise FileNotFoundError("no PostgreSQL server under /usr/lib/postgresql")
        self.bin = os.path.dirname(binaries[-1])
        self.folder = tempfile.mkdtemp(prefix="board-pg-")
        self.user = []
        if os.geteuid() == 0:
            owner = pwd.getpwnam("postgres" if self._exists("postgres") else "nobody")
            os.chown(self.folder, owner.pw_uid, owner.pw_gid)
            self.user = ["runuser", "-u", owner.pw_name, "--"]
        data = os.path.join(self.folder, "data")
        self.port = free_port()
        self._run("initdb", "-D", data, "-U", "board", "--auth=trust", "-E", "UTF8")
        self._run("pg_ctl", "-D", data, "-l", os.path.join(self.folder, "log"), "-w", "start",
                  "-o", f"-c listen_addresses=127.0.0.1 -p {self.port} -k {self.folder} "
                        "-c fsync=on -c max_connections=300")
        self.data = data
        self.databases = 0

    def new_database(self):
        """The URL of a new, empty database in the cluster."""
        self.databases += 1
        name = f"board{self.databases}"
        self._run("createdb", "-h", "127.0.0.1", "-p", str(self.port), "-U", "board", name)
        return f"postgresql://board@127.0.0.1:{self.port}/{name}"

    @staticmethod
    def _exists(user):
        try:
            pwd.getpwnam(user)
            return True
        except KeyError:
            return False

    def _run(self, tool, *args):
        subprocess.run([*self.user, os.path.join(self.bin, tool), *args], check=True,
                       capture_output=True, cwd=self.folder)

    def lock(self, url, table):
        """A session that holds `table` locked against reads and writes until it is given
        "ROLLBACK;" and its input ends; returns once the lock is taken."""
        session = subprocess.Popen(
            [os.path.join(self.bin, "psql"), url, "-q", "-v", "ON_ERROR_STOP=1"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        session.stdin.write(f"BEGIN;\nLOCK TABLE {table} IN ACCESS EXCLUSIVE MODE;\n"
                            "\\echo locked\n")
        session.stdin.flush()
        if session.stdout.readline().strip() != "locked":
            session.kill()
            raise RuntimeError(f"could not lock {table}")
        return session

    def processes(self):
        """The server's process ids: the postmaster and every process it started."""
        with open(os.path.join(self.data, "postmaster.pid")) as file:
            postmaster = int(file.readline())
        children = []
        for entry in os.listdir("/proc"):
            try:
                with open(f"/proc/{entry}/stat") as file:
                    if int(file.read().rsplit(")", 1)[1].split()[1]) == postmaster:
                        children.append(int(entry))
            except (ValueError, OSError):
                pass
        return [postmaster, *children]

    def stop(self):
        self._run("pg_ctl", "-D", self.data, "-m", "immediate", "stop")
        shutil.rmtree(self.folder, ignore_errors=True)
