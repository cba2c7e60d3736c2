"""The event log queries: every kind of event decoded into its texts, the
checks and messages of "events-latest", "events-current" and
"events-archive", polling by event number, the 2000-event limit, and
failing library calls. Records are injected raw into telvexd's log and
read back from the event number taken just before."""

import json
import locale
import os
import shutil
import socket
import struct
import threading
import unittest

from harness import CODEPAGE, SANITIZER, SLOW, WINDOWS, Gateway, Telvexd, query

DATASET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "events_dataset.json")

# Event types.
CHANGE, ALARM, CONTROL, ACK, STATUS_SET, ANALOG_SET, MESSAGE_REF, MESSAGE = 1, 2, 4, 8, 16, 32, 0x2000, 0x8000
EXTENDED = 0xEEAAEE00


def decimal_separator():
    """The separator the gateway writes: the Windows build's regional
    setting under wine is Russian; the Linux build follows the locale."""
    if WINDOWS:
        return ","
    try:
        locale.setlocale(locale.LC_NUMERIC, "")
        return locale.localeconv()["decimal_point"] or "."
    except locale.Error:
        return "."
    finally:
        locale.setlocale(locale.LC_NUMERIC, "C")


SEP = decimal_separator()


def ask(port, request):
    """REQUEST's answer, read as strict JSON: control characters inside its
    strings (the line break of a two-line message) must come escaped."""
    return json.loads(query(port, json.dumps(request, ensure_ascii=False)).decode(CODEPAGE))


def record(when, imp, kind, address, data=b""):
    """A 56-byte event record; WHEN is the time text, ADDRESS (c, r, p)."""
    return struct.pack("<24sHHHHH22s", when.encode("ascii"), imp, kind, *address, data)


def status_change(state, mark=0, signature=0, reserve=(0, 0, 0), source_time=0, faults=0, flags=0, ms=0):
    return struct.pack("<BBIBBHiHIH", state, mark, signature, *reserve, source_time, faults, flags, ms)


def analog_alarm(value, number, active):
    return struct.pack("<fHB", value, number, active)


def status_set(state, field=None, source="oper"):
    return struct.pack("<BBxxBx16s", 0xFF if field is not None else 0, field or 0, state, source.encode("cp866"))


def message(kind, text1, text2):
    return struct.pack("<I", kind) + text1 + b"\0" + text2 + b"\0"


WHEN = "01.02.2020 10:20:30.450"

