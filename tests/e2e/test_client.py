"""vorlane-query, the operator's client: the members it builds per query
type, commands signed so that the gateway accepts them, the key from a
file and from the environment, each output form on a real answer, the CSV
of a retrospective, following the event log across a restart of the
gateway, and the exit statuses."""

import hashlib
import json
import os
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import unittest

from test_commands import CYRILLIC
from test_events import MESSAGE, WHEN, message, record
from harness import CODEPAGE, SLOW, WINDOWS, Gateway, Telvexd, free_port, native_path, program, query

# Cyrillic letters reach a program under wine only with the Russian locale.
KEY = "demo-key-Ключ" if CYRILLIC else "demo-key"
UNKNOWN = "ERROR: query type unknown"
# What the user writes (arguments, key files) and what the client writes
# for the user: UTF-8 on Linux; under wine the ANSI code page, and the
# console's output code page.
USER_TEXT = CODEPAGE if WINDOWS else "utf-8"
TERMINAL = CODEPAGE if WINDOWS else "utf-8"


def run_client(*args, env=None, timeout=60):
    full_env = dict(os.environ)
    full_env.pop("VORLANE_COMMAND_KEY", None)
    full_env.update(env or {})
    result = subprocess.run(program("vorlane-query") + list(args), stdin=subprocess.DEVNULL, capture_output=True,
                            env=full_env, timeout=timeout * SLOW)
    return result.returncode, result.stdout.decode(TERMINAL), result.stderr.decode(TERMINAL)


class Lines:
    """The lines a started client writes on one stream, read in the
    background in the terminal's encoding."""

    def __init__(self, stream):
        self.lines = []
        self.cond = threading.Condition()
        self.stream = stream
        self.reader = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.reader.start()

    def _read(self, stream):
        for raw in iter(stream.readline, b""):
            with self.cond:
                self.lines.append(raw.decode(TERMINAL, errors="replace").rstrip("\r\n"))
                self.cond.notify_all()

    def close(self):
        """After the program ended: the stream is closed once its reader has
        read to the end (a stream still held open is left to its reader)."""
        self.reader.join(5 * SLOW)
        if not self.reader.is_alive():
            self.stream.close()

    def wait_for(self, text, timeout):
        deadline = time.monotonic() + timeout * SLOW
        with self.cond:
            while not any(text in line for line in self.lines):
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError("no line with %r in:\n%s" % (text, "\n".join(self.lines)))
                self.cond.wait(left)


class FakeGateway:
    """A listener that records each query it is sent and answers ANSWER
    (bytes), or closes without a word when ANSWER is None."""

    def __init__(self, answer=b'{"ok":"1"}'):
        self.answer = answer
        self.queries = []
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(8)
        self.port = self.sock.getsockname()[1]
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            with conn:
                data = b""
                while True:
                    try:
                        self.queries.append(json.loads(data.decode(CODEPAGE)))
                        break
                    except ValueError:
                        chunk = conn.recv(65536)
                        if not chunk:
                            break
                        data += chunk
                if self.answer is not None:
                    conn.sendall(self.answer)

    def close(self):
        self.sock.close()


SHARED = {}


def setUpModule():
    SHARED["folder"] = tempfile.mkdtemp(prefix="vorlane-client-")
    SHARED["server"] = Telvexd()
    SHARED["gateway"] = Gateway(["/commandkey=" + KEY], server_pipe=SHARED["server"].pipe)
    SHARED["gateway"].wait_ready()


def tearDownModule():
    SHARED["gateway"].kill()
    SHARED["server"].kill()
    for folder in (SHARED["folder"], SHARED["gateway"].workdir):
        shutil.rmtree(folder, ignore_errors=True)


