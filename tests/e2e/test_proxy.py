"""The front door without a terminator: PROXY protocol headers (versions 1
and 2) sent by the test itself from a trusted and from an untrusted peer,
whole and in pieces, LOCAL and UNKNOWN, malformed and too long; admission
and log lines by the address a header names; and a listener bound to
127.0.0.1 only. One gateway serves every case:

- trusted proxies 127.0.0.1 and 127.0.0.3 (clients.Client connects from
  127.0.0.1 unless given another source);
- white list 10.9.8.7, 10.1.2.3, 127.0.0.2, 127.0.0.3: the proxy 127.0.0.1
  itself is not in it, since the clients it names are admitted instead;
- two clients at most, a time-out of four seconds."""

import os
import socket
import struct
import tempfile
import time
import unittest

from clients import CONNECTED, SESSION_LINE, Client, session_lines, session_of, wait_until
from harness import Gateway, Telvexd, config_arg

PROXY, DIRECT, LOCAL_PROXY = "127.0.0.1", "127.0.0.2", "127.0.0.3"
LISTED, OTHER_LISTED, UNLISTED = "10.9.8.7", "10.1.2.3", "10.9.8.6"
TIMEOUT = 4
NO_HEADER = "Client %s force-disconnected - no valid proxy header" % PROXY

server = gateway = None


def setUpModule():
    global server, gateway
    folder = tempfile.mkdtemp(prefix="vorlane-e2e-")
    with open(os.path.join(folder, "white_list.txt"), "w") as f:
        f.write("\n".join([LISTED, OTHER_LISTED, DIRECT, LOCAL_PROXY]) + "\n")
    settings = {"listenAddress": "127.0.0.1", "trustedProxies": [PROXY, LOCAL_PROXY]}
    server = Telvexd()
    unittest.addModuleCleanup(server.kill)
    gateway = Gateway([config_arg(folder, settings), "/threads=2", "/timeout=%d" % TIMEOUT, "/commandkey=proxy-key"],
                      server_pipe=server.pipe, cwd=folder)
    unittest.addModuleCleanup(gateway.kill)
    gateway.wait_ready()


def v1(client, port=50000):
    return ("PROXY TCP4 %s 127.0.0.1 %d 979\r\n" % (client, port)).encode("ascii")


SIGNATURE = b"\r\n\r\n\x00\r\nQUIT\n"


def v2(command=0x21, family=0x11, block=None):
    """A version 2 header; the default block is TCP over IPv4 from
    10.1.2.3:56324 to 127.0.0.1:979."""
    if block is None:
        block = socket.inet_aton(OTHER_LISTED) + socket.inet_aton("127.0.0.1") + struct.pack("!HH", 56324, 979)
    return SIGNATURE + bytes([command, family]) + struct.pack("!H", len(block)) + block


def query_bytes(marker):
    return ('{"query":"test","id":"%s"}' % marker).encode("ascii")


def count(text):
    return sum(1 for line in gateway.lines() if line == text)


class Proxied(unittest.TestCase):
    def served(self, pieces, marker, source=PROXY, pause=0.05):
        """Sends PIECES with PAUSE between them; asserts the answer carries
        MARKER; gives the session's log lines."""
        with Client(gateway.port, source=source) as client:
            for index, piece in enumerate(pieces):
                if index:
                    time.sleep(pause)
                client.send(piece)
            self.assertEqual(client.answer()["id"], marker)
        return session_lines(gateway, session_of(gateway, marker))

    def assert_closed_silently(self, payload, reason, source=PROXY):
        """PAYLOAD gets no answer at all, and REASON is logged once more."""
        before = count(reason)
        with Client(gateway.port, source=source) as client:
            if payload:
                client.send(payload)
            self.assertEqual(client.read_to_end(), b"")
        wait_until(lambda: count(reason) == before + 1, what=reason)

    def assert_client(self, lines, address):
        self.assertEqual(lines[0].rsplit(" - ", 1)[0], address + " connected, total clients")
        self.assertEqual(lines[-1].rsplit(" - ", 1)[0], address + " disconnected, total clients")