# (what, record, expected item or None for no item). Expected texts are
# what the wire carries, decoded from Windows-1251.
DECODING = [
    ("status change to 1", record(WHEN, 1, CHANGE, (1, 2, 3), status_change(1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "ТС"}),
    ("status change to 0", record(WHEN, 0, CHANGE, (1, 2, 3), status_change(0)),
     {"imp": 0, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ОТКЛ", "t": "ТС"}),
    ("alarm signal to 0 lifts importance", record(WHEN, 3, CHANGE, (1, 2, 4), status_change(0, mark=1)),
     {"imp": 2, "dat": WHEN, "adr": "#TC1:2:4", "n": "АПС Газовая защита", "st": "СНЯТ", "t": "АПС"}),
    ("alarm signal to 1", record(WHEN, 3, CHANGE, (1, 2, 4), status_change(1, mark=1)),
     {"imp": 3, "dat": WHEN, "adr": "#TC1:2:4", "n": "АПС Газовая защита", "st": "ВЗВЕДЕН", "t": "АПС"}),
    ("classed point: class texts and name", record(WHEN, 1, CHANGE, (1, 2, 1), status_change(1, mark=1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:1", "n": "Выключатель В-110", "st": "ВКЛЮЧЕН", "t": "Выключатель"}),
    ("line break and every flag", record(WHEN, 1, CHANGE, (1, 2, 3),
                                         status_change(1, signature=EXTENDED | 0x14, faults=3, flags=0x0B)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "00 - ОБРЫВ Н.А. БЛОК РУЧН.", "t": "ТС"}),
    ("line fault", record(WHEN, 1, CHANGE, (1, 2, 3), status_change(1, signature=EXTENDED | 0x04, faults=2, flags=1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "11 - НЕИСПР", "t": "ТС"}),
    ("fault words ignored without the signature", record(WHEN, 1, CHANGE, (1, 2, 3),
                                                         status_change(1, signature=0xEEAAEF00, faults=1, flags=1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "ТС"}),
    ("source time on a 19-character time gets .000",
     record("01.02.2020 10:20:30", 1, CHANGE, (1, 2, 3),
            status_change(1, signature=0x52535256, reserve=(1, 2, 9), source_time=1580552430, ms=7)),
     {"imp": 1, "dat": "01.02.2020 10:20:30.000", "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "ТС"}),
    ("source time on a 23-character time", record(WHEN, 1, CHANGE, (1, 2, 3), status_change(1, source_time=1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "ТС"}),
    ("time text filling its 24 bytes", record(" " + WHEN, 1, 64, (1, 2, 3)),
     {"imp": 1, "dat": " " + WHEN, "adr": "1:2:3", "n": "Неизвестное событие", "st": "", "t": ""}),
    ("hundredths", record("01.02.2020 10:20:30.45", 1, CHANGE, (1, 2, 3), status_change(1)),
     {"imp": 1, "dat": "01.02.2020 10:20:30.45", "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "ТС"}),
    ("analog alarm active at 1", record(WHEN, 1, ALARM, (1, 2, 1), analog_alarm(12.5, 1, 1)),
     {"imp": 1, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "12%s500" % SEP,
      "t": "Превышение напряжения"}),
    ("analog alarm active at 2", record(WHEN, 2, ALARM, (1, 2, 1), analog_alarm(-3.25, 1, 1)),
     {"imp": 2, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "Предупреждение (-3%s250)" % SEP,
      "t": "Превышение напряжения"}),
    ("analog alarm active at 3", record(WHEN, 3, ALARM, (1, 2, 1), analog_alarm(120, 1, 1)),
     {"imp": 3, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "Тревога (120%s000)" % SEP,
      "t": "Превышение напряжения"}),
    ("analog alarm back to normal", record(WHEN, 1, ALARM, (1, 2, 1), analog_alarm(99, 1, 2)),
     {"imp": 2, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "Норма", "t": "Превышение напряжения"}),
    ("alarm without a name", record(WHEN, 1, ALARM, (1, 2, 1), analog_alarm(99, 9, 0)),
     {"imp": 2, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "Норма", "t": ""}),
    ("control", record(WHEN, 1, CONTROL, (1, 2, 1), status_set(0, source="Диспетчер")),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:1", "n": "Выключатель В-110", "st": "ОТКЛЮЧЕН", "t": "ТУ"}),
    ("status set by hand", record(WHEN, 1, STATUS_SET, (1, 2, 3), status_set(1)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "ВКЛ", "t": "Вручную"}),
    ("class field", record(WHEN, 1, STATUS_SET, (1, 2, 1), status_set(1, field=3)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:1", "n": "Выключатель В-110", "st": "МЕСТНОЕ", "t": "Местное управление"}),
    ("class field without class data", record(WHEN, 1, STATUS_SET, (1, 2, 3), status_set(0, field=3)),
     {"imp": 1, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "0", "t": "F3"}),
    ("acknowledgement", record(WHEN, 0, ACK, (1, 2, 3)),
     {"imp": 0, "dat": WHEN, "adr": "#TC1:2:3", "n": "Дверь ОПУ", "st": "", "t": "Квитирование"}),
    ("general acknowledgement of status points", record(WHEN, 0, ACK, (0, 0, 0), struct.pack("<H", 0x8000)),
     {"imp": 0, "dat": WHEN, "adr": "#TC0:0:0", "n": "Общее квитирование ТС", "st": "", "t": "Квитирование"}),
    ("general acknowledgement of analog points", record(WHEN, 0, ACK, (0, 0, 0), struct.pack("<H", 0x8001)),
     {"imp": 0, "dat": WHEN, "adr": "#TC0:0:0", "n": "Общее квитирование ТИ", "st": "", "t": "Квитирование"}),
    ("analog set by hand", record(WHEN, 1, ANALOG_SET, (1, 2, 1), struct.pack("<fB16s", 7.25, 1, b"op")),
     {"imp": 1, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "7%s250" % SEP, "t": "РУЧН."}),
    ("analog value from telemechanics", record(WHEN, 1, ANALOG_SET, (1, 2, 1), struct.pack("<fB", 7.25, 0)),
     {"imp": 1, "dat": WHEN, "adr": "#TT1:2:1", "n": "Напряжение шин", "st": "", "t": "ОТ ТМ"}),
    ("message of two lines", record(WHEN, 1, MESSAGE, (0, 1, 0), message(0x01020066, b"A", b"B")),
     {"imp": 1, "dat": WHEN, "adr": "#MSG1:2:", "n": "A\r\nB", "st": "", "t": "СООБЩ"}),
    ("message with a source", record(WHEN, 1, MESSAGE, (0, 1, 0), message(0, "Пуск ".encode(CODEPAGE), b"src")),
     {"imp": 1, "dat": WHEN, "adr": "#MSG", "n": "Пуск", "st": "", "t": "СООБЩ"}),
    ("message filling its record without NUL", record(WHEN, 1, MESSAGE, (0, 1, 0),
                                                      struct.pack("<I", 0) + b"X" * 18),
     {"imp": 1, "dat": WHEN, "adr": "#MSG", "n": "X" * 18, "st": "", "t": "СООБЩ"}),
    ("message at RTU 2 is not shown", record(WHEN, 1, MESSAGE, (0, 2, 0), message(0, b"hidden", b"")), None),
    ("message by index", record(WHEN, 1, MESSAGE_REF, (0, 0, 0), struct.pack("<I", 71)),
     {"imp": 1, "dat": WHEN, "adr": "#MSG", "n": "Line one\r\nLine two", "st": "", "t": "СООБЩ"}),
    ("message by index of another layout", record(WHEN, 1, MESSAGE_REF, (0, 0, 0), struct.pack("<I", 72)), None),
    ("message by an unknown index", record(WHEN, 1, MESSAGE_REF, (0, 0, 0), struct.pack("<I", 73)), None),
    ("unknown type", record(WHEN, 1, 64, (1, 2, 3)),
     {"imp": 1, "dat": WHEN, "adr": "1:2:3", "n": "Неизвестное событие", "st": "", "t": ""}),
    ("importance beyond 3 is kept", record(WHEN, 7, 64, (1, 2, 3)),
     {"imp": 7, "dat": WHEN, "adr": "1:2:3", "n": "Неизвестное событие", "st": "", "t": ""}),
]


class AdminSession:
    """One connection to telvexd's admin interface for many requests."""

    def __init__(self, server):
        self.sock = socket.create_connection(("127.0.0.1", server.admin_port), timeout=20 * SLOW)
        self.reader = self.sock.makefile("rb")

    def __call__(self, request):
        self.sock.sendall(json.dumps(request).encode("utf-8") + b"\n")
        answer = json.loads(self.reader.readline().decode("utf-8"))
        if not answer.get("ok"):
            raise AssertionError("admin request %r failed: %r" % (request, answer))
        return answer

    def close(self):
        self.reader.close()
        self.sock.close()


class TestEvents(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Telvexd(dataset=DATASET)
        cls.gateway = Gateway(server_pipe=cls.server.pipe)
        cls.gateway.wait_ready()
        cls.admin = AdminSession(cls.server)
        cls.admin({"op": "message", "index": 71, "kind": 0x66, "text1": "Line one", "text2": "Line two"})
        cls.admin({"op": "message", "index": 72, "kind": 0, "text1": "hidden", "text2": "", "layout": 0x200})

    @classmethod
    def tearDownClass(cls):
        cls.admin.close()
        status = 0
        if SANITIZER == "address":
            # The leak check runs when the gateway ends by itself.
            cls.gateway.interrupt()
            status = cls.gateway.wait_exit(timeout=30)
        cls.gateway.kill()
        cls.server.kill()
        shutil.rmtree(cls.gateway.workdir, ignore_errors=True)
        leaks = [line for line in cls.gateway.lines() if "LeakSanitizer" in line]
        if leaks or status != 0:
            raise AssertionError("blocks leaked (exit status %d):\n" % status + "\n".join(cls.gateway.lines()))

    def ask(self, request):
        return ask(self.gateway.port, request)

    def current(self):
        return self.admin({"op": "current"})["eventNumber"]

    def inject(self, *records):
        for raw in records:
            self.admin({"op": "inject", "event": raw.hex()})

    def injected_items(self, *records):
        """The items of RECORDS, read back from the number before them;
        items of the simulator's own scripted events (current time) are left
        out."""
        start = self.current()
        self.inject(*records)
        answer = self.ask({"query": "events-current", "fromEventId": start})
        return [item for item in answer["events"] if ".2020 " in item["dat"]]

    def assert_error(self, request, message):
        self.assertEqual(self.ask(request), {"error": message})

    def test_every_kind_of_event_is_decoded(self):
        for what, raw, expected in DECODING:
            with self.subTest(what):
                self.assertEqual(self.injected_items(raw), [expected] if expected else [])

    def test_answer_with_a_two_line_message_is_strict_json(self):
        start = self.current()
        self.inject(record(WHEN, 1, MESSAGE, (0, 1, 0), message(0, b"A\tB\x1bC", b"")),
                    record(WHEN, 1, MESSAGE_REF, (0, 0, 0), struct.pack("<I", 71)))
        raw = query(self.gateway.port, json.dumps({"query": "events-current", "fromEventId": start}))
        self.assertIn(b'"Line one\\r\\nLine two"', raw)
        self.assertIn(b'"A\\tB\\u001bC"', raw)
        self.assertFalse([byte for byte in raw if byte < 0x20], raw)
        names = [item["n"] for item in json.loads(raw.decode(CODEPAGE))["events"] if ".2020 " in item["dat"]]
        self.assertEqual(names, ["A\tB\x1bC", "Line one\r\nLine two"])

    def test_names_from_properties(self):
        raw = record(WHEN, 1, CHANGE, (1, 2, 3), status_change(1))
        cases = [("Location=ОПУ\r\nName=" + "N" * 140, "N" * 128),
                 ("Location=ОПУ", "Дверь ОПУ"),
                 ("Name=Door 3  \r\nReserve=1:2:9", "Door 3")]
        try:
            for properties, name in cases:
                with self.subTest(properties=properties):
                    self.admin({"op": "set", "kind": "ts", "address": "1.2.3", "properties": properties})
                    self.assertEqual([item["n"] for item in self.injected_items(raw)], [name])
        finally:
            self.admin({"op": "set", "kind": "ts", "address": "1.2.3", "properties": None})

    def test_invalid_event_time_fails_the_query_with_its_text(self):
        # The second one's nine-digit fraction of hundredths does not fit
        # 32 bits once scaled to milliseconds.
        for when in ("31.02.2019 10:20:30", "1.1.20 0:0:0.999999999"):
            with self.subTest(when):
                start = self.current()
                self.inject(record(when, 1, 64, (1, 2, 3)))
                self.assert_error({"query": "events-current", "fromEventId": start}, "ERROR: invalid event time " + when)
        self.inject(record("", 1, 64, (1, 2, 3)))
        events = self.ask({"query": "events-current", "fromEventId": start + 1})["events"]
        self.assertEqual([item["adr"] for item in events if item["adr"] == "1:2:3"], ["1:2:3"])

    def test_polling_continues_where_the_last_answer_ended(self):
        first = self.ask({"query": "events-current"})
        self.assertEqual(sorted(first), ["lastEventId"])
        self.assertEqual(first["lastEventId"], self.current())
        self.inject(*[record(WHEN, 1, 64, (1, 2, n)) for n in (1, 2, 3)])
        answer = self.ask({"query": "events-current", "fromEventId": first["lastEventId"]})
        self.assertEqual([item["adr"] for item in answer["events"]], ["1:2:1", "1:2:2", "1:2:3"])
        self.assertEqual(answer["lastEventId"], first["lastEventId"] + 3)
        again = self.ask({"query": "events-current", "fromEventId": answer["lastEventId"]})
        self.assertEqual(again, {"events": [], "lastEventId": answer["lastEventId"]})
        self.inject(record(WHEN, 1, 64, (1, 2, 4)))
        last = self.ask({"query": "events-current", "fromEventId": again["lastEventId"]})
        self.assertEqual(([item["adr"] for item in last["events"]], last["lastEventId"]),
                         (["1:2:4"], again["lastEventId"] + 1))

    def test_current_checks(self):
        now = self.current()
        self.assertIn("events", self.ask({"query": "events-current", "fromEventId": now - 2000}))
        self.assert_error({"query": "events-current", "fromEventId": now - 2001}, "ERROR: events archive is too large")
        self.assertEqual(self.ask({"query": "events-current", "fromEventId": now + 5}),
                         {"events": [], "lastEventId": now + 5})
        for value in ("12", 1.5, True, None):
            with self.subTest(fromEventId=value):
                self.assert_error({"query": "events-current", "fromEventId": value}, "ERROR: event ID is invalid")

    def test_latest_checks(self):
        self.assertEqual(self.ask({"query": "events-latest", "quantity": 0}), {"events": []})
        self.assert_error({"query": "events-latest", "quantity": 2001}, "ERROR: events archive is too large")
        for value in (-1, "5", True, 12.5, None):
            with self.subTest(quantity=value):
                self.assert_error({"query": "events-latest", "quantity": value},
                                  "ERROR: events quantity missing or invalid")
        self.assert_error({"query": "events-latest"}, "ERROR: events quantity missing or invalid")

    def test_latest_gives_the_last_events(self):
        self.inject(*[record(WHEN, 1, 64, (2, 2, n)) for n in (1, 2)])
        events = self.ask({"query": "events-latest", "quantity": 2})["events"]
        self.assertEqual([item["adr"] for item in events], ["2:2:1", "2:2:2"])

    def test_archive_checks_in_order(self):
        span = {"query": "events-archive", "start": "01.03.2020", "end": "02.03.2020"}
        cases = [
            ({"start": "nonsense"}, "end", "ERROR: end time missing or invalid"),
            ({}, "start", "ERROR: start time missing or invalid"),
            ({"start": 5}, None, "ERROR: start time missing or invalid"),
            ({"start": "32.13.2020"}, None, "ERROR: start time missing or invalid"),
            ({"end": "T.T.T 24:00"}, None, "ERROR: end time missing or invalid"),
            ({"start": "03.03.2020"}, None, "ERROR: invalid start-end times"),
            ({"imp": "8"}, None, "ERROR: invalid importance filter"),
            ({"type": 1.5}, None, "ERROR: invalid type filter"),
            ({"addr": 5}, None, "ERROR: invalid address filter"),
            ({"addr": "1.0.5"}, None, "ERROR: invalid address filter"),
        ]
        for change, drop, message in cases:
            with self.subTest(change=change, drop=drop):
                request = dict(span, **change)
                request.pop(drop, None)
                self.assert_error(request, message)

    def test_archive_filters(self):
        day = "03.03.2020 %02d:00:00.000"
        self.inject(*[record(day % imp, imp, CHANGE, (1, 2, 3), status_change(1)) for imp in range(4)],
                    record(day % 4, 3, ALARM, (1, 2, 3), analog_alarm(1, 1, 1)),
                    record(day % 5, 1, CONTROL, (1, 2, 1), status_set(1)),
                    record(day % 6, 1, CHANGE, (1, 2, 4), status_change(1, mark=1)),
                    record(day % 7, 7, 64, (1, 2, 3)))
        # Hour 7 has importance 7, which the filter reads as level 3.
        span = {"query": "events-archive", "start": "03.03.2020", "end": "03.03.2020 23:59"}
        cases = [
            ({}, [0, 1, 2, 3, 4, 5, 6, 7]),
            ({"imp": 0, "type": 0}, [0, 1, 2, 3, 4, 5, 6, 7]),
            ({"imp": 12}, [2, 3, 4, 7]),
            ({"imp": 8}, [3, 4, 7]),
            ({"imp": 3}, [0, 1, 5, 6]),
            ({"type": 3}, [0, 1, 2, 3, 4, 6]),
            ({"addr": "1.2.3"}, [0, 1, 2, 3]),
            ({"addr": "1.2.3", "imp": 3}, [0, 1]),
            ({"start": "03.03.2020 05:00", "end": "03.03.2020 06:00"}, [5, 6]),
        ]
        for change, hours in cases:
            with self.subTest(change=change):
                events = self.ask(dict(span, **change))["events"]
                self.assertEqual([int(item["dat"][11:13]) for item in events], hours)

    def test_limit_counts_every_delivered_event(self):
        self.inject(*[record("04.03.2020 10:00:00", 0, 64, (1, 2, 3))] * 2001)
        self.assertEqual(len(self.ask({"query": "events-latest", "quantity": 2000})["events"]), 2000)
        self.assert_error({"query": "events-archive", "start": "04.03.2020", "end": "05.03.2020", "imp": 8},
                          "ERROR: events archive is too large")
        self.assertEqual(len(self.ask({"query": "events-archive", "start": "04.03.2020 10:00",
                                       "end": "05.03.2020", "type": 1})["events"]), 0)

    def test_clients_at_once(self):
        # Under AddressSanitizer, the leak check at the end tells that their
        # sessions lost no block; one made while sessions ran would also
        # report the sessions that were starting.
        self.inject(*[record(WHEN, 1, CHANGE, (1, 2, 1), status_change(1))] * 20)
        errors = []

        def run():
            try:
                for _ in range(10):
                    answer = self.ask({"query": "events-latest", "quantity": 20})
                    if len(answer.get("events", ())) != 20:
                        errors.append(answer)
            except (OSError, ValueError) as error:
                errors.append(repr(error))

        clients = [threading.Thread(target=run) for _ in range(4)]
        for client in clients:
            client.start()
        for client in clients:
            client.join(60 * SLOW)
        self.assertEqual(errors, [])

    def test_failing_library_calls(self):
        raw = record(WHEN, 1, CHANGE, (1, 2, 1), status_change(1))
        self.admin({"op": "fail", "call": "tvxGetStatusClassData", "count": 1})
        self.assertEqual([(item["st"], item["t"]) for item in self.injected_items(raw)], [("ВКЛ", "ТС")])
        self.admin({"op": "fail", "call": "tvxEventLogByIndex", "count": 1})
        self.assertEqual(self.injected_items(record(WHEN, 1, MESSAGE_REF, (0, 0, 0), struct.pack("<I", 71))), [])
        start = self.current()
        self.inject(raw)
        self.admin({"op": "fail", "call": "tvxEventLogByElix", "count": 1})
        self.assertEqual(self.ask({"query": "events-current", "fromEventId": start}),
                         {"events": [], "lastEventId": start})

    def test_failed_current_index_read_is_an_error(self):
        for request in ({"query": "events-latest", "quantity": 2}, {"query": "events-current"}):
            with self.subTest(query=request["query"]):
                self.admin({"op": "fail", "call": "tvxGetCurrentElix", "count": 1})
                self.assert_error(request, "ERROR: current event index unavailable")
        # A poll from a known number needs no present position.
        start = self.current()
        self.inject(record(WHEN, 1, 64, (2, 3, 4)))
        self.admin({"op": "fail", "call": "tvxGetCurrentElix", "count": 1})
        answer = self.ask({"query": "events-current", "fromEventId": start})
        self.assertEqual([item["adr"] for item in answer["events"] if ".2020 " in item["dat"]], ["2:3:4"])
        self.assertGreaterEqual(answer["lastEventId"], start + 1)

    def test_events_not_supported_by_server(self):
        self.admin({"op": "eventlog", "usable": False})
        try:
            gateway = Gateway(server_pipe=self.server.pipe)
            gateway.wait_ready()
        finally:
            self.admin({"op": "eventlog", "usable": True})
        try:
            for request in ({"query": "events-latest", "quantity": "x"}, {"query": "events-current"},
                            {"query": "events-archive"}):
                with self.subTest(query=request["query"]):
                    self.assertEqual(ask(gateway.port, request), {"error": "Events not supported by server"})
        finally:
            gateway.kill()
            shutil.rmtree(gateway.workdir, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
