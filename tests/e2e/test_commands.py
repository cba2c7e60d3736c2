"""The control commands set-ts, switch-ts, ack-ts and set-ti: their field
checks, the command authorisation (key, hash, timestamp window, replay),
the changes seen through telvexd's admin interface, failures of the
library calls, and the command events read back with "events-current"."""

import hashlib
import json
import locale
import re
import socket
import threading
import time
import unittest

from clients import ask
from harness import CODEPAGE, SLOW, WINDOWS, GatewayTestCase, Gateway, Telvexd


def cyrillic_command_line():
    """Whether Cyrillic letters reach the gateway's command line intact:
    wine passes them only when the Russian UTF-8 locale exists."""
    if not WINDOWS:
        return True
    try:
        saved = locale.setlocale(locale.LC_CTYPE)
        locale.setlocale(locale.LC_CTYPE, "ru_RU.UTF-8")
        locale.setlocale(locale.LC_CTYPE, saved)
        return True
    except locale.Error:
        return False


CYRILLIC = cyrillic_command_line()
# A key with Cyrillic letters: it is hashed as its Windows-1251 bytes on
# every build.
KEY = "Ключ-7q" if CYRILLIC else "Key-7q"
OK = {"ok": "1"}
INCORRECT = {"error": "ERROR: incorrect hash"}
FLAG_MANUAL = 0x0008
FLAG_UNACKED = 0x4000
# Points of the demo dataset without dynamics of their own.
TS = "1.1.10"
TS_OTHER = "1.1.11"
TI = "1.1.6"


def sign(timestamp, key=KEY):
    text = b"!Rmq-tux@" + key.encode("cp1251") + b"@" + str(timestamp).encode() + b"!"
    return hashlib.sha256(text).hexdigest()


_last_ms = [0]


def fresh_ms():
    """A timestamp of now that no earlier call of this run has given, so
    that every signed command has a hash of its own."""
    _last_ms[0] = max(_last_ms[0] + 1, int(time.time() * 1000))
    return _last_ms[0]


def signed(query, timestamp=None):
    timestamp = fresh_ms() if timestamp is None else timestamp
    return dict(query, hash=sign(timestamp), timestamp=timestamp)


def early_in_a_second():
    """Waits until the clock has just passed a whole second and returns it,
    so that the gateway, rounding its clock to the nearest second, is sure
    to read that same second for the next few hundred milliseconds."""
    while True:
        now = time.time()
        if now % 1 < 0.05:
            return int(now)
        time.sleep(min(0.01, 1 - now % 1))


