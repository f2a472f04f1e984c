"""cave-board's API against a real store: SQLite files, or a throwaway PostgreSQL cluster.
    board_api_test.py CAVE_BOARD CAVESIM BOARD_AUTOPILOT sqlite|postgresql
Runs are replayed with a limit of 400 frames here, so that a run which does not end within
the limit takes a moment, not two hours of play; the server applies any limit the same way."""
import datetime
import gzip
import json
import os
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from board_fixture import (BoardServer, PostgresCluster, call, cavesim_points, demo_text,
                           exchange, submit, up_script)

PROGRAM, CAVESIM, AUTOPILOT, BACKEND = sys.argv[1:5]
MAX_FRAMES = "400"


def autopilot(seed, fly_polls):
    """A demo flown by the autopilot until `fly_polls`, then let go to crash."""
    return subprocess.run([AUTOPILOT, str(seed), str(fly_polls)], check=True,
                          capture_output=True, text=True).stdout


# A good run that crashes at frame 333, and one whose last key change is within the limit but
# whose ball is still flying at frame 400 (it crashes at 427).
TOP = autopilot(2024, 300)
NEVER_ENDS = autopilot(2024, 399)

cluster = None
stores = 0


def new_store():
    """The store arguments of an empty store of this run's kind."""
    global stores
    stores += 1
    if BACKEND == "postgresql":
        return ["--database", cluster.new_database()]
    return ["--data", tempfile.mkdtemp(prefix=f"board-{stores}-", dir=scratch.name)]


def setUpModule():
    global cluster, scratch
    scratch = tempfile.TemporaryDirectory(prefix="board-test-")
    if BACKEND == "postgresql":
        cluster = PostgresCluster()


def tearDownModule():
    if cluster:
        cluster.stop()
    scratch.cleanup()


class ServerCase(unittest.TestCase):
    """A server on a fresh store for each test; no submission limit unless a test sets one."""
    options = ("--submissions-per-minute", "0")

    def setUp(self):
        self.store = new_store()
        self.server = self.start()

    def start(self, *options):
        server = BoardServer(PROGRAM, self.store, "--max-frames", MAX_FRAMES,
                             *(options or self.options))
        self.addCleanup(server.kill)
        return server

    def board(self, which="all", limit=100):
        status, body = call(self.server.port, "GET", f"/api/boards/{which}?limit={limit}")
        self.assertEqual(status, 200, body)
        return body["entries"]


class Ranking(ServerCase):
    def test_replayed_points_ranks_ties_daily_board_and_dedupe(self):
        port = self.server.port
        status, top = submit(port, "  ann  ", TOP, points=999999)
        self.assertEqual((status, top["points"], top["rank"], top["board"]),
                         (201, cavesim_points(CAVESIM, TOP), 1, "all"))
        self.assertGreater(top["points"], 0)
        # Equal points rank by arrival, below the better run.
        ties = [demo_text(seed, "") for seed in (7, 3, 5)]
        self.assertEqual({cavesim_points(CAVESIM, demo) for demo in ties}, {0})
        tie_ids = []
        for n, demo in enumerate(ties):
            status, body = submit(port, f"tie{n}", demo)
            self.assertEqual((status, body["rank"]), (201, n + 2), body)
            tie_ids.append(body["id"])
        # Today's cave (or any day's) goes on that day's board too.
        daily = demo_text(20261209, up_script(2, 25))
        status, body = submit(port, "day", daily)
        self.assertEqual((status, body["board"], body["rank"]), (201, "daily/2026-12-09", 1))
        self.assertEqual([e["id"] for e in self.board("daily/2026-12-09")], [body["id"]])
        self.assertEqual(self.board("daily/2026-12-08"), [])

        entries = self.board()
        self.assertEqual([e["rank"] for e in entries], [1, 2, 3, 4, 5])
        self.assertEqual(entries[0]["name"], "ann")
        self.assertEqual([e["id"] for e in entries if e["points"] == 0][:3], tie_ids)
        self.assertEqual(len(self.board(limit=2)), 2)

        # The same run again, as a watch-link payload under another name: one entry.
        status, run = call(port, "GET", f"/api/runs/{top['id']}")
        self.assertEqual((status, run["rank"], run["seed"]), (200, 1, 2024))
        status, again = submit(port, "bob", run["watch"])
        self.assertEqual((status, again["id"]), (201, top["id"]))
        self.assertEqual(len(self.board()), 5)
        status, demo = call(port, "GET", f"/api/runs/{top['id']}/demo")
        self.assertEqual(cavesim_points(CAVESIM, demo.decode()), top["points"])
        for bad in ("limit=0", "limit=101", "limit=x"):
            self.assertEqual(call(port, "GET", f"/api/boards/all?{bad}")[0], 400)
        self.assertEqual(call(port, "GET", "/api/boards/daily/2026-02-30")[0], 400)
        self.assertEqual(call(port, "GET", "/api/runs/0123456789abcdef01234567")[0], 404)


