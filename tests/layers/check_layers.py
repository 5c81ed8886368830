#!/usr/bin/env python3
# Compiles one include at a time with the flags of a library's own source:
# its own layer or one below must build; a layer above, or widgets in logic, not.
import json, pathlib, shlex, subprocess, sys, tempfile

build = pathlib.Path(sys.argv[1])
commands = {pathlib.Path(e["file"]).as_posix(): e for e in json.load(open(build / "compile_commands.json"))}
# (a source file of the library, the include, whether it may build)
cases = [
    ("src/platform/Clock.cpp", '"platform/TreeControl.h"', True),
    ("src/platform/Clock.cpp", '"shell/AppSettings.h"', False),
    ("src/favorites/NameCleanup.cpp", '"checker/Probe.h"', False),
    ("src/checker/StatusLights.cpp", '"mainwindow/NodePath.h"', False),
    ("src/mainwindow/NodePath.cpp", '"favorites/TreeConventions.h"', True),
    ("src/mainwindow/NodePath.cpp", "<QWidget>", False),
    ("src/options/OptionsForm.cpp", "<QWidget>", False),
    ("src/services/UpdateCheck.cpp", "<QWidget>", False),
    ("src/mainwindow/MainWindow.cpp", '"lifecycle/MainLifecycle.h"', False),
    ("src/browsers/BrowserStore.cpp", '"checker/Probe.h"', True),
    ("src/browsers/BrowserStore.cpp", '"mainwindow/NodePath.h"', False),
    ("src/browsers/BrowserStore.cpp", "<QWidget>", False),
]
wrong = 0
with tempfile.TemporaryDirectory() as scratch:
    probe = pathlib.Path(scratch) / "probe.cpp"
    for source, include, allowed in cases:
        entry = next(e for f, e in commands.items() if f.endswith(source))
        probe.write_text(f"#include {include}\n")
        args = shlex.split(entry["command"])
        args = [a for a in args[: args.index("-o")] if a != "-c"] + ["-fsyntax-only", str(probe)]
        built = subprocess.run(args, cwd=entry["directory"], capture_output=True).returncode == 0
        if built != allowed:
            wrong += 1
            print(f"{source}: #include {include} {'built' if built else 'failed'}, expected otherwise")
sys.exit(1 if wrong else 0)