class Client(unittest.TestCase):
    """The simulator and the gateway with a command key that the tests share."""

    def setUp(self):
        self.folder, self.server, self.gateway = SHARED["folder"], SHARED["server"], SHARED["gateway"]
        self.port = str(self.gateway.port)

    def client(self, *args, **kw):
        return run_client("--port", self.port, *args, **kw)

    def served(self, *args, **kw):
        """Runs the client and skips the test when the gateway does not know
        the query type yet."""
        code, out, err = self.client(*args, **kw)
        if UNKNOWN in err:
            self.skipTest("the gateway does not serve %s yet" % args[0])
        return code, out, err

    def key_file(self, text, encoding=USER_TEXT):
        # A file of its own per call: a test may hold several at once.
        handle, path = tempfile.mkstemp(suffix=".key", dir=self.folder)
        os.close(handle)
        with open(path, "w", encoding=encoding, newline="") as f:
            f.write(text)
        return native_path(path)


class Members(Client):
    def test_each_type_gets_its_members_in_their_kinds(self):
        cases = [
            (["test"], {}),
            (["instant", "ts=1.1.1,1.1.2", "ti=1.1.1", "tii="], {"ts": ["1.1.1", "1.1.2"], "ti": ["1.1.1"], "tii": []}),
            (["info", "ti=2.1.3"], {"ti": ["2.1.3"]}),
            (["retro", "start=01.03.2014 00:00", "end=T.T.T T:T", "step=600", "ti=1.1.1"],
             {"start": "01.03.2014 00:00", "end": "T.T.T T:T", "step": 600, "ti": ["1.1.1"]}),
            (["tms-ch"], {}),
            (["tms-rtu", "ch=1"], {"ch": 1}),
            (["tms-ts", "ch=2", "rtu=1", "from=256"], {"ch": 2, "rtu": 1, "from": 256}),
            (["tms-ti", "ch=0", "rtu=1"], {"ch": 0, "rtu": 1}),
            (["tms-tii", "ch=1", "rtu=-1"], {"ch": 1, "rtu": -1}),
            (["events-latest", "quantity=10"], {"quantity": 10}),
            (["events-current", "fromEventId=5000000001"], {"fromEventId": 5000000001}),
            (["events-archive", "start=T-1.T.T 0:0", "end=T.T.T T:T", "imp=12", "type=3", "addr=1.2.3"],
             {"start": "T-1.T.T 0:0", "end": "T.T.T T:T", "imp": 12, "type": 3, "addr": "1.2.3"}),
            (["set-ts", "ts=1.1.1", "value=1"], {"ts": "1.1.1", "value": 1}),
            (["switch-ts", "ts=1.1.1"], {"ts": "1.1.1"}),
            (["ack-ts", "ts=1.1.1"], {"ts": "1.1.1"}),
            (["set-ti", "ti=1.1.1", "value=12.5"], {"ti": "1.1.1", "value": 12.5}),
            (["set-ti", "ti=1.1.1", "value=-7"], {"ti": "1.1.1", "value": -7}),
        ]
        fake = FakeGateway()
        self.addCleanup(fake.close)
        for args, members in cases:
            with self.subTest(args=args):
                del fake.queries[:]
                code, _, err = run_client("--port", str(fake.port), "--id", "q7", *args)
                self.assertEqual(code, 0, err)
                sent = fake.queries[0]
                for signature in ("hash", "timestamp"):
                    sent.pop(signature, None)
                self.assertEqual(sent, dict(members, query=args[0], id="q7"))
                value = sent.get("value", sent.get("step"))
                if value is not None:
                    self.assertIs(type(value), type(members.get("value", members.get("step"))))

    def test_members_a_type_does_not_take_or_of_another_kind_are_bad_usage(self):
        for args in (["tms-rtu", "rtu=1"], ["set-ts", "ts=1.1.1", "value=on"], ["set-ti", "ti=1.1.1", "value=1e3"],
                     ["events-latest", "quantity=1.5"], ["instant", "ts"], ["query-of-nobody"], []):
            with self.subTest(args=args):
                code, out, err = self.client(*args)
                self.assertEqual((code, out), (2, ""), err)
                self.assertIn("usage: vorlane-query", err)


