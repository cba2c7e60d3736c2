"""Shared pieces of the end-to-end tests: finding the programs of the build
under test, starting telvexd and the gateway, reading their output, and
talking to them over TCP. Standard library only.

The build under test is named by the environment (CTest sets it):
VORLANE_BIN (folder of the programs), VORLANE_EXE_SUFFIX (".exe" for the
Windows build), VORLANE_EMULATOR (wine for the Windows build, else empty)
and VORLANE_SANITIZE (the sanitizer the build carries, else empty).
"""

import itertools
import json
import os
import queue
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

BIN = os.environ.get("VORLANE_BIN", os.path.join(os.path.dirname(__file__), "..", "..", "build", "bin"))
SUFFIX = os.environ.get("VORLANE_EXE_SUFFIX", "")
EMULATOR = [e for e in os.environ.get("VORLANE_EMULATOR", "").split(";") if e]
WINDOWS = SUFFIX == ".exe"
SANITIZER = os.environ.get("VORLANE_SANITIZE", "")
# Wine starts slowly; every wait of the tests is stretched by this factor.
SLOW = 4.0 if WINDOWS else 1.0
# Texts on the wire and in the log are 8-bit texts in Windows-1251.
CODEPAGE = "cp1251"

_names = itertools.count(1)


def program(name):
    """The command that runs program NAME of the build under test."""
    return EMULATOR + [os.path.join(BIN, name + SUFFIX)]


# Listening ports are taken below the system's range of ephemeral ports
# (32768 and up on Linux): a port that the system hands out to the outgoing
# connections of tests running in parallel could otherwise be taken between
# its choice here and the bind of the program that is to listen on it.
_LISTEN_PORTS = (20000, 32000)


def free_port():
    """A TCP port that nobody uses on any local address now."""
    while True:
        port = random.randint(*_LISTEN_PORTS)
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
            try:
                s.bind(("", port))
            except OSError:
                continue
            return port


def unique_pipe():
    """A pipe name that no other test of this run uses."""
    return "vt%d_%d" % (os.getpid(), next(_names))


class Process:
    """A started program whose standard output (and error) is read line by
    line in the background, decoded from Windows-1251 with \\r dropped."""

    def __init__(self, args, cwd=None, env=None, stdin=subprocess.DEVNULL, merge_stderr=True):
        self.args = args
        full_env = dict(os.environ)
        if env:
            full_env.update(env)
        self.proc = subprocess.Popen(
            args, cwd=cwd, env=full_env, stdin=stdin, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT if merge_stderr else subprocess.PIPE,
            start_new_session=True)
        self._lines = []
        self._err_lines = []
        self._cond = threading.Condition()
        self._readers = [threading.Thread(target=self._read, args=(self.proc.stdout, self._lines), daemon=True)]
        if not merge_stderr:
            self._readers.append(threading.Thread(target=self._read, args=(self.proc.stderr, self._err_lines),
                                                  daemon=True))
        self._open_streams = len(self._readers)
        for reader in self._readers:
            reader.start()

    def _read(self, stream, lines):
        for raw in iter(stream.readline, b""):
            line = raw.decode(CODEPAGE, errors="replace").rstrip("\r\n")
            with self._cond:
                lines.append(line)
                self._cond.notify_all()
        with self._cond:
            self._open_streams -= 1
            self._closed = self._open_streams == 0
            self._cond.notify_all()

    _closed = False

    @property
    def pid(self):
        return self.proc.pid

    def lines(self, stderr=False):
        """The lines read so far from standard output (or, when the program
        was started with merge_stderr=False, from standard error)."""
        with self._cond:
            return list(self._err_lines if stderr else self._lines)

    def wait_line(self, predicate, timeout=10.0, start=0, stderr=False):
        """Waits until a line from index START on satisfies PREDICATE (a
        text to look for, or a function of the line); returns its index.
        Fails the test on time-out or end of output."""
        if isinstance(predicate, str):
            text = predicate
            predicate = lambda line: text in line
        lines = self._err_lines if stderr else self._lines
        deadline = time.monotonic() + timeout * SLOW
        with self._cond:
            index = start
            while True:
                while index < len(lines):
                    if predicate(lines[index]):
                        return index
                    index += 1
                remaining = deadline - time.monotonic()
                if self._closed or remaining <= 0:
                    raise AssertionError("no matching line; output so far:\n" + "\n".join(lines))
                self._cond.wait(remaining)

    def wait_exit(self, timeout=10.0):
        """Waits for the program to end; returns its exit status."""
        code = self.proc.wait(timeout * SLOW)
        for reader in self._readers:
            reader.join(5 * SLOW)
        return code

    def interrupt(self):
        """Sends the console interrupt (Ctrl+C)."""
        self.proc.send_signal(signal.SIGINT)

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        for reader in self._readers:
            reader.join(5)
        # Under wine a wineserver started by this program may hold its output
        # open after it ended: closing a stream that a reader still waits on
        # would block, so such a stream is left to its reader.
        if not any(reader.is_alive() for reader in self._readers):
            self.proc.stdout.close()
            if self.proc.stderr:
                self.proc.stderr.close()


