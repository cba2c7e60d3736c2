"""The host's side of supervision: hlvctl's own checks and a process that
is no gateway left alone by it, the service manager's notification socket
(READY=1, STATUS=, STOPPING=1), the signals that stop a serving gateway on
POSIX, and the console's title and the end of terminal input during the
Enter-key wait."""

import os
import re
import select
import signal
import socket
import subprocess
import tempfile
import time
import unittest

from harness import EMULATOR, SLOW, WINDOWS, GatewayTestCase, Telvexd, program, unique_pipe

USAGE = b"usage: hlvctl stop PID"
SHUTDOWN = ["Shutting down application ...", "Closing in 5 seconds"]
PROMPT = "Press \"Enter\" to close application"


def hlvctl(*args):
    return subprocess.run(program("hlvctl") + list(args), stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=60 * SLOW)


class Hlvctl(unittest.TestCase):
    def test_bad_usage_exits_2_with_the_usage(self):
        for args in ([], ["stop"], ["halt", "123"], ["stop", "12x"], ["stop", "0"], ["stop", "-5"],
                     ["stop", ""], ["stop", "99999999999"], ["stop", "1", "2"]):
            result = hlvctl(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn(USAGE, result.stderr, args)

    def test_unknown_process_exits_1_with_a_message(self):
        result = hlvctl("stop", "2147483631")  # odd: no Windows process id; above pid_max on Linux
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"hlvctl: ", result.stderr)
        self.assertIn(b"2147483631", result.stderr)
        self.assertEqual(result.stdout, b"")

    def other_process(self):
        """A running process that is not a gateway: its host process id and
        a test of whether it still runs. Linux: a sleep; under wine telvexd,
        whose Windows id winedbg lists (in hexadecimal)."""
        if not WINDOWS:
            other = subprocess.Popen(["sleep", "60"], stdin=subprocess.DEVNULL)
            self.addCleanup(other.wait)
            self.addCleanup(other.kill)
            return other.pid, lambda: other.poll() is None
        server = Telvexd()
        self.addCleanup(server.kill)
        listing = subprocess.run(EMULATOR + ["winedbg", "--command", "info proc"], stdin=subprocess.DEVNULL,
                                 capture_output=True, timeout=60 * SLOW).stdout.decode("ascii", "replace")
        found = re.search(r"([0-9a-fA-F]{8}) +\d+ +(?:\\_ )*'telvexd\.exe'", listing)
        self.assertTrue(found, listing)
        return int(found.group(1), 16), lambda: server.proc.poll() is None and server.admin({"op": "ping"})["ok"]

    def test_process_that_is_no_gateway_is_left_alone(self):
        pid, running = self.other_process()
        result = hlvctl("stop", str(pid))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(b"no process %d registered" % pid, result.stderr)
        time.sleep(0.5 * SLOW)  # a signal sent all the same would have ended it by now
        self.assertTrue(running())


@unittest.skipIf(WINDOWS, "the service manager's socket and POSIX signals exist only on Linux")
class ServiceManager(GatewayTestCase):
    def setUp(self):
        super().setUp()
        self.folder = tempfile.mkdtemp(prefix="vorlane-notify-")
        self._dirs.append(self.folder)
        self.notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.addCleanup(self.notify.close)
        self.received = []

    def bind(self, address):
        self.notify.bind(address)
        return address if isinstance(address, str) else "@" + address[1:].decode()

    def receive_until(self, wanted, timeout=30.0):
        """Collects notifications until every text of WANTED has come."""
        deadline = time.monotonic() + timeout * SLOW
        while not set(wanted) <= set(self.received):
            left = deadline - time.monotonic()
            if left <= 0:
                self.fail("notifications so far: %r" % self.received)
            self.notify.settimeout(left)
            self.received.append(self.notify.recv(4096).decode())
        return self.received

    def test_ready_status_and_stopping_on_sigterm(self):
        address = self.bind(os.path.join(self.folder, "notify"))
        server = self.start_telvexd()
        gateway = self.start_gateway(server=server, build="vorlane", merge_stderr=False,
                                     env={"NOTIFY_SOCKET": address})
        self.receive_until(["READY=1", "STATUS=<Vorlane>: connected"])
        self.assertEqual(self.received[0], "STATUS=<Vorlane>: starting")
        gateway.wait_line("<5>Vorlane ready, port %d." % gateway.port, stderr=True, timeout=20)
        os.kill(gateway.pid, signal.SIGTERM)
        self.receive_until(["STOPPING=1", "STATUS=<Vorlane>: not connected or stopping"])
        self.assertEqual(gateway.wait_exit(timeout=30), 0)
        self.assertEqual(gateway.lines(stderr=True)[-2:], ["<5>" + line for line in SHUTDOWN])
        self.assertEqual(self.received.count("READY=1"), 1)
        self.assertEqual(gateway.trace_states(), [0, 1, 2])
        self.assertIn("stop-event signalled", gateway.trace())

    def test_abstract_socket_hears_the_states_of_a_failed_start(self):
        # READY=1 goes out from a halvern thread, which a start that fails
        # at once may outrun; the states are sent by the failing thread itself.
        address = self.bind(b"\0vorlane-notify-%d" % os.getpid())
        gateway = self.start_gateway(server_pipe=unique_pipe(), env={"NOTIFY_SOCKET": address})
        self.receive_until(["STATUS=<Vorlane>: not connected or stopping"])
        gateway.wait_exit(timeout=30)
        self.assertEqual(self.received[0], "STATUS=<Vorlane>: starting")


