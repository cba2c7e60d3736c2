"""The settings file (/config=PATH) and --help/--version: every member
taking effect on one shared gateway (a switch winning over the file, the
key from a key file, the short check period, the UTF-8 wire and the point
as decimal separator under a Russian environment, next to a gateway
without settings file in the same environment), each refusal with its
message and the early end, the key file's permissions, and the client's
--charset."""

import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from harness import (CODEPAGE, SLOW, WINDOWS, Gateway, GatewayTestCase, Process, Telvexd, free_port, native_path,
                     program, query)
from test_client import run_client
from test_commands import CYRILLIC, sign

DATASET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "events_dataset.json")
RULE = "=" * 20
# The key is hashed as its Windows-1251 bytes; the key file is UTF-8 with
# a byte order mark, which every build reads as UTF-8.
KEY = "Ключ-7q"
# Cyrillic letters and a character outside Windows-1251.
ID = "Пример \U0001F600"
# Under wine the Windows build has the Russian regional settings of the
# test run; the Linux build gets the Russian locale in its environment.
RUSSIAN = {} if WINDOWS else {"LC_ALL": "ru_RU.UTF-8"}
ENTER = 'Press "Enter" to close application'
# A settings file's text that stands for a folder in its place.
FOLDER = object()


def write(path, text, mode=0o600):
    with open(path, "w", encoding="utf-8-sig", newline="") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


class FileGateway(Gateway):
    """The console build started with ARGS only: no /port or /pipe switch of
    the harness, so that the settings file can set them. PORT is where it
    listens."""

    def __init__(self, args, cwd, port=0, build="vorlane-console", env=None, merge_stderr=True):
        self.workdir = cwd
        self.port = port
        self.trace_path = os.path.join(cwd, "trace.txt")
        full_env = {"HALVERN_TRACE": native_path(self.trace_path)}
        full_env.update(env or {})
        Process.__init__(self, program(build) + list(args), cwd=cwd, env=full_env, merge_stderr=merge_stderr)


def analog_alarm_record(value):
    """An event record of an active analog alarm of importance 2 on point
    1.2.1 of the dataset, dated now."""
    return struct.pack("<24sHHHHH22s", b"", 2, 2, 1, 2, 1, struct.pack("<fHB", value, 1, 1))


server = shared = plain = folder = None


def setUpModule():
    global server, shared, plain, folder
    server = Telvexd(dataset=DATASET)
    unittest.addModuleCleanup(server.kill)
    # A folder with blanks in its name: the settings file's path is the
    # whole rest of its entry.
    folder = tempfile.mkdtemp(prefix="vorlane e2e settings ")
    unittest.addModuleCleanup(shutil.rmtree, folder, True)
    key = write(os.path.join(folder, "command.key"), KEY + "\n")
    port = free_port()
    settings = write(os.path.join(folder, "vorlane.json"), """// the shared gateway of the settings tests
{
  "server": ".", pipe: %s, port: %d,
  timeout: 7, length: 4000, threads: 3, log: 1,  /* threads: the switch wins */
  commandKeyFile: %s,
  checkSeconds: 5,
  charset: 'utf-8',
  decimalSeparator: "point",
}
""" % (json.dumps(server.pipe), port, json.dumps(native_path(key))))
    shared = FileGateway(["/config=" + native_path(settings), "/threads=4"], cwd=folder, port=port, env=RUSSIAN)
    unittest.addModuleCleanup(shared.kill)
    plain = Gateway(server_pipe=server.pipe, env=RUSSIAN)
    unittest.addModuleCleanup(plain.kill)
    unittest.addModuleCleanup(shutil.rmtree, plain.workdir, True)
    shared.wait_ready()
    plain.wait_ready()


def ask_utf8(request):
    return json.loads(query(shared.port, json.dumps(request, ensure_ascii=False).encode("utf-8")).decode("utf-8"),
                      strict=False)


def ask_ansi(request):
    return json.loads(query(plain.port, json.dumps(request, ensure_ascii=False).encode(CODEPAGE)).decode(CODEPAGE),
                      strict=False)