class TestHeaders(Proxied):
    def test_the_address_of_a_header_is_the_clients_address(self):
        cases = [
            ("v1", [v1(LISTED) + query_bytes("v1-whole")], "v1-whole", LISTED),
            ("v2", [v2() + query_bytes("v2-whole")], "v2-whole", OTHER_LISTED),
            ("v2 with an extension", [v2(block=v2()[16:] + b"\x04\x00\x02ok") + query_bytes("v2-tlv")], "v2-tlv",
             OTHER_LISTED),
        ]
        for name, pieces, marker, address in cases:
            with self.subTest(name):
                lines = self.served(pieces, marker)
                self.assert_client(lines, address)
                self.assertEqual(lines[1], "Query: " + query_bytes(marker).decode("ascii"))

    def test_pieces_of_the_header_and_the_query_are_joined(self):
        header_one, header_two = v1(LISTED), v2()
        cases = [
            ("v1 in three pieces", "v1-pieces",
             lambda q: [header_one[:3], header_one[3:20], header_one[20:] + q]),
            ("v1 then the query", "v1-later", lambda q: [header_one, q]),
            ("v2 in three pieces", "v2-pieces",
             lambda q: [header_two[:5], header_two[5:20], header_two[20:] + q]),
            ("v2, the query split", "v2-split", lambda q: [header_two + q[:9], q[9:]]),
        ]
        for name, marker, pieces in cases:
            with self.subTest(name):
                self.served(pieces(query_bytes(marker)), marker)

    def test_query_long_after_the_header_is_still_awaited(self):
        # The query has the session's whole time-out, as without a proxy.
        lines = self.served([v1(LISTED), query_bytes("v1-pause")], "v1-pause", pause=1.0)
        self.assert_client(lines, LISTED)

    def test_local_unspec_and_unknown_keep_the_proxys_own_address(self):
        cases = [
            ("v2 LOCAL", v2(command=0x20, family=0x00, block=b"")),
            ("v2 LOCAL with addresses", v2(command=0x20)),
            ("v2 UNSPEC", v2(family=0x00, block=b"")),
            ("v1 UNKNOWN", b"PROXY UNKNOWN\r\n"),
        ]
        for index, (name, header) in enumerate(cases):
            with self.subTest(name):
                marker = "own-%d" % index
                lines = self.served([header + query_bytes(marker)], marker, source=LOCAL_PROXY)
                self.assert_client(lines, LOCAL_PROXY)

    def test_a_trusted_peer_without_a_valid_header_gets_nothing(self):
        cases = [
            ("no header", query_bytes("plain")),
            ("lower case", b"proxy TCP4 10.9.8.7 127.0.0.1 1 2\r\n"),
            ("TCP6", b"PROXY TCP6 ::1 ::1 1 2\r\n"),
            ("short address", b"PROXY TCP4 10.9.8 127.0.0.1 1 2\r\n"),
            ("port too high", b"PROXY TCP4 10.9.8.7 127.0.0.1 65536 2\r\n"),
            ("LF alone", b"PROXY TCP4 10.9.8.7 127.0.0.1 1 2\n"),
            ("v1 of 108 bytes", b"PROXY UNKNOWN " + b"x" * 92 + b"\r\n"),
            ("v1 without end", b"PROXY TCP4 10.9.8.7 127.0.0.1 1 2" + b" " * 80),
            ("v2 too long", v2(block=v2()[16:] + bytes(3000))),
            ("v2 version 1", v2(command=0x11)),
            ("v2 TCP over IPv6", v2(family=0x21, block=bytes(36))),
            ("v2 UDP", v2(family=0x12)),
            ("v2 block too short", v2(block=bytes(8))),
        ]
        for name, payload in cases:
            with self.subTest(name):
                self.assert_closed_silently(payload, NO_HEADER)
        # None of them began a session.
        self.assertFalse(any(SESSION_LINE.match(line) and "plain" in line for line in gateway.lines()))

    def test_an_unfinished_or_missing_header_is_given_up(self):
        # A piece that does not finish the header in time, and no byte at all
        # within the session's time-out.
        for name, payload in (("unfinished", v1(LISTED)[:15]), ("missing", b"")):
            with self.subTest(name):
                self.assert_closed_silently(payload, NO_HEADER)

    def test_a_header_from_an_untrusted_peer_is_part_of_the_query(self):
        answers = []
        for index, header in enumerate((v1(LISTED), v2())):
            with Client(gateway.port, source=DIRECT) as client:
                client.send(header + query_bytes("untrusted-%d" % index))
                answers.append(client.answer())
        self.assertEqual(answers[0], {"error": "ERROR: query type missing"})
        self.assertEqual(sorted(answers[1]), ["error"])
        # The log is read in the background: wait for the line to arrive.
        gateway.wait_line(lambda line: SESSION_LINE.match(line) is not None
                          and SESSION_LINE.match(line).group(2).startswith(DIRECT + " connected"))


