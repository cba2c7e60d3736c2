"""The data queries: "instant", "info", "retro" and the catalogue "tms-ch",
"tms-rtu", "tms-ts", "tms-ti", "tms-tii", against telvexd serving the
constant values of data/data_queries.json: answer shapes, flag letters,
the "No" rules, decimals from the units field, list and sample limits,
paging, the field checks, failed library calls and the number of library
calls each query makes."""

import json
import os
import time
import unittest

from clients import ask
from harness import CODEPAGE, WINDOWS, Gateway, Telvexd

DATASET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "data_queries.json")
# The Windows build runs under a Russian locale (decimal comma); the Linux
# build is started under the C locale.
SEP = "," if WINDOWS else "."
NO = {"v": "No"}
NO_ACCUM = {"v": "No", "l": "No"}
CALLS = ("tvxStatusByList", "tvxAnalogByList", "tvxAccumByList", "tvxGetObjectName", "tvxTakeRetroTit",
         "tvxAnalogFull", "tvxEnumObjects")

server = gateway = None


def setUpModule():
    global server, gateway
    # Cleanups rather than a tear-down: they run also when the start fails.
    server = Telvexd(dataset=DATASET)
    unittest.addModuleCleanup(server.kill)
    gateway = Gateway(server_pipe=server.pipe, env=None if WINDOWS else {"LC_ALL": "C"})
    unittest.addModuleCleanup(gateway.kill)
    gateway.wait_ready()


def num(text):
    """A number text of the gateway as written under the locale in force."""
    return text.replace(".", SEP)


class DataQuery(unittest.TestCase):
    def ask(self, query):
        return ask(gateway.port, json.dumps(query, ensure_ascii=False, separators=(",", ":")).encode(CODEPAGE))

    def assert_error(self, query, message):
        self.assertEqual(self.ask(query), {"error": message})

    def fail_next(self, call, count=1):
        self.assertTrue(server.admin({"op": "fail", "call": call, "count": count})["ok"])
        self.addCleanup(server.admin, {"op": "fail", "call": call, "count": 0})

    def calls_of(self, query):
        """The answer to QUERY and the library calls it made, by name."""
        self.assertTrue(server.admin({"op": "reset"})["ok"])
        answer = self.ask(query)
        counters = server.admin({"op": "counters"})["counters"]
        return answer, {call: counters.get(call, 0) for call in CALLS if counters.get(call, 0)}