class SharedGateway(unittest.TestCase):
    def test_banner_shows_the_values_in_force_and_a_line_per_extension(self):
        lines = shared.lines()
        key = native_path(os.path.join(folder, "command.key"))
        self.assertEqual(lines[:9], [
            "Starting application...",
            "Vorlane, version 1.66 20-Mar-2013",
            RULE,
            "Settings:",
            "- server = .\\%s," % server.pipe,
            "- port = %d," % shared.port,
            "- timeout = 7,",
            "- max_query = 4000,",
            "- max_clients = 4,",
        ])
        self.assertRegex(lines[9], r"^- writing log to file = Logs.\d\d-\d\d-\d{4} \d\d-\d\d-\d\d\.log\.$")
        self.assertEqual(lines[10:17], [
            "- command key = from file %s," % key,
            "- check seconds = 5,",
            "- charset = utf-8,",
            "- decimal separator = point,",
            "",
            RULE,
            "Attempting to connect to server...",
        ])

    def test_log_file_is_written(self):
        name = shared.lines()[9][len("- writing log to file = "):-1]
        self.assertTrue(os.path.isfile(os.path.join(folder, name.replace("\\", os.sep))))

    def test_length_refuses_a_longer_query(self):
        self.assertEqual(ask_utf8({"query": "test", "pad": "x" * 4000}), {"error": "Query too long"})

    def test_command_signed_with_the_key_of_the_key_file(self):
        timestamp = int(time.time() * 1000)
        answer = ask_utf8({"query": "set-ts", "ts": "1.2.3", "value": 1, "timestamp": timestamp,
                           "hash": sign(timestamp, KEY)})
        self.assertEqual(answer, {"ok": "1"})

    def test_checks_follow_the_check_period(self):
        first = shared.wait_line(lambda line: line.startswith("Application working. Server time - "))
        shared.wait_line(lambda line: line.startswith("Application working. Server time - "), start=first + 1,
                         timeout=15)

    def test_utf8_round_trips_every_character_of_the_id(self):
        answer = ask_utf8({"query": "test", "id": ID})
        self.assertEqual(answer["id"], ID)
        # The log keeps Windows-1251: the character outside it becomes "?"
        # (one per UTF-16 code unit on some hosts).
        shared.wait_line(lambda line: re.search(r'Query: \{"query": "test", "id": "Пример \?+"\}$', line))

    def skip_without_the_russian_locale(self, regional):
        """The gateway without settings file shows whether the environment
        is Russian: the Linux build falls back to "." without the locale."""
        if regional == "." and not WINDOWS:
            self.skipTest("no ru_RU.UTF-8 locale (scripts/test generates it)")

    def test_point_under_the_russian_environment(self):
        self.assertTrue(server.admin({"op": "set", "kind": "ti", "address": "1.2.1", "value": 12.5})["ok"])
        request = {"query": "instant", "ti": ["1.2.1"]}
        regional = ask_ansi(request)["ti"][0]["v"]
        self.skip_without_the_russian_locale(regional[2])
        self.assertEqual(regional, "12,5000")
        self.assertEqual(ask_utf8(request), {"ti": [{"v": "12.5000"}]})

    def test_event_texts_in_utf8_with_the_point(self):
        start = server.admin({"op": "current"})["eventNumber"]
        server.admin({"op": "inject", "event": analog_alarm_record(12.5).hex()})
        request = {"query": "events-current", "fromEventId": start}
        expected = {"imp": 2, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "Предупреждение (12.500)",
                    "t": "Превышение напряжения"}
        regional = ask_ansi(request)["events"][0]["st"]
        self.skip_without_the_russian_locale(regional[len("Предупреждение (12")])
        self.assertEqual(regional, "Предупреждение (12,500)")
        events = ask_utf8(request)["events"]
        self.assertEqual([{k: v for k, v in e.items() if k != "dat"} for e in events], [expected])

    def test_client_reads_the_utf8_wire_with_its_charset_option(self):
        start = server.admin({"op": "current"})["eventNumber"]
        server.admin({"op": "inject", "event": analog_alarm_record(7.25).hex()})
        args = ["--port", str(shared.port), "events-current", "fromEventId=%d" % start]
        status, out, _ = run_client("--charset", "utf-8", *args)
        self.assertEqual(status, 0)
        self.assertIn("#TT1:2:1  Напряжение шин  Предупреждение (7.250)  Превышение напряжения", out)
        # Read as Windows-1251, the same bytes are garbled.
        status, out, _ = run_client(*args)
        self.assertNotIn("Напряжение шин", out)

    def test_client_sends_its_id_in_utf8(self):
        if not CYRILLIC:
            self.skipTest("no ru_RU.UTF-8 locale: wine cannot pass Cyrillic letters on the command line")
        status, out, _ = run_client("--port", str(shared.port), "--charset", "utf-8", "--id", "Пример", "test")
        self.assertEqual(status, 0)
        self.assertIn("id: Пример", out.splitlines())


