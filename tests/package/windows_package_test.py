#!/usr/bin/env python3
"""The Windows download as a user gets it: cpack makes the zip from the build tree, and it must
hold one folder named after the package with exactly tolva.scr (the built one, stripped: no
debug sections, no folder name of the source or build tree, and far smaller) and INSTALL.txt
(CRLF lines, naming the system folder right for its architecture).

Usage: windows_package_test.py CPACK BUILD_DIR win32|win64
"""
import os
import struct
import subprocess
import sys
import tempfile
import zipfile


def sections(image):
    """A PE image's sections as {name: raw bytes}, long names ("/4") looked up in its string
    table."""
    header = struct.unpack_from("<I", image, 0x3C)[0]
    count, = struct.unpack_from("<H", image, header + 6)
    symbols, symbol_count = struct.unpack_from("<II", image, header + 12)
    optional_size, = struct.unpack_from("<H", image, header + 20)
    table = header + 24 + optional_size
    found = {}
    for i in range(count):
        entry = table + 40 * i
        name = image[entry:entry + 8].rstrip(b"\0").decode("ascii")
        if name.startswith("/") and symbols:
            at = symbols + 18 * symbol_count + int(name[1:])
            name = image[at:image.index(b"\0", at)].decode("ascii")
        size, offset = struct.unpack_from("<II", image, entry + 16)
        found[name] = image[offset:offset + size]
    return found


def main():
    cpack, build, arch = sys.argv[1:4]
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
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
                built = f.read()
            packed = package.read(f"{folder}/tolva.scr")
            note = package.read(f"{folder}/INSTALL.txt").decode("ascii")
    packed_sections = sections(packed)
    check(packed_sections[".text"] == sections(built)[".text"] and len(packed) * 2 < len(built),
          f"the packaged tolva.scr is the built one's code, stripped: {len(packed)} bytes, "
          f"built {len(built)}")
    check(not [n for n in packed_sections if n.startswith(".debug")],
          f"no debug sections in the packaged tolva.scr (saw {sorted(packed_sections)})")
    folders = {os.path.realpath(d).encode() for d in (source, build)}
    check(not [d for d in folders if d in packed],
          f"no folder name of the source or build tree in the packaged tolva.scr ({folders})")
    lines = note.split("\r\n")
    check(len(lines) > 10 and all("\n" not in line for line in lines),
          "the install note has CRLF line ends throughout")
    check(("SysWOW64" in note) == (arch == "win32") and "System32" in note,
          f"the note names System32, and SysWOW64 only for the 32-bit build ({arch})")
    print(f"{len(passed)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
