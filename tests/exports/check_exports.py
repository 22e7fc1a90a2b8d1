#!/usr/bin/env python3
"""Checks the export tables of the shipping (32-bit) DLLs with objdump.

For each DLL, every line of tests/exports/<dll>.d/*.txt names a symbol that must be exported,
exactly as it appears in the table (so 32-bit decorations count). A line may add "pops N": the
exported code then returns with "ret $N", removing N bytes of arguments itself (stdcall), or
with a plain "ret" for N = 0 (cdecl, the caller removes them). A caller that assumes the other
convention corrupts its stack on every call, and nothing else here would notice."""
import pathlib
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"


def export_table(dll):
    """{name: address} of the DLL's named exports."""
    out = subprocess.run([OBJDUMP, "-p", str(dll)], check=True, capture_output=True,
                         text=True).stdout
    base, rvas, names, section = 0, {}, {}, None
    for line in out.splitlines():
        if line.startswith("ImageBase"):
            base = int(line.split()[1], 16)
        elif line.startswith("Export Address Table --"):
            section = "addresses"
        elif line.startswith("[Ordinal/Name Pointer] Table"):
            section = "names"
        elif not line.strip():
            section = None
        elif section == "addresses":
            m = re.match(r"\s*\[\s*(\d+)\]\s+\+base\[\s*\d+\]\s+([0-9a-f]+)", line)
            if m:
                rvas[int(m.group(1))] = int(m.group(2), 16)
        elif section == "names":
            m = re.match(r"\s*\[\s*(\d+)\]\s+(\S+)$", line)
            if m:
                names[m.group(2)] = int(m.group(1))
    return {name: base + rvas.get(index, 0) for name, index in names.items()}


def popped_sizes(dll, address):
    """The argument bytes every return of the function at address removes ("ret $N")."""
    out = subprocess.run([OBJDUMP, "-d", f"--start-address={address:#x}",
                          f"--stop-address={address + 0x4000:#x}", str(dll)], check=True,
                         capture_output=True, text=True).stdout
    sizes, labels = set(), 0
    for line in out.splitlines():
        if line.endswith(">:"):
            labels += 1
            if labels > 1:  # the next function begins
                break
        m = re.search(r"\tret\s*(?:\$0x([0-9a-f]+))?\s*$", line)
        if m:
            sizes.add(int(m.group(1) or "0", 16))
    return sizes


def main():
    dist = pathlib.Path(sys.argv[1])
    here = pathlib.Path(__file__).parent
    failures = 0
    for listdir in sorted(here.glob("*.d")):
        dll = dist / (listdir.name[:-2] + ".dll")
        wanted = [l.split() for f in sorted(listdir.glob("*.txt"))
                  for l in f.read_text().splitlines() if l.strip() and not l.startswith("#")]
        if not dll.exists():
            print(f"FAIL {dll} is missing")
            failures += 1
            continue
        have = export_table(dll)
        for name, *convention in wanted:
            if name not in have:
                print(f"FAIL {dll.name} does not export {name}")
                failures += 1
            elif convention:
                pops = int(convention[1])
                found = popped_sizes(dll, have[name])
                if found != {pops}:
                    print(f"FAIL {dll.name}: {name} returns removing {sorted(found)} bytes of "
                          f"arguments, not {pops}")
                    failures += 1
        print(f"{dll.name}: {len(wanted)} required exports checked, {len(have)} exported")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