class Refusals(GatewayTestCase):
    """Each refused file: one message naming the file and the member, then
    the early end, before the banner and without the host registration."""

    def refused(self, text, message, build="vorlane-console", name="settings.json"):
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        path = os.path.join(folder, name)
        if text is None:
            pass
        elif text == FOLDER:
            os.mkdir(path)
        else:
            write(path, text)
        gateway = FileGateway(["/config=" + native_path(path)], cwd=folder, build=build, merge_stderr=False)
        self._procs.append(gateway)
        self.assertEqual(gateway.wait_exit(timeout=20), 1)
        expected = "ERROR: settings file %s: %s" % (native_path(path), message)
        if build == "vorlane-console":
            self.assertEqual(gateway.lines(), [expected, ENTER])
        else:
            self.assertEqual(gateway.lines(stderr=True), ["<3>" + expected])
        self.assertEqual(gateway.trace(), [])

    CASES = [
        ("missing file", None, "cannot be read"),
        ("a folder", FOLDER, "cannot be read"),
        ("not an object", "[1, 2]", "is not one JSON object"),
        ("unknown member", "{colour: 'red'}", "colour: unknown member"),
        ("wrong kind", "{port: '1000'}", "port: must be an integer from 1 to 65535"),
        ("out of range", "{checkSeconds: 4}", "checkSeconds: must be an integer from 5 to 3600"),
        ("not a choice", "{charset: 'koi8-r'}", 'charset: must be "ansi" or "utf-8"'),
        ("key and key file", "{commandKey: 'k', commandKeyFile: 'command.key'}",
         "commandKey: not together with commandKeyFile"),
        ("missing key file", "{commandKeyFile: 'missing.key'}", "commandKeyFile: cannot read the key file missing.key"),
    ]

    def test_each_refusal_ends_the_start_early(self):
        for what, text, message in self.CASES:
            with self.subTest(what):
                self.refused(text, message)

    def test_a_file_that_is_not_utf8(self):
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        path = os.path.join(folder, "settings.json")
        with open(path, "wb") as f:
            f.write("{server: 'Сервер'}".encode("cp1251"))
        gateway = FileGateway(["/config=" + native_path(path)], cwd=folder)
        self._procs.append(gateway)
        self.assertEqual(gateway.wait_exit(timeout=20), 1)
        self.assertEqual(gateway.lines(), ["ERROR: settings file %s: is not UTF-8 text" % native_path(path), ENTER])

    def test_host_log_build_reports_the_refusal_as_an_error(self):
        self.refused("{port: 0}", "port: must be an integer from 1 to 65535", build="vorlane")

    @unittest.skipIf(WINDOWS, "on Windows the folder's access list guards the key file")
    def test_a_key_file_that_others_may_read_is_refused(self):
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        key = write(os.path.join(folder, "command.key"), "secret\n", mode=0o640)
        self.refused("{commandKeyFile: %s}" % json.dumps(key),
                     "commandKeyFile: the key file %s is readable by others" % key, name="k.json")


class Switches(GatewayTestCase):
    def test_a_switch_wins_over_the_file(self):
        server = self.start_telvexd()
        folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
        self._dirs.append(folder)
        settings = write(os.path.join(folder, "s.json"), "{commandKey: 'from-file', timeout: 9, threads: 2}")
        gateway = self.start_gateway("/config=" + native_path(settings), "/commandkey=k", "/threads=3",
                                     server=server)
        gateway.wait_ready()
        self.assertEqual(gateway.lines()[6:11], ["- timeout = 9,", "- max_query = 8192,", "- max_clients = 3,",
                                                 "- not writing log.", "- command key = set,"])
        for key, answer in (("k", {"ok": "1"}), ("from-file", {"error": "ERROR: incorrect hash"})):
            timestamp = int(time.time() * 1000)
            request = {"query": "ack-ts", "ts": "1.1.1", "timestamp": timestamp, "hash": sign(timestamp, key)}
            self.assertEqual(json.loads(query(gateway.port, json.dumps(request)).decode(CODEPAGE)), answer)


class HelpAndVersion(unittest.TestCase):
    def run_gateway(self, *args):
        result = subprocess.run(program("vorlane-console") + list(args), stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=30 * SLOW)
        return result.returncode, result.stdout.decode(CODEPAGE).replace("\r\n", "\n")

    def test_help_names_the_switches_members_and_docs_without_starting(self):
        for asks in ("--help", "/?"):
            with self.subTest(asks):
                status, out = self.run_gateway("/port=1", asks)
                self.assertEqual(status, 0)
                for text in ("/server=", "/pipe=", "/port=", "/timeout=", "/length=", "/threads=", "/log=",
                             "/commandkey=", "/config=PATH", "--version", "docs/operations.md"):
                    self.assertIn(text, out)
                for member in ("server", "pipe", "port", "timeout", "length", "threads", "log", "commandKey",
                               "commandKeyFile", "checkSeconds", "charset", "decimalSeparator"):
                    self.assertRegex(out, r"\n  %s +\S" % member)
                self.assertNotIn("Starting application...", out)

    def test_version_gives_the_gateway_and_the_build(self):
        status, out = self.run_gateway("--version")
        self.assertEqual(status, 0)
        lines = out.splitlines()
        self.assertEqual(lines[0], "Vorlane, version 1.66 20-Mar-2013")
        self.assertRegex(lines[1], r"^build \d+\.\d+")
        self.assertEqual(len(lines), 2)


if __name__ == "__main__":
    unittest.main()