class Instant(DataQuery):
    def test_values_letters_and_no_rules(self):
        answer = self.ask({"query": "instant", "id": "i1",
                           "ts": ["1.1.1", "1.1.2", "1.1.3", "1.1.4", "x", "1.1.99"],
                           "ti": ["1.1.1", "1.1.2", "1.1.3", "1.1.4", "1.1.5"],
                           "tii": ["1.1.1", "1.1.2", "1.1.3", "1.1.4"]})
        self.assertEqual(answer, {
            "id": "i1",
            "ts": [{"v": "1", "f": "U"}, {"v": "0", "f": "ENU1"}, NO, {"v": "0", "f": "EM"}, NO, NO],
            "ti": [{"v": num("12.5000")}, {"v": num("-3.2500"), "f": "E1"}, NO, NO, {"v": num("110.1270"), "f": "EM"}],
            # Decimals from byte 7 of the units field: 39 gives 2, a blank 1, 0 none.
            "tii": [{"v": num("1234.57"), "l": num("1234.57")}, {"v": num("77.2"), "l": num("77.2")},
                    {"v": "1235", "l": "1235", "f": "EMZ"}, NO_ACCUM]})

    def test_lists_missing_or_of_another_kind_are_skipped(self):
        self.assertEqual(self.ask({"query": "instant"}), {})
        self.assertEqual(self.ask({"query": "instant", "ts": "1.1.1", "ti": {"a": 1}, "tii": 5, "id": "k"}),
                         {"id": "k"})
        self.assertEqual(self.ask({"query": "instant", "ts": []}), {"ts": []})

    def test_one_call_per_list_up_to_1000_points(self):
        # Bare zeros keep a query of 1000 elements within 8 KiB; each is an invalid address.
        for name, call, last in (("ts", "tvxStatusByList", {"v": "1", "f": "U"}),
                                 ("ti", "tvxAnalogByList", {"v": num("12.5000")}),
                                 ("tii", "tvxAccumByList", {"v": num("1234.57"), "l": num("1234.57")})):
            with self.subTest(list=name):
                answer, calls = self.calls_of({"query": "instant", name: [0] * 999 + ["1.1.1"]})
                self.assertEqual((len(answer[name]), answer[name][0], answer[name][999]),
                                 (1000, NO_ACCUM if name == "tii" else NO, last))
                self.assertEqual(calls, {call: 1})

    def test_1001_points_fail_with_the_list_message(self):
        for name, message in (("ts", "TS"), ("ti", "TI"), ("tii", "TII")):
            with self.subTest(list=name):
                # Lists checked earlier were served, yet nothing of them is answered.
                self.assert_error({"query": "instant", "ts": ["1.1.1"], name: [0] * 1001},
                                  "ERROR: too many %s in query" % message)

    def test_failed_list_call_answers_no_for_every_point(self):
        query = {"query": "instant", "ts": ["1.1.1", "1.1.2"], "ti": ["1.1.1", "1.1.5"], "tii": ["1.1.1", "1.1.3"]}
        served = self.ask(query)
        for call, name, no in (("tvxStatusByList", "ts", NO), ("tvxAnalogByList", "ti", NO),
                               ("tvxAccumByList", "tii", NO_ACCUM)):
            with self.subTest(call=call):
                self.fail_next(call)
                self.assertEqual(self.ask(query), dict(served, **{name: [no, no]}))


class Info(DataQuery):
    def test_names_and_units(self):
        answer, calls = self.calls_of({"query": "info", "ts": ["1.1.1", "1.1.2"], "ti": ["1.1.5", "1.1.6", "x"],
                                       "tii": ["1.1.1"]})
        self.assertEqual(answer, {"ts": [["Выключатель Q1"], ["Выключатель Q2"]],
                                  "ti": [["Напряжение", "кВ"], ["Без единиц", ""], ["", ""]],
                                  "tii": [["Энергия", "МВт*ч"]]})
        self.assertEqual(calls, {"tvxAnalogByList": 1, "tvxAccumByList": 1, "tvxGetObjectName": 6})

    def test_limits(self):
        self.assertEqual(self.ask({"query": "info", "ti": []}), {"ti": []})
        self.assertEqual(self.ask({"query": "info"}), {})
        self.assertEqual(len(self.ask({"query": "info", "ts": ["1.1.1"] * 1000})["ts"]), 1000)
        for name in ("ts", "ti", "tii"):
            with self.subTest(list=name):
                self.assert_error({"query": "info", name: [0] * 1001}, "ERROR: too many points in query")

    def test_failed_calls_give_empty_texts(self):
        self.fail_next("tvxAnalogByList")
        self.assertEqual(self.ask({"query": "info", "ti": ["1.1.5"]}), {"ti": [["Напряжение", ""]]})
        self.fail_next("tvxAccumByList")
        self.assertEqual(self.ask({"query": "info", "tii": ["1.1.1"]}), {"tii": [["Энергия", ""]]})
        self.fail_next("tvxGetObjectName")
        self.assertEqual(self.ask({"query": "info", "tii": ["1.1.1", "1.1.2"]}),
                         {"tii": [["", "МВт*ч"], ["Энергия 2", "кВт*ч"]]})


def retro(start, end, step, points, **extra):
    return dict({"query": "retro", "start": start, "end": end, "step": step, "ti": points}, **extra)


