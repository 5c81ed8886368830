#!/usr/bin/env python3
# No two of the program's function names may differ only in case (the naming
# rule in the README): reads every function the libraries define, from their
# symbols, and lists the names that collide. A constructor shares its class's
# name, and an accessor may share its type's (Qt's statusBar()), so
# constructors are left out.
import collections, pathlib, re, subprocess, sys

build = pathlib.Path(sys.argv[1])
libraries = sorted((build / "src").rglob("*.a"))
symbols = subprocess.run(["nm", "-C", "--defined-only", *map(str, libraries)],
                         capture_output=True, text=True, check=True).stdout
names = collections.defaultdict(set)
for line in symbols.splitlines():
    parts = line.split(" ", 2)
    if len(parts) < 3 or parts[1].lower() not in ("t", "w") or not parts[2].startswith("norvale::"):
        continue
    signature = re.sub(r"\[abi:\w+\]", "", parts[2].split("(")[0])
    scopes = [s for s in re.split(r"::(?![^<]*>)", signature) if s]
    name = scopes[-1]
    if len(scopes) > 1 and scopes[-2].split("<")[0] == name:
        continue  # a constructor
    if re.fullmatch(r"[A-Za-z_]\w*", name) and not name.startswith(("qt_", "~")):
        names[name.lower()].add(name)
clashes = sorted(" / ".join(sorted(v)) for v in names.values() if len(v) > 1)
for clash in clashes:
    print("names that differ only in case:", clash)
sys.exit(1 if clashes else 0)