class Commands(GatewayTestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Telvexd()
        cls.gateway = Gateway([("/commandkey=" + KEY).encode("utf-8")], server_pipe=cls.server.pipe)
        cls.gateway.wait_ready()

    @classmethod
    def tearDownClass(cls):
        cls.gateway.kill()
        cls.server.kill()

    def ask(self, query):
        return ask(self.gateway.port, json.dumps(query, ensure_ascii=False).encode(CODEPAGE))

    def point(self, kind, address):
        request = json.dumps({"op": "get", "kind": kind, "address": address}).encode() + b"\n"
        with socket.create_connection(("127.0.0.1", self.server.admin_port), timeout=10 * SLOW) as s:
            s.sendall(request)
            raw = s.makefile("rb").readline()
        # telvexd writes a whole analog value with a bare point ("7."),
        # which Python's reader does not take.
        answer = json.loads(re.sub(rb"(\d)\.(?=[,}])", rb"\1", raw))
        self.assertTrue(answer["ok"], answer)
        return answer

    def reset_point(self, kind, address, value, flags=0):
        answer = self.server.admin({"op": "set", "kind": kind, "address": address, "value": value, "flags": flags,
                                    "event": False})
        self.assertTrue(answer["ok"], answer)

    def fail_next(self, call):
        self.assertTrue(self.server.admin({"op": "fail", "call": call, "count": 1})["ok"])
        self.addCleanup(self.server.admin, {"op": "fail", "call": call, "count": 0})

    def counter(self, call):
        return self.server.admin({"op": "counters"})["counters"].get(call, 0)

    # ---- Reading the command events back ---------------------------------

    def last_event_id(self):
        answer = self.ask({"query": "events-current"})
        if answer == {"error": "ERROR: query type unknown"}:
            self.skipTest("events-current is not served by this build")
        return answer["lastEventId"]

    def events_since(self, event_id):
        answer = self.ask({"query": "events-current", "fromEventId": event_id})
        self.assertIn("events", answer, answer)
        return answer["events"]

    def only_event_of(self, event_id, address):
        events = [e for e in self.events_since(event_id) if e["adr"].endswith(address.replace(".", ":"))]
        self.assertEqual(len(events), 1, events)
        return events[0]


class TestSuccess(Commands):
    def test_set_ts_sets_the_state_and_flag_m(self):
        for value in (0, 1):
            with self.subTest(value=value):
                self.reset_point("ts", TS, 1 - value)
                self.assertEqual(self.ask(signed({"query": "set-ts", "ts": TS, "value": value})), OK)
                point = self.point("ts", TS)
                self.assertEqual((point["value"], point["flags"] & FLAG_MANUAL), (value, FLAG_MANUAL))

    def test_switch_ts_turns_the_state_over(self):
        for before in (1, 0):
            with self.subTest(before=before):
                self.reset_point("ts", TS, before)
                # A "value" of the client's is replaced by the turned state.
                self.assertEqual(self.ask(signed({"query": "switch-ts", "ts": TS, "value": before})), OK)
                self.assertEqual(self.point("ts", TS)["value"], 1 - before)

    def test_ack_ts_clears_flag_u_only(self):
        self.reset_point("ts", TS, 1, flags=FLAG_UNACKED | FLAG_MANUAL)
        self.assertEqual(self.ask(signed({"query": "ack-ts", "ts": TS})), OK)
        self.assertEqual(self.point("ts", TS)["flags"], FLAG_MANUAL)

    def test_set_ti_takes_integers_and_four_decimals(self):
        for value in (7, 12.5, -0.1234):
            with self.subTest(value=value):
                self.reset_point("ti", TI, 99)
                self.assertEqual(self.ask(signed({"query": "set-ti", "ti": TI, "value": value})), OK)
                point = self.point("ti", TI)
                self.assertAlmostEqual(point["value"], value, places=4)
                self.assertEqual(point["flags"] & FLAG_MANUAL, FLAG_MANUAL)

    def test_key_with_cyrillic_letters(self):
        if not CYRILLIC:
            self.skipTest("no ru_RU.UTF-8 locale: wine cannot pass Cyrillic letters on the command line")
        self.assertEqual(self.ask(signed({"query": "ack-ts", "ts": TS})), OK)

    def test_type_letters_in_any_case(self):
        self.reset_point("ts", TS, 0)
        self.assertEqual(self.ask(signed({"query": "SET-Ts", "ts": TS, "value": 1})), OK)

    def test_command_events(self):
        start = self.last_event_id()
        self.reset_point("ts", TS, 1)
        self.reset_point("ts", TS_OTHER, 0)
        self.assertEqual(self.ask(signed({"query": "switch-ts", "ts": TS})), OK)
        switched = self.only_event_of(start, TS)
        self.assertEqual((switched["imp"], switched["adr"], switched["t"]), (1, "#TC1:1:10", "Вручную"))

        start = self.last_event_id()
        self.assertEqual(self.ask(signed({"query": "set-ti", "ti": TI, "value": 12.5})), OK)
        analog = self.only_event_of(start, TI)
        self.assertEqual((analog["imp"], analog["adr"], analog["t"]), (1, "#TT1:1:6", "РУЧН."))
        self.assertEqual(analog["st"].replace(",", "."), "12.500")

        start = self.last_event_id()
        self.assertEqual(self.ask(signed({"query": "ack-ts", "ts": TS_OTHER})), OK)
        ack = self.only_event_of(start, TS_OTHER)
        self.assertEqual((ack["imp"], ack["adr"], ack["t"], ack["st"]), (0, "#TC1:1:11", "Квитирование", ""))


class TestFields(Commands):
    CASES = [
        # (query without authorisation, message). Field checks come first,
        # so none of these needs a valid signature.
        ({"query": "set-ts", "value": 1}, "ERROR: TS missing or invalid"),
        ({"query": "set-ts", "ts": 1, "value": 1}, "ERROR: TS missing or invalid"),
        ({"query": "set-ts", "ts": TS}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": 2}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": True}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": "1"}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": 1.0}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": -1}, "ERROR: value missing or invalid"),
        # Only the low 16 bits of these are 0 or 1: refused all the same.
        ({"query": "set-ts", "ts": TS, "value": 65536}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": TS, "value": 65537}, "ERROR: value missing or invalid"),
        # The value is checked before the address is parsed.
        ({"query": "set-ts", "ts": "1.0.1", "value": 5}, "ERROR: value missing or invalid"),
        ({"query": "set-ts", "ts": "1.0.1", "value": 1}, "ERROR: TS missing or invalid"),
        ({"query": "set-ts", "ts": "x", "value": 1}, "ERROR: TS missing or invalid"),
        ({"query": "switch-ts"}, "ERROR: TS missing or invalid"),
        ({"query": "switch-ts", "ts": "256.1.1"}, "ERROR: TS missing or invalid"),
        ({"query": "ack-ts", "ts": ["1.1.1"]}, "ERROR: TS missing or invalid"),
        ({"query": "ack-ts", "ts": "1.1.0"}, "ERROR: TS missing or invalid"),
        ({"query": "set-ti", "value": 1}, "ERROR: TI missing or invalid"),
        ({"query": "set-ti", "ti": TI}, "ERROR: value missing or invalid"),
        ({"query": "set-ti", "ti": TI, "value": "1"}, "ERROR: value missing or invalid"),
        ({"query": "set-ti", "ti": TI, "value": 0.12345}, "ERROR: value missing or invalid"),
        ({"query": "set-ti", "ti": "1.0.1", "value": 1}, "ERROR: TI missing or invalid"),
    ]

    # Number texts that Python would not write.
    RAW_CASES = [
        ('{"query":"set-ti","ti":"%s","value":1e3}' % TI, "ERROR: value missing or invalid"),
        ('{"query":"set-ts","ts":"%s","value":1E0}' % TS, "ERROR: value missing or invalid"),
    ]

    def test_field_messages_before_authorisation(self):
        for query, message in self.CASES:
            with self.subTest(query=query):
                self.assertEqual(self.ask(query), {"error": message})
        for text, message in self.RAW_CASES:
            with self.subTest(text=text):
                self.assertEqual(ask(self.gateway.port, text), {"error": message})

    def test_failed_state_read_of_switch_ts(self):
        # telvexd answers -1 for an unknown point; turned over that is no state.
        self.assertEqual(self.ask(signed({"query": "switch-ts", "ts": "3.9.999"})),
                         {"error": "ERROR: value missing or invalid"})


class TestAuthorisation(Commands):
    SET = {"query": "set-ts", "ts": TS, "value": 1}

    def test_member_messages(self):
        ts = fresh_ms()
        cases = [
            ({}, "ERROR: hash missing or invalid"),
            ({"timestamp": ts}, "ERROR: hash missing or invalid"),
            ({"hash": 5, "timestamp": ts}, "ERROR: hash missing or invalid"),
            ({"hash": sign(ts)}, "ERROR: timestamp missing or invalid"),
            ({"hash": sign(ts), "timestamp": str(ts)}, "ERROR: timestamp missing or invalid"),
            ({"hash": sign(ts), "timestamp": ts + 0.5}, "ERROR: timestamp missing or invalid"),
            ({"hash": sign(ts), "timestamp": float(ts) * 10}, "ERROR: timestamp missing or invalid"),
            ({"hash": sign(ts).upper(), "timestamp": ts}, "ERROR: incorrect hash"),
            ({"hash": sign(ts)[:63], "timestamp": ts}, "ERROR: incorrect hash"),
            ({"hash": sign(ts + 1), "timestamp": ts}, "ERROR: incorrect hash"),
            ({"hash": sign(ts, key=KEY + "x"), "timestamp": ts}, "ERROR: incorrect hash"),
        ]
        for members, message in cases:
            with self.subTest(members=members):
                self.assertEqual(self.ask(dict(self.SET, **members)), {"error": message})
        # None of the refusals used the hash up.
        self.assertEqual(self.ask(dict(self.SET, hash=sign(ts), timestamp=ts)), OK)

    def test_window_on_whole_seconds(self):
        cases = [(-120, 0, OK), (-120, 999, OK), (0, 999, OK), (-121, 999, INCORRECT), (1, 0, INCORRECT)]
        for seconds, ms, expected in cases:
            with self.subTest(seconds=seconds, ms=ms):
                timestamp = (early_in_a_second() + seconds) * 1000 + ms
                self.assertEqual(self.ask(signed(self.SET, timestamp)), expected)

    def test_leading_zeros_are_not_hashed(self):
        ts = fresh_ms()
        raw = '{"query":"set-ts","ts":"%s","value":1,"hash":"%s","timestamp":000%d}' % (TS, sign(ts), ts)
        self.assertEqual(ask(self.gateway.port, raw), OK)

    def test_no_replay_within_the_window(self):
        first = signed({"query": "ack-ts", "ts": TS})
        self.assertEqual(self.ask(first), OK)
        self.assertEqual(self.ask(first), INCORRECT)
        # However many other commands follow, the hash stays used.
        for _ in range(33):
            self.assertEqual(self.ask(signed({"query": "ack-ts", "ts": TS_OTHER})), OK)
        self.assertEqual(self.ask(first), INCORRECT)
        # Nor does another command with the same proof pass.
        self.assertEqual(self.ask(dict(first, query="set-ts", value=1)), INCORRECT)

    def test_two_clients_with_one_signed_command(self):
        payload = json.dumps(signed(self.SET)).encode(CODEPAGE)
        answers = []
        gate = threading.Barrier(2)

        def send():
            gate.wait()
            answers.append(ask(self.gateway.port, payload))

        threads = [threading.Thread(target=send) for _ in range(2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(30 * SLOW)
        self.assertEqual(sorted(answers, key=str), [INCORRECT, OK])


class TestLibraryFailures(Commands):
    def test_failed_set_values_still_marks_the_point(self):
        self.reset_point("ts", TS, 0)
        flags_calls = self.counter("tvxSetStatusFlags")
        self.fail_next("tvxSetValues")
        self.assertEqual(self.ask(signed({"query": "set-ts", "ts": TS, "value": 1})),
                         {"error": "ERROR: command failure"})
        point = self.point("ts", TS)
        self.assertEqual((point["value"], point["flags"]), (0, FLAG_MANUAL))
        self.assertEqual(self.counter("tvxSetStatusFlags"), flags_calls + 1)

    def test_failed_set_analog_still_marks_the_point(self):
        self.reset_point("ti", TI, 3)
        events = self.counter("tvxRegEvent")
        self.fail_next("tvxSetAnalog")
        self.assertEqual(self.ask(signed({"query": "set-ti", "ti": TI, "value": 4})),
                         {"error": "ERROR: command failure"})
        point = self.point("ti", TI)
        self.assertEqual((point["value"], point["flags"]), (3, FLAG_MANUAL))
        self.assertEqual(self.counter("tvxRegEvent"), events)

    def test_failed_acknowledgement(self):
        self.reset_point("ts", TS, 0, flags=FLAG_UNACKED)
        self.fail_next("tvxClrStatusFlags")
        self.assertEqual(self.ask(signed({"query": "ack-ts", "ts": TS})), {"error": "ERROR: command failure"})
        self.assertEqual(self.point("ts", TS)["flags"], FLAG_UNACKED)

    def test_failed_event_leaves_the_change_standing(self):
        self.reset_point("ts", TS, 0)
        self.fail_next("tvxRegEvent")
        self.assertEqual(self.ask(signed({"query": "set-ts", "ts": TS, "value": 1})),
                         {"error": "ERROR: command event not added"})
        self.assertEqual(self.point("ts", TS)["value"], 1)


class TestWithoutKey(GatewayTestCase):
    def test_every_command_refused_after_its_field_checks(self):
        server = self.start_telvexd()
        gateway = self.start_gateway(server=server)
        gateway.wait_ready()
        ts = int(time.time() * 1000)
        cases = [
            ({"query": "set-ts", "ts": TS, "value": 1, "hash": sign(ts, key=""), "timestamp": ts},
             "Commands not supported"),
            ({"query": "switch-ts", "ts": TS}, "Commands not supported"),
            ({"query": "ack-ts", "ts": TS, "hash": 1}, "Commands not supported"),
            ({"query": "set-ti", "ti": TI, "value": 1}, "Commands not supported"),
            ({"query": "set-ti", "ti": TI, "value": "x"}, "ERROR: value missing or invalid"),
        ]
        for query, message in cases:
            with self.subTest(query=query):
                self.assertEqual(ask(gateway.port, json.dumps(query)), {"error": message})
        self.assertEqual(server.admin({"op": "counters"})["counters"].get("tvxSetValues", 0), 0)


if __name__ == "__main__":
    unittest.main()
