"""The listener: admission by the white list file "white_list.txt" and by
the client limit, refused clients reading end of stream, connections while
the gateway shuts down, and accepts that keep failing."""

import os
import sys
import tempfile
import time
import unittest

from clients import SESSION_LINE, ADDRESS, Client, ask, count_of, session_lines, wait_until
from harness import CODEPAGE, SANITIZER, SLOW, WINDOWS, GatewayTestCase

LOADING = "Attempting to load white list from file white_list.txt ..."
FOUND = "White list file found, only accepting following clients: "
TOO_MANY = "Too many addresses in white list file, only loading first 16 records."
EMPTY = "White list file was empty. Accepting all clients."
NOT_LISTED = "Client %s force-disconnected - not in white list" % ADDRESS
MAX_CLIENTS = "Client %s force-disconnected - max clients reached" % ADDRESS


def others(count):
    return ["10.1.2.%d" % i for i in range(1, count + 1)]


class Listener(GatewayTestCase):
    def start(self, *args, white_list=None):
        """telvexd and a ready gateway; WHITE_LIST (bytes) is written to
        "white_list.txt" of its working folder first."""
        self.server = self.start_telvexd()
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        if white_list is not None:
            with open(os.path.join(folder, "white_list.txt"), "wb") as f:
                f.write(white_list)
        self.gateway = self.start_gateway(*args, server=self.server, cwd=folder)
        self.gateway.wait_ready()
        self.port = self.gateway.port
        return self.gateway

    def white_list_lines(self):
        lines = self.gateway.lines()
        start = lines.index(LOADING)
        return lines[start:lines.index("Vorlane ready, port %d." % self.port) - 2]

    def assert_admitted(self):
        self.assertEqual(ask(self.port, '{"query":"test"}')["ok"], "1")

    def assert_refused(self, reason):
        before = sum(1 for line in self.gateway.lines() if line == reason)
        with Client(self.port) as client:
            self.assertEqual(client.read_to_end(), b"")
        wait_until(lambda: sum(1 for line in self.gateway.lines() if line == reason) == before + 1, what=reason)


class TestWhiteList(Listener):
    def test_without_the_file_every_client_is_admitted(self):
        self.start()
        self.assertEqual(self.white_list_lines(), [LOADING, "White list file does not exist. Accepting all clients."])
        self.assert_admitted()

    def test_listed_client_is_admitted(self):
        self.start(white_list=b"10.1.2.3\r\n\r\n127.0.0.1\r\n")
        self.assertEqual(self.white_list_lines(), [LOADING, FOUND, "- 10.1.2.3", "- 127.0.0.1"])
        self.assert_admitted()

    def test_client_not_listed_reads_end_of_stream(self):
        self.start(white_list=b"10.1.2.3\n")
        self.assert_refused(NOT_LISTED)
        # No session was started for it.
        self.assertFalse(any(line.startswith("[#") for line in self.gateway.lines()))

    def test_only_sixteen_addresses_are_taken(self):
        self.start(white_list=("\n".join(others(16) + [ADDRESS]) + "\n").encode(CODEPAGE))
        lines = self.white_list_lines()
        self.assertEqual(lines[2:], ["- " + a for a in others(16)] + [TOO_MANY])
        self.assert_refused(NOT_LISTED)

    def test_empty_line_after_sixteen_addresses_is_too_many(self):
        self.start(white_list=("\n".join(others(15) + [ADDRESS]) + "\n\n").encode(CODEPAGE))
        self.assertEqual(self.white_list_lines()[-1], TOO_MANY)
        self.assert_admitted()

    def test_file_of_empty_lines_admits_every_client(self):
        self.start(white_list=b"\r\n\n\n")
        self.assertEqual(self.white_list_lines(), [LOADING, FOUND, EMPTY])
        self.assert_admitted()

    def test_address_with_trailing_space_or_leading_zeros_never_matches(self):
        for text in (b"127.0.0.1 \n", b"127.000.000.001\n", b" 127.0.0.1\n"):
            with self.subTest(text=text):
                self.start(white_list=text)
                self.assert_refused(NOT_LISTED)
                self.gateway.kill()
                self.server.kill()


