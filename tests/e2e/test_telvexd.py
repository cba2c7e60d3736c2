"""telvexd as a program: its start-up line, its options and dataset errors,
and its admin interface (JSON lines on a loopback port). The library's own
calls are tested by the unit tests TelvexTest, TelvexEventLogTest and
TelvexFaultsTest against the same simulator."""

import json
import os
import socket
import subprocess
import tempfile
import unittest

import harness


def run(args, timeout=30):
    """Runs telvexd to its end; its exit status and output."""
    proc = subprocess.run(harness.program("telvexd") + args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL, timeout=timeout * harness.SLOW)
    return proc.returncode, proc.stdout.decode("utf-8", errors="replace")


class AdminTest(harness.GatewayTestCase):
    def setUp(self):
        super().setUp()
        self.server = self.start_telvexd()

    def test_demo_dataset_is_the_default(self):
        answer = self.server.admin({"op": "current"})
        self.assertTrue(answer["ok"])
        # The demo dataset numbers its events beyond 32 bits, with a history of thousands.
        self.assertGreater(answer["eventNumber"], 5000000001 + 3000)
        self.assertRegex(answer["time"], r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}$")
        point = self.server.admin({"op": "get", "kind": "ts", "address": "1.1.1"})
        self.assertEqual(point["name"], "Выключатель В-110 Т1")
        self.assertIn(point["value"], (0, 1))
        self.assertEqual(self.server.admin({"op": "get", "kind": "rtu", "address": "2.1"})["name"],
                         "ПС 220 кВ Центральная")

    def test_points_change_and_read_back(self):
        self.assertTrue(self.server.admin({"op": "set", "kind": "ti", "address": "1.1.3", "value": 49.5,
                                           "setFlags": 8, "name": "Частота сети"})["ok"])
        point = self.server.admin({"op": "get", "kind": "ti", "address": "1.1.3"})
        self.assertEqual(point["name"], "Частота сети")
        self.assertAlmostEqual(point["value"], 49.5)
        self.assertEqual(point["flags"] & 8, 8)
        before = self.server.admin({"op": "current"})["eventNumber"]
        self.assertTrue(self.server.admin({"op": "set", "kind": "ts", "address": "3.2.1", "value": 0})["ok"])
        self.assertGreater(self.server.admin({"op": "current"})["eventNumber"], before)  # a status change event
        self.assertEqual(self.server.admin({"op": "get", "kind": "ts", "address": "3.2.1"})["value"], 0)

    def test_injected_events_and_messages(self):
        record = b"01.02.2020 10:20:30".ljust(24, b"\0") + bytes([1, 0, 64, 0, 1, 0, 2, 0, 3, 0]) + bytes(22)
        answer = self.server.admin({"op": "inject", "event": record.hex()})
        self.assertTrue(answer["ok"])
        self.assertEqual(answer["number"], self.server.admin({"op": "current"})["eventNumber"])
        self.assertTrue(self.server.admin({"op": "message", "index": 77, "kind": 0x66, "text1": "Первая",
                                           "text2": "Вторая"})["ok"])
        self.assertFalse(self.server.admin({"op": "inject", "event": "zz"})["ok"])

    def test_faults_and_counters(self):
        for request in ({"op": "fail", "call": "tvxSetValues", "count": 3}, {"op": "refuse", "seconds": 0},
                        {"op": "eventlog", "usable": False}, {"op": "eventlog", "usable": True},
                        {"op": "delay", "ms": 0}, {"op": "drop"}, {"op": "reset"}):
            self.assertTrue(self.server.admin(request)["ok"], request)
        counters = self.server.admin({"op": "counters"})["counters"]
        self.assertEqual(counters["tvxSetValues"], 0)
        self.assertIn("tvxEventLogByElix", counters)
        self.assertEqual(self.server.admin({"op": "drop"})["dropped"], 0)

    def test_one_connection_carries_many_lines_and_errors_are_answers(self):
        with socket.create_connection(("127.0.0.1", self.server.admin_port), timeout=10 * harness.SLOW) as s:
            s.sendall(b'{"op":"ping"}\r\n\nnot json\n{"op":"bogus"}\n{"op":"fail","call":"tvxNope","count":1}\n')
            data = b""
            while data.count(b"\n") < 4:
                chunk = s.recv(65536)
                if not chunk:
                    break
                data += chunk
        answers = [json.loads(line) for line in data.decode("utf-8").splitlines()]
        self.assertEqual(len(answers), 4)
        self.assertTrue(answers[0]["ok"])
        for answer in answers[1:]:
            self.assertFalse(answer["ok"])
            self.assertTrue(answer["error"])


class StartTest(harness.GatewayTestCase):
    def test_a_taken_pipe_name_is_an_error(self):
        first = self.start_telvexd()
        code, output = run(["--pipe", first.pipe])
        self.assertEqual(code, 1)
        self.assertIn("cannot listen on pipe " + first.pipe, output)

    def test_bad_options_are_refused(self):
        self.assertEqual(run(["--admin", "0"])[0], 2)
        self.assertEqual(run(["--frobnicate", "1"])[0], 2)
        self.assertEqual(run(["--pipe"])[0], 2)

    def test_dataset_errors_name_the_problem(self):
        cases = [
            ("{ /* comment */ \"channels\": [ { \"name\": \"no number\" } ] }", "a channel needs \"number\""),
            ("{ \"channels\": [ { \"number\": 1, \"rtus\": [ { \"number\": 1, \"status\": [ "
             "{ \"point\": 2 }, { \"point\": 2 } ] } ] } ] }", "point 2 is defined twice"),
            ("{ \"channels\": [ { \"number\": 1, \"rtus\": [ { \"number\": 1, \"status\": [ "
             "{ \"point\": 1, \"reserve\": \"1-2-3\" } ] } ] } ] }", "channel:rtu:point"),
            ("[1, 2]", "one JSON object"),
        ]
        for text, message in cases:
            with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False, encoding="utf-8") as f:
                f.write(text)
            try:
                code, output = run(["--pipe", harness.unique_pipe(), "--dataset", f.name])
            finally:
                os.unlink(f.name)
            self.assertEqual(code, 1, output)
            self.assertIn(message, output)
        code, output = run(["--pipe", harness.unique_pipe(), "--dataset", "no-such-file.json"])
        self.assertEqual(code, 1)
        self.assertIn("cannot read the dataset file", output)

    @unittest.skipIf(harness.WINDOWS, "a console interrupt does not reach a program under wine")
    def test_an_interrupt_stops_it(self):
        server = self.start_telvexd()
        server.interrupt()
        self.assertEqual(server.wait_exit(), 0)
        self.assertIn("telvexd stopped", server.lines())


if __name__ == "__main__":
    unittest.main()