class Signing(Client):
    def test_hash_is_sha256_of_key_and_timestamp(self):
        fake = FakeGateway()
        self.addCleanup(fake.close)
        before = int(time.time() * 1000)
        run_client("--port", str(fake.port), "ack-ts", "ts=1.1.1", env={"VORLANE_COMMAND_KEY": KEY})
        sent = fake.queries[0]
        self.assertLessEqual(before, sent["timestamp"])
        self.assertLessEqual(sent["timestamp"], int(time.time() * 1000))
        text = "!Rmq-tux@%s@%d!" % (KEY, sent["timestamp"])
        self.assertEqual(sent["hash"], hashlib.sha256(text.encode(CODEPAGE)).hexdigest())

    def test_gateway_accepts_the_key_from_a_file_and_from_the_environment(self):
        for where, args, env in (("file", ["--key-file", self.key_file(KEY + "\r\n")], None),
                                 # UTF-8 with a byte order mark on every platform.
                                 ("UTF-8 file", ["--key-file", self.key_file("\ufeff" + KEY, "utf-8")], None),
                                 ("environment", [], {"VORLANE_COMMAND_KEY": KEY})):
            with self.subTest(where=where):
                code, out, err = self.served(*args, "set-ts", "ts=1.1.3", "value=1", env=env)
                self.assertEqual((code, out.strip()), (0, "ok: 1"), err)

    def test_wrong_or_missing_key_shows_the_refusal(self):
        code, out, err = self.served("ack-ts", "ts=1.1.3", env={"VORLANE_COMMAND_KEY": "not-the-key"})
        self.assertEqual((code, out), (1, ""))
        self.assertIn("ERROR: incorrect hash", err)
        code, out, err = self.served("ack-ts", "ts=1.1.3")
        self.assertEqual((code, out), (1, ""))
        self.assertIn("ERROR: hash missing or invalid", err)
        self.assertIn("unsigned", err)

    def test_unreadable_key_file_is_bad_usage(self):
        code, _, err = self.client("--key-file", native_path(os.path.join(self.folder, "none.txt")), "ack-ts",
                                   "ts=1.1.3")
        self.assertEqual(code, 2)
        self.assertIn("key file", err)


class Output(Client):
    def test_readable_names_values_and_tables(self):
        cases = [
            (["test"], r"^serverTime: \d\d\.\d\d\.\d{4} [\d:.]+\nok: 1\n$"),
            (["instant", "ts=1.1.1", "ti=1.1.1"], r"^ts   1\.1\.1  -?\d+(  \w+)?\nti   1\.1\.1  -?\d+[.,]\d{4}.*\n$"),
            (["info", "ts=1.1.1", "ti=1.1.1"],
             r"^ts   1\.1\.1  Выключатель В-110 Т1\nti   1\.1\.1  Напряжение шин 110 кВ  \[кВ\]\n$"),
            (["tms-ch"], r"^total 4, last id 3\n     0  Системный канал\n(.*\n){3}$"),
            # The simulator's own events go on meanwhile, and one of a type
            # the gateway does not decode is left out of the answer: the
            # last two events may come as one line.
            (["events-latest", "quantity=2"], r"^(\d\d\.\d\d\.\d{4} [\d:.]+  \d  \S*  .*\n){1,2}$"),
        ]
        for args, pattern in cases:
            with self.subTest(args=args):
                code, out, err = self.served(*args)
                self.assertEqual(code, 0, err)
                self.assertRegex(out.replace("\r\n", "\n"), pattern)

    def test_raw_is_the_answer_byte_for_byte(self):
        args = ["--raw", "--port", self.port, "info", "ts=1.1.1,2.1.7"]
        result = subprocess.run(program("vorlane-query") + args, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=60 * SLOW)
        if UNKNOWN.encode() in result.stdout:
            self.skipTest("the gateway does not serve info yet")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout, query(self.gateway.port, '{"query":"info","ts":["1.1.1","2.1.7"]}'))

    def test_json_is_the_answer_pretty_printed(self):
        code, out, _ = self.served("--json", "info", "ti=1.1.1", "--id", "p1")
        self.assertEqual(code, 0)
        self.assertEqual(json.loads(out), {"ti": [["Напряжение шин 110 кВ", "кВ"]], "id": "p1"})
        self.assertIn('\n  "ti": [\n    [\n      "Напряжение', out.replace("\r\n", "\n"))

    def test_csv_of_retro_has_a_row_per_sample(self):
        code, out, err = self.served("--csv", "retro", "start=01.12.2026 23:00", "end=02.12.2026 00:00", "step=600",
                                     "ti=1.1.1,x")
        self.assertEqual(code, 0, err)
        rows = out.replace("\r\n", "\n").splitlines()
        self.assertEqual(rows[0], "time,point,value,flags")
        times = ["01.12.2026 23:%02d:00" % minute for minute in range(0, 60, 10)] + ["02.12.2026 00:00:00"]
        self.assertEqual([row.split(",")[:2] for row in rows[1:8]], [[t, "1.1.1"] for t in times])
        self.assertEqual(rows[8:], ["%s,x,No," % t for t in times])
        for row in rows[1:8]:
            self.assertRegex(row, r'^[^,]+,1\.1\.1,(-?\d+\.\d+|"-?\d+,\d+"),\w*$')