class TestAdmission(Proxied):
    def test_command_audit_names_the_clients_address(self):
        command = b'{"query":"set-ts","ts":"1.1.3","value":1,"timestamp":1,"hash":"00","id":"audited"}'
        with Client(gateway.port) as client:
            client.send(v1(LISTED) + command)
            self.assertEqual(client.answer(), {"error": "ERROR: incorrect hash"})
        lines = session_lines(gateway, session_of(gateway, "audited"))
        wait_until(lambda: any("Command audit: client=%s type=set-ts" % LISTED in line for line in gateway.lines()),
                   what="the audit line")
        self.assert_client(lines, LISTED)

    def test_white_list_decides_by_the_clients_address(self):
        self.assert_closed_silently(v1(UNLISTED) + query_bytes("unlisted"),
                                    "Client %s force-disconnected - not in white list" % UNLISTED)
        self.assertFalse(any("unlisted" in line for line in gateway.lines()))
        self.served([v1(LISTED) + query_bytes("listed")], "listed")

    def test_client_limit_counts_proxied_clients(self):
        held = [Client(gateway.port), Client(gateway.port)]
        try:
            before = sum(1 for line in gateway.lines() if CONNECTED.match(SESSION_LINE.sub(r"\2", line)))
            for client in held:
                client.send(v1(LISTED))
            wait_until(lambda: sum(1 for line in gateway.lines()
                                   if CONNECTED.match(SESSION_LINE.sub(r"\2", line))) == before + 2,
                       what="two held clients counted in")
            self.assert_closed_silently(v1(OTHER_LISTED) + query_bytes("third"),
                                        "Client %s force-disconnected - max clients reached" % OTHER_LISTED)
            self.assert_closed_silently(query_bytes("direct"),
                                        "Client %s force-disconnected - max clients reached" % DIRECT, source=DIRECT)
            for index, client in enumerate(held):
                client.send(query_bytes("held-%d" % index))
                self.assertEqual(client.answer()["id"], "held-%d" % index)
        finally:
            for client in held:
                client.close()
        for index in range(len(held)):
            self.assert_client(session_lines(gateway, session_of(gateway, "held-%d" % index)), LISTED)


class TestListenAddress(unittest.TestCase):
    def test_banner_shows_the_settings(self):
        lines = gateway.lines()
        self.assertIn("- listen address = 127.0.0.1,", lines)
        self.assertIn("- trusted proxies = 127.0.0.1, 127.0.0.3,", lines)

    def test_only_the_chosen_address_is_served(self):
        with self.assertRaises(ConnectionRefusedError):
            Client(gateway.port, source=DIRECT, address="127.0.0.2").close()
        with Client(gateway.port, source=DIRECT) as client:
            client.send(query_bytes("listen"))
            self.assertEqual(client.answer()["ok"], "1")


if __name__ == "__main__":
    unittest.main()
