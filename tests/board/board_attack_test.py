#!/usr/bin/env python3
"""cave-board as a hostile client tries it, on loopback only: each attack is a case with the
bound the server must keep (memory, time, status, the connection closed after a framing error).
Usage: board_attack_test.py CAVE_BOARD"""
import json
import os
import random
import re
import resource
import selectors
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from board_fixture import BoardServer, call, demo_text, submit

PROGRAM = sys.argv[1] if __name__ == "__main__" else None
MB = 1024 * 1024
PAGE = ["index.html", "cave.js", "cave.wasm", "sw.js"]


def rss_kb(pid, field="VmRSS"):
    with open(f"/proc/{pid}/status") as status:
        return int(re.search(field + r":\s+(\d+)", status.read()).group(1))


def exchange(port, data, source="127.0.0.1", timeout=15):
    """Sends raw bytes; returns (everything the server sent, whether it then closed)."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout,
                                  source_address=(source, 0)) as sock:
        try:
            sock.sendall(data)
        except (BrokenPipeError, ConnectionResetError):
            pass
        got = b""
        try:
            while chunk := sock.recv(65536):
                got += chunk
            return got, True
        except socket.timeout:
            return got, False
        except ConnectionResetError:
            return got, True


def head_of(answer):
    """(status, {lower-case name: value}) of the first answer in raw bytes."""
    text = answer.split(b"\r\n\r\n", 1)[0].decode("latin-1").split("\r\n")
    fields = dict(line.split(": ", 1) for line in text[1:] if ": " in line)
    return int(text[0].split()[1]), {k.lower(): v for k, v in fields.items()}


def make_page(folder):
    """A page build's folder: the published files, and build files that must never be served."""
    random.seed(7)
    for name in PAGE:
        with open(os.path.join(folder, name), "wb") as file:
            body = bytes(random.choice(b"abcdefgh") for _ in range(300_000))
            file.write(b"<!doctype html>" + body if name == "index.html" else body)
    with open(os.path.join(folder, "site-files.txt"), "w") as file:
        file.write("\n".join(PAGE) + "\n")
    for name in ["CMakeCache.txt", "build.ninja", "compile_commands.json", ".ninja_log"]:
        with open(os.path.join(folder, name), "w") as file:
            file.write("secret\n")