def raw_post(port, head, body, read_after=True):
    """Sends a request by hand; returns the status line, or "" when the server closed first."""
    with socket.create_connection(("127.0.0.1", port), timeout=30) as sock:
        try:
            sock.sendall(head + body)
            return sock.makefile("rb").readline().decode() if read_after else ""
        except (BrokenPipeError, ConnectionResetError):
            return ""


class BadInput(ServerCase):
    def test_bad_input_is_refused_and_nothing_is_kept(self):
        port = self.server.port
        paused = demo_text(5, "2 25 down\n3 25 up\n")
        quits = demo_text(5, "2 1 down\n3 1 up\n")
        too_long = demo_text(5, f"{int(MAX_FRAMES) + 1} 200 down\n")
        two_players = "# cave demo 2 seed 5 players 2\n" + TOP.split("\n", 1)[1]
        table = [
            ("script name", {"name": "<script>", "demo": TOP}, 400),
            ("SQL quotes", {"name": "x'); DROP TABLE runs;--", "demo": TOP}, 400),
            ("name too long", {"name": "a" * 17, "demo": TOP}, 400),
            ("empty name", {"name": "   ", "demo": TOP}, 400),
            ("no demo", {"name": "ann"}, 400),
            ("garbage demo", {"name": "ann", "demo": "\x00\x01 not a demo"}, 400),
            ("pauses for ever", {"name": "ann", "demo": paused}, 422, "paused"),
            ("quits", {"name": "ann", "demo": quits}, 422, "quit"),
            ("never crashes within the limit", {"name": "ann", "demo": NEVER_ENDS}, 422,
             "does not end within 400"),
            ("longer than the limit", {"name": "ann", "demo": too_long}, 422, "longer than"),
            ("two players", {"name": "ann", "demo": two_players}, 422, "runs of one player"),
        ]
        for label, body, expected, *words in table:
            with self.subTest(label):
                status, answer = call(port, "POST", "/api/runs", body)
                self.assertEqual(status, expected, answer)
                self.assertIn(words[0] if words else "", answer["error"])
        status, answer = call(port, "POST", "/api/runs", b"{\"name\":1", "application/json")
        self.assertEqual((status, "error" in answer), (400, True))
        status, answer = call(port, "POST", "/api/runs", bytes(range(256)) * 4,
                              "application/json")
        self.assertEqual(status, 400)
        status, answer = call(port, "POST", "/api/runs", {"name": "ann", "demo": TOP},
                              "text/plain")
        self.assertEqual(status, 400)
        big = b"POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" \
              b"Content-Length: 10485760\r\n\r\n"
        self.assertIn(" 413 ", raw_post(port, big, b"x" * 65536))
        self.assertEqual(self.board(), [])


