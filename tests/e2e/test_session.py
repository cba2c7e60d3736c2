"""One client session: the query envelope and its error answers, the "test"
query, the wire's code page, queries that arrive in pieces or too long or
not at all, the log lines of each connection, many clients at once, clients
that keep sending after their answer or come back at once, and an output
whose reader has gone."""

import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from clients import (ADDRESS, CONNECTED, DISCONNECTED, SESSION_LINE, Client, ask, count_of, exchange, session_lines,
                     session_of, wait_until)
from harness import CODEPAGE, SLOW, WINDOWS, GatewayTestCase, free_port, program

TEST_ANSWER = re.compile(rb'^\{"serverTime":"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3})","ok":"1"(,"id":"[^"]*")?\}$')


class Session(GatewayTestCase):
    ARGS = ()

    def setUp(self):
        super().setUp()
        self.server = self.start_telvexd()
        self.gateway = self.start_gateway(*self.ARGS, server=self.server)
        self.gateway.wait_ready()
        self.port = self.gateway.port

    def assert_error(self, payload, message, **kw):
        self.assertEqual(exchange(self.port, payload, **kw), ('{"error":"%s"}' % message).encode(CODEPAGE))

    def lines_of(self, marker):
        return session_lines(self.gateway, session_of(self.gateway, marker))


class TestQuery(Session):
    def test_answer_holds_server_time_then_ok(self):
        raw = exchange(self.port, '{"query":"test"}')
        self.assertRegex(raw, TEST_ANSWER)
        self.assertNotIn(b'"id"', raw)

    def test_string_id_comes_back_last(self):
        raw = exchange(self.port, '{"id":"req-17","query":"test"}')
        self.assertRegex(raw, TEST_ANSWER)
        self.assertTrue(raw.endswith(b',"id":"req-17"}'), raw)

    def test_id_of_another_kind_is_left_out(self):
        for id_value in ("17", "null", "true", '["a"]', '{"a":"b"}'):
            with self.subTest(id=id_value):
                answer = ask(self.port, '{"query":"test","id":%s}' % id_value)
                self.assertEqual(sorted(answer), ["ok", "serverTime"])

    def test_letter_case_of_the_type_does_not_matter(self):
        for kind in ("TEST", "Test", "tEsT"):
            with self.subTest(kind=kind):
                self.assertEqual(ask(self.port, '{"query":"%s"}' % kind)["ok"], "1")

    def test_lenient_syntax_is_accepted(self):
        for text in ("{'query':'test','id':'q'}",
                     "{query:test,id:q}",
                     "/* first */ {\"query\" : \"test\", // the type\n \"id\":\"q\",}",
                     "{\"query\":\"test\",\"id\":\"q\"} and anything after it"):
            with self.subTest(text=text):
                answer = ask(self.port, text)
                self.assertEqual((sorted(answer), answer["ok"], answer["id"]), (["id", "ok", "serverTime"], "1", "q"))

    def test_log_lines_of_a_served_query(self):
        exchange(self.port, '{"query":"test","id":"log-1"}')
        lines = self.lines_of("log-1")
        self.assertEqual(len(lines), 4, lines)
        self.assertEqual(lines[0].rsplit(" - ", 1)[0], ADDRESS + " connected, total clients")
        self.assertEqual(lines[1:3], ['Query: {"query":"test","id":"log-1"}', "Answer sent"])
        self.assertEqual(lines[3].rsplit(" - ", 1)[0], ADDRESS + " disconnected, total clients")

    def test_cyrillic_id_travels_in_windows_1251(self):
        raw = exchange(self.port, '{"query":"test","id":"Пароль №5"}'.encode(CODEPAGE))
        self.assertTrue(raw.endswith('"id":"Пароль №5"}'.encode(CODEPAGE)), raw)

    def test_character_outside_the_code_page_cannot_break_the_answer(self):
        # A full-width quote and a letter of no Windows-1251 glyph.
        answer = ask(self.port, r'{"query":"test","id":"a\uFF02,\u00E9"}')
        self.assertEqual(answer["id"], "a?,?")


