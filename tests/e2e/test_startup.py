"""Start-up of the gateway: the banner and settings lines, the switches,
the ready message, the trace of the host registration, the early end when
no server can be reached, the bind failure on a port in use, the exported
names, and the host-log build's printers."""

import os
import re
import shutil
import socket
import subprocess
import tempfile
import time
import unittest

from harness import BIN, SLOW, SUFFIX, WINDOWS, GatewayTestCase, free_port, unique_pipe

RULE = "=" * 20


def banner(port, server=".", pipe="TMS", timeout=5, length=8192, threads=5, log=None):
    """The lines that start-up writes up to the server connection."""
    return [
        "Starting application...",
        "Vorlane, version 1.66 20-Mar-2013",
        RULE,
        "Settings:",
        "- server = %s\\%s," % (server, pipe),
        "- port = %d," % port,
        "- timeout = %d," % timeout,
        "- max_query = %d," % length,
        "- max_clients = %d," % threads,
        "- writing log to file = %s." % log if log else "- not writing log.",
        "",
        RULE,
        "Attempting to connect to server...",
    ]


def sockets_block(port):
    return [
        "Checking sockets avaliability...",
        "Creating socket on port %d..." % port,
        "Binding socket to port...",
        "Attempting to listen to port...",
    ]


class Startup(GatewayTestCase):
    def test_banner_settings_and_ready_lines(self):
        server = self.start_telvexd()
        gateway = self.start_gateway(server=server)
        ready = gateway.wait_ready()
        # The first periodic check runs at once, after the ready block.
        check = gateway.wait_line(lambda line: line.startswith("Application working. Server time - "))
        lines = gateway.lines()
        expected = banner(gateway.port, pipe=server.pipe) + [
            "Vorlane task started",
            "Server connection successful.",
            "Events are available",
            "",
            RULE,
        ] + sockets_block(gateway.port) + ["Socket creation successful.", "", RULE]
        self.assertEqual(lines[:len(expected)], expected)
        # The listener's white-list report comes between; the ready block ends it.
        self.assertEqual(lines[ready - 2:check], ["", RULE, "Vorlane ready, port %d." % gateway.port, ""])
        self.assertRegex(lines[check], r"Server time - \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d")

    def test_switches_are_shown_as_they_take_effect(self):
        server = self.start_telvexd()
        gateway = self.start_gateway("/timeout=10", "/length=100", "/threads=7", "/commandkey=k", "/server=.",
                                     server=server)
        gateway.wait_ready()
        self.assertEqual(gateway.lines()[:13],
                         banner(gateway.port, pipe=server.pipe, timeout=10, length=100, threads=7))

    def test_out_of_range_and_misspelt_switches_keep_the_defaults(self):
        server = self.start_telvexd()
        gateway = self.start_gateway("/timeout=61", "/length=9000", "/threads=0", "/log=2", "/Threads=9",
                                     "/length=abc", server=server)
        gateway.wait_ready()
        self.assertEqual(gateway.lines()[:13], banner(gateway.port, pipe=server.pipe))
        self.assertFalse(os.path.exists(os.path.join(gateway.workdir, "Logs")))

    def test_last_port_switch_wins(self):
        server = self.start_telvexd()
        port = free_port()
        gateway = self.start_gateway("/port=%d" % port, server=server)
        gateway.port = port
        gateway.wait_ready()
        self.assertIn("- port = %d," % port, gateway.lines())
        socket.create_connection(("127.0.0.1", port), timeout=10).close()

    def test_log_file_holds_every_line_of_the_run(self):
        server = self.start_telvexd()
        gateway = self.start_gateway("/log=1", server=server)
        gateway.wait_ready()
        # The console shows a line before the file gets it: once the next line
        # is shown, every line before it is in the file.
        check = gateway.wait_line("Application working. Server time - ")
        shown = gateway.lines()[9]
        match = re.fullmatch(r"- writing log to file = (Logs/\d\d-\d\d-\d{4}( \d\d-\d\d-\d\d)?\.log)\.", shown)
        self.assertIsNotNone(match, shown)
        with open(os.path.join(gateway.workdir, match.group(1)), "rb") as f:
            logged = f.read().decode("cp1251").split("\r\n")
        self.assertEqual(logged[:check], gateway.lines()[:check])

    def test_log_file_of_a_restart_never_empties_an_earlier_one(self):
        # Files named after each of the next seconds already hold lines: the
        # gateway must add a counter to the name instead of emptying one.
        workdir = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(workdir)
        os.mkdir(os.path.join(workdir, "Logs"))
        now = time.time()
        earlier = {}
        for second in range(int(60 * SLOW)):
            moment = time.localtime(now + second)
            # At midnight exactly the stamp is the date alone.
            stamp = time.strftime("%d-%m-%Y" if moment[3:6] == (0, 0, 0) else "%d-%m-%Y %H-%M-%S", moment)
            name = os.path.join(workdir, "Logs", stamp + ".log")
            earlier[name] = ("earlier run %d\r\n" % second).encode("cp1251")
            with open(name, "wb") as f:
                f.write(earlier[name])
        server = self.start_telvexd()
        gateway = self.start_gateway("/log=1", server=server, cwd=workdir)
        gateway.wait_ready()
        shown = gateway.lines()[9]
        self.assertRegex(shown, r"^- writing log to file = Logs/\d\d-\d\d-\d{4}( \d\d-\d\d-\d\d)? \(2\)\.log\.$")
        for name, content in earlier.items():
            with open(name, "rb") as f:
                self.assertEqual(f.read(), content, name)

    def test_trace_shows_registration_and_states(self):
        server = self.start_telvexd()
        args = ["/a%d" % n for n in range(1, 13)]
        gateway = self.start_gateway(*args, server=server)
        gateway.wait_ready()
        trace = gateway.trace()
        alloc = [line for line in trace if line.startswith("alloc ")]
        self.assertEqual(len(alloc), 1)
        self.assertRegex(alloc[0], r"^alloc pid=\d+ trace=<Vorlane> type=Vorlane$")
        # The program path and the first nine arguments: /port, /pipe and /a1 to /a7.
        register = [line for line in trace if line.startswith("register ")]
        self.assertEqual(len(register), 1)
        self.assertTrue(register[0].startswith("register argc=10 argv="), register[0])
        self.assertTrue(register[0].endswith(" /port=%d /pipe=%s %s" % (gateway.port, server.pipe,
                                                                         " ".join(args[:7]))), register[0])
        # A halvern thread traces the start event after the fact.
        deadline = time.monotonic() + 10 * SLOW
        while "start-event signalled" not in trace and time.monotonic() < deadline:
            time.sleep(0.05)
            trace = gateway.trace()
        self.assertIn("start-event signalled", trace)
        self.assertEqual(gateway.trace_states(), [0, 1])
        self.assertLess(trace.index(alloc[0]), trace.index("state 0"))