class Limits(ServerCase):
    def test_submissions_a_minute_from_one_address(self):
        server = self.start("--submissions-per-minute", "3")
        statuses = [call(server.port, "POST", "/api/runs", {"name": "x"})[0] for _ in range(4)]
        self.assertEqual(statuses, [400, 400, 400, 429])
        self.assertEqual(call(server.port, "GET", "/api/boards/all")[0], 200)

    def test_a_trickling_client_is_cut_off_while_others_are_served(self):
        server = self.start("--submissions-per-minute", "0", "--request-timeout", "2")
        body = b'{"name": "slow", "demo": "# cave demo 1 seed 1\\n"}' + b" " * 40
        head = b"POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" \
               b"Content-Length: %d\r\n\r\n" % len(body)
        sent = []

        def trickle():
            with socket.create_connection(("127.0.0.1", server.port), timeout=30) as sock:
                sock.sendall(head)
                try:
                    for byte in body:  # a byte a quarter second: 22 s for the whole body
                        sock.sendall(bytes([byte]))
                        sent.append(byte)
                        time.sleep(0.25)
                        sock.setblocking(False)
                        try:
                            if sock.recv(1024) == b"":
                                return
                        except BlockingIOError:
                            pass
                        sock.setblocking(True)
                except (BrokenPipeError, ConnectionResetError):
                    return

        slow = threading.Thread(target=trickle)
        slow.start()
        time.sleep(0.5)
        status, answer = submit(server.port, "quick", demo_text(9, ""))
        self.assertEqual(status, 201, answer)
        self.assertEqual(call(server.port, "GET", "/api/boards/all")[1]["entries"][0]["name"],
                         "quick")
        slow.join(60)
        self.assertLess(len(sent), len(body))