class TestEnvelopeErrors(Session):
    def test_type_missing(self):
        for text in ('{"id":"x"}', "[1,2]", "12", "   ", '{"Query":"test"}'):
            with self.subTest(text=text):
                self.assert_error(text, "ERROR: query type missing")

    def test_type_unknown(self):
        for text in ('{"query":"tset"}', '{"query":"test "}', '{"query":5}', '{"query":null}', '{"query":""}'):
            with self.subTest(text=text):
                self.assert_error(text, "ERROR: query type unknown")

    def test_invalid_format(self):
        for text in ('{"query":"test"', '{"query" "test"}', "{'query':'test\"}", '{"query":"test"]'):
            with self.subTest(text=text):
                self.assert_error(text, "ERROR: invalid format", end_sending=True)

    def test_error_answer_carries_no_id(self):
        self.assertEqual(ask(self.port, '{"query":"nope","id":"keep-me"}'), {"error": "ERROR: query type unknown"})

    def test_no_data_when_the_client_sends_nothing(self):
        self.assert_error(b"", "No data", end_sending=True)
        # The answer can reach the client before the line reaches the test.
        index = self.gateway.wait_line(lambda line: SESSION_LINE.match(line) and line.endswith("] No data"))
        thread = SESSION_LINE.match(self.gateway.lines()[index]).group(1)
        lines = session_lines(self.gateway, thread)
        self.assertEqual(lines[1:3], ["No data", "Answer sent"])
        self.assertFalse(any(text.startswith("Query: ") for text in lines))

    def test_client_that_leaves_at_once_is_counted_in_and_out(self):
        with Client(self.port):
            pass
        index = self.gateway.wait_line(lambda line: line.endswith("disconnected, total clients - 0"))
        self.assertTrue(any(line.endswith("] No data") for line in self.gateway.lines()[:index]))
        # The gateway serves on.
        self.assertEqual(ask(self.port, '{"query":"test"}')["ok"], "1")

    def test_error_line_is_logged(self):
        exchange(self.port, '{"query":"unknown-type-7"}')
        lines = self.lines_of("unknown-type-7")
        self.assertEqual(lines[2:4], ["ERROR: query type unknown", "Answer sent"])


class TestPieces(Session):
    def test_query_sent_in_two_pieces_is_answered(self):
        with Client(self.port) as client:
            client.send('{"query":"te')
            time.sleep(0.05)
            client.send('st","id":"two-pieces"}')
            answer = client.answer()
        self.assertEqual(answer["id"], "two-pieces")
        self.assertIn('Query: {"query":"test","id":"two-pieces"}', self.lines_of("two-pieces"))

    def test_piece_that_comes_after_a_long_pause_is_not_waited_for(self):
        with Client(self.port) as client:
            client.send('{"query":"test","id":"pa')
            time.sleep(2.0 * SLOW)
            try:
                client.send('used"}')
            except OSError:
                pass
            self.assertEqual(client.answer(), {"error": "ERROR: invalid format"})

    def test_query_that_ends_its_sending_early_is_answered_at_once(self):
        self.assert_error('{"query":"te', "ERROR: invalid format", end_sending=True)

    def test_log_cannot_be_forged_by_line_breaks(self):
        forged = "[#1] 10.9.8.7 connected, total clients - 1"
        answer = ask(self.port, '{"query":"test","id":"forge"}\r\n' + forged + "\n")
        self.assertEqual(answer["id"], "forge")
        lines = self.lines_of("forge")
        self.assertEqual(lines[1], 'Query: {"query":"test","id":"forge"}\\r\\n' + forged + "\\n")
        self.assertNotIn(forged, self.gateway.lines())


class TestLength(Session):
    ARGS = ("/length=100",)

    def query_of_length(self, size, marker):
        head = '{"query":"test","id":"%s","pad":"' % marker
        return head + "x" * (size - len(head) - 2) + '"}'

    def test_longest_query_is_served(self):
        text = self.query_of_length(100, "len-100")
        self.assertEqual(len(text), 100)
        self.assertEqual(ask(self.port, text)["id"], "len-100")

    def test_one_byte_more_is_too_long_and_not_logged(self):
        text = self.query_of_length(101, "len-101")
        self.assertEqual(ask(self.port, text), {"error": "Query too long"})
        self.gateway.wait_line("] Query too long")
        self.assertFalse(any("len-101" in line for line in self.gateway.lines()))

    def test_much_longer_query_gets_its_whole_answer(self):
        text = self.query_of_length(200000, "len-200000")
        self.assertEqual(ask(self.port, text), {"error": "Query too long"})


