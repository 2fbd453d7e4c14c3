#!/usr/bin/env python3
"""The Windows download as a user gets it: cpack makes the zip from the build tree, and it must
hold one folder named after the package with exactly tolva.scr (the built one, byte for byte)
and INSTALL.txt (CRLF lines, naming the system folder right for its architecture).

Usage: windows_package_test.py CPACK BUILD_DIR win32|win64
"""
import os
import subprocess
import sys
import tempfile
import zipfile


def main():
    cpack, build, arch = sys.argv[1:4]
    passed, failures = [], []

    def check(condition, what):
        print(("ok: " if condition else "FAILED: ") + what)
        (passed if condition else failures).append(what)

    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cpack, "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out],
                       check=True, stdout=subprocess.DEVNULL)
        zips = sorted(f for f in os.listdir(out) if f.endswith(".zip"))
        folder = f"tolva-1.0.0-{arch}"
        check(zips == [folder + ".zip"], f"one package, {folder}.zip (saw {zips})")
        with zipfile.ZipFile(os.path.join(out, zips[0])) as package:
            names = sorted(package.namelist())
            check(names == [f"{folder}/INSTALL.txt", f"{folder}/tolva.scr"],
                  f"the package holds tolva.scr and INSTALL.txt only (saw {names})")
            with open(os.path.join(build, "tolva.scr"), "rb") as f:
                check(package.read(f"{folder}/tolva.scr") == f.read(),
                      "the packaged tolva.scr is the built one")
            note = package.read(f"{folder}/INSTALL.txt").decode("ascii")
    lines = note.split("\r\n")
    check(len(lines) > 10 and all("\n" not in line for line in lines),
          "the install note has CRLF line ends throughout")
    check(("SysWOW64" in note) == (arch == "win32") and "System32" in note,
          f"the note names System32, and SysWOW64 only for the 32-bit build ({arch})")
    print(f"{len(passed)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
