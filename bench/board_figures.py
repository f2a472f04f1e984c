#!/usr/bin/env python3
"""The board's figures, against cave-board on 127.0.0.1 with a fresh SQLite file, each set
against the request's targets and measured in the same run:
  1. verifying a run (the submission's whole round trip) against a bare `cavesim --demo` of the
     same demo, for 1-minute and 10-minute runs (medians of several runs);
  2. submissions of distinct 1-minute runs a second, while reads go on, against what the cores
     can replay (cores / median cavesim seconds of a run, and cavesims run as many at once as
     cores between the turns of submissions); every 201 checked on the board;
  3. board reads (GET /api/boards/all) a second and their p99, alone (by a light client of raw
     sockets) and during submissions; the server's CPU time a read with a small and a 4 KB header;
  4. the server's resident memory before and after 100,000 requests;
  5. the race answer of 99 runs of one day's cave, raw and gzipped, against 60 KB gzipped.
Every request loop is bounded in count. The demos are flown by the harness's pilot (bench/board_demos.cpp).
Usage: board_figures.py BUILD_DIR
"""
import gzip
import http.client
import json
import multiprocessing
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

BUILD = sys.argv[1]
CAVESIM = os.path.join(BUILD, "tools/cavesim/cavesim")
BOARD = os.path.join(BUILD, "src/board/cave-board")
DEMOS = os.path.join(BUILD, "bench/cave_board_demos")
AUTOPILOT = os.path.join(BUILD, "tests/board/board_autopilot")
CORES = os.cpu_count()
ONE_MINUTE = 1860  # frames
TEN_MINUTES = 18600
READERS = 2  # processes reading the board, one connection each


def quantile(values, q):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * len(ordered)))]


def make_demos(folder, frames, count, first_seed):
    os.makedirs(folder)
    names = subprocess.run([DEMOS, str(frames), str(count), str(first_seed), folder],
                           check=True, capture_output=True, text=True).stdout.split()
    return [open(name).read() for name in names], names


def start_board(data):
    board = subprocess.Popen([BOARD, "--listen", "127.0.0.1:0", "--data", data,
                              "--submissions-per-minute", "0"],
                             stdout=subprocess.PIPE, text=True)
    line = board.stdout.readline()
    port = int(line.rsplit(":", 1)[1])
    return board, port


def request(connection, method, path, body=None):
    headers = {"Content-Type": "application/json"} if body is not None else {}
    connection.request(method, path, body=body, headers=headers)
    response = connection.getresponse()
    return response.status, response.read()


def submit(connection, name, demo):
    status, body = request(connection, "POST", "/api/runs",
                           json.dumps({"name": name, "demo": demo}))
    return status, json.loads(body)


