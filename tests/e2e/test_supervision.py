"""The supervision loop over several periodic checks (the first at once,
then one every checkSeconds of the settings file, here 10 s, 20 s under
wine):
the telemetry server going away and coming back (telvexd stopped and
started again on the same pipe), and a log file that fails and is written
again."""

import os
import shutil
import tempfile
import time
import unittest

from harness import WINDOWS, GatewayTestCase, native_path

# Long enough for the test to stop or start telvexd and block or free the
# log file between two checks, even on a loaded machine (wine's programs
# start slowly, and 20 s are long enough there).
PERIOD = 20 if WINDOWS else 10
# The wait for the next check (wait_line stretches it under wine); allow
# for a loaded machine.
CHECK = 3 * 10
WORKING = "Application working. Server time - "


def collapse(states):
    """STATES without immediate repetitions."""
    return [s for i, s in enumerate(states) if i == 0 or states[i - 1] != s]


def wait_logged(path, line, timeout=10.0):
    """Waits until LINE is in the log file PATH: the console shows a line
    before the file gets it."""
    deadline = time.monotonic() + timeout
    while True:
        with open(path, "rb") as f:
            if (line + "\r\n").encode("cp1251") in f.read():
                return
        if time.monotonic() > deadline:
            raise AssertionError("%r never reached %s" % (line, path))
        time.sleep(0.05)


class Supervision(GatewayTestCase):
    def test_reconnects_after_the_server_restarts_and_writes_the_log_again(self):
        server = self.start_telvexd()
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        settings = os.path.join(folder, "vorlane.json")
        with open(settings, "w") as f:
            f.write('{"checkSeconds": %d}' % PERIOD)
        gateway = self.start_gateway("/log=1", "/config=" + native_path(settings), server=server)
        gateway.wait_ready()
        first = gateway.wait_line(lambda line: line.startswith(WORKING))
        log_name = os.path.join(gateway.workdir, gateway.lines()[9][len("- writing log to file = "):-1])
        wait_logged(log_name, gateway.lines()[first])
        # Just after a check, so that the next one sees both changes below;
        # its line reached the file too, or its late write would meet the
        # blocked name and report the failure before the check below.
        first = gateway.wait_line(lambda line: line.startswith(WORKING), timeout=CHECK, start=first + 1)
        wait_logged(log_name, gateway.lines()[first])

        # The server goes away, and the log file's name is blocked.
        server.kill()
        os.remove(log_name)
        os.mkdir(log_name)

        lost = gateway.wait_line(
            "Application working, but no connection to server. Trying to reconnect...", timeout=CHECK, start=first)
        failed = gateway.wait_line("Reconnection failed. Will try again later.", start=lost)
        self.assertEqual(gateway.lines()[lost + 1:failed], ["Error with logs"])

        # The server comes back on the same pipe and the log may be written
        # again, both before the next check.
        self.start_telvexd(pipe=server.pipe)
        shutil.rmtree(log_name)
        crashed = gateway.wait_line("Logs crashed a while ago, trying to write again.", timeout=CHECK, start=failed)
        back = gateway.wait_line(lambda line: line.startswith("Reconnected successfully. Server time - "),
                                 start=crashed)
        self.assertEqual(gateway.lines()[crashed + 1:back],
                         ["Application working, but no connection to server. Trying to reconnect..."])
        self.assertRegex(gateway.lines()[back], r"Server time - \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d")
        self.assertEqual(collapse(gateway.trace_states()), [0, 1, 2, 1])

        # The log goes on in a new file that says why it was started.
        logs = os.listdir(os.path.join(gateway.workdir, "Logs"))
        self.assertEqual(len(logs), 1)
        new_log = os.path.join(gateway.workdir, "Logs", logs[0])
        wait_logged(new_log, gateway.lines()[back])
        with open(new_log, "rb") as f:
            text = f.read().decode("cp1251")
        self.assertTrue(text.startswith(
            "Previous log file from this session was not found for some reason. Created a new one.\r\n"
            "=========================\r\n"
            "Logs crashed a while ago, trying to write again.\r\n"
            "Application working, but no connection to server. Trying to reconnect...\r\n"
            "Reconnected successfully. Server time - "), text)

        self.assertEqual(gateway.stop_event(), 0)
        self.assertEqual(gateway.wait_exit(timeout=30), 0)
        self.assertEqual(gateway.lines()[-2:], ["Shutting down application ...", "Closing in 5 seconds"])


if __name__ == "__main__":
    unittest.main()