class Retro(DataQuery):
    def test_samples_labels_and_decimals(self):
        answer, calls = self.calls_of(retro("01.03.2014 00:00", "01.03.2014 01:00", 600, ["1.1.5", "1.1.2"]))
        self.assertEqual(answer, {"ti": [[{"v": num("110.13"), "f": "EM"}] * 7, [{"v": num("-3"), "f": "E1"}] * 7],
                                  "labels": [["Напряжение", "кВ"], ["Отрицательное", "МВт"]]})
        self.assertEqual(calls, {"tvxTakeRetroTit": 2, "tvxAnalogFull": 2, "tvxGetObjectName": 2})

    def test_sample_counts(self):
        for start, end, step, count in (("01.03.2014 00:00", "01.03.2014 01:00", 7, 515),
                                        ("01.03.2014 00:00", "01.03.2014 00:00", 60, 1),
                                        ("01.03.2014 00:00", "01.03.2014 16:39:59", 60, 1000),
                                        ("01.03.2014 00:00", "01.03.2014 00:00", 2678400, 1)):
            with self.subTest(step=step, end=end):
                self.assertEqual(len(self.ask(retro(start, end, step, ["1.1.1"]))["ti"][0]), count)
        self.assert_error(retro("01.03.2014 00:00", "01.03.2014 16:40", 60, ["1.1.1"]),
                          "ERROR: retrospective is too large")

    def test_span_of_more_than_68_years(self):
        # 2524608000 s: beyond what 32 bits hold, yet 943 samples of 31 days.
        samples = self.ask(retro("01.01.1950 00:00", "01.01.2030 00:00", 2678400, ["1.1.6"]))["ti"][0]
        self.assertEqual((len(samples), samples[0], samples[-1]), (943, {"v": num("1.5")}, NO))
        # A start past 2038 cannot be told to the server: no values, yet the label.
        self.assertEqual(self.ask(retro("01.01.2040 00:00", "01.01.2040 00:00", 60, ["1.1.6"])),
                         {"ti": [[NO]], "labels": [["Без единиц", ""]]})

    def test_field_checks_in_order(self):
        good = retro("01.03.2014 00:00", "01.03.2014 01:00", 600, ["1.1.1"])
        start, end, step = ("ERROR: start time missing or invalid", "ERROR: end time missing or invalid",
                            "ERROR: step missing or invalid")
        cases = (
            ({"start": None}, start), ({"start": 5}, start), ({"end": None}, end), ({"end": []}, end),
            ({"step": None}, step), ({"step": 60.0}, step), ({"step": "60"}, step),
            ({"ti": None}, "ERROR: TI missing or invalid"), ({"ti": "1.1.1"}, "ERROR: TI missing or invalid"),
            ({"ti": ["1.1.1"] * 6}, "ERROR: too many TI in retrospective"),
            ({"start": "nonsense"}, start), ({"end": "32.01.2014"}, end),
            # Later fields are checked only once the earlier ones pass.
            ({"start": "nonsense", "step": 0}, start),
            ({"end": "28.02.2014 23:59"}, "ERROR: invalid start-end times"),
            ({"step": 0}, step), ({"step": 2678401}, step), ({"step": -600}, step),
        )
        for change, message in cases:
            with self.subTest(change=change):
                query = dict(good)
                for key, value in change.items():
                    if value is None:
                        del query[key]
                    else:
                        query[key] = value
                self.assert_error(query, message)

    def test_invalid_addresses_leave_label_gaps(self):
        answer, calls = self.calls_of(retro("01.03.2014 00:00", "01.03.2014 00:10", 600, ["x", "1.1.6"]))
        self.assertEqual(answer, {"ti": [[NO, NO], [{"v": num("1.5")}] * 2], "labels": [None, ["Без единиц", ""]]})
        self.assertEqual(calls, {"tvxTakeRetroTit": 1, "tvxAnalogFull": 1, "tvxGetObjectName": 1})
        self.assertEqual(self.ask(retro("01.03.2014 00:00", "01.03.2014 00:00", 60, ["1.1.6", "1.1.0"])),
                         {"ti": [[{"v": num("1.5")}], [NO]], "labels": [["Без единиц", ""]]})
        self.assertEqual(self.ask(retro("01.03.2014 00:00", "01.03.2014 00:00", 60, [])), {"ti": [], "labels": []})

    def test_nothing_of_the_point_before_shows_through(self):
        # 1.1.98 is no analog point: all three calls fail for it.
        answer = self.ask(retro("01.03.2014 00:00", "01.03.2014 00:00", 60, ["1.1.5", "1.1.98"]))
        self.assertEqual(answer, {"ti": [[{"v": num("110.13"), "f": "EM"}], [NO]],
                                  "labels": [["Напряжение", "кВ"], ["", ""]]})

    def test_failed_calls(self):
        query = retro("01.03.2014 00:00", "01.03.2014 00:10", 600, ["1.1.5", "1.1.5"])
        point = [{"v": num("110.13"), "f": "EM"}] * 2
        for call, first, label in (("tvxTakeRetroTit", [NO, NO], ["Напряжение", "кВ"]),
                                   # Four decimals as "instant" writes, not the 0 of an empty units field.
                                   ("tvxAnalogFull", [{"v": num("110.1270"), "f": "EM"}] * 2, ["Напряжение", ""]),
                                   ("tvxGetObjectName", point, ["", "кВ"])):
            with self.subTest(call=call):
                self.fail_next(call)
                self.assertEqual(self.ask(query), {"ti": [first, point], "labels": [label, ["Напряжение", "кВ"]]})

    def test_steps_beyond_16_bits(self):
        # 1.1.7 follows a slow wave, so each moment has a value of its own.
        long_step = self.ask(retro("01.03.2014 00:00", "11.03.2014 00:00", 172800, ["1.1.7"]))["ti"][0]
        one_by_one = [self.ask(retro("%02d.03.2014 00:00" % day, "%02d.03.2014 00:00" % day, 60, ["1.1.7"]))["ti"][0][0]
                      for day in range(1, 12, 2)]
        self.assertEqual(long_step, one_by_one)
        self.assertEqual(len(set(item["v"] for item in long_step)), 6, long_step)

    def test_relative_start(self):
        before = time.localtime()
        samples = self.ask(retro("T-1.T.T 0:0", "T.T.T T:T", 3600, ["1.1.6"]))["ti"][0]
        after = time.localtime()
        # One sample per hour from yesterday's midnight to the present hour.
        self.assertIn(len(samples), {24 + before.tm_hour + 1, 24 + after.tm_hour + 1})
        self.assertEqual(samples[-1], {"v": num("1.5")})