@unittest.skipIf(WINDOWS, "POSIX signals")
class StopSignals(GatewayTestCase):
    """SIGINT, SIGQUIT and SIGHUP reach the console control handler, SIGTERM
    the host's stop event; each ends a serving gateway the orderly way."""

    def test_each_signal_runs_the_shutdown_sequence(self):
        for sig in (signal.SIGHUP, signal.SIGQUIT, signal.SIGTERM):
            with self.subTest(signal=sig.name):
                server = self.start_telvexd()
                gateway = self.start_gateway(server=server)
                gateway.wait_line("Application working. Server time - ", timeout=20)
                os.kill(gateway.pid, sig)
                self.assertEqual(gateway.wait_exit(timeout=30), 0)
                self.assertEqual(gateway.lines()[-2:], SHUTDOWN)
                self.assertEqual(gateway.trace_states(), [0, 1, 2])


@unittest.skipIf(WINDOWS, "the end of a terminal's input is a POSIX notion; a Windows console has none")
class EnterKeyWait(GatewayTestCase):
    """test_startup covers the wait for Enter itself on both platforms."""

    def test_end_of_terminal_input_ends_the_wait(self):
        controller, terminal = os.openpty()
        self.addCleanup(os.close, controller)
        try:
            gateway = self.start_gateway(server_pipe=unique_pipe(), stdin=terminal)
        finally:
            os.close(terminal)
        gateway.wait_line(PROMPT, timeout=30)
        with self.assertRaises(subprocess.TimeoutExpired):
            gateway.proc.wait(1)  # still waiting: an immediate end would show here
        os.write(controller, b"\x04")  # end of file at the start of a line
        gateway.wait_exit(timeout=30)
        self.assertEqual(gateway.lines()[-1], PROMPT)


@unittest.skipIf(WINDOWS, "the console title of wine is not visible from outside")
class ConsoleTitle(GatewayTestCase):
    def test_title_sequence_only_on_a_terminal(self):
        controller, terminal = os.openpty()
        try:
            proc = subprocess.Popen(program("vorlane-console") + ["/pipe=" + unique_pipe()], stdin=subprocess.DEVNULL,
                                    stdout=terminal, stderr=terminal, cwd=tempfile.gettempdir())
        finally:
            os.close(terminal)
        output = b""
        try:
            while proc.poll() is None or select.select([controller], [], [], 0)[0]:
                if select.select([controller], [], [], 30 * SLOW)[0]:
                    try:
                        chunk = os.read(controller, 4096)
                    except OSError:  # the terminal closed with the program
                        break
                    if not chunk:
                        break
                    output += chunk
        finally:
            os.close(controller)
            proc.kill()
            proc.wait()
        self.assertTrue(output.startswith(b"\x1b]0;Vorlane\x07"), output[:40])
        self.assertEqual(output.count(b"\x1b"), 1)
        # Through a pipe, the harness sees no escape sequence at all.
        gateway = self.start_gateway(server_pipe=unique_pipe())
        gateway.wait_exit(timeout=30)
        self.assertFalse([line for line in gateway.lines() if "\x1b" in line])


if __name__ == "__main__":
    unittest.main()
