"""Soak of the gateway against the real telvexd, under load and faults.

    python3 tests/soak/soak.py --bin BUILD/bin [--duration SECONDS] [--threads N]

For the given duration (default 60 s) it keeps a mixed load on the console
build: every query type at up to N clients at once and a few beyond the
limit, malformed and oversized queries, clients that connect and send
nothing, clients that vanish before the answer, and signed commands with
the key it passes as /commandkey, and as many clients again that keep
sending a byte every 100 ms after reading their answer. Meanwhile it
restarts telvexd every minute, freezes it (SIGSTOP) for longer than the
gateway's bound on a call every second minute, and through the admin
interface delays every call for a while, makes calls fail and drops the
server's connections. It watches the gateway's threads and descriptors
throughout: they may exceed the idle ones by no more than the sessions
that the limit allows. Once a minute it lets the load settle, samples the
gateway's memory, threads and descriptors from /proc, and sends a burst of N simultaneous clients, all to be answered.
After the load it waits for the gateway to reconnect from a pending
outage, then checks and prints a summary; exit status 0 when every check
holds. Only 127.0.0.1 is used; every wait is bounded.
"""

import argparse
import collections
import hashlib
import json
import os
import random
import re
import signal
import socket
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import harness  # noqa: E402  (the e2e tests' process and output helpers)
from clients import CONNECTED, SESSION_LINE, count_of  # noqa: E402

CODEPAGE = harness.CODEPAGE
KEY = "soak-key"
DISCONNECTED = "Server is disconnected"
# Answers to queries sent this close to an outage's start or end may go
# either way.
MARGIN = 1.0
# The gateway tries to reconnect every two minutes.
RECONNECT_WAIT = 150.0
# Sessions beyond the client limit that may drain or close after their
# answer, and what may come on top of them for a moment: a session's thread
# still ending, the listener's socket of a client it admits or refuses, and
# the server connection of a reconnect.
DRAIN_SLOTS = 4
MOMENT = 2
# A frozen server is frozen for longer than the gateway waits for one call
# (10 s) and for a connection (2 s).
FREEZE = 16
# What a signed command may answer while connected: done, or one of the
# failures that the soak has the server inject.
COMMAND_ANSWERS = (None, "ERROR: command failure", "ERROR: command event not added")


def read_messages():
    """The gateway's error texts from its table: (exact texts, prefixes of
    the texts with a variable part)."""
    exact, prefixes = set(), []
    with open(os.path.join(HERE, "..", "..", "src", "common", "UMessages.h"), encoding="utf-8") as f:
        for text, formatted in re.findall(r'^\s*\{TMessage::\w+, "([^"]*)"(, true)?\},', f.read(), re.M):
            (prefixes.append if formatted else exact.add)(text)
    return exact, prefixes