class ExitStatus(Client):
    def test_statuses(self):
        silent = FakeGateway(answer=None)
        self.addCleanup(silent.close)
        cases = [
            (0, ["--host", "localhost", "test"]),
            (1, ["--query", "{'query':'test','id':7,"]),
            (1, ["--query", "{\"id\":\"x\"}"]),
            (2, ["--csv", "test"]),
            (2, ["test", "--bogus"]),
            (3, ["--port", str(free_port()), "test"]),
            (3, ["--port", str(silent.port), "test"]),
            (3, ["--host", "no-such-host.invalid", "test"]),
        ]
        for status, args in cases:
            with self.subTest(args=args):
                code, out, err = self.client(*args)
                self.assertEqual(code, status, err)
                if status:
                    self.assertEqual(out, "")
                    self.assertRegex(err, r"^vorlane-query: \S")
        self.assertIn("ERROR: query type missing", self.client("--query", "[1]")[2])


class Follow(Client):
    """follow against a gateway of its own on the shared simulator, so that
    the gateway can be restarted under it."""

    POINTS = ["2.1.%d" % point for point in range(501, 508)]

    def set_point(self, address):
        self.assertTrue(self.server.admin({"op": "set", "kind": "ts", "address": address, "value": 1})["ok"])

    def start_gateway(self, port=None):
        gateway = Gateway([], server_pipe=self.server.pipe, port=port)
        self.addCleanup(gateway.kill)
        gateway.wait_ready()
        return gateway

    def follow(self, port, *args):
        """A started follower and the lines of its output and its errors."""
        follow = subprocess.Popen(program("vorlane-query") + ["--port", str(port), "follow", "--interval", "0.3"] +
                                  list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = Lines(follow.stdout), Lines(follow.stderr)
        self.addCleanup(err.close)
        self.addCleanup(out.close)
        self.addCleanup(follow.wait)
        self.addCleanup(follow.kill)
        return out, err

    def position(self, port):
        code, out, err = run_client("--port", str(port), "events-current")
        if UNKNOWN in err:
            self.skipTest("the gateway does not serve events-current yet")
        return int(re.search(r"lastEventId (\d+)", out).group(1))

    def inject(self, raw):
        self.assertTrue(self.server.admin({"op": "inject", "event": raw.hex()})["ok"])

    def test_a_follower_far_behind_catches_up_while_events_keep_coming(self):
        # 20 events a second: the gateway's present moves on between every
        # two polls of the follower.
        injected = []
        stop = threading.Event()

        def keep_coming():
            while not stop.wait(0.05):
                self.inject(record(WHEN, 0, 64, (3, 3, len(injected) + 1)))
                injected.append(len(injected) + 1)

        start = self.position(self.port) - 2500
        feeder = threading.Thread(target=keep_coming, daemon=True)
        feeder.start()
        self.addCleanup(feeder.join)
        self.addCleanup(stop.set)
        out, err = self.follow(self.port, "--from", str(start))
        err.wait_for("fell more than 2000 events behind", timeout=20)
        later = len(injected) + 10
        out.wait_for("  3:3:%d  " % later, timeout=20)
        stop.set()
        notices = [line for line in err.lines if "behind" in line]
        self.assertEqual(len(notices), 1, err.lines)
        skipped = int(re.search(r"behind: (\d+) events after %d are skipped$" % start, notices[0]).group(1))
        self.assertGreaterEqual(skipped, 500)
        # From where it went on, every event comes once and in order.
        with out.cond:
            numbers = [int(re.search(r"  3:3:(\d+)  ", line).group(1)) for line in out.lines if "  3:3:" in line]
        self.assertEqual(numbers, list(range(numbers[0], numbers[0] + len(numbers))))
        self.assertGreaterEqual(numbers[-1], later)

    def test_one_line_per_event_with_a_two_line_message(self):
        start = self.position(self.port)
        as_json, _ = self.follow(self.port, "--json", "--from", str(start))
        readable, _ = self.follow(self.port, "--from", str(start))
        self.inject(record(WHEN, 1, MESSAGE, (0, 1, 0), message(0x01020066, b"Upper", b"lower")))
        as_json.wait_for("lower", timeout=20)
        readable.wait_for("lower", timeout=20)
        with as_json.cond:
            items = [json.loads(line) for line in as_json.lines]
        self.assertIn("Upper\r\nlower", [item["n"] for item in items])
        with readable.cond:
            self.assertIn("  #MSG1:2:  Upper / lower  ", "\n".join(readable.lines))

    def test_a_follower_whose_reader_has_gone_ends(self):
        start = self.position(self.port)
        follow = subprocess.Popen(program("vorlane-query") + ["--port", str(self.port), "follow", "--interval", "0.3",
                                  "--from", str(start)], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(follow.wait)
        self.addCleanup(follow.kill)
        self.inject(record(WHEN, 1, MESSAGE, (0, 1, 0), message(0x01020066, b"First", b"")))
        self.assertIn(b"First", follow.stdout.readline())
        follow.stdout.close()  # as "follow | head -n 1" does
        self.inject(record(WHEN, 1, MESSAGE, (0, 1, 0), message(0x01020066, b"Second", b"")))
        self.assertEqual(follow.wait(timeout=20 * SLOW), 4)

    def test_each_event_once_across_a_restart_of_the_gateway(self):
        gateway = self.start_gateway()
        out, err = self.follow(gateway.port, "--from", str(self.position(gateway.port)))
        names = ["ТС ячейка %s" % address.split(".")[2] for address in self.POINTS]
        for address in self.POINTS[:3]:
            self.set_point(address)
        out.wait_for(names[2], timeout=20)
        gateway.kill()
        err.wait_for("vorlane-query: ", timeout=20)
        for address in self.POINTS[3:5]:
            self.set_point(address)
        self.start_gateway(port=gateway.port)
        for address in self.POINTS[5:]:
            self.set_point(address)
        out.wait_for(names[-1], timeout=60)
        err.wait_for("the gateway answers again", timeout=20)
        time.sleep(1 * SLOW)  # a few more polls, which must bring none of them again
        with out.cond:
            ours = [line for line in out.lines if "ТС ячейка 5" in line]
        self.assertEqual([re.search(r"ТС ячейка \d+", line).group(0) for line in ours], names)
        self.assertTrue(all("#TC2:1:5" in line for line in ours), ours)


if __name__ == "__main__":
    unittest.main()