class Telvexd(Process):
    """The telemetry server simulator on a pipe of its own, with its admin
    interface on a loopback port."""

    def __init__(self, pipe=None, dataset=None, admin_port=None, cwd=None):
        self.pipe = pipe or unique_pipe()
        self.admin_port = admin_port or free_port()
        args = program("telvexd") + ["--pipe", self.pipe, "--admin", str(self.admin_port)]
        if dataset:
            args += ["--dataset", dataset]
        super().__init__(args, cwd=cwd)
        self.wait_line("telvexd ready", timeout=15)

    def admin(self, request, timeout=10.0):
        """Sends one admin request (a dict) and returns the answer (a dict)."""
        with socket.create_connection(("127.0.0.1", self.admin_port), timeout=timeout * SLOW) as s:
            s.sendall(json.dumps(request).encode("utf-8") + b"\n")
            data = b""
            while not data.endswith(b"\n"):
                chunk = s.recv(65536)
                if not chunk:
                    break
                data += chunk
        return json.loads(data.decode("utf-8"))


class Gateway(Process):
    """The console build of the gateway (or BUILD, e.g. "vorlane"), in a
    working folder of its own (log files and the white list live there).
    halvern traces its calls into trace.txt of that folder."""

    def __init__(self, args=(), cwd=None, port=None, server_pipe=None, build="vorlane-console", env=None,
                 stdin=subprocess.DEVNULL, merge_stderr=True):
        self.workdir = cwd or tempfile.mkdtemp(prefix="vorlane-e2e-")
        self.port = port or free_port()
        self.trace_path = os.path.join(self.workdir, "trace.txt")
        full = ["/port=%d" % self.port]
        if server_pipe:
            full.append("/pipe=%s" % server_pipe)
        full += list(args)
        full_env = {"HALVERN_TRACE": native_path(self.trace_path)}
        full_env.update(env or {})
        super().__init__(program(build) + full, cwd=self.workdir, env=full_env, stdin=stdin,
                         merge_stderr=merge_stderr)

    def wait_ready(self, timeout=20.0):
        return self.wait_line("Vorlane ready, port %d." % self.port, timeout=timeout)

    def query(self, payload, timeout=10.0):
        return query(self.port, payload, timeout)

    def trace(self):
        """The lines that halvern has traced so far."""
        try:
            with open(self.trace_path, encoding=CODEPAGE, errors="replace") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def trace_states(self):
        """The server states reported to the trace service so far, in order."""
        return [int(line.split()[1]) for line in self.trace() if line.startswith("state ")]

    def host_pid(self, timeout=10.0):
        """The process id that the gateway reported to the trace service
        (under wine the Windows one, which hlvctl needs)."""
        deadline = time.monotonic() + timeout * SLOW
        while True:
            for line in self.trace():
                if line.startswith("alloc pid="):
                    return int(line.split()[1][len("pid="):])
            if time.monotonic() > deadline:
                raise AssertionError("no alloc line in the trace: %r" % self.trace())
            time.sleep(0.1)

    def stop_event(self):
        """Asks the gateway to stop the way the host's process monitor does
        (hlvctl stop PID); returns hlvctl's exit status."""
        return subprocess.run(program("hlvctl") + ["stop", str(self.host_pid())], stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=30 * SLOW).returncode


def native_path(path):
    """PATH as the programs under test name it: under wine a Unix path is
    reached through drive Z:."""
    path = os.path.abspath(path)
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


def config_arg(folder, settings):
    """Writes SETTINGS (a dict) as the settings file "settings.json" of
    FOLDER; gives the switch that names it."""
    path = os.path.join(folder, "settings.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(settings, f)
    return "/config=" + native_path(path)


def query(port, payload, timeout=10.0):
    """Sends PAYLOAD (bytes, or a text sent in Windows-1251) on one
    connection and returns every byte received until the gateway closes."""
    if isinstance(payload, str):
        payload = payload.encode(CODEPAGE)
    with socket.create_connection(("127.0.0.1", port), timeout=timeout * SLOW) as s:
        s.sendall(payload)
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                return data
            data += chunk


def query_json(port, payload, timeout=10.0):
    """Like query, and decodes the answer as JSON."""
    return json.loads(query(port, payload, timeout).decode(CODEPAGE))


class GatewayTestCase(unittest.TestCase):
    """Base class: processes started through start_* are ended after each
    test, and the working folders removed."""

    def setUp(self):
        self._procs = []
        self._dirs = []

    def run(self, result=None):
        """Runs the test; when it fails, writes the last lines of the
        gateways it used to standard error, for a failure seen only on
        another machine."""
        result = result or self.defaultTestResult()
        problems = len(result.failures) + len(result.errors)
        super().run(result)
        if len(result.failures) + len(result.errors) > problems:
            self._show_gateway_lines()
        return result

    def _show_gateway_lines(self, count=40):
        gateways = [p for p in getattr(self, "_procs", []) if isinstance(p, Gateway)]
        shared = getattr(self, "gateway", None)
        if isinstance(shared, Gateway) and shared not in gateways:
            gateways.append(shared)
        for gateway in gateways:
            print("-- the last %d lines of the gateway on port %d:" % (count, gateway.port), file=sys.stderr)
            print("\n".join(gateway.lines()[-count:]), file=sys.stderr, flush=True)

    def tearDown(self):
        for p in reversed(self._procs):
            p.kill()
        for d in self._dirs:
            shutil.rmtree(d, ignore_errors=True)

    def start_telvexd(self, **kw):
        t = Telvexd(**kw)
        self._procs.append(t)
        return t

    def start_gateway(self, *args, server=None, **kw):
        g = Gateway(args, server_pipe=server.pipe if server else kw.pop("server_pipe", None), **kw)
        self._procs.append(g)
        if "cwd" not in kw:
            self._dirs.append(g.workdir)
        return g


if __name__ == "__main__":
    sys.exit("harness.py is a module of the end-to-end tests")