class FailedStart(GatewayTestCase):
    def test_no_server_ends_early_after_the_enter_prompt(self):
        pipe = unique_pipe()
        gateway = self.start_gateway(server_pipe=pipe)
        gateway.wait_exit(timeout=30)
        lines = gateway.lines()
        self.assertEqual(lines[:13], banner(gateway.port, pipe=pipe))
        self.assertEqual(lines[13:], [
            "Vorlane task started",
            "ERROR: Cannot connect to server .",
            "Press \"Enter\" to close application",
        ])
        self.assertEqual(gateway.trace_states(), [0, 2])

    def test_no_server_waits_for_the_enter_key_on_a_terminal(self):
        master, slave = os.openpty()
        try:
            gateway = self.start_gateway(server_pipe=unique_pipe(), stdin=slave)
            gateway.wait_line("Press \"Enter\" to close application", timeout=30)
            os.write(master, b"other keys")
            with self.assertRaises(subprocess.TimeoutExpired):
                gateway.proc.wait(1)
            os.write(master, b"\r")
            self.assertEqual(gateway.wait_exit(timeout=10), 1)
        finally:
            os.close(master)
            os.close(slave)

    def test_no_console_input_does_not_hold_up_the_end(self):
        reader, writer = os.pipe()
        try:
            gateway = self.start_gateway(server_pipe=unique_pipe(), stdin=reader)
            # Input that is no console (a pipe that stays open) is not waited on.
            self.assertEqual(gateway.wait_exit(timeout=30), 1)
        finally:
            os.close(reader)
            os.close(writer)
        self.assertEqual(gateway.lines()[-1], "Press \"Enter\" to close application")

    @unittest.skipIf(WINDOWS, "a server that never accepts, on the Unix domain socket of the POSIX library")
    def test_server_that_never_accepts_ends_the_start_within_the_connect_bound(self):
        pipe = unique_pipe()
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as server:
            server.bind("\0telvex." + pipe)
            server.listen(0)
            waiting = []
            try:
                # Connections that nobody accepts fill the server's queue.
                while True:
                    client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                    waiting.append(client)
                    client.setblocking(False)
                    client.connect("\0telvex." + pipe)
            except BlockingIOError:
                pass
            try:
                gateway = self.start_gateway(server_pipe=pipe)
                # A connect that waited for room in the queue would never end.
                self.assertEqual(gateway.wait_exit(timeout=30), 1)
            finally:
                for client in waiting:
                    client.close()
        self.assertEqual(gateway.lines()[13:], [
            "Vorlane task started",
            "ERROR: Cannot connect to server .",
            "Press \"Enter\" to close application",
        ])

    def test_port_in_use_runs_the_shutdown_sequence(self):
        server = self.start_telvexd()
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as taken:
            taken.bind(("0.0.0.0", 0))
            taken.listen(1)
            port = taken.getsockname()[1]
            gateway = self.start_gateway(server=server, port=port)
            code = gateway.wait_exit(timeout=40)
        lines = gateway.lines()
        start = lines.index("Checking sockets avaliability...")
        self.assertEqual(lines[start:], sockets_block(port)[:3] + [
            "ERROR: failed to bind socket",
            "Press \"Enter\" to close application",
            "Shutting down application ...",
            "Closing in 5 seconds",
        ])
        self.assertNotEqual(code, 0)
        self.assertEqual(gateway.trace_states(), [0, 1, 2])