class TestDefaultLength(Session):
    def test_query_longer_than_the_buffer_is_too_long(self):
        text = '{"query":"test","pad":"%s"}' % ("y" * 9000)
        self.assertEqual(ask(self.port, text), {"error": "Query too long"})

    def test_query_of_the_largest_length_is_served(self):
        head = '{"query":"test","id":"big","pad":"'
        text = head + "z" * (8192 - len(head) - 2) + '"}'
        self.assertEqual(ask(self.port, text)["id"], "big")


class TestTimeout(Session):
    ARGS = ("/timeout=1",)

    def test_silent_client_gets_no_data_after_the_time_out(self):
        with Client(self.port) as client:
            self.assertEqual(client.answer(), {"error": "No data"})


class TestServerDown(Session):
    def test_queries_while_the_server_is_down(self):
        self.assertEqual(ask(self.port, '{"query":"test"}')["ok"], "1")
        self.server.kill()
        for kind in ("test", "TEST", "unknown"):
            with self.subTest(kind=kind):
                self.assertEqual(ask(self.port, '{"query":"%s","id":"x"}' % kind), {"error": "Server is disconnected"})
        self.assertEqual(ask(self.port, '{"id":"x"}'), {"error": "Server is disconnected"})


class TestManyClients(Session):
    ARGS = ("/threads=32",)
    CLIENTS = 32
    ROUNDS = 10

    def test_every_client_is_answered_and_logged_in_order(self):
        answers = {}
        errors = []
        start = threading.Barrier(self.CLIENTS)

        def run(index):
            try:
                start.wait()
                for round_ in range(self.ROUNDS):
                    marker = "c%d-r%d" % (index, round_)
                    answers[marker] = ask(self.port, '{"query":"test","id":"%s"}' % marker)
            except Exception as error:  # reported below, with the others
                errors.append(repr(error))

        threads = [threading.Thread(target=run, args=(i,)) for i in range(self.CLIENTS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(120 * SLOW)
        self.assertEqual(errors, [])
        total = self.CLIENTS * self.ROUNDS
        self.assertEqual(len(answers), total)
        for marker, answer in answers.items():
            self.assertEqual(answer.get("id"), marker, answer)

        wait_until(lambda: sum(1 for line in self.gateway.lines() if SESSION_LINE.match(line)
                               and DISCONNECTED.match(SESSION_LINE.match(line).group(2))) == total,
                   timeout=30, what="every disconnected line")
        self.assert_sessions_complete(total)

    def assert_sessions_complete(self, total):
        """Each thread's lines are whole sessions one after another:
        connected, query, answer sent, disconnected (a thread number may come
        back for a later thread)."""
        by_thread = {}
        for line in self.gateway.lines():
            match = SESSION_LINE.match(line)
            if match:
                by_thread.setdefault(match.group(1), []).append(match.group(2))
        markers = set()
        for thread, texts in by_thread.items():
            self.assertEqual(len(texts) % 4, 0, texts)
            for i in range(0, len(texts), 4):
                connected, query, sent, disconnected = texts[i:i + 4]
                self.assertTrue(CONNECTED.match(connected) and connected.startswith(ADDRESS + " "), texts)
                self.assertTrue(1 <= count_of(connected) <= self.CLIENTS, connected)
                self.assertTrue(query.startswith('Query: {"query":"test","id":"'), texts)
                markers.add(query.split('"id":"')[1].rstrip('"}'))
                self.assertEqual(sent, "Answer sent")
                self.assertTrue(DISCONNECTED.match(disconnected) and disconnected.startswith(ADDRESS + " "), texts)
        self.assertEqual(len(markers), total)


class TestBackToBack(Session):
    ARGS = ("/threads=1",)

    def test_client_that_connects_again_right_after_its_answer_is_admitted(self):
        # The one place is free once the answer has come, though the session
        # that gave it may still be closing.
        for index in range(50):
            self.assertEqual(ask(self.port, '{"query":"test","id":"b%d"}' % index).get("id"), "b%d" % index)


@unittest.skipIf(WINDOWS or not sys.platform.startswith("linux"), "threads and descriptors of a process: Linux")
class TestClientShare(Session):
    LIMIT = 5
    ARGS = ("/threads=%d" % LIMIT,)
    # Sessions beyond the limit that may drain or close after their answer.
    DRAIN_SLOTS = 4
    CLIENTS = 60

    def usage(self):
        """The gateway's threads and open descriptors now."""
        with open("/proc/%d/status" % self.gateway.pid) as f:
            threads = int(next(line for line in f if line.startswith("Threads:")).split()[1])
        return threads, len(os.listdir("/proc/%d/fd" % self.gateway.pid))

    def dribble(self, stop, answered):
        """Asks, reads the answer, then sends a byte every 100 ms for 3 s;
        over and over until STOP."""
        while not stop.is_set():
            try:
                with Client(self.port, timeout=5) as client:
                    client.send('{"query":"test"}')
                    if not client.read_to_end():
                        stop.wait(0.2)  # refused: max clients
                        continue
                    answered.append(True)
                    for _ in range(30):
                        if stop.wait(0.1):
                            break
                        client.send(b" ")
            except OSError:
                stop.wait(0.1)  # the gateway closed, the byte was refused

    def test_clients_that_keep_sending_after_their_answer_hold_no_more_than_the_limit(self):
        # By the first check every thread of the gateway itself has started.
        self.gateway.wait_line("Application working. Server time - ")
        base_threads, base_fds = self.usage()
        stop, answered = threading.Event(), []
        clients = [threading.Thread(target=self.dribble, args=(stop, answered)) for _ in range(self.CLIENTS)]
        for client in clients:
            client.start()
        peak_threads = peak_fds = 0
        try:
            deadline = time.monotonic() + 4 * SLOW
            while time.monotonic() < deadline:
                threads, fds = self.usage()
                peak_threads, peak_fds = max(peak_threads, threads), max(peak_fds, fds)
                time.sleep(0.02)
        finally:
            stop.set()
            for client in clients:
                client.join(30)
        # A session's thread may still be ending when its place is taken
        # again; the listener holds one more socket while it admits a client.
        self.assertLessEqual(peak_threads - base_threads, self.LIMIT + self.DRAIN_SLOTS + 2)
        self.assertLessEqual(peak_fds - base_fds, self.LIMIT + self.DRAIN_SLOTS + 1)
        self.assertGreater(len(answered), self.LIMIT)
        self.assertEqual(ask(self.port, '{"query":"test","id":"after"}').get("id"), "after")


@unittest.skipIf(WINDOWS, "SIGPIPE: POSIX")
class TestClosedOutput(GatewayTestCase):
    def test_gateway_keeps_serving_when_the_reader_of_its_output_has_gone(self):
        server = self.start_telvexd()
        port = free_port()
        workdir = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(workdir)
        reader, writer = os.pipe()
        gateway = subprocess.Popen(program("vorlane-console") + ["/port=%d" % port, "/pipe=" + server.pipe],
                                   cwd=workdir, stdin=subprocess.DEVNULL, stdout=writer, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        os.close(writer)
        try:
            with os.fdopen(reader, "rb") as output:
                # A tee or logger that reads up to the ready line, then ends.
                for line in iter(output.readline, b""):
                    if line.startswith(b"Vorlane ready"):
                        break
            for index in range(3):
                self.assertEqual(ask(port, '{"query":"test","id":"c%d"}' % index).get("id"), "c%d" % index)
            self.assertIsNone(gateway.poll())
            gateway.send_signal(signal.SIGINT)
            self.assertEqual(gateway.wait(30 * SLOW), 0)
        finally:
            if gateway.poll() is None:
                gateway.kill()
                gateway.wait()


if __name__ == "__main__":
    unittest.main()
