#!/usr/bin/env python3
"""Proves the Debian package the way an operator meets it:

    check_deb.py vorlane_VERSION_ARCH.deb

its listing holds what the package promises; installed into a scratch root
(dpkg --root with chrootless maintainer scripts as root, else dpkg -x) it
has the user vorlane and the conffile; the installed programs carry an
$ORIGIN-relative RUNPATH only; `systemd-analyze verify` accepts the
installed unit (where systemd-analyze exists); the unit's own command
line, run from the scratch root with the settings file and key file set up
as docs/operations.md says, answers a query and a signed command, and
SIGTERM ends it with status 0; a purge leaves nothing behind.
Exit status 0 when every check passed."""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile

if len(sys.argv) != 2:
    sys.exit("usage: check_deb.py PACKAGE.deb")
PACKAGE = os.path.abspath(sys.argv[1])
ROOT = tempfile.mkdtemp(prefix="vorlane-deb-")
os.environ["VORLANE_BIN"] = os.path.join(ROOT, "usr", "bin")
os.environ["VORLANE_EXE_SUFFIX"] = ""
os.environ["VORLANE_EMULATOR"] = ""
os.environ.pop("LD_LIBRARY_PATH", None)  # the programs find their libraries alone
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from installed import expect, harness, prove, run_checks, step  # noqa: E402

# dpkg --root needs root; without, the package is only unpacked.
BY_DPKG = os.geteuid() == 0
UNIT = "/usr/lib/systemd/system/vorlane.service"
SETTINGS = "/etc/vorlane/vorlane.json"
KEY_FILE = "/etc/vorlane/command.key"
PROGRAMS = ["vorlane", "vorlane-console", "vorlane-query", "hlvctl", "telvexd"]
CONTENTS = ["/usr/bin/" + name for name in PROGRAMS] + [
    "/usr/lib/vorlane/libhalvern.so", "/usr/lib/vorlane/libtelvex.so", "/usr/share/vorlane/datasets/demo.json",
    "/usr/share/doc/vorlane/README.md", "/usr/share/doc/vorlane/docs/operations.md", UNIT, SETTINGS]


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def in_root(path):
    return ROOT + path


def check_listing(deb):
    listed = {line.split()[-1].lstrip(".") for line in run("dpkg-deb", "-c", deb).splitlines()}
    missing = [path for path in CONTENTS if path not in listed]
    expect(not missing, "not in the package: %s" % missing)
    control = run("dpkg-deb", "-f", deb, "Package", "Depends")
    expect("Package: vorlane" in control and "libc6" in control, "control: " + control)
    step("the package lists the programs, libraries, datasets, docs, unit and settings")


def install(deb):
    """dpkg --root as root, so that the maintainer scripts run too (with
    DPKG_ROOT); otherwise the files only."""
    if not BY_DPKG:
        run("dpkg-deb", "-x", deb, ROOT)
        step("unpacked with dpkg -x (not root: the maintainer scripts are not run)")
        return
    for folder in ("var/lib/dpkg/info", "var/lib/dpkg/updates", "etc"):
        os.makedirs(os.path.join(ROOT, folder))
    for name, line in (("var/lib/dpkg/status", ""), ("var/lib/dpkg/available", ""),
                       ("etc/passwd", "root:x:0:0:root:/root:/bin/sh\n"), ("etc/group", "root:x:0:\n"),
                       ("etc/shadow", "root:*:19000:0:99999:7:::\n"), ("etc/gshadow", "root:*::\n")):
        with open(os.path.join(ROOT, name), "w") as f:
            f.write(line)
    dpkg("--force-depends", "-i", deb)
    with open(in_root("/etc/passwd")) as f:
        user = [line.split(":") for line in f if line.startswith("vorlane:")]
    expect(len(user) == 1 and int(user[0][2]) < 1000 and user[0][5] == "/var/lib/vorlane",
           "postinst did not create the system user vorlane: %s" % user)
    status = dpkg("-s", "vorlane")
    expect("Conffiles:\n " + SETTINGS + " " in status, "no conffile %s:\n%s" % (SETTINGS, status))
    step("installed with dpkg --root: system user vorlane, conffile " + SETTINGS)


def dpkg(*args):
    return run("dpkg", "--root=" + ROOT, "--force-script-chrootless", *args)


def check_runpath():
    for path in [in_root("/usr/bin/" + name) for name in PROGRAMS] + [in_root("/usr/lib/vorlane/libtelvex.so")]:
        dynamic = run("readelf", "-d", path)
        paths = [line.split("[", 1)[1].rstrip("]") for line in dynamic.splitlines() if "PATH)" in line]
        expect(all(p == "$ORIGIN/../lib/vorlane" for p in paths), "%s: RUNPATH %s" % (path, paths))
    step("RUNPATH of the programs: $ORIGIN/../lib/vorlane or none")


def exec_start():
    """The unit's command line, its absolute paths taken in the scratch root."""
    with open(in_root(UNIT)) as f:
        line = next(line for line in f if line.startswith("ExecStart="))
    words = shlex.split(line[len("ExecStart="):])
    expect(words == ["/usr/bin/vorlane", "/config=" + SETTINGS], "ExecStart: %s" % words)
    return [in_root(words[0]), "/config=" + in_root(SETTINGS)]


def verify_unit():
    """systemd-analyze verify on the installed unit, its program taken in
    the scratch root (verify checks that it is executable)."""
    if not shutil.which("systemd-analyze"):
        step("no systemd-analyze here: the unit is not verified")
        return
    folder = tempfile.mkdtemp(prefix="vorlane-unit-")
    try:
        with open(in_root(UNIT)) as f:
            text = f.read().replace("ExecStart=/usr/bin/", "ExecStart=%s/usr/bin/" % ROOT)
        with open(os.path.join(folder, "vorlane.service"), "w") as f:
            f.write(text)
        result = subprocess.run(["systemd-analyze", "verify", os.path.join(folder, "vorlane.service")],
                                capture_output=True, text=True)
        expect(result.returncode == 0 and not (result.stdout + result.stderr).strip(),
               "systemd-analyze verify:\n" + result.stdout + result.stderr)
    finally:
        shutil.rmtree(folder)
    step("systemd-analyze verify: no complaint")


def run_the_unit_command():
    workdir = in_root("/var/lib/vorlane")  # systemd's StateDirectory
    os.makedirs(workdir, exist_ok=True)
    prove(in_root(SETTINGS), in_root(KEY_FILE), in_root(KEY_FILE), in_root("/usr/share/vorlane/datasets/demo.json"),
          start=lambda port: harness.Process(exec_start(), cwd=workdir),
          stop=lambda gateway: gateway.proc.terminate())


def purge():
    if not BY_DPKG:
        return
    dpkg("--purge", "vorlane")
    left = [os.path.join(d, f) for d, _, files in os.walk(ROOT) for f in files
            if not os.path.relpath(d, ROOT).startswith(("var/lib/dpkg", "etc"))]
    left += [p for p in ("/etc/vorlane", "/var/lib/vorlane") if os.path.exists(in_root(p))]
    expect(not left, "left after the purge: %s" % left)
    step("purged: nothing of the package left")


if __name__ == "__main__":
    sys.exit(run_checks([lambda: check_listing(PACKAGE), lambda: install(PACKAGE), check_runpath, verify_unit,
                         run_the_unit_command, purge], ROOT, "the Debian package"))
