"""Raw TCP clients of the gateway and the log lines of one client session,
shared by the listener and session tests. Standard library only."""

import json
import re
import socket
import time

from harness import CODEPAGE, SLOW

ADDRESS = "127.0.0.1"
SESSION_LINE = re.compile(r"^\[#(\d+)\] (.*)$")
CONNECTED = re.compile(r"^[0-9.]+ connected, total clients - \d+$")
DISCONNECTED = re.compile(r"^[0-9.]+ disconnected, total clients - \d+$")


class Client:
    """One connection to the gateway, driven step by step."""

    def __init__(self, port, timeout=20.0, source=None, address=ADDRESS):
        """Connects to ADDRESS; from the loopback address SOURCE when given."""
        self.sock = socket.create_connection((address, port), timeout=timeout * SLOW,
                                             source_address=(source, 0) if source else None)

    def send(self, payload):
        if isinstance(payload, str):
            payload = payload.encode(CODEPAGE)
        self.sock.sendall(payload)

    def end_sending(self):
        self.sock.shutdown(socket.SHUT_WR)

    def read_to_end(self):
        """Every byte until the gateway closes; a reset counts as a close."""
        data = b""
        try:
            while True:
                chunk = self.sock.recv(65536)
                if not chunk:
                    break
                data += chunk
        except ConnectionResetError:
            pass
        return data

    def answer(self):
        """The whole answer, decoded as JSON."""
        return json.loads(self.read_to_end().decode(CODEPAGE))

    def close(self):
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def exchange(port, payload, end_sending=False):
    """Sends PAYLOAD on a new connection and gives the raw answer bytes."""
    with Client(port) as client:
        client.send(payload)
        if end_sending:
            client.end_sending()
        return client.read_to_end()


def ask(port, payload):
    """Like exchange, decoded as JSON."""
    return json.loads(exchange(port, payload).decode(CODEPAGE))


def session_of(gateway, marker):
    """The thread number of the session whose query line holds MARKER."""
    index = gateway.wait_line(lambda line: SESSION_LINE.match(line) and "] Query: " in line and marker in line)
    return SESSION_LINE.match(gateway.lines()[index]).group(1)


def session_lines(gateway, thread):
    """The texts after the "[#THREAD] " prefix of one session, from its
    "connected" line to its "disconnected" line (waited for)."""
    prefix = "[#%s] " % thread
    gateway.wait_line(lambda line: line.startswith(prefix) and DISCONNECTED.match(line[len(prefix):]))
    texts = [line[len(prefix):] for line in gateway.lines() if line.startswith(prefix)]
    start = max(i for i, text in enumerate(texts) if CONNECTED.match(text))
    end = next(i for i in range(start, len(texts)) if DISCONNECTED.match(texts[i]))
    return texts[start:end + 1]


def count_of(text):
    """The client count at the end of a connected or disconnected line."""
    return int(text.rsplit(" - ", 1)[1])


def wait_until(predicate, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout * SLOW
    while not predicate():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
