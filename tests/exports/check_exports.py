#!/usr/bin/env python3
"""Checks the export tables of the shipping (32-bit) DLLs with objdump.

For each DLL, every line of tests/exports/<dll>.d/*.txt names a symbol that must be exported,
exactly as it appears in the table (so 32-bit decorations count)."""
import pathlib
import subprocess
import sys


def exports(dll):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(dll)], check=True,
                         capture_output=True, text=True).stdout
    names, in_table = set(), False
    for line in out.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_table = True
            continue
        if in_table:
            if not line.strip():
                break
            names.add(line.split()[-1])
    return names


def main():
    dist = pathlib.Path(sys.argv[1])
    here = pathlib.Path(__file__).parent
    failures = 0
    for listdir in sorted(here.glob("*.d")):
        dll = dist / (listdir.name[:-2] + ".dll")
        wanted = [l.strip() for f in sorted(listdir.glob("*.txt"))
                  for l in f.read_text().splitlines() if l.strip() and not l.startswith("#")]
        if not dll.exists():
            print(f"FAIL {dll} is missing")
            failures += 1
            continue
        have = exports(dll)
        for name in wanted:
            if name not in have:
                print(f"FAIL {dll.name} does not export {name}")
                failures += 1
        print(f"{dll.name}: {len(wanted)} required exports checked, {len(have)} exported")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
