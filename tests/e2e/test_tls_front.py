"""TLS in front of the gateway with the real terminators, configured from
the files of deploy/: stunnel (TLS, and a mutual TLS service) and HAProxy
(mutual TLS), both naming their clients in a PROXY protocol header.
Certificates are made here with openssl. Clients are Python's ssl module
and vorlane-query --tls. Linux only: the terminators do not run under wine.

The gateway listens on 127.0.0.1 only, trusts the proxy 127.0.0.1, admits
the clients 127.0.0.1 and 127.0.0.2 (not 127.0.0.3) and serves two at
once."""

import os
import re
import shutil
import socket
import ssl
import subprocess
import tempfile
import time
import unittest

from clients import CONNECTED, DISCONNECTED, SESSION_LINE, exchange, session_lines, session_of, wait_until
from harness import SLOW, WINDOWS, Gateway, Process, Telvexd, config_arg, free_port, program
from test_client import run_client

DEPLOY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "deploy")
KEY = "tls-key"
ADMITTED, REFUSED = "127.0.0.2", "127.0.0.3"
TERMINATORS = ("stunnel4", "haproxy", "openssl")

files = {}
server = gateway = None
ports = {}


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, capture_output=True, timeout=60)


def make_certificates(folder):
    """A CA, the terminators' certificate for localhost and 127.0.0.1 signed
    by it, and a client certificate signed by it."""
    path = lambda name: os.path.join(folder, name)
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *ec, "-keyout", path("ca.key"), "-out", path("ca.pem"), "-days", "2",
            "-subj", "/CN=Test CA")
    with open(path("server.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n")
    for name, subject, extension in (("server", "/CN=localhost", ["-extfile", path("server.ext")]),
                                     ("client", "/CN=operator", [])):
        openssl("req", *ec, "-keyout", path(name + ".key"), "-out", path(name + ".csr"), "-subj", subject)
        openssl("x509", "-req", "-in", path(name + ".csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
                "-CAcreateserial", "-out", path(name + ".pem"), "-days", "2", *extension)
    with open(path("server-with-key.pem"), "w") as combined:
        for part in ("server.pem", "server.key"):
            with open(path(part)) as f:
                combined.write(f.read())
    return {name: path(name) for name in ("ca.pem", "server.pem", "server.key", "server-with-key.pem", "client.pem",
                                          "client.key")}


def replaced(text, old, new):
    """TEXT with OLD replaced, which must be there: the deploy file changed
    shape when it is not."""
    if old not in text:
        raise AssertionError("%r is no longer in the deploy file" % old)
    return text.replace(old, new)


# stunnel's client mode as docs/client.md shows it for Windows clients:
# plain on its own port, TLS to the gateway's stunnel.
CLIENT_MODE = """
[client-mode]
client = yes
accept = 127.0.0.1:%d
connect = 127.0.0.1:%d
verifyChain = yes
CAfile = %s
checkHost = localhost
sslVersionMin = TLSv1.2
"""


def stunnel_config(gateway_port):
    """deploy/stunnel/vorlane.conf for this test: its service, and a copy of
    it with the mutual TLS lines switched on; without setuid."""
    with open(os.path.join(DEPLOY, "stunnel", "vorlane.conf")) as f:
        text = f.read()
    for old, new in (("/etc/stunnel/vorlane.pem", files["server.pem"]),
                     ("/etc/stunnel/vorlane.key", files["server.key"]),
                     ("/etc/stunnel/vorlane-clients-ca.pem", files["ca.pem"]),
                     ("127.0.0.1:979", "127.0.0.1:%d" % gateway_port)):
        text = replaced(text, old, new)
    text = re.sub(r"(?m)^set[ug]id = .*\n", "", text)
    head, section = text.split("[vorlane]")
    plain = replaced(section, "accept = 9979", "accept = 127.0.0.1:%d" % ports["stunnel"])
    mutual = re.sub(r"(?m)^;(verifyChain|requireCert|CAfile)", r"\1", section)
    mutual = replaced(mutual, "accept = 9979", "accept = 127.0.0.1:%d" % ports["stunnel-mutual"])
    return head + "[vorlane]" + plain + "\n[vorlane-mutual]" + mutual + CLIENT_MODE % (
        ports["stunnel-client"], ports["stunnel"], files["ca.pem"])


def haproxy_config(gateway_port):
    """deploy/haproxy/vorlane.cfg for this test: on the test's ports, without
    a system log or a user to change to."""
    with open(os.path.join(DEPLOY, "haproxy", "vorlane.cfg")) as f:
        text = f.read()
    for old, new in (("/etc/haproxy/vorlane.pem", files["server-with-key.pem"]),
                     ("/etc/haproxy/vorlane-clients-ca.pem", files["ca.pem"]),
                     ("bind :9979", "bind 127.0.0.1:%d" % ports["haproxy"]),
                     ("127.0.0.1:979", "127.0.0.1:%d" % gateway_port)):
        text = replaced(text, old, new)
    return re.sub(r"(?m)^\s*(log|user|group|option tcplog)\b.*\n", "", text)


def wait_port(port, what):
    deadline = time.monotonic() + 20
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            if time.monotonic() > deadline:
                raise AssertionError(what + " does not listen")
            time.sleep(0.1)


def wait_answered(port):
    """Asks "test" on the plain PORT until an answer comes."""
    deadline = time.monotonic() + 20
    while True:
        if exchange(port, query("probe")):
            return
        if time.monotonic() > deadline:
            raise AssertionError("no answer through port %d" % port)
        time.sleep(0.1)


def start(process):
    unittest.addModuleCleanup(process.kill)
    return process


def why_not_here():
    """Why the terminators cannot run here, or None."""
    if WINDOWS:
        return "the terminators run on Linux only"
    missing = [name for name in TERMINATORS if not shutil.which(name)]
    return "not installed: " + ", ".join(missing) if missing else None


def setUpModule():
    global server, gateway
    if why_not_here():
        return
    folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
    unittest.addModuleCleanup(shutil.rmtree, folder, ignore_errors=True)
    files.update(make_certificates(folder))
    with open(os.path.join(folder, "white_list.txt"), "w") as f:
        f.write("127.0.0.1\n%s\n" % ADMITTED)
    server = start(Telvexd())
    settings = {"listenAddress": "127.0.0.1", "trustedProxies": ["127.0.0.1"]}
    gateway = start(Gateway([config_arg(folder, settings), "/threads=2", "/commandkey=" + KEY],
                            server_pipe=server.pipe, cwd=folder))
    gateway.wait_ready()
    for name in ("stunnel", "stunnel-mutual", "stunnel-client", "haproxy"):
        ports[name] = free_port()
    for name, text, command in (("stunnel.conf", stunnel_config(gateway.port), ["stunnel4"]),
                                ("haproxy.cfg", haproxy_config(gateway.port), ["haproxy", "-db", "-f"])):
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write(text)
        start(Process(command + [path]))
    for name, port in ports.items():
        wait_port(port, name)
    # A probe of stunnel's client mode reaches the gateway through its
    # server mode: one whole exchange, whose session must be over before
    # the tests count theirs.
    wait_answered(ports["stunnel-client"])
    wait_until(lambda: count(is_connected) == count(is_disconnected), timeout=30, what="the probe's session")


def tls_exchange(port, payload, source=None, certificate=False):
    """Sends PAYLOAD over TLS from the loopback address SOURCE, with the
    client certificate when CERTIFICATE; every byte received until the
    end. A failure of the TLS session after the handshake ends the bytes."""
    context = ssl.create_default_context(cafile=files["ca.pem"])
    if certificate:
        context.load_cert_chain(files["client.pem"], files["client.key"])
    raw = socket.create_connection(("127.0.0.1", port), timeout=10 * SLOW,
                                   source_address=(source, 0) if source else None)
    with context.wrap_socket(raw, server_hostname="localhost") as s:
        if payload:
            s.sendall(payload)
        data = b""
        try:
            while chunk := s.recv(65536):
                data += chunk
        except (ssl.SSLError, ConnectionResetError):
            pass
    return data


def query(marker):
    return ('{"query":"test","id":"%s"}' % marker).encode("ascii")


def count(predicate):
    return sum(1 for line in gateway.lines() if predicate(line))


def is_connected(line):
    match = SESSION_LINE.match(line)
    return bool(match and CONNECTED.match(match.group(2)))


def is_disconnected(line):
    match = SESSION_LINE.match(line)
    return bool(match and DISCONNECTED.match(match.group(2)))


class WithTerminators(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if why_not_here():
            raise unittest.SkipTest(why_not_here())


class Front(WithTerminators):
    FRONTS = (("stunnel", False), ("stunnel-mutual", True), ("haproxy", True))

    def test_python_client_is_served_and_logged_with_its_own_address(self):
        for name, certificate in self.FRONTS:
            with self.subTest(name):
                marker = "py-" + name
                answer = tls_exchange(ports[name], query(marker), ADMITTED, certificate)
                self.assertTrue(answer.startswith(b'{"serverTime":"'), answer)
                self.assertTrue(answer.endswith(b'"ok":"1","id":"%s"}' % marker.encode()), answer)
                lines = session_lines(gateway, session_of(gateway, marker))
                self.assertTrue(lines[0].startswith(ADMITTED + " connected, total clients - "), lines)
                self.assertTrue(lines[-1].startswith(ADMITTED + " disconnected, total clients - "), lines)

    def test_white_list_refuses_by_the_clients_own_address(self):
        refusal = "Client %s force-disconnected - not in white list" % REFUSED
        for name, certificate in self.FRONTS:
            with self.subTest(name):
                before = count(lambda line: line == refusal)
                self.assertEqual(tls_exchange(ports[name], query("refused"), REFUSED, certificate), b"")
                wait_until(lambda: count(lambda line: line == refusal) == before + 1, what=refusal)

    def test_client_limit_counts_clients_behind_the_terminator(self):
        context = ssl.create_default_context(cafile=files["ca.pem"])
        held = []
        try:
            before = count(is_connected)
            for _ in range(2):
                raw = socket.create_connection(("127.0.0.1", ports["stunnel"]), timeout=10 * SLOW,
                                               source_address=(ADMITTED, 0))
                held.append(context.wrap_socket(raw, server_hostname="localhost"))
            # The terminator reaches the gateway only after each handshake:
            # on a loaded machine that may take a while.
            wait_until(lambda: count(is_connected) == before + 2, timeout=30, what="two held clients counted in")
            refusal = "Client %s force-disconnected - max clients reached" % ADMITTED
            before = count(lambda line: line == refusal)
            self.assertEqual(tls_exchange(ports["haproxy"], query("third"), ADMITTED, True), b"")
            wait_until(lambda: count(lambda line: line == refusal) == before + 1, what=refusal)
            for index, client in enumerate(held):
                client.sendall(query("held-%d" % index))
                self.assertIn(b'"id":"held-%d"' % index, client.recv(65536))
        finally:
            for client in held:
                client.close()

    def test_mutual_tls_refuses_a_client_without_certificate(self):
        for name in ("stunnel-mutual", "haproxy"):
            with self.subTest(name):
                before = count(is_connected)
                try:
                    answer = tls_exchange(ports[name], query("no-certificate"), ADMITTED)
                except (ssl.SSLError, ConnectionResetError):
                    answer = b""
                self.assertEqual(answer, b"")
                # The next client served is the next one the gateway saw.
                self.assertTrue(tls_exchange(ports[name], query("after-" + name), ADMITTED, True))
                session_of(gateway, "after-" + name)
                self.assertEqual(count(is_connected), before + 1)


# With TLS 1.3 the client's handshake ends before the terminator has checked
# the certificate: the client either reads the terminator's alert or finds
# the connection already closed when it sends its query.
REFUSED_CERTIFICATE = ("alert certificate required", "the query could not be sent")


class QueryClient(WithTerminators):
    def tls(self, front, *args):
        return ["--port", str(ports[front]), "--tls", "--ca", files["ca.pem"]] + list(args)

    def certificate(self):
        return ["--cert", files["client.pem"], "--key", files["client.key"]]

    def test_test_query_through_each_front(self):
        cases = [
            ("stunnel", "stunnel", [], 0, ""),
            ("stunnel by name", "stunnel", ["--host", "localhost"], 0, ""),
            ("stunnel, name given", "stunnel", ["--servername", "localhost"], 0, ""),
            ("stunnel, another name", "stunnel", ["--servername", "other.example"], 3, "hostname mismatch"),
            ("mutual stunnel with certificate", "stunnel-mutual", self.certificate(), 0, ""),
            ("mutual stunnel without certificate", "stunnel-mutual", [], 3, REFUSED_CERTIFICATE),
            ("haproxy with certificate", "haproxy", self.certificate(), 0, ""),
            ("haproxy without certificate", "haproxy", [], 3, REFUSED_CERTIFICATE),
        ]
        for name, front, args, status, problem in cases:
            with self.subTest(name):
                code, out, err = run_client(*self.tls(front, *args), "test")
                self.assertEqual(code, status, err)
                self.assertTrue(any(p in err for p in (problem if isinstance(problem, tuple) else (problem,))), err)
                if status == 0:
                    self.assertIn("ok: 1", out)

    def test_plain_client_through_stunnel_in_client_mode(self):
        code, out, err = run_client("--port", str(ports["stunnel-client"]), "test")
        self.assertEqual(code, 0, err)
        self.assertIn("ok: 1", out)

    def test_the_system_store_does_not_trust_the_test_ca(self):
        code, out, err = run_client("--port", str(ports["stunnel"]), "--tls", "test")
        self.assertEqual(code, 3)
        self.assertIn("certificate is not accepted", err)

    def test_a_signed_command_over_tls(self):
        code, out, err = run_client(*self.tls("haproxy", *self.certificate()), "set-ts", "ts=1.1.3", "value=1",
                                    env={"VORLANE_COMMAND_KEY": KEY})
        self.assertEqual((code, out.strip()), (0, "ok: 1"), err)

    def test_follow_over_tls(self):
        code, out, err = run_client(*self.tls("stunnel"), "events-current")
        position = int(re.search(r"lastEventId (\d+)", out).group(1))
        follow = subprocess.Popen(program("vorlane-query") + self.tls("stunnel", "follow", "--interval", "0.3",
                                                                      "--from", str(position - 3)),
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            lines = [follow.stdout.readline() for _ in range(3)]
        finally:
            follow.kill()
            follow.wait()
            follow.stdout.close()
        self.assertTrue(all(b"#" in line for line in lines), lines)

    def test_options_of_tls_alone_are_bad_usage(self):
        for args in (["--ca", files["ca.pem"]], ["--tls", "--cert", files["client.pem"]]):
            with self.subTest(args=args):
                code, out, err = run_client(*args, "test")
                self.assertEqual(code, 2)
                self.assertIn("usage: vorlane-query", err)


@unittest.skipUnless(WINDOWS, "the Windows build has no TLS of its own")
class WindowsClient(unittest.TestCase):
    def test_tls_is_not_available(self):
        code, out, err = run_client("--tls", "test")
        self.assertEqual(code, 2)
        self.assertIn("--tls is not available in this build", err)


if __name__ == "__main__":
    unittest.main()