class TestClientLimit(Listener):
    def test_client_over_the_limit_is_refused_and_the_others_served(self):
        self.start("/threads=2", "/timeout=60")
        held = [Client(self.port), Client(self.port)]
        try:
            wait_until(lambda: sum(1 for line in self.gateway.lines() if " connected, total clients - " in line) == 2,
                       what="two connected lines")
            self.assert_refused(MAX_CLIENTS)
            for index, client in enumerate(held):
                client.send('{"query":"test","id":"held-%d"}' % index)
                self.assertEqual(client.answer()["id"], "held-%d" % index)
        finally:
            for client in held:
                client.close()
        wait_until(lambda: any(line.endswith("disconnected, total clients - 0") for line in self.gateway.lines()),
                   what="both held clients counted out")
        self.assert_admitted()


class TestShutdown(Listener):
    def test_stopping_while_a_client_is_served(self):
        self.start("/timeout=60")
        with Client(self.port) as held:
            self.gateway.wait_line(" connected, total clients - 1")
            if WINDOWS:
                # wine delivers no Ctrl+C here; the host's stop event ends the
                # same loop, without marking the gateway as closing.
                self.assertEqual(self.gateway.stop_event(), 0)
            else:
                self.gateway.interrupt()
            self.gateway.wait_line("Closing in 5 seconds")
            held.send('{"query":"test","id":"held"}')
            answer = held.answer()
        if WINDOWS:
            self.assertEqual(answer["id"], "held")
        else:
            self.assertEqual(answer, {"error": "Gate is closing now"})
            # A connection accepted now is closed at once, without a line.
            with Client(self.port) as late:
                self.assertEqual(late.read_to_end(), b"")
        self.assertEqual(self.gateway.wait_exit(timeout=30), 0)
        thread = next(SESSION_LINE.match(line).group(1) for line in self.gateway.lines() if SESSION_LINE.match(line))
        lines = session_lines(self.gateway, thread)
        # Closing is decided before the query is taken, so it is not logged.
        middle = ['Query: {"query":"test","id":"held"}'] if WINDOWS else ["Gate is closing now"]
        self.assertEqual(lines[1:-1], middle + ["Answer sent"])
        self.assertEqual(count_of(lines[-1]), 0)
        self.assertFalse(any("force-disconnected" in line for line in self.gateway.lines()))


@unittest.skipIf(WINDOWS or not sys.platform.startswith("linux"), "descriptor limits of a running process: Linux")
# UndefinedBehaviorSanitizer opens a pipe to check a dynamic type it has not
# cached; with no descriptor left it reports a false error and halts.
@unittest.skipIf(SANITIZER == "address", "the sanitizer runtime needs descriptors of its own")
class TestFailingAccept(Listener):
    def limit_descriptors(self, pid):
        """Lets PID open no further descriptor; gives the old limits."""
        import resource
        # Every thread of the gateway has started by the first supervision
        # line.
        self.gateway.wait_line("Application working. Server time - ")
        used = {int(name) for name in os.listdir("/proc/%d/fd" % pid)}
        lowest_free = next(n for n in range(len(used) + 1) if n not in used)
        old = resource.prlimit(pid, resource.RLIMIT_NOFILE)
        resource.prlimit(pid, resource.RLIMIT_NOFILE, (lowest_free, old[1]))
        return old

    def cpu_seconds(self, pid):
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def test_failing_accept_does_not_spin_and_service_resumes(self):
        import resource
        self.start()
        pid = self.gateway.pid
        old = self.limit_descriptors(pid)
        # An accept that was already waiting took its descriptor before the
        # limit and may still serve the first client; every accept after it
        # fails, so the second client waits.
        with Client(self.port) as first, Client(self.port) as second:
            first.send('{"query":"test","id":"first"}')
            second.send('{"query":"test","id":"second"}')
            start_cpu, start = self.cpu_seconds(pid), time.monotonic()
            time.sleep(2.0)
            used = (self.cpu_seconds(pid) - start_cpu) / (time.monotonic() - start)
            # A loop that retries at once takes whatever share of a core it
            # can get; one that pauses takes next to nothing.
            self.assertLess(used, 0.05)
            timeout = second.sock.gettimeout()
            second.sock.settimeout(0)
            with self.assertRaises(BlockingIOError):
                second.sock.recv(1)
            second.sock.settimeout(timeout)
            resource.prlimit(pid, resource.RLIMIT_NOFILE, old)
            self.assertEqual(first.answer()["id"], "first")
            self.assertEqual(second.answer()["id"], "second")


if __name__ == "__main__":
    unittest.main()
