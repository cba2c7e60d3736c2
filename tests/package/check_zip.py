#!/usr/bin/env python3
"""Proves the Windows ZIP the way an operator meets it:

    check_zip.py vorlane-VERSION-win64.zip

it holds the programs, the stand-in DLLs, the datasets, the docs and the
sample settings file, and no import library; unpacked, its programs run
under wine from their folder: with the sample settings edited as
docs/operations.md says and a key file beside them, vorlane-console.exe
in front of telvexd.exe answers vorlane-query.exe's query and signed
command, and hlvctl.exe stops it (status 0). Run it in the wine
environment of the Windows tests (WINEPREFIX, LC_ALL, wineserver).
Exit status 0 when every check passed."""

import os
import sys
import tempfile
import zipfile

if len(sys.argv) != 2:
    sys.exit("usage: check_zip.py PACKAGE.zip")
PACKAGE = os.path.abspath(sys.argv[1])
UNPACKED = tempfile.mkdtemp(prefix="vorlane-zip-")
# The package's one top folder is named as the package.
FOLDER = os.path.join(UNPACKED, os.path.splitext(os.path.basename(PACKAGE))[0])
os.environ["VORLANE_BIN"] = FOLDER
os.environ["VORLANE_EXE_SUFFIX"] = ".exe"
os.environ["VORLANE_EMULATOR"] = "wine"
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from installed import expect, harness, prove, run_checks, step  # noqa: E402

PROGRAMS = ["vorlane", "vorlane-console", "vorlane-query", "hlvctl", "telvexd"]
CONTENTS = [name + ".exe" for name in PROGRAMS] + [
    "halvern.dll", "telvex.dll", "datasets/demo.json", "README.md", "docs/operations.md", "vorlane.json"]


def check_listing():
    """The files the package must hold in its top folder, and none it must
    not; then unpacks it."""
    with zipfile.ZipFile(PACKAGE) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
        tops = {name.split("/", 1)[0] for name in names}
        expect(tops == {os.path.basename(FOLDER)}, "top folders: %s" % tops)
        inside = {name.split("/", 1)[1] for name in names}
        missing = [name for name in CONTENTS if name not in inside]
        expect(not missing, "not in the package: %s" % missing)
        stray = [name for name in inside if name.endswith(".a")]
        expect(not stray, "import libraries in the package: %s" % stray)
        archive.extractall(UNPACKED)
    step("the ZIP holds the programs, DLLs, datasets, docs and vorlane.json; unpacked")


def run_the_programs():
    prove(os.path.join(FOLDER, "vorlane.json"), os.path.join(FOLDER, "command.key"), "command.key",
          os.path.join(FOLDER, "datasets", "demo.json"),
          start=lambda port: harness.Gateway(["/config=vorlane.json"], cwd=FOLDER, port=port),
          stop=lambda gateway: expect(gateway.stop_event() == 0, "hlvctl stop failed"))


if __name__ == "__main__":
    sys.exit(run_checks([check_listing, run_the_programs], UNPACKED, "the Windows ZIP"))