class TQueries:
    """Query texts of every type, with varied members."""

    POINTS = ["1.1.1", "1.1.2", "1.1.3", "1.2.1", "2.1.7", "2.3.1", "3.3.2", "9.9.9", "0.0.0", "x"]

    def __init__(self, rng):
        self.rng = rng
        self.stamp_lock = threading.Lock()
        self.last_stamp = 0

    def points(self, most=6):
        return [self.rng.choice(self.POINTS) for _ in range(self.rng.randint(0, most))]

    def signed(self):
        """"hash" and "timestamp" of a command signed now; no two alike."""
        with self.stamp_lock:
            stamp = max(int(time.time() * 1000), self.last_stamp + 1)
            self.last_stamp = stamp
        text = "!Rmq-tux@%s@%d!" % (KEY, stamp)
        return {"hash": hashlib.sha256(text.encode(CODEPAGE)).hexdigest(), "timestamp": stamp}

    def data(self):
        r = self.rng
        kind = r.choice(["test", "instant", "retro", "info", "events-latest", "events-current",
                         "events-archive", "tms-ch", "tms-rtu", "tms-ts", "tms-ti", "tms-tii"])
        q = {"query": kind, "id": "soak%d" % r.randint(0, 999)}
        if kind in ("instant", "info"):
            q.update(ts=self.points(), ti=self.points(), tii=self.points())
        elif kind == "retro":
            q.update(start="T.T.T T-%d:T" % r.randint(1, 23), end="T.T.T T:T", step=r.choice([60, 600, 3600]),
                     ti=self.points(5))
        elif kind == "events-latest":
            q["quantity"] = r.randint(0, 300)
        elif kind == "events-current" and r.random() < 0.5:
            q["fromEventId"] = 9000000000
        elif kind == "events-archive":
            q.update(start="T.T.T T-%d:T" % r.randint(1, 3), end="T.T.T T:T", imp=r.choice([0, 15, 8]))
        elif kind == "tms-rtu":
            q["ch"] = r.randint(0, 3)
        elif kind in ("tms-ts", "tms-ti", "tms-tii"):
            q.update(ch=r.randint(1, 3), rtu=r.randint(1, 4), **({"from": r.randint(0, 300)} if r.random() < 0.3 else {}))
        return q

    def command(self):
        r = self.rng
        kind = r.choice(["set-ts", "switch-ts", "ack-ts", "set-ti"])
        q = {"query": kind, "ts": r.choice(["1.1.1", "1.1.2", "1.2.1"])}
        if kind == "set-ts":
            q["value"] = r.randint(0, 1)
        elif kind == "set-ti":
            q = {"query": kind, "ti": "1.1.1", "value": round(r.uniform(0, 200), 2)}
        q.update(self.signed())
        return q

    def malformed(self):
        r = self.rng
        return r.choice([
            b'{"query":"test"',
            b'{"query":',
            bytes(r.randrange(256) for _ in range(r.randint(1, 64))),
            b'[1,2,3]',
            b'{"query":"no-such-type"}',
            b'{"query":"set-ts","ts":"1.1.1","value":1,"hash":"00","timestamp":1}',
        ])


class TStats:
    def __init__(self):
        self.lock = threading.Lock()
        self.sent = 0
        self.kinds = collections.Counter()
        self.failures = []
        # (sent at, answered at, error text or None, signed command) of
        # dispatched queries.
        self.dispatched = []

    def count(self, kind):
        with self.lock:
            self.kinds[kind] += 1

    def fail(self, text):
        with self.lock:
            if len(self.failures) < 50:
                self.failures.append(text)