class Attacks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="board-attack-")
        web = os.path.join(cls.scratch.name, "web")
        os.mkdir(web)
        make_page(web)
        cls.log = os.path.join(cls.scratch.name, "access.log")
        cls.server = BoardServer(PROGRAM, ["--data", os.path.join(cls.scratch.name, "data")],
                                 "--web", web, "--log", cls.log, "--request-timeout", "2",
                                 "--trusted-proxy", "127.0.0.1", "--submissions-per-minute", "0")
        cls.port = cls.server.port
        status, answer = submit(cls.port, "ann", demo_text(9, ""))
        assert status == 201, answer
        cls.run_id = answer["id"]

    @classmethod
    def tearDownClass(cls):
        cls.server.kill()
        cls.scratch.cleanup()

    def test_memory_stays_bounded_under_ranges_and_endless_bodies(self):
        ranges = "bytes=" + ",".join(["0-"] * 900)
        attacks = [f"GET /cave.wasm HTTP/1.1\r\nHost: x\r\nRange: {ranges}\r\n"
                   "Connection: close\r\n\r\n".encode(),
                   f"GET /api/runs/{self.run_id}/demo HTTP/1.1\r\nHost: x\r\nRange: {ranges}"
                   "\r\nConnection: close\r\n\r\n".encode()]
        chunked = (b"POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                   b"Transfer-Encoding: chunked\r\n\r\n" + b"8000\r\n" + b"x" * 0x8000 + b"\r\n")
        before = rss_kb(self.server.process.pid)
        results = {}

        def attack(n):
            if n < 8:
                results[n] = exchange(self.port, attacks[n % 2])
                return
            # An endless chunked body: chunks are sent until the server closes.
            with socket.create_connection(("127.0.0.1", self.port), timeout=15) as sock:
                sent = 0
                try:
                    while sent < 64 * MB:
                        sock.sendall(chunked if sent == 0 else chunked[-(0x8000 + 8):])
                        sent += 0x8000
                except (BrokenPipeError, ConnectionResetError):
                    pass
                got = b""
                try:
                    got = sock.recv(4096)
                except ConnectionResetError:
                    pass
                results[n] = (got, sent)

        threads = [threading.Thread(target=attack, args=(n,)) for n in range(16)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(30)
        growth_mb = (rss_kb(self.server.process.pid) - before) / 1024
        self.assertLess(growth_mb, 32)
        # The peak over every attack so far (the cases run in name order: 700 connections first);
        # a sanitizer's own bookkeeping is not the server's.
        with open(f"/proc/{self.server.process.pid}/maps") as maps:
            if "libasan" not in maps.read():
                self.assertLess(rss_kb(self.server.process.pid, "VmHWM") / 1024, 64)
        for n in range(8):
            status, fields = head_of(results[n][0])
            self.assertEqual(status, 200)  # several ranges: the whole, once
            self.assertNotIn("multipart", fields.get("content-type", ""))
        for n in range(8, 16):
            got, sent = results[n]
            self.assertLess(sent, 4 * MB)
            if got:  # the 413 may be lost to the reset of the unread body
                self.assertEqual(head_of(got)[0], 413)
        # One range is served as asked.
        answer, _ = exchange(self.port, b"GET /cave.wasm HTTP/1.1\r\nHost: x\r\nRange: bytes=10-19"
                                        b"\r\nConnection: close\r\n\r\n")
        self.assertEqual(head_of(answer)[0], 206)
        self.assertEqual(len(answer.split(b"\r\n\r\n", 1)[1]), 10)

    def test_framing_errors_are_refused_and_close_the_connection(self):
        post = "POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
        cases = [
            ("no length", post + "\r\n{}", 411),
            ("two lengths", post + "Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}", 400),
            ("signed length", post + "Content-Length: +2\r\n\r\n{}", 400),
            ("spaced length", post + "Content-Length: 1 2\r\n\r\n{}", 400),
            ("length and chunked",
             post + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n",
             400),
            ("header over 8 KB", "GET / HTTP/1.1\r\nX-Pad: " + "a" * 9000 + "\r\n\r\n", 431),
        ]
        # A second request follows each: it must never be answered.
        follow = "GET /api/boards/all HTTP/1.1\r\nHost: x\r\n\r\n"
        for what, raw, expected in cases:
            with self.subTest(what):
                answer, closed = exchange(self.port, (raw + follow).encode())
                self.assertEqual(head_of(answer)[0], expected, answer[:200])
                self.assertTrue(closed)
                self.assertEqual(answer.count(b"HTTP/1.1 "), 1)

    def test_a_slow_request_gets_408_at_its_deadline_and_is_closed(self):
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            started = time.monotonic()
            for byte in b"GET /api/boards/all HTTP/1.1\r\nHost: x\r\n":
                try:
                    sock.send(bytes([byte]))
                except (BrokenPipeError, ConnectionResetError):
                    break
                time.sleep(0.05)
            answer = sock.recv(4096)
            self.assertEqual(head_of(answer)[0], 408)
            self.assertEqual(sock.recv(4096), b"")  # closed
            self.assertLess(time.monotonic() - started, 4)

    def test_only_the_page_is_published_with_its_headers(self):
        for name in ["CMakeCache.txt", "build.ninja", "compile_commands.json", ".ninja_log",
                     "site-files.txt", "../web/index.html", "nothing"]:
            with self.subTest(name):
                self.assertEqual(call(self.port, "GET", "/" + name)[0], 404)
        answer, _ = exchange(self.port, b"GET /cave.wasm HTTP/1.1\r\nHost: x\r\n"
                                        b"Accept-Encoding: gzip, br\r\nConnection: close\r\n\r\n")
        status, fields = head_of(answer)
        self.assertEqual((status, fields["content-encoding"], fields["vary"]),
                         (200, "gzip", "Accept-Encoding"))
        self.assertLess(int(fields["content-length"]), 300_000)
        again, _ = exchange(self.port, b"GET /cave.wasm HTTP/1.1\r\nHost: x\r\nAccept-Encoding: "
                                       b"gzip\r\nIf-None-Match: " + fields["etag"].encode() +
                            b"\r\nConnection: close\r\n\r\n")
        self.assertEqual(head_of(again)[0], 304)
        _, page = head_of(exchange(self.port, b"GET / HTTP/1.1\r\nConnection: close\r\n\r\n")[0])
        self.assertEqual(page["cache-control"], "no-cache")
        for request in [b"GET / HTTP/1.1\r\n", b"GET /api/boards/all HTTP/1.1\r\n",
                        b"GET /nothing HTTP/1.1\r\n", b"BREW /api/runs HTTP/1.1\r\n"]:
            with self.subTest(request):
                answer, _ = exchange(self.port, request + b"Connection: close\r\n\r\n")
                _, fields = head_of(answer)
                self.assertIn("frame-ancestors 'none'", fields["content-security-policy"])
                self.assertIn("'wasm-unsafe-eval'", fields["content-security-policy"])
                self.assertEqual(fields["x-content-type-options"], "nosniff")
                self.assertEqual(fields["referrer-policy"], "no-referrer")
                self.assertIn("camera=()", fields["permissions-policy"])

    def test_a_connection_carries_at_most_100_requests_and_the_log_has_each(self):
        one = b"GET /healthz HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: 10.1.2.3, 192.0.2.9\r\n\r\n"
        answer, closed = exchange(self.port, one * 101)
        self.assertTrue(closed)
        self.assertEqual(answer.count(b"HTTP/1.1 200"), 100)
        time.sleep(0.2)
        with open(self.log) as log:
            lines = [line for line in log if " /healthz " in line]
        self.assertGreaterEqual(len(lines), 100)
        # time, the forwarded address (the proxy is trusted), method, path, status, bytes, time
        self.assertRegex(lines[-1], r"^\d{4}-\d\d-\d\dT[\d:.]+Z 192\.0\.2\.9 GET /healthz 200 "
                                    r"\d+ [\d.]+ms$")

    def test_a_client_that_stops_reading_is_closed_at_the_write_deadline(self):
        # 60 answers of 300 KB asked for at once and never read: far more than the sockets
        # buffer, so an answer's write waits until its 10 s deadline closes the connection.
        asked = 60
        with socket.socket() as sock:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            sock.connect(("127.0.0.1", self.port))
            sock.sendall(b"GET /cave.wasm HTTP/1.1\r\nHost: x\r\n\r\n" * asked)
            time.sleep(12)
            sock.settimeout(5)
            got = 0
            try:
                while chunk := sock.recv(1 << 20):
                    got += len(chunk)
            except ConnectionResetError:
                pass
            except socket.timeout:
                self.fail(f"still open after {got} bytes")
            self.assertLess(got, asked * 300_000 // 2)

    def test_clients_that_never_read_a_100_continue_hold_no_thread(self):
        # A tiny window, a range answer, then a body announced with Expect: 100-continue, never
        # read: at least as many such connections as the server has I/O threads.
        traps = []
        ranges = b"".join(b"GET /cave.wasm HTTP/1.1\r\nHost: x\r\nRange: bytes=%d-%d\r\n\r\n"
                          % (10_000, 10_000 + 3_000 + 97 * n) for n in range(8))
        post = (b"POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                b"Content-Length: 100\r\nExpect: 100-continue\r\n\r\n")
        for n in range(2 * (os.cpu_count() or 2)):
            sock = socket.socket()
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1024)
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_MAXSEG, 88)
            sock.bind((f"127.0.9.{1 + n}", 0))
            sock.connect(("127.0.0.1", self.port))
            sock.sendall(ranges[:(n % 8 + 1) * len(ranges) // 8] + post)
            traps.append(sock)
        try:
            slowest = 0.0
            until = time.monotonic() + 4
            while time.monotonic() < until:
                for port, path in [(self.port, "/api/boards/all"),
                                   (self.server.metrics_port, "/metrics")]:
                    started = time.monotonic()
                    self.assertEqual(call(port, "GET", path, timeout=5)[0], 200)
                    slowest = max(slowest, time.monotonic() - started)
                # Only epoll waits: no I/O thread sits in poll() on one socket.
                for task in os.listdir(f"/proc/{self.server.process.pid}/task"):
                    with open(f"/proc/{self.server.process.pid}/task/{task}/syscall") as call_:
                        self.assertNotIn(call_.read().split()[0], ("7", "271"))
                time.sleep(0.2)
            self.assertLess(slowest, 1.0)
            # The request deadline (2 s here) closes them.
            time.sleep(1)
            for sock in traps:
                sock.settimeout(10)
                try:
                    while sock.recv(1 << 16):
                        pass
                except ConnectionResetError:
                    pass
        finally:
            for sock in traps:
                sock.close()

    def test_a_storm_of_dropped_connections_loses_no_slot_of_its_address(self):
        source = "127.0.8.1"
        hello = b"GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"

        def storm(seed):
            rng = random.Random(seed)
            until = time.monotonic() + 6
            for _ in range(1500):
                if time.monotonic() > until:
                    break
                sock = socket.socket()
                try:
                    sock.bind((source, 0))
                    sock.connect(("127.0.0.1", self.port))
                    if rng.random() < 0.5:
                        sock.send(hello[:rng.randrange(len(hello) + 1)])
                    if rng.random() < 0.5:  # a reset rather than a close
                        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                        b"\x01\x00\x00\x00\x00\x00\x00\x00")
                except OSError:
                    pass
                finally:
                    sock.close()

        stormers = [threading.Thread(target=storm, args=(n,)) for n in range(4)]
        for thread in stormers:
            thread.start()
        for thread in stormers:
            thread.join()
        # Every slot is back: the address's full count is served at once.
        socks = [socket.create_connection(("127.0.0.1", self.port), timeout=5,
                                          source_address=(source, 0)) for _ in range(32)]
        try:
            for sock in socks:
                sock.sendall(hello)
            for sock in socks:
                self.assertIn(b" 200 ", sock.recv(4096))
        finally:
            for sock in socks:
                sock.close()
        until = time.monotonic() + 10
        while time.monotonic() < until:
            gate = self.server.metrics()
            if gate["cave_board_connections_waiting"] == 0 and gate["cave_board_addresses"] <= 1:
                break
            time.sleep(0.1)
        self.assertEqual(gate["cave_board_connections_waiting"], 0)
        self.assertLessEqual(gate["cave_board_addresses"], 1)  # the metrics reader's own

    def test_700_slow_and_idle_connections_leave_a_player_served_within_a_second(self):
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 4096), hard))
        selector = selectors.DefaultSelector()
        socks = []
        try:
            for n in range(700):
                source = f"127.{1 + n // 250}.{n % 250}.{1 + n % 7}"
                sock = socket.create_connection(("127.0.0.1", self.port), timeout=5,
                                                source_address=(source, 0))
                sock.setblocking(False)
                socks.append(sock)
            slowest = []
            deadline = time.monotonic() + 6
            turn = 0
            while time.monotonic() < deadline:
                # Half trickle a request a byte at a time; half send a small GET now and then
                # on a kept connection.
                for n, sock in enumerate(socks):
                    try:
                        if n % 2 == 0:
                            sock.send(b"GET /api/boards/all HTTP/1.1\r\n"[turn % 30:turn % 30 + 1])
                        elif turn % 3 == 0:
                            sock.send(b"GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n")
                            sock.recv(65536)
                    except (BlockingIOError, OSError):
                        pass
                started = time.monotonic()
                status, _ = call(self.port, "GET", "/api/boards/all", timeout=5)
                slowest.append(time.monotonic() - started)
                self.assertEqual(status, 200)
                turn += 1
                time.sleep(max(0.0, 1 - (time.monotonic() - started)))
            self.assertLess(max(slowest), 1.0, slowest)
        finally:
            for sock in socks:
                sock.close()
            selector.close()
            resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))


