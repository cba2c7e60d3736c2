"""Command security from a settings file: the modes hash, mac and either
with a hash, a MAC or both; a captured MAC replayed with other fields and
an accepted MAC replayed; named keys; the audit line of every outcome; the
lock-out per client address; the weak-key warning; and vorlane-query's
--auth and --key-id. Three gateways share one simulator; each query comes
from a loopback address of its own (the lock-out test's from one fixed
address), so that no test's refusals lock another out."""

import hashlib
import hmac
import json
import os
import re
import shutil
import socket
import subprocess
import tempfile
import time
import unittest

from harness import CODEPAGE, SLOW, Gateway, Telvexd, native_path, program

DEFAULT_KEY = "default-key-0123456789"
# A named key with Cyrillic letters, in a UTF-8 file with a byte order
# mark: the MAC is made with its Windows-1251 bytes.
OPS_KEY = "Ключ-оператора-1-длинный"
WEAK_KEY = "short-key"
OK = {"ok": "1"}
INCORRECT = {"error": "ERROR: incorrect hash"}
TS = "1.1.12"
TI = "1.1.6"
LOCKOUT_SECONDS = 10
LOCKOUT_FAILURES = 3
AUDIT = re.compile(r"^\[#(\d+)\] Command audit: (.*)$")
FIELD = re.compile(r'(\w+)=("[^"]*"|\S+)')

_last_ms = [0]
_ids = iter(range(1, 1000000))


def fresh_ms():
    """A timestamp of now that no earlier call gave."""
    _last_ms[0] = max(_last_ms[0] + 1, int(time.time() * 1000))
    return _last_ms[0]


def hash_of(timestamp, key=DEFAULT_KEY):
    text = b"!Rmq-tux@" + key.encode(CODEPAGE) + b"@" + str(timestamp).encode() + b"!"
    return hashlib.sha256(text).hexdigest()


def mac_of(query, key=DEFAULT_KEY):
    """The MAC of a command query as a client makes it: type, point, value
    (four decimals for set-ti, none for switch-ts and ack-ts), timestamp
    and key id on lines of their own."""
    kind = query["query"]
    value = {"set-ts": lambda v: str(v), "set-ti": lambda v: "%.4f" % v}.get(kind, lambda v: "")(query.get("value"))
    text = "\n".join(["vorlane-command-v1", kind, query.get("ts", query.get("ti")), value, str(query["timestamp"]),
                      query.get("keyId", "")])
    return hmac.new(key.encode(CODEPAGE), text.encode("ascii"), hashlib.sha256).hexdigest()


def signed(query, proofs=("hash", "mac"), key=DEFAULT_KEY, timestamp=None):
    query = dict(query, timestamp=fresh_ms() if timestamp is None else timestamp)
    if "hash" in proofs:
        query["hash"] = hash_of(query["timestamp"], key)
    if "mac" in proofs:
        query["mac"] = mac_of(query, key)
    return query


def key_file(folder, name, text, encoding="utf-8"):
    path = os.path.join(folder, name)
    with open(path, "w", encoding=encoding, newline="") as f:
        f.write(text + "\n")
    os.chmod(path, 0o600)
    return native_path(path)


SHARED = {}