class TSoak:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.queries = TQueries(self.rng)
        self.messages = read_messages()
        self.stats = TStats()
        self.outages = []  # [start, end or None]
        self.outage_lock = threading.Lock()
        self.resume = threading.Event()
        self.resume.set()
        self.busy = 0
        self.busy_cond = threading.Condition()
        self.stopping = False
        self.samples = []
        self.peak = (0, 0)  # threads, descriptors
        self.frozen = None  # when the server was frozen, while it is
        self.freezes = []  # (start, end)

    # ---- processes ----

    def start(self):
        self.server = harness.Telvexd()
        self.gateway = harness.Gateway(
            ["/threads=%d" % self.args.threads, "/timeout=%d" % self.args.timeout, "/commandkey=" + KEY],
            server_pipe=self.server.pipe)
        self.gateway.wait_ready(timeout=30)
        self.started = time.monotonic()

    def restart_server(self):
        self.begin_outage()
        self.server.interrupt()
        self.server.wait_exit(timeout=30)
        self.server.kill()
        self.server = harness.Telvexd(pipe=self.server.pipe, admin_port=self.server.admin_port)

    def freeze(self):
        self.begin_outage()
        self.frozen = time.monotonic()
        os.kill(self.server.pid, signal.SIGSTOP)

    def thaw(self):
        if self.frozen is not None:
            os.kill(self.server.pid, signal.SIGCONT)
            self.freezes.append((self.frozen, time.monotonic()))
            self.frozen = None

    def admin(self, request):
        try:
            return self.server.admin(request, timeout=5)
        except (OSError, ValueError) as error:
            self.stats.fail("admin %r: %s" % (request, error))
            return {}

    # ---- outages, seen from the gateway's log ----

    def begin_outage(self):
        with self.outage_lock:
            if not self.outages or self.outages[-1][1] is not None:
                self.outages.append([time.monotonic(), None])

    def new_lines(self, seen):
        """The gateway's lines from index SEEN on (without copying them all)."""
        with self.gateway._cond:
            return self.gateway._lines[seen:]

    def watch_reconnects(self):
        seen = 0
        while not self.stopping:
            lines = self.new_lines(seen)
            seen += len(lines)
            if any(line.startswith("Reconnected successfully") for line in lines):
                with self.outage_lock:
                    if self.outages and self.outages[-1][1] is None:
                        self.outages[-1][1] = time.monotonic()
            time.sleep(0.05)

    def in_outage(self):
        with self.outage_lock:
            return bool(self.outages) and self.outages[-1][1] is None

    # ---- clients ----

    def exchange(self, payload, read=True, send=True):
        """One connection: the bytes of its answer (b"" for a refusal),
        None when it was not read. A connection that fails raises OSError;
        one that is reset once made counts as closed by the gateway."""
        s = socket.create_connection(("127.0.0.1", self.gateway.port), timeout=self.args.timeout + 30)
        data = b""
        with s:
            try:
                if send:
                    s.sendall(payload)
                if not read:
                    return None
                while True:
                    chunk = s.recv(65536)
                    if not chunk:
                        return data
                    data += chunk
            except (ConnectionResetError, BrokenPipeError):
                return data

    def judge(self, data, dispatched, sent_at, command=False):
        """Counts one answer by kind and checks its form."""
        if data == b"":
            self.stats.count("refused")
            return
        try:
            # The gateway writes control characters inside strings as they
            # are, which its own parser takes too.
            answer = json.loads(data.decode(CODEPAGE), strict=False)
        except ValueError:
            answer = None
        if not isinstance(answer, dict):
            self.stats.count("not one JSON object")
            self.stats.fail("answer is not one JSON object: %r" % data[:200])
            return
        error = answer.get("error")
        if error is None:
            self.stats.count("ok")
        else:
            exact, prefixes = self.messages
            if len(answer) != 1 or not isinstance(error, str) or not (
                    error in exact or any(error.startswith(p) for p in prefixes)):
                self.stats.fail("unknown error answer: %r" % answer)
            self.stats.count("error: %s" % error)
        if dispatched:
            with self.stats.lock:
                self.stats.dispatched.append((sent_at, time.monotonic(), error, command))

    def one_client(self):
        """One client of a kind drawn by its share of the load."""
        r = self.rng.random()
        sent_at = time.monotonic()
        read = send = True
        dispatched = command = False
        if r < 0.55:
            payload, dispatched = self.queries.data(), True
        elif r < 0.70:
            payload, dispatched, command = self.queries.command(), True, True
        elif r < 0.80:
            payload = self.queries.malformed()
        elif r < 0.84:
            payload = b'{"query":"test","pad":"' + b"x" * 9000 + b'"}'
        elif r < 0.88:
            payload, send = b"", False
        elif r < 0.94:
            payload, read = self.queries.data(), False
        else:
            payload, read, send = b"", False, False
        if isinstance(payload, dict):
            payload = json.dumps(payload, ensure_ascii=False).encode(CODEPAGE)
        self.counted_exchange(payload, read, send, dispatched, sent_at, command)

    def counted_exchange(self, payload, read, send, dispatched, sent_at, command=False):
        """One connection counted as sent, its answer judged; False when it
        could not be made."""
        with self.stats.lock:
            self.stats.sent += 1
        try:
            data = self.exchange(payload, read=read, send=send)
        except OSError as error:
            self.stats.count("connection failed")
            self.stats.fail("client: %s" % error)
            return False
        if data is None:
            self.stats.count("vanished")
        else:
            self.judge(data, dispatched, sent_at, command)
        return True

    def dribbling_client(self):
        """A client that reads its answer, then sends a byte every 100 ms
        for a second (the gateway may have closed by then)."""
        with self.stats.lock:
            self.stats.sent += 1
        sent_at = time.monotonic()
        try:
            s = socket.create_connection(("127.0.0.1", self.gateway.port), timeout=self.args.timeout + 30)
        except OSError as error:
            self.stats.count("connection failed")
            self.stats.fail("client: %s" % error)
            return
        with s:
            data = b""
            try:
                s.sendall(json.dumps(self.queries.data(), ensure_ascii=False).encode(CODEPAGE))
                for chunk in iter(lambda: s.recv(65536), b""):
                    data += chunk
            except (ConnectionResetError, BrokenPipeError):
                pass
            self.judge(data, True, sent_at)
            try:
                for _ in range(10 if data else 0):
                    time.sleep(0.1)
                    s.sendall(b" ")
            except OSError:
                self.stats.count("dribble cut short")

    def worker(self, deadline, client):
        while time.monotonic() < deadline and not self.stopping:
            self.resume.wait()
            with self.busy_cond:
                self.busy += 1
            try:
                client()
            finally:
                with self.busy_cond:
                    self.busy -= 1
                    self.busy_cond.notify_all()
            time.sleep(self.rng.uniform(0.0, self.args.pause))

    # ---- once a minute: settle, sample, burst ----

    def settle(self):
        """Stops the load until every client is done and the gateway
        counts none; the load stays stopped until resume is set."""
        self.resume.clear()
        with self.busy_cond:
            self.busy_cond.wait_for(lambda: self.busy == 0, timeout=self.args.timeout + 60)
        deadline = time.monotonic() + self.args.timeout + 30
        while time.monotonic() < deadline:
            if self.probe_client_count() == 1:
                time.sleep(0.2)  # a session's thread ends just after its last line
                return
            time.sleep(0.1)
        self.stats.fail("the gateway still counts clients after the load settled")

    def probe_client_count(self):
        """The count that the gateway logs for a probe session of its own
        as it connects: 1 when it counts no other session. The last
        "disconnected" line cannot tell: sessions ending together may log
        their lines in another order than they counted themselves out."""
        start = len(self.gateway.lines())
        marker = b"settle-probe-%d" % start
        if not self.counted_exchange(b'{"query":"test","id":"%s"}' % marker, True, True, True, time.monotonic()):
            return None
        try:
            index = self.gateway.wait_line(lambda line: marker.decode() in line, timeout=5, start=start)
        except AssertionError:
            return None
        lines = self.gateway.lines()
        thread = SESSION_LINE.match(lines[index]).group(1)
        for line in reversed(lines[start:index]):
            match = SESSION_LINE.match(line)
            if match and match.group(1) == thread and CONNECTED.match(match.group(2)):
                return count_of(match.group(2))
        return None

    def usage(self):
        """The gateway's RSS in kB, threads and open descriptors now."""
        pid = self.gateway.pid
        status = {}
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                name, _, value = line.partition(":")
                status[name] = value.strip()
        fds = len(os.listdir("/proc/%d/fd" % pid))
        return int(status["VmRSS"].split()[0]), int(status["Threads"]), fds

    def sample(self, label):
        self.samples.append((label,) + self.usage())

    def watch_usage(self):
        """The most threads and descriptors seen, every 50 ms."""
        while not self.stopping:
            try:
                _, threads, fds = self.usage()
            except (OSError, StopIteration):
                return  # the gateway has gone; the checks tell
            self.peak = (max(self.peak[0], threads), max(self.peak[1], fds))
            time.sleep(0.05)

    @staticmethod
    def listen_overflows():
        """The system's count of connections dropped by full listen queues
        (for all programs: the burst's count holds when nothing else runs)."""
        with open("/proc/net/netstat") as f:
            rows = [line.split() for line in f if line.startswith("TcpExt:")]
        return int(rows[1][rows[0].index("ListenOverflows")])

    def burst(self):
        """Config.Threads clients at once, every one answered, and none of
        them dropped by the system before the listener saw it."""
        overflows = self.listen_overflows()
        answers = [None] * self.args.threads
        socks = [socket.create_connection(("127.0.0.1", self.gateway.port), timeout=30)
                 for _ in range(self.args.threads)]

        def finish(i):
            try:
                socks[i].sendall(b'{"query":"test"}')
                data = b""
                while True:
                    chunk = socks[i].recv(65536)
                    if not chunk:
                        break
                    data += chunk
                answers[i] = data
            except OSError as error:
                answers[i] = repr(error).encode()
            finally:
                socks[i].close()

        threads = [threading.Thread(target=finish, args=(i,)) for i in range(self.args.threads)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(60)
        with self.stats.lock:
            self.stats.sent += len(answers)
        dropped = self.listen_overflows() - overflows
        if dropped:
            self.stats.fail("the listen queue dropped %d connections of the burst" % dropped)
        for data in answers:
            if not data or not data.startswith(b"{"):
                self.stats.fail("burst client not answered: %r" % data)
            self.judge(data or b"", False, time.monotonic())

    def minute_mark(self, minute):
        self.settle()
        self.sample("minute %d" % minute)
        self.burst()
        self.resume.set()

    # ---- the fault schedule, relative to the gateway's start ----

    def faults(self, deadline):
        """Each minute: delays at 5 s, failing calls at 12 s, a freeze from
        13 s (every second minute, the others have a drop at 20 s), a
        restart at 30 s, the settle at 50 s."""
        plan = [(5, "delay"), (9, "undelay"), (12, "fail"), (13, "freeze"), (13 + FREEZE, "thaw"), (20, "drop"),
                (30, "restart"), (50, "mark")]
        minute = 0
        while not self.stopping:
            base = self.started + 60 * minute
            for offset, action in plan:
                at = base + offset
                if at >= deadline:
                    return
                time.sleep(max(0.0, at - time.monotonic()))
                self.fault(action, minute)
            minute += 1

    def fault(self, action, minute):
        if action == "delay":
            self.admin({"op": "delay", "ms": 300})
        elif action == "undelay":
            self.admin({"op": "delay", "ms": 0})
        elif action == "fail":
            for call, count in (("tvxStatusByList", 3), ("tvxSetValues", 2), ("tvxRegEvent", 2),
                                ("tvxEventLogByElix", 2), ("tvxGetObjectName", 5), ("tvxSystemTime", 2)):
                self.admin({"op": "fail", "call": call, "count": count})
        elif action == "freeze" and minute % 2 == 0:
            self.freeze()
        elif action == "thaw":
            self.thaw()
        elif action == "drop" and minute % 2 == 1:
            if not self.in_outage():
                self.begin_outage()
            self.admin({"op": "drop"})
        elif action == "restart":
            self.restart_server()
        elif action == "mark":
            self.minute_mark(minute + 1)

    # ---- the run ----

    def run(self):
        self.start()
        try:
            return self.load_and_check()
        finally:
            self.stopping = True
            self.thaw()
            self.gateway.kill()
            self.server.kill()

    def load_and_check(self):
        watcher = threading.Thread(target=self.watch_reconnects, daemon=True)
        watcher.start()
        self.settle()
        self.sample("start")
        threading.Thread(target=self.watch_usage, daemon=True).start()
        self.resume.set()
        deadline = self.started + self.args.duration
        workers = [threading.Thread(target=self.worker, args=(deadline, self.one_client))
                   for _ in range(self.args.threads + 2)]
        workers += [threading.Thread(target=self.worker, args=(deadline, self.dribbling_client))
                    for _ in range(self.args.threads)]
        for w in workers:
            w.start()
        try:
            self.faults(deadline)
        except BaseException:
            self.stopping = True  # a failed schedule ends the load at once
            self.resume.set()
            raise
        finally:
            self.thaw()
        for w in workers:
            w.join(self.args.timeout + 60)
        self.ride_out()
        self.settle()
        self.sample("end")
        alive = self.gateway.proc.poll() is None
        self.stopping = True
        if alive:
            self.gateway.interrupt()
            # An AddressSanitizer build checks for leaks as it ends.
            status = self.gateway.wait_exit(timeout=30)
            if status != 0:
                self.stats.fail("the gateway ended with status %d" % status)
                lines = self.gateway.lines()
                first = next((i for i, line in enumerate(lines) if "Sanitizer" in line), len(lines))
                print("\n".join(lines[first:first + 80]))
        else:
            print("\n".join(self.gateway.lines()[-60:]))
        return self.check(alive)

    def ride_out(self):
        """Lets a pending outage end with the gateway's next reconnect,
        then shows that queries are answered normally again."""
        deadline = time.monotonic() + RECONNECT_WAIT
        while self.in_outage() and time.monotonic() < deadline:
            time.sleep(0.2)
        time.sleep(MARGIN)
        for _ in range(5):
            with self.stats.lock:
                self.stats.sent += 1
            self.judge(self.exchange(b'{"query":"test"}'), True, time.monotonic())

    # ---- checks and summary ----

    def check(self, alive):
        s = self.stats
        lines = self.gateway.lines()
        connected = sum(1 for l in lines if " connected, total clients - " in l)
        answered = sum(1 for l in lines if l.endswith("] Answer sent"))
        disconnected = [l for l in lines if " disconnected, total clients - " in l]
        refused = sum(1 for l in lines if "force-disconnected - max clients reached" in l)
        if not alive:
            s.fail("the gateway died")
        if not (connected == answered == len(disconnected)):
            s.fail("sessions: %d connected, %d answered, %d disconnected" % (connected, answered, len(disconnected)))
        if not disconnected or not disconnected[-1].endswith("total clients - 0"):
            s.fail("the last disconnected line does not report 0 clients: %r" % disconnected[-1:])
        clients = s.sent - s.kinds["connection failed"]
        if connected + refused != clients:
            s.fail("%d clients connected, the gateway admitted %d and refused %d" % (clients, connected, refused))
        if s.kinds["refused"] > refused:
            s.fail("%d clients got no answer, the gateway refused %d" % (s.kinds["refused"], refused))
        self.check_outages()
        self.check_flat()
        self.summary(connected, refused)
        return not s.failures

    def check_outages(self):
        with self.outage_lock:
            outages = [tuple(o) for o in self.outages]
        if any(end is None for _, end in outages):
            self.stats.fail("an outage was not ridden out")
        for sent, done, error, command in self.stats.dispatched:
            # A call in flight when the server froze fails when its time is
            # up, each query in its own way.
            if any(start - MARGIN < done and sent < end + MARGIN for start, end in self.freezes):
                continue
            during = any(start + MARGIN < sent and (end is None or done < end - MARGIN) for start, end in outages)
            after = not any(start - MARGIN < done and (end is None or sent < end + MARGIN) for start, end in outages)
            if during and error != DISCONNECTED:
                self.stats.fail("answered %r during an outage" % error)
            if after and error == DISCONNECTED:
                self.stats.fail("answered %r while connected" % error)
            if after and command and error not in COMMAND_ANSWERS:
                self.stats.fail("a signed command answered %r while connected" % error)

    def check_flat(self):
        """Descriptors as at the start (both connected to the server);
        threads as in the first minute, and memory within 25% (and 8 MiB)
        of it: by then the allocator's pools are made, and a sanitizer's
        own threads have started."""
        fds0 = self.samples[0][3]
        _, rss0, threads0, _ = self.samples[1 if len(self.samples) > 2 else 0]
        _, rss1, threads1, fds1 = self.samples[-1]
        if threads1 > threads0 or fds1 > fds0:
            self.stats.fail("threads %d -> %d, descriptors %d -> %d" % (threads0, threads1, fds0, fds1))
        room = self.args.threads + DRAIN_SLOTS + MOMENT
        if self.peak[0] > threads0 + room or self.peak[1] > fds0 + room:
            self.stats.fail("threads %d, descriptors %d at most; the client limit allows %d, %d" %
                            (self.peak + (threads0 + room, fds0 + room)))
        if rss1 > rss0 * 1.25 + 8192:
            self.stats.fail("memory grew from %d kB to %d kB" % (rss0, rss1))

    def summary(self, connected, refused):
        s = self.stats
        print("soak: %d s, %d clients at most, gateway %s" % (self.args.duration, self.args.threads, self.args.bin))
        print("  queries sent: %d (admitted %d, refused %d)" % (s.sent, connected, refused))
        for kind, count in sorted(s.kinds.items(), key=lambda kv: -kv[1]):
            print("  %8d  %s" % (count, kind))
        print("  outages ridden out: %d (%d of them a frozen server)" %
              (sum(1 for _, end in self.outages if end is not None), len(self.freezes)))
        print("  %-10s %10s %8s %12s" % ("sample", "RSS kB", "threads", "descriptors"))
        for label, rss, threads, fds in self.samples:
            print("  %-10s %10d %8d %12d" % (label, rss, threads, fds))
        print("  %-10s %10s %8d %12d" % ("most", "", self.peak[0], self.peak[1]))
        if s.failures:
            print("soak FAILED:")
            for failure in s.failures:
                print("  " + failure)
        else:
            print("soak passed")


def main():
    parser = argparse.ArgumentParser(description="Soak of the gateway under load and faults.")
    parser.add_argument("--bin", required=True, help="folder of vorlane-console and telvexd")
    parser.add_argument("--duration", type=int, default=60, help="seconds of load (default 60)")
    parser.add_argument("--threads", type=int, default=8, help="the gateway's client limit (default 8)")
    parser.add_argument("--timeout", type=int, default=2, help="the gateway's /timeout (default 2)")
    parser.add_argument("--pause", type=float, default=0.05, help="longest pause of a client between queries")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    harness.BIN = os.path.abspath(args.bin)
    return 0 if TSoak(args).run() else 1


if __name__ == "__main__":
    sys.exit(main())