class Lifecycle(unittest.TestCase):
    def test_sigterm_finishes_what_is_in_flight_and_exits_0(self):
        with tempfile.TemporaryDirectory(prefix="board-attack-") as data:
            server = BoardServer(PROGRAM, ["--data", data], "--connections-per-address", "2")
            try:
                idle = [socket.create_connection(("127.0.0.1", server.port)) for _ in range(3)]
                # Over the address's cap the third waits its turn: it is answered once another
                # leaves.
                idle[2].sendall(b"GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n")
                idle[0].close()
                idle[2].settimeout(5)
                self.assertIn(b" 200 ", idle[2].recv(4096))
                idle[1].close()
                # A run half sent when the server is told to stop is still answered.
                body = json.dumps({"name": "late", "demo": demo_text(9, "")}).encode()
                sending = socket.create_connection(("127.0.0.1", server.port), timeout=10)
                sending.sendall(b"POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                b"application/json\r\nContent-Length: %d\r\n\r\n" % len(body)
                                + body[:10])
                time.sleep(0.2)
                server.process.send_signal(signal.SIGTERM)
                time.sleep(0.3)
                sending.sendall(body[10:])
                answer, _ = sending.recv(4096), sending.close()
                self.assertEqual(head_of(answer)[0], 201, answer)
                self.assertEqual(server.process.wait(timeout=12), 0)
                idle[2].close()
            finally:
                server.kill()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