def cavesim_seconds(path):
    start = time.perf_counter()
    subprocess.run([CAVESIM, "--demo", path], check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def verify_cost(port, demos, paths, label):
    """Each demo replayed by cavesim, then submitted: the medians, one after the other so that
    a busy spell of the machine hits both."""
    connection = http.client.HTTPConnection("127.0.0.1", port)
    bare, verified = [], []
    for index, (demo, path) in enumerate(zip(demos, paths)):
        bare.append(cavesim_seconds(path))
        start = time.perf_counter()
        status, answer = submit(connection, f"v {label} {index}", demo)
        verified.append(time.perf_counter() - start)
        assert status == 201, answer
    b, v = statistics.median(bare), statistics.median(verified)
    print(f"verify a {label} run   {v * 1000:7.1f} ms a submission, cavesim --demo "
          f"{b * 1000:7.1f} ms: {v / b:.2f}x (target <= 1.2x; medians of {len(demos)})")
    return b


def read_loop(port, count, stop=None, pause=0.0):
    """GET /api/boards/all on one keep-alive connection, `count` times or until the file `stop`
    appears, `pause` seconds between reads: the latencies and the seconds they took."""
    connection = http.client.HTTPConnection("127.0.0.1", port)
    latencies = []
    begin = time.perf_counter()
    for index in range(count):
        if stop is not None and index % 50 == 0 and os.path.exists(stop):
            break
        start = time.perf_counter()
        status, _ = request(connection, "GET", "/api/boards/all?limit=10")
        latencies.append(time.perf_counter() - start)
        assert status == 200
        time.sleep(pause)
    return latencies, time.perf_counter() - begin


def raw_read_loop(port, count, pad=0):
    """GET /api/boards/all `count` times on one keep-alive connection by hand, a light client
    that leaves the cores to the server; `pad` bytes of an extra header field (a browser's
    cookies and the like). The latencies and the seconds they took."""
    line = b"GET /api/boards/all?limit=10 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
    ask = line + (b"X-Pad: " + b"p" * pad + b"\r\n" if pad else b"") + b"\r\n"
    latencies = []
    sock = socket.create_connection(("127.0.0.1", port))
    begin = time.perf_counter()
    for _ in range(count):
        start = time.perf_counter()
        got = b""
        sock.sendall(ask)
        while b"\r\n\r\n" not in got:
            chunk = sock.recv(65536)
            if not chunk:  # the server's share of requests a connection is used: a new one
                sock.close()
                sock = socket.create_connection(("127.0.0.1", port))
                sock.sendall(ask)
                got = b""
            got += chunk
        head, body = got.split(b"\r\n\r\n", 1)
        length = int(re.search(rb"(?i)content-length: *(\d+)", head).group(1))
        while len(body) < length:
            body += sock.recv(65536)
        assert head.startswith(b"HTTP/1.1 200")
        latencies.append(time.perf_counter() - start)
        if re.search(rb"(?i)\r\nconnection: *close", head):
            sock.close()
            sock = socket.create_connection(("127.0.0.1", port))
    sock.close()
    return latencies, time.perf_counter() - begin


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_per_request(board, port, count=4000):
    """The server's CPU time a board read costs, with a small and with a 4 KB header."""
    figures = []
    for pad in (0, 4096):
        before = cpu_seconds(board.pid)
        raw_read_loop(port, count, pad)
        figures.append((cpu_seconds(board.pid) - before) / count * 1e6)
    print(f"server CPU a read       {figures[0]:.0f} us with a small header, {figures[1]:.0f} us "
          f"with a 4 KB one ({count} reads each)")


def read_figures(parts, label, target="2000 a second, p99 < 10 ms"):
    latencies = [latency for part, _ in parts for latency in part]
    rate = sum(len(part) / seconds for part, seconds in parts)
    p99 = quantile(latencies, 0.99) * 1000
    print(f"board reads {label:<17}{rate:6.0f} a second, p99 {p99:.2f} ms over {len(latencies)} "
          f"(target >= {target})")


def parallel_replays(paths):
    """Seconds that as many cavesims at once as cores take to replay the demos at `paths`."""
    start = time.perf_counter()
    with ThreadPoolExecutor(CORES) as replays:
        list(replays.map(cavesim_seconds, paths))
    return time.perf_counter() - start


def send_all(port, demos, first):
    """The demos sent by twice as many clients as cores: the answers and the seconds taken."""
    local = threading.local()

    def send(index):
        if not hasattr(local, "connection"):
            local.connection = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
        return submit(local.connection, f"load {first + index}", demos[index])

    start = time.perf_counter()
    with ThreadPoolExecutor(2 * CORES) as clients:
        answers = list(clients.map(send, range(len(demos))))
    return answers, time.perf_counter() - start


def submissions(pool, port, demos, paths, stop, capacity, pause, label, rounds):
    """The demos sent in `rounds` turns while the board is read (each reader waiting `pause`
    seconds between reads), each turn followed by the cores replaying a few of the same demos
    with cavesim, so that a busy spell of the machine hits both: submissions a second against
    the capacity and against those replays, and every 201 looked up again."""
    reading = pool.starmap_async(read_loop, [(port, 200000, stop, pause)] * READERS)
    answers, sending, replaying = [], 0.0, 0.0
    turn = len(demos) // rounds
    for at in range(0, turn * rounds, turn):
        sent, seconds = send_all(port, demos[at:at + turn], at)
        answers += sent
        sending += seconds
        replaying += parallel_replays(paths[at:at + turn // 2])
    open(stop, "w").close()
    accepted = [answer["id"] for status, answer in answers if status == 201]
    connection = http.client.HTTPConnection("127.0.0.1", port)
    kept = sum(request(connection, "GET", f"/api/runs/{id}")[0] == 200 for id in accepted)
    rate = len(answers) / sending
    replayed = (turn // 2) * rounds / replaying
    print(f"submissions, {label:<15}{rate:5.1f} 1-minute runs a second: "
          f"{100 * rate / capacity:.0f}% of the capacity, {capacity:.1f} ({CORES} cores / "
          f"median cavesim s), {100 * rate / replayed:.0f}% of the {replayed:.1f} that {CORES} "
          f"cavesims at once replayed between turns (target >= 80%); {len(answers)} sent, "
          f"{len(accepted)} answered 201, {kept} on the board, {len(answers) - kept} lost")
    read_figures(reading.get(), f"({label})")


def mixed_loop(port, count, ids):
    """Reads of every kind and refused submissions, on one connection."""
    connection = http.client.HTTPConnection("127.0.0.1", port)
    paths = ["/api/boards/all?limit=100", "/api/boards/daily/2026-12-09?limit=10",
             f"/api/runs/{ids[0]}", f"/api/runs/{ids[1]}/demo", "/api/runs/0123"]
    for index in range(count):
        if index % 10 == 9:
            request(connection, "POST", "/api/runs", '{"name": "<b>", "demo": "x"}')
        else:
            request(connection, "GET", paths[index % len(paths)])


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def memory(pool, board, port, ids, rounds=4, count=25000):
    resident = [resident_kb(board.pid)]
    for _ in range(rounds):
        pool.starmap(mixed_loop, [(port, count // READERS, ids)] * READERS)
        resident.append(resident_kb(board.pid))
    print(f"server memory          resident kB every {count} requests: "
          f"{', '.join(map(str, resident))} ({rounds * count} requests)")


def race_size(port, day="2026-12-01"):
    """The pilot flies the day's cave 99 times as a player would, 300 to 3000 frames each, every
    flight on a whim of its own."""
    connection = http.client.HTTPConnection("127.0.0.1", port)
    frames = changes = 0
    for n in range(99):
        flight = 300 + n * 2700 // 98
        demo = subprocess.run([AUTOPILOT, day.replace("-", ""), str(flight), str(n + 1)],
                              check=True, capture_output=True, text=True).stdout
        frames += flight
        changes += sum(1 for line in demo.splitlines() if not line.startswith("#"))
        status, body = submit(connection, f"race{n}", demo)
        assert status == 201, body
    status, raw = request(connection, "GET", f"/api/boards/daily/{day}/race")
    runs = len(json.loads(raw)["runs"])
    print(f"race answer            {len(raw) / 1024:.1f} KB, {len(gzip.compress(raw, 6)) / 1024:.1f} "
          f"KB gzipped (target <= 60 KB) for {runs} runs, a key change every "
          f"{frames / changes:.1f} frames")


def main():
    work = tempfile.mkdtemp(prefix="cave-board-bench-")
    board = None
    try:
        short, short_paths = make_demos(os.path.join(work, "short"), ONE_MINUTE, 189, 1000)
        long, long_paths = make_demos(os.path.join(work, "long"), TEN_MINUTES, 5, 1)
        board, port = start_board(os.path.join(work, "data"))
        with multiprocessing.Pool(READERS) as pool:
            one = verify_cost(port, short[:9], short_paths[:9], "1-minute")
            verify_cost(port, long, long_paths, "10-minute")
            read_figures(pool.starmap(raw_read_loop, [(port, 40000 // READERS)] * READERS),
                         "(alone)", "10000 a second, p99 < 5 ms")
            cpu_per_request(board, port)
            # What the cores replay with a steady trickle of reads, then the reads a second while
            # the cores are busy replaying.
            stop = os.path.join(work, "stop")
            capacity = CORES / one
            light, heavy = slice(9, 129), slice(129, 189)
            submissions(pool, port, short[light], short_paths[light], stop, capacity, 0.01,
                        "reads 200/s", 6)
            os.remove(stop)
            submissions(pool, port, short[heavy], short_paths[heavy], stop, capacity, 0.0,
                        "reads flat out", 3)
            top = request(http.client.HTTPConnection("127.0.0.1", port), "GET",
                          "/api/boards/all?limit=2")[1]
            ids = [entry["id"] for entry in json.loads(top)["entries"]]
            memory(pool, board, port, ids)
        race_size(port)
    finally:
        if board is not None:
            board.kill()
            board.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