class Load(ServerCase):
    def test_fifty_clients_at_once_lose_and_double_nothing(self):
        port = self.server.port
        demos = [demo_text(100 + n, up_script(2, 3 + n % 30)) for n in range(50)]
        results = [None] * 50
        reads = []

        def client(n):
            # Every other client also sends its neighbour's run: the same run from two places.
            results[n] = [submit(port, f"c{n}", demos[n])]
            reads.append(call(port, "GET", "/api/boards/all?limit=20")[0])
            if n % 2:
                results[n].append(submit(port, f"d{n}", demos[n - 1]))

        threads = [threading.Thread(target=client, args=(n,)) for n in range(50)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(120)
        answers = [answer for result in results for answer in result]
        self.assertEqual({status for status, _ in answers}, {201}, answers)
        self.assertEqual(set(reads), {200})
        entries = self.board()
        ids = [e["id"] for e in entries]
        self.assertEqual(len(ids), 50)
        self.assertEqual(set(ids), {body["id"] for _, body in answers})
        self.assertEqual([e["rank"] for e in entries], list(range(1, 51)))
        points = [e["points"] for e in entries]
        self.assertEqual(points, sorted(points, reverse=True))
        for entry in entries[::7]:
            status, run = call(port, "GET", f"/api/runs/{entry['id']}")
            self.assertEqual((run["rank"], run["points"]), (entry["rank"], entry["points"]))
            self.assertEqual(cavesim_points(CAVESIM, demos[run["seed"] - 100]), run["points"])

    def test_a_full_replay_queue_turns_runs_away_its_slots_come_back_two_hours_is_the_limit(self):
        # With no line to wait in, runs beyond one replay a core are turned away at once. A run
        # paused for 60,000 frames takes half a second or more to replay, so every submission
        # arrives while the first ones are still replaying.
        server = self.server = self.start("--submissions-per-minute", "0", "--replay-queue", "0",
                                          "--max-frames", "223200")
        cores = os.cpu_count() or 1
        paused = [demo_text(7, f"10 25 down\n11 25 up\n{60000 + n} 25 down\n"
                               f"{60001 + n} 25 up\n") for n in range(cores + 3)]
        answers = [None] * (cores + 2)

        def client(n):
            answers[n] = submit(server.port, f"p{n}", paused[n])

        threads = [threading.Thread(target=client, args=(n,)) for n in range(cores + 2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(120)
        statuses = sorted(status for status, _ in answers)
        self.assertEqual(statuses, [201] * cores + [503, 503], answers)
        self.assertTrue(all("queue is full" in body["error"] for status, body in answers
                            if status == 503), answers)
        self.assertEqual(len(self.board()), cores)
        # Every slot was given back: the next run is replayed, and so is one turned away.
        turned_away = next(n for n, (status, _) in enumerate(answers) if status == 503)
        for demo in (paused[-1], paused[turned_away]):
            self.assertEqual(submit(server.port, "again", demo)[0], 201)
        self.assertEqual(len(self.board()), cores + 2)
        # Past two hours of play a run is refused unread, however free the replays are.
        status, body = submit(server.port, "long", demo_text(7, "223201 200 down\n"))
        self.assertEqual((status, body["error"]), (422, "the run is longer than 223200 frames"))

    def test_metrics_tell_runs_waiting_for_a_replay_slot_from_those_replaying(self):
        # Two runs more than there are slots (one a core) wait while the rest replay, each for a
        # second or so: paused for 100,000 frames.
        server = self.server = self.start("--submissions-per-minute", "0", "--max-frames", "223200")
        cores = os.cpu_count() or 1
        threads = [threading.Thread(target=submit, args=(server.port, f"q{n}", demo_text(
            8, f"10 25 down\n11 25 up\n{100000 + n} 25 down\n{100001 + n} 25 up\n")))
            for n in range(cores + 2)]
        started = time.monotonic()
        for thread in threads:
            thread.start()
        gauges = [f"cave_board_replays_{name}" for name in ("queued", "running", "in_flight")]
        for _ in range(2000):
            seen = [server.metrics()[name] for name in gauges]
            if seen == [2, cores, cores + 2] or time.monotonic() - started > 20:
                break
            time.sleep(0.01)
        for thread in threads:
            thread.join(120)
        self.assertEqual(seen, [2, cores, cores + 2])
        after = server.metrics()
        self.assertEqual([after[name] for name in gauges + ["cave_board_replays_total"]],
                         [0, 0, 0, cores + 2])
        # No replay outlasted the test: seconds, not another unit.
        took = time.monotonic() - started
        self.assertTrue(0 < after["cave_board_replay_seconds_total"] <= (cores + 2) * took, after)

    def test_every_201_survives_kill_9(self):
        created = []
        stop = threading.Event()

        def stream(first):
            for n in range(first, 10000, 4):
                if stop.is_set():
                    return
                try:
                    status, body = submit(self.server.port, f"k{n}", demo_text(1000 + n, ""))
                except OSError:
                    return
                if status == 201:
                    created.append(body)

        workers = [threading.Thread(target=stream, args=(k,)) for k in range(4)]
        for worker in workers:
            worker.start()
        while len(created) < 20:
            time.sleep(0.01)
        self.server.kill()
        stop.set()
        for worker in workers:
            worker.join(60)
        self.server = self.start()
        entries = {e["id"]: e for e in self.board()}
        for body in created:
            self.assertEqual(entries[body["id"]]["points"], body["points"])
        for entry in entries.values():
            status, demo = call(self.server.port, "GET", f"/api/runs/{entry['id']}/demo")
            self.assertEqual(status, 200)
            self.assertTrue(demo.startswith(b"# cave demo 1 seed "))


def day_begun(days_after=0):
    """The latest day that has begun somewhere on earth (UTC+14), or one `days_after` it."""
    now = datetime.datetime.now(datetime.timezone.utc)
    return (now + datetime.timedelta(hours=14)).date() + datetime.timedelta(days=days_after)


def moderate(store, *args):
    done = subprocess.run([PROGRAM, *store, *args], capture_output=True, text=True, timeout=60)
    return done.returncode, done.stdout


class Identity(ServerCase):
    def test_texts_of_one_play_are_one_entry_kept_as_played(self):
        port = self.server.port
        header, *keys = [line for line in TOP.splitlines() if line and not line.startswith("# p")]
        # Keys the game ignores, changes that change nothing, a change after the crash (frame
        # 333), and the lines in another order.
        noise = ["5 30 down", "6 30 up", "3 200 down", "40 25 up", "390 200 down"]
        variants = [
            "\n".join([header] + (keys + noise)[::-1]) + "\n",
            TOP,
            TOP + "5 30 down\n",
            TOP + "390 200 down\n",
            TOP.replace("\n8 200 up\n", "\n8 200 down\n8 200 up\n", 1),
        ]
        ids = {submit(port, f"v{n}", demo)[1]["id"] for n, demo in enumerate(variants)}
        self.assertEqual(len(ids), 1, ids)
        self.assertEqual([e["name"] for e in self.board()], ["v0"])
        status, demo = call(port, "GET", f"/api/runs/{ids.pop()}/demo")
        kept = [line for line in demo.decode().splitlines() if not line.startswith("#")]
        self.assertEqual(kept, keys)

    def test_a_day_goes_on_its_board_once_it_has_begun_somewhere(self):
        port = self.server.port
        for day, begun in ((day_begun(), True), (day_begun(1), False)):
            with self.subTest(day=day):
                name = f"daily/{day.isoformat()}"
                status, body = submit(port, "d", demo_text(int(day.strftime("%Y%m%d")), ""))
                self.assertEqual(status, 201, body)
                self.assertEqual((body["board"], body.get("skipped")),
                                 (name, None) if begun else ("all", name))
                self.assertEqual(len(self.board(name)), 1 if begun else 0)
                self.assertEqual(call(port, "GET", f"/api/runs/{body['id']}")[1]["board"],
                                 body["board"])


class Moderation(ServerCase):
    def test_hidden_runs_are_kept_but_never_served(self):
        port = self.server.port
        ann1, ann2, bob = (submit(port, name, demo)[1]["id"] for name, demo in
                           (("ann", TOP), ("ann", demo_text(7, "")), ("bob", demo_text(8, ""))))
        self.assertEqual(moderate(self.store, "--list-name", " ann ")[1].split("\n")[0][:24], ann1)
        self.assertEqual(moderate(self.store, "--hide", ann1)[0], 0)
        # The server sees it at once: off the board, not found, not counted in ranks.
        self.assertEqual([e["id"] for e in self.board()], [ann2, bob])
        self.assertEqual(call(port, "GET", f"/api/runs/{ann1}")[0], 404)
        self.assertEqual(call(port, "GET", f"/api/runs/{ann2}")[1]["rank"], 1)
        self.assertEqual(submit(port, "again", TOP)[0], 403)
        self.assertEqual(moderate(self.store, "--hide-name", "bob"),
                         (0, "cave-board: hid 1 run of 'bob'\n"))
        self.assertEqual([e["id"] for e in self.board()], [ann2])
        listed = moderate(self.store, "--list-name", "ann")[1].splitlines()
        self.assertEqual([line.endswith(" hidden") for line in listed], [True, False])
        for bad, code in ((["--hide", ann1], 1), (["--hide-name", "<x>"], 2),
                          (["--hide", bob, "--list-name", "bob"], 2)):
            self.assertEqual(moderate(self.store, *bad)[0], code, bad)


class Race(ServerCase):
    DAY = "2026-12-01"

    def race(self, limit, tag=None):
        """(status, ETag, answer) of the day's race; the answer is None for a 304."""
        status, headers, raw = exchange(self.server.port, "GET",
                                        f"/api/boards/daily/{self.DAY}/race?limit={limit}",
                                        headers={"If-None-Match": tag} if tag else None)
        if status == 200:
            self.assertEqual(headers["Cache-Control"], "no-cache")
        return status, headers.get("ETag"), json.loads(raw) if raw else None

    def assert_race(self, visible, limit):
        """The best min(limit, 20) of the runs in arrival order, then the newest others."""
        best = sorted(visible, key=lambda run: -run["points"])[:min(limit, 20)]
        recent = [run for run in reversed(visible) if run not in best][:limit - len(best)]
        status, _, answer = self.race(limit)
        self.assertEqual((status, answer["day"]), (200, self.DAY))
        self.assertEqual([run["id"] for run in answer["runs"]],
                         [run["id"] for run in best + recent])
        return answer["runs"]

    def test_best_then_newest_hidden_left_out_tagged_until_the_next_run(self):
        port = self.server.port
        seed = int(self.DAY.replace("-", ""))
        # Flights of 40 to 290 frames in a shuffled order: points from 1 to 7, ties among them.
        runs = [submit(port, f"r{n}", autopilot(seed, 40 + 10 * (n * 7 % 26)))[1]
                for n in range(26)]
        self.assertEqual(len({run["id"] for run in runs}), 26)
        self.assertEqual(submit(port, "elsewhere", TOP)[0], 201)
        for hidden in (max(runs, key=lambda run: run["points"]), runs[-1]):
            self.assertEqual(moderate(self.store, "--hide", hidden["id"])[0], 0)
            runs.remove(hidden)
        for limit in (5, 22):
            self.assert_race(runs, limit)
        for run in self.assert_race(runs, 99):
            status, kept = call(port, "GET", f"/api/runs/{run['id']}")
            self.assertEqual((run["payload"], run["name"], run["points"]),
                             (kept["watch"], kept["name"], kept["points"]))

        _, tag, plain = self.race(99)
        self.assertEqual(self.race(99, tag), (304, tag, None))
        # Sent gzipped to a client that takes it, under a tag of its own.
        status, headers, raw = exchange(port, "GET", f"/api/boards/daily/{self.DAY}/race",
                                        headers={"Accept-Encoding": "gzip, br"})
        self.assertEqual((status, headers["Content-Encoding"]), (200, "gzip"))
        self.assertEqual(json.loads(gzip.decompress(raw)), plain)
        self.assertNotEqual(headers["ETag"], tag)
        self.assertEqual(self.race(22, tag)[0], 200)
        runs.append(submit(port, "late", autopilot(seed, 35))[1])
        status, fresh, _ = self.race(99, tag)
        self.assertEqual(status, 200)
        self.assertNotEqual(fresh, tag)
        self.assert_race(runs, 99)
        for bad in ("limit=0", "limit=100", "limit=x", "limit="):
            status, answer = call(port, "GET", f"/api/boards/daily/{self.DAY}/race?{bad}")
            self.assertEqual((status, answer["error"]), (400, "limit: a number from 1 to 99"))
        self.assertEqual(call(port, "GET", "/api/boards/daily/2026-02-30/race")[0], 400)


class SharedDatabase(ServerCase):
    def test_two_servers_on_one_database_agree(self):
        other = self.start()
        ports = (self.server.port, other.port)
        for port in ports:  # both have a board cached before the inserts
            self.assertEqual(call(port, "GET", "/api/boards/all")[1]["entries"], [])
        answers = [None, None]
        sends = [threading.Thread(target=lambda n=n: answers.__setitem__(
            n, submit(ports[n], f"s{n}", TOP))) for n in range(2)]
        for send in sends:
            send.start()
        for send in sends:
            send.join(60)
        self.assertEqual({(status, body["id"]) for status, body in answers},
                         {(201, answers[0][1]["id"])})
        for n in range(4):  # an insert through one is on the other's board at once
            self.assertEqual(submit(ports[n % 2], f"t{n}", demo_text(30 + n, ""))[0], 201)
            boards = [call(port, "GET", "/api/boards/all")[1]["entries"] for port in ports]
            self.assertEqual(boards[0], boards[1])
            self.assertEqual(len(boards[0]), n + 2)


class Stalls(ServerCase):
    def test_a_stalled_database_answers_503_within_its_timeout(self):
        server = self.start("--submissions-per-minute", "0", "--database-timeout", "1")
        if BACKEND == "postgresql":
            holder = cluster.lock(self.store[1], "runs, board_version")
            release = lambda: holder.communicate("ROLLBACK;\n", timeout=30)
            stalled = [("GET", "/api/boards/all", None), ("POST", "/api/runs", demo_text(41, ""))]
        else:
            # SQLite readers never wait (WAL): a writer holding the lock stalls the next insert.
            holder = sqlite3.connect(os.path.join(self.store[1], "board.sqlite"),
                                     isolation_level=None)
            holder.execute("BEGIN IMMEDIATE")
            release = holder.rollback
            stalled = [("POST", "/api/runs", demo_text(41, ""))]
        try:
            self.assert_stalled(server.port, stalled)
        finally:
            release()
        self.assertEqual(submit(server.port, "x", demo_text(41, ""))[0], 201)
        self.assertEqual(len(self.board()), 1)
        if BACKEND == "postgresql":
            # A database server that stops answering at all, connections open.
            stopped = cluster.processes()
            for pid in stopped:
                os.kill(pid, signal.SIGSTOP)
            try:
                self.assert_stalled(server.port, [("GET", "/api/boards/all", None),
                                                  ("GET", "/healthz", None)])
            finally:
                for pid in stopped:
                    os.kill(pid, signal.SIGCONT)
            self.assertEqual(len(self.board()), 1)

    def assert_stalled(self, port, requests):
        for method, path, demo in requests:
            began = time.monotonic()
            body = json.dumps({"name": "x", "demo": demo}).encode() if demo else None
            status, fields, answer = exchange(port, method, path, body,
                                              {"Content-Type": "application/json"})
            self.assertEqual(status, 503, answer)
            self.assertEqual(fields.get("Retry-After"), "5", path)  # every 503 says the same
            self.assertLess(time.monotonic() - began, 4, path)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[5:], verbosity=2)