class Catalogue(DataQuery):
    def test_channels_with_a_gap_for_a_nameless_one(self):
        answer, calls = self.calls_of({"query": "tms-ch"})
        self.assertEqual(answer, {"total": 4, "lastId": 3, "items": [{"id": 0, "n": "Системный канал"},
                                                                       {"id": 1, "n": "Канал 1"}, None,
                                                                       {"id": 3, "n": "Канал 3"}]})
        self.assertEqual(calls, {"tvxEnumObjects": 1, "tvxGetObjectName": 4})

    def test_rtus(self):
        self.assertEqual(self.ask({"query": "tms-rtu", "ch": 1, "id": "r"}),
                         {"id": "r", "total": 3, "lastId": 3, "items": [{"id": 1, "n": "ПС Опорная"},
                                                                          {"id": 2, "n": "ПС 600 ТС"},
                                                                          {"id": 3, "n": "ПС 255 ТС"}]})
        self.assertEqual(self.ask({"query": "tms-rtu", "ch": 2}), {"total": 0, "lastId": 0, "items": []})

    def test_600_points_in_three_pages(self):
        start, pages = 0, []
        while len(pages) < 4:
            answer, calls = self.calls_of({"query": "tms-ts", "ch": 1, "rtu": 2, "from": start})
            items = answer["items"]
            pages.append(len(items))
            self.assertEqual(answer["total"], 600)
            self.assertEqual(items[0], {"id": start or 1, "n": "ТС %d" % (start or 1)})
            self.assertEqual(answer["lastId"], items[-1]["id"])
            # Three enumerations count the RTU's points, one more gives the page.
            self.assertEqual(calls, {"tvxEnumObjects": 4, "tvxGetObjectName": len(items)})
            if len(items) < 255:
                break
            start = answer["lastId"] + 1
        self.assertEqual(pages, [255, 255, 90])

    def test_exactly_255_points_and_a_start_beyond_the_last(self):
        answer, calls = self.calls_of({"query": "tms-ts", "ch": 1, "rtu": 3})
        self.assertEqual((answer["total"], answer["lastId"], len(answer["items"])), (255, 255, 255))
        self.assertEqual(calls, {"tvxEnumObjects": 3, "tvxGetObjectName": 255})
        self.assertEqual(self.ask({"query": "tms-ts", "ch": 1, "rtu": 3, "from": 256}),
                         {"total": 255, "lastId": 0, "items": []})

    def test_analog_and_accumulator_points(self):
        self.assertEqual(self.ask({"query": "tms-ti", "ch": 1, "rtu": 1, "from": 6}),
                         {"total": 7, "lastId": 7, "items": [{"id": 6, "n": "Без единиц"}, {"id": 7, "n": "Волна"}]})
        answer = self.ask({"query": "tms-tii", "ch": 1, "rtu": 1})
        self.assertEqual((answer["total"], answer["lastId"], answer["items"][2]), (4, 4, {"id": 3, "n": "Счётчик"}))

    def test_field_checks(self):
        channel, rtu, start = ("ERROR: channel ID missing or invalid", "ERROR: RTU ID missing or invalid",
                               "ERROR: invalid starting point ID")
        for query, message in (({"query": "tms-rtu"}, channel), ({"query": "tms-rtu", "ch": "1"}, channel),
                               ({"query": "tms-rtu", "ch": 256}, channel), ({"query": "tms-rtu", "ch": -1}, channel),
                               ({"query": "tms-ts", "rtu": 1}, channel), ({"query": "tms-ti", "ch": 1}, rtu),
                               # Both fields are read before either range is checked.
                               ({"query": "tms-ts", "ch": 256}, rtu), ({"query": "tms-ts", "ch": 256, "rtu": 1}, channel),
                               ({"query": "tms-tii", "ch": 1, "rtu": -1}, rtu),
                               ({"query": "tms-ts", "ch": 1, "rtu": 256}, rtu),
                               ({"query": "tms-ts", "ch": 1, "rtu": 1, "from": 65536}, start),
                               ({"query": "tms-ts", "ch": 1, "rtu": 1, "from": 1.5}, start),
                               ({"query": "tms-ts", "ch": 1, "rtu": 1, "from": -1}, start)):
            with self.subTest(query=query):
                self.assert_error(query, message)
        self.assertEqual(self.ask({"query": "tms-ts", "ch": 1, "rtu": 0}), {"total": 0, "lastId": 0, "items": []})
        self.assertEqual(self.ask({"query": "tms-ts", "ch": 1, "rtu": 1, "from": 65535})["total"], 4)

    def test_failed_calls(self):
        self.fail_next("tvxEnumObjects")
        self.assertEqual(self.ask({"query": "tms-ch"}), {"total": 0, "lastId": 0, "items": []})
        self.fail_next("tvxGetObjectName")
        answer = self.ask({"query": "tms-rtu", "ch": 1})
        self.assertEqual((answer["total"], answer["items"][0]), (3, None))
        self.fail_next("tvxGetObjectName", 3)
        self.assertEqual(self.ask({"query": "tms-rtu", "ch": 1}), {"total": 3, "lastId": 3, "items": []})


if __name__ == "__main__":
    unittest.main()