def start_gateway(server, folder, name, settings):
    path = os.path.join(folder, name + ".json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(settings, f)
    gateway = Gateway(["/config=" + native_path(path)], server_pipe=server.pipe)
    return gateway


def setUpModule():
    folder = SHARED["folder"] = tempfile.mkdtemp(prefix="vorlane-security-")
    default = key_file(folder, "default.key", DEFAULT_KEY)
    keys = {"ops-1": key_file(folder, "ops-1.key", "\ufeff" + OPS_KEY, "utf-8"),
            "weak": key_file(folder, "weak.key", WEAK_KEY)}
    server = SHARED["server"] = Telvexd()
    SHARED["hash"] = start_gateway(server, folder, "hash", {"commandKeyFile": default, "commandAuth": "hash"})
    SHARED["mac"] = start_gateway(server, folder, "mac",
                                  {"commandKeyFile": default, "commandAuth": "mac", "commandKeys": keys})
    SHARED["either"] = start_gateway(server, folder, "either", {
        "commandKeyFile": default, "commandAuth": "either", "commandKeys": keys,
        "commandLockout": {"failures": LOCKOUT_FAILURES, "seconds": LOCKOUT_SECONDS}})
    for name in ("hash", "mac", "either"):
        SHARED[name].wait_ready()


def tearDownModule():
    for name in ("hash", "mac", "either", "server"):
        if name in SHARED:
            SHARED[name].kill()
    for name in ("hash", "mac", "either"):
        if name in SHARED:
            shutil.rmtree(SHARED[name].workdir, ignore_errors=True)
    shutil.rmtree(SHARED["folder"], ignore_errors=True)


def fields_of(line):
    """The name=value fields of an audit line."""
    return {name: value.strip('"') for name, value in FIELD.findall(AUDIT.match(line).group(2))}


def exchange(port, query, source):
    """Sends QUERY (a dict) from the loopback address SOURCE and gives the
    answer as a dict."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.settimeout(20 * SLOW)
        s.bind((source, 0))
        s.connect(("127.0.0.1", port))
        s.sendall(json.dumps(query, ensure_ascii=False).encode(CODEPAGE))
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                return json.loads(data.decode(CODEPAGE))
            data += chunk


_sources = iter(range(1, 60000))


def new_source():
    """A loopback address that no other query of this run came from: the
    refusals of one query count towards no other's lock-out."""
    number = next(_sources)
    return "127.1.%d.%d" % (number // 250, number % 250 + 1)


class Security(unittest.TestCase):
    def ask(self, mode, query, source=None, audited=True):
        """The answer to QUERY from the gateway of MODE and the fields of
        the audit line of its session (None when not AUDITED, after
        checking that the session wrote none)."""
        gateway = SHARED[mode]
        marker = "q%d" % next(_ids)
        answer = exchange(gateway.port, dict(query, id=marker), source or new_source())
        answer.pop("id", None)  # carried back by successful answers only
        start = gateway.wait_line(lambda line: re.search(r'"id": ?"%s"' % marker, line))
        prefix = re.match(r"^\[#\d+\] ", gateway.lines()[start]).group(0)
        end = gateway.wait_line(lambda line: line.startswith(prefix) and " disconnected, total clients" in line,
                                start=start)
        if not audited:
            time.sleep(0.2 * SLOW)
            self.assertFalse(any(line.startswith(prefix + "Command audit: ") for line in gateway.lines()[end:]))
            return answer, None
        # The audit line follows the session's other lines.
        index = gateway.wait_line(lambda line: line.startswith(prefix + "Command audit: "), start=end)
        return answer, fields_of(gateway.lines()[index])

    def assert_audit(self, audit, **expected):
        self.assertIsNotNone(audit)
        self.assertEqual({name: audit.get(name) for name in expected}, expected, audit)


class Modes(Security):
    def test_each_mode_with_hash_mac_and_both(self):
        missing_hash = {"error": "ERROR: hash missing or invalid"}
        missing_mac = {"error": "ERROR: mac missing or invalid"}
        cases = [
            ("hash", ("hash",), OK, "hash"), ("hash", ("mac",), missing_hash, "hash"),
            ("hash", ("hash", "mac"), OK, "hash"),
            ("mac", ("hash",), missing_mac, "mac"), ("mac", ("mac",), OK, "mac"), ("mac", ("hash", "mac"), OK, "mac"),
            ("either", ("hash",), OK, "hash"), ("either", ("mac",), OK, "mac"),
            ("either", ("hash", "mac"), OK, "mac"),
        ]
        for mode, proofs, expected, scheme in cases:
            with self.subTest(mode=mode, proofs=proofs):
                answer, audit = self.ask(mode, signed({"query": "ack-ts", "ts": TS}, proofs))
                self.assertEqual(answer, expected)
                self.assert_audit(audit, scheme=scheme, outcome="done" if answer == OK else "refused")

    def test_a_wrong_hash_beside_a_good_mac_is_ignored_in_mac_mode(self):
        query = signed({"query": "set-ts", "ts": TS, "value": 1})
        query["hash"] = "0" * 64
        self.assertEqual(self.ask("mac", query)[0], OK)


class Replays(Security):
    def test_captured_mac_with_other_fields_is_refused(self):
        for mode in ("mac", "either"):
            captured = signed({"query": "set-ts", "ts": TS, "value": 1}, ("mac",))
            forgeries = {
                "point": dict(captured, ts="1.1.13"),
                "value": dict(captured, value=0),
                "type": dict(captured, query="switch-ts"),
                "key id": dict(captured, keyId="ops-1"),
            }
            for what, forged in forgeries.items():
                with self.subTest(mode=mode, other=what):
                    answer, audit = self.ask(mode, forged)
                    self.assertEqual(answer, INCORRECT)
                    self.assert_audit(audit, outcome="refused", reason="wrong MAC", scheme="mac")
            with self.subTest(mode=mode, other="none"):
                # The refusals did not spend it: the genuine command goes through once.
                self.assertEqual(self.ask(mode, captured)[0], OK)
                answer, audit = self.ask(mode, captured)
                self.assertEqual(answer, INCORRECT)
                self.assert_audit(audit, outcome="refused", reason="reused")

    def test_captured_analog_value_changed_is_refused(self):
        captured = signed({"query": "set-ti", "ti": TI, "value": 12.5}, ("mac",))
        answer, audit = self.ask("mac", dict(captured, value=125))
        self.assertEqual(answer, INCORRECT)
        self.assert_audit(audit, value="125.0000", reason="wrong MAC")
        answer, audit = self.ask("mac", captured)
        self.assertEqual(answer, OK)
        self.assert_audit(audit, type="set-ti", point="1.1.6", value="12.5000", outcome="done")


class NamedKeys(Security):
    def test_named_key_default_key_and_unknown_ids(self):
        ops = {"query": "ack-ts", "ts": TS, "keyId": "ops-1"}
        cases = [
            (signed(ops, ("mac",), OPS_KEY), OK, {"key": "ops-1", "outcome": "done"}),
            (signed(ops, ("mac",), DEFAULT_KEY), INCORRECT, {"key": "ops-1", "reason": "wrong MAC"}),
            (signed({"query": "ack-ts", "ts": TS}, ("mac",)), OK, {"key": "default", "outcome": "done"}),
            (signed(dict(ops, keyId="nobody"), ("mac",)), INCORRECT, {"key": "nobody", "reason": "unknown key"}),
            (signed(dict(ops, keyId="no such id!"), ("mac",)), INCORRECT,
             {"key": "(invalid", "reason": "unknown key"}),
        ]
        for query, expected, fields in cases:
            with self.subTest(key=query.get("keyId"), expected=expected):
                answer, audit = self.ask("mac", query)
                self.assertEqual(answer, expected)
                self.assert_audit(audit, **fields)

    def test_the_hash_uses_the_default_key_only(self):
        answer, audit = self.ask("either", signed({"query": "ack-ts", "ts": TS, "keyId": "ops-1"}, ("hash",)))
        self.assertEqual(answer, OK)
        self.assert_audit(audit, key="default", scheme="hash")


class AuditLines(Security):
    def test_fields_of_done_and_failed(self):
        source = new_source()
        answer, audit = self.ask("either", signed({"query": "set-ts", "ts": TS, "value": 1}), source)
        self.assertEqual(answer, OK)
        self.assert_audit(audit, client=source, type="set-ts", point="1.1.12", value="1", key="default",
                          scheme="mac", outcome="done")
        server = SHARED["server"]
        self.assertTrue(server.admin({"op": "fail", "call": "tvxSetValues", "count": 1})["ok"])
        self.addCleanup(server.admin, {"op": "fail", "call": "tvxSetValues", "count": 0})
        answer, audit = self.ask("hash", signed({"query": "set-ts", "ts": "01.001.12", "value": 0}, ("hash",)))
        self.assertEqual(answer, {"error": "ERROR: command failure"})
        self.assert_audit(audit, point="1.1.12", value="0", scheme="hash", outcome="failed",
                          error="ERROR: command failure")

    def test_refusal_reasons(self):
        now = fresh_ms()
        cases = [
            ("stale timestamp", signed({"query": "ack-ts", "ts": TS}, timestamp=now - 200000)),
            ("timestamp ahead of the gateway's clock", signed({"query": "ack-ts", "ts": TS}, timestamp=now + 5000)),
            ("wrong hash", dict(signed({"query": "ack-ts", "ts": TS}, ("hash",)), hash="f" * 64)),
            ("wrong MAC", dict(signed({"query": "ack-ts", "ts": TS}, ("mac",)), mac="f" * 64)),
        ]
        for reason, query in cases:
            with self.subTest(reason=reason):
                source = new_source()
                answer, audit = self.ask("either", query, source)
                self.assertEqual(answer, INCORRECT)
                self.assert_audit(audit, client=source, type="ack-ts", point="1.1.12", value="-",
                                  outcome="refused", reason=reason)
                if "timestamp" in reason:
                    clock = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d{3})?Z$")
                    self.assertRegex(audit["timestamp"], clock)
                    self.assertRegex(audit["gateway"], clock)
                    self.assertNotEqual(audit["timestamp"][:19], audit["gateway"][:19])

    def test_only_commands_that_reach_authorisation_are_audited(self):
        answer, _ = self.ask("hash", {"query": "test"}, audited=False)
        self.assertIn("serverTime", answer)
        answer, _ = self.ask("hash", {"query": "set-ts", "ts": TS, "value": 7}, audited=False)
        self.assertEqual(answer, {"error": "ERROR: value missing or invalid"})
        answer, audit = self.ask("mac", {"query": "set-ts", "ts": TS, "value": 1, "hash": "0" * 64})
        self.assertEqual(answer, {"error": "ERROR: mac missing or invalid"})
        self.assert_audit(audit, scheme="mac", outcome="refused", reason="mac missing or invalid")


class Lockout(Security):
    SOURCE = "127.0.0.2"

    def test_lockout_starts_after_n_failures_spares_reads_and_ends(self):
        gateway = SHARED["either"]
        for attempt in range(LOCKOUT_FAILURES):
            answer, _ = self.ask("either", dict(signed({"query": "ack-ts", "ts": TS}), mac="0" * 64), self.SOURCE)
            self.assertEqual(answer, INCORRECT)
        locked_at = time.monotonic()
        answer, audit = self.ask("either", signed({"query": "ack-ts", "ts": TS}), self.SOURCE)
        self.assertEqual(answer, INCORRECT)
        self.assert_audit(audit, client=self.SOURCE, outcome="refused", reason="locked out")
        announced = [line for line in gateway.lines() if "commands from %s locked out" % self.SOURCE in line]
        self.assertEqual(len(announced), 1, announced)
        # Another address is not locked out; reads from this one are served.
        self.assertEqual(self.ask("either", signed({"query": "ack-ts", "ts": TS}))[0], OK)
        self.assertIn("serverTime", self.ask("either", {"query": "test"}, self.SOURCE, audited=False)[0])
        answer, audit = self.ask("either", signed({"query": "ack-ts", "ts": TS}), self.SOURCE)
        self.assertEqual((answer, audit["reason"]), (INCORRECT, "locked out"))
        time.sleep(max(0.0, locked_at + LOCKOUT_SECONDS + 0.5 - time.monotonic()))
        answer, audit = self.ask("either", signed({"query": "ack-ts", "ts": TS}), self.SOURCE)
        self.assertEqual(answer, OK)
        self.assert_audit(audit, outcome="done")
        self.assertTrue(any(line == "Commands from %s are no longer locked out" % self.SOURCE
                            for line in gateway.lines()))


class WeakKeys(Security):
    def test_weak_key_warned_after_ready_line(self):
        gateway = SHARED["mac"]
        lines = gateway.lines()
        ready = lines.index("Vorlane ready, port %d." % gateway.port)
        self.assertEqual(lines[ready + 1], "WARNING: command key weak is shorter than 16 bytes")
        self.assertEqual([line for line in lines if "WARNING: command key" in line], [lines[ready + 1]])
        # The weak key still signs.
        query = signed({"query": "ack-ts", "ts": TS, "keyId": "weak"}, ("mac",), WEAK_KEY)
        self.assertEqual(self.ask("mac", query)[0], OK)


class Client(Security):
    def run_client(self, mode, *args, key_path=None):
        env = dict(os.environ)
        env.pop("VORLANE_COMMAND_KEY", None)
        if key_path is None:
            env["VORLANE_COMMAND_KEY"] = DEFAULT_KEY
        else:
            args = ("--key-file", key_path) + args
        start = len(SHARED[mode].lines())
        result = subprocess.run(program("vorlane-query") + ["--port", str(SHARED[mode].port)] + list(args),
                                stdin=subprocess.DEVNULL, capture_output=True, env=env, timeout=60 * SLOW)
        if result.returncode == 2:
            return result.returncode, result.stderr.decode(CODEPAGE, errors="replace"), None
        index = SHARED[mode].wait_line(lambda line: AUDIT.match(line), start=start)
        return result.returncode, result.stderr.decode(CODEPAGE, errors="replace"), fields_of(SHARED[mode].lines()[index])

    def test_each_auth_against_each_mode(self):
        cases = [
            ("either", [], 0, "mac"), ("either", ["--auth", "both"], 0, "mac"),
            ("either", ["--auth", "hash"], 0, "hash"), ("either", ["--auth", "mac"], 0, "mac"),
            ("hash", [], 0, "hash"), ("hash", ["--auth", "mac"], 1, "hash"),
            ("mac", ["--auth", "hash"], 1, "mac"), ("mac", ["--auth", "mac"], 0, "mac"),
        ]
        for mode, args, status, scheme in cases:
            for command in (["set-ti", "ti=001.1.6", "value=-3"], ["switch-ts", "ts=1.1.12"]):
                with self.subTest(mode=mode, args=args, command=command[0]):
                    code, err, audit = self.run_client(mode, *args, *command)
                    self.assertEqual(code, status, err)
                    self.assertEqual(audit["scheme"], scheme)

    def test_key_id_signs_with_the_named_key(self):
        path = native_path(os.path.join(SHARED["folder"], "ops-1.key"))
        code, err, audit = self.run_client("mac", "--key-id", "ops-1", "set-ts", "ts=1.1.12", "value=1", key_path=path)
        self.assertEqual(code, 0, err)
        self.assertEqual(audit["key"], "ops-1")
        code, err, _ = self.run_client("mac", "--key-id", "ops-1", "--auth", "hash", "ack-ts", "ts=1.1.12")
        self.assertEqual(code, 2, err)


if __name__ == "__main__":
    unittest.main()