class Exports(unittest.TestCase):
    def exported(self, build):
        path = os.path.join(BIN, build + SUFFIX)
        if WINDOWS:
            tool = shutil.which("x86_64-w64-mingw32-objdump") or shutil.which("objdump")
            text = subprocess.run([tool, "-p", path], capture_output=True, text=True, check=True).stdout
        else:
            text = subprocess.run(["nm", "-D", "--defined-only", path], capture_output=True, text=True,
                                  check=True).stdout
        return set(re.findall(r"\b(lpszServer\w+)\b", text))

    def test_both_builds_export_the_trace_names(self):
        for build in ("vorlane", "vorlane-console"):
            self.assertEqual(self.exported(build), {"lpszServerTraceName", "lpszServerTypeString"}, build)


class HostLogBuild(GatewayTestCase):
    def test_levels_go_to_the_host_printers_and_level_0_nowhere(self):
        server = self.start_telvexd()
        gateway = self.start_gateway(server=server, build="vorlane", merge_stderr=False)
        gateway.wait_line("<5>Vorlane ready, port %d." % gateway.port, stderr=True, timeout=20)
        gateway.wait_line(lambda line: line.startswith("<7>Application working. Server time - "), stderr=True)
        errors = gateway.lines(stderr=True)
        self.assertEqual(errors[:2], ["<5>Vorlane task started", "<5>Vorlane ready, port %d." % gateway.port])
        self.assertEqual(gateway.lines(), [])
        self.assertFalse([line for line in errors if "Starting application" in line or "Settings" in line])

    def test_percent_signs_in_a_message_are_printed_literally(self):
        gateway = self.start_gateway("/server=%s%n%d%%", server_pipe=unique_pipe(), build="vorlane",
                                     merge_stderr=False)
        gateway.wait_exit(timeout=30)
        self.assertEqual(gateway.lines(stderr=True), [
            "<5>Vorlane task started",
            "<3>ERROR: Cannot connect to server %s%n%d%%",
        ])
        self.assertEqual(gateway.lines(), [])


if __name__ == "__main__":
    unittest.main()
