"""The proof shared by the package checks: the programs of an installed
tree (or an unpacked ZIP) serve a query and a signed command, configured
the way docs/operations.md tells an operator to, through the settings file
and the key file. Standard library only.

The caller names the programs through the environment that the
end-to-end harness reads (VORLANE_BIN, VORLANE_EXE_SUFFIX,
VORLANE_EMULATOR) before it imports this module.
"""

import json
import os
import re
import secrets
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
from harness import SLOW, program  # noqa: E402


def step(text):
    print("== " + text, flush=True)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def uncomment(settings, member, value):
    """Turns the settings file's commented example of MEMBER into an entry
    with VALUE (a Python value written as JSON), as an operator edits it."""
    with open(settings, encoding="utf-8") as f:
        text = f.read()
    pattern = re.compile(r'^(\s*)// ("%s": )[^\n]*?,?$' % re.escape(member), re.M)
    if len(pattern.findall(text)) != 1:
        raise AssertionError("%s: no single commented example of %s" % (settings, member))
    text = pattern.sub(lambda m: m.group(1) + m.group(2) + json.dumps(value) + ",", text)
    with open(settings, "w", encoding="utf-8") as f:
        f.write(text)


def write_key_file(path):
    """A fresh random command key in PATH, readable by its owner only."""
    key = secrets.token_hex(16)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "w") as f:
        f.write(key + "\n")
    os.chmod(path, 0o600)


def client(*args, env=None):
    """Runs the installed vorlane-query; returns (status, output)."""
    full_env = {name: value for name, value in os.environ.items() if name != "VORLANE_COMMAND_KEY"}
    full_env.update(env or {})
    result = subprocess.run(program("vorlane-query") + list(args), stdin=subprocess.DEVNULL, capture_output=True,
                            env=full_env, timeout=60 * SLOW)
    return result.returncode, (result.stdout + result.stderr).decode("utf-8", errors="replace")


def wait_answering(gateway, port, timeout=30.0):
    """Waits until the gateway answers "test" on PORT."""
    deadline = time.monotonic() + timeout * SLOW
    while True:
        try:
            if b"serverTime" in harness.query(port, '{"query":"test"}', timeout=5):
                return
        except OSError:
            pass
        if gateway.proc.poll() is not None or time.monotonic() > deadline:
            raise AssertionError("the gateway does not answer; its output:\n" + "\n".join(gateway.lines()))
        time.sleep(0.3)


def check_answers(port, key_file):
    """A query, a command signed with the key of KEY_FILE, and the refusal
    of a command signed with another key."""
    status, out = client("--port", str(port), "test")
    expect(status == 0 and "serverTime" in out, "test: %d %s" % (status, out))
    status, out = client("--port", str(port), "--key-file", harness.native_path(key_file), "set-ts", "ts=1.1.1", "value=1")
    expect(status == 0 and "ok: 1" in out, "signed set-ts: %d %s" % (status, out))
    status, out = client("--port", str(port), "set-ts", "ts=1.1.1", "value=1",
                         env={"VORLANE_COMMAND_KEY": "not-" + secrets.token_hex(4)})
    expect(status == 1 and "incorrect hash" in out, "set-ts with a wrong key: %d %s" % (status, out))
    step("answered test and a signed set-ts, refused a wrong key")


def prove(settings, key_file, key_file_setting, dataset, start, stop):
    """Configures SETTINGS (a fresh pipe and port, the key file named as
    KEY_FILE_SETTING), writes a key to KEY_FILE, starts telvexd (which must
    find its DATASET alone) and the gateway (START(port), a
    harness.Process), checks its answers, stops it (STOP(gateway)) and
    checks that it ends with status 0."""
    port = harness.free_port()
    pipe = harness.unique_pipe()
    for member, value in (("pipe", pipe), ("port", port), ("commandKeyFile", key_file_setting)):
        uncomment(settings, member, value)
    write_key_file(key_file)
    telvexd = harness.Telvexd(pipe=pipe)
    try:
        served = "telvexd: dataset %s," % harness.native_path(dataset)
        expect(any(line.startswith(served) for line in telvexd.lines()), "telvexd does not serve %s: %s" % (dataset, telvexd.lines()))
        gateway = start(port)
        try:
            step("the gateway on port %d, telvexd on pipe %s: %s" % (port, pipe, " ".join(gateway.args)))
            wait_answering(gateway, port)
            check_answers(port, key_file)
            stop(gateway)
            status = gateway.wait_exit(20)
        finally:
            gateway.kill()
        expect(status == 0, "the gateway ended with %s after the stop; output:\n%s" % (
            status, "\n".join(gateway.lines())))
        step("stopped, exit status 0")
    finally:
        telvexd.kill()


def run_checks(checks, scratch, what):
    """Runs CHECKS (functions without arguments) in order up to the first
    failure, then removes the folder SCRATCH; returns the exit status."""
    try:
        for check in checks:
            check()
    except Exception as failure:
        print("FAILED: %s" % (getattr(failure, "stderr", None) or failure), file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(what + " passed")
    return 0
