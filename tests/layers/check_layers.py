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
    # The wired graph sits just above the checker, below everything of the window.
    ("src/program/ProgramServices.cpp", '"checker/CheckRunner.h"', True),
    ("src/program/ProgramServices.cpp", '"lifecycle/CommandController.h"', False),
    ("src/checker/CheckRunner.cpp", '"program/ProgramServices.h"', False),
    ("tests/checker/CheckRunnerTest.cpp", '"program/ProgramServices.h"', True),
    ("tests/checker/CheckRunnerTest.cpp", '"lifecycle/MainLifecycle.h"', False),
    # The top layer's logic drives the window through interfaces only.
    ("src/lifecycle/CommandController.cpp", "<QWidget>", False),
    ("src/lifecycle/MainLifecycle.cpp", "<QSystemTrayIcon>", False),
    ("src/lifecycle/CommandController.cpp", '"mainwindow/MainWindow.h"', False),
    ("src/lifecycle/WindowWiring.cpp", '"mainwindow/MainWindow.h"', True),
    # A logic library sees neither the views of its own folder...
    ("src/lifecycle/MainLifecycle.cpp", '"lifecycle/TrayIcon.h"', False),
    ("src/options/OptionsForm.cpp", '"options/ShowOptions.h"', False),
    ("src/services/UpdateCheck.cpp", '"services/AboutDialog.h"', False),
    ("src/mainwindow/NodePath.cpp", '"mainwindow/TreeItemModel.h"', False),
    # ...while the views see their logic.
    ("src/lifecycle/TrayIcon.cpp", '"lifecycle/TrayControl.h"', True),
    ("src/options/ShowOptions.cpp", '"options/OptionsForm.h"', True),
    ("src/browsers/BrowserStore.cpp", '"checker/Probe.h"', True),
    ("src/browsers/BrowserStore.cpp", '"mainwindow/NodePath.h"', False),
    ("src/browsers/BrowserStore.cpp", "<QWidget>", False),
    # The window's views list the browsers' profiles; the logic above them
    # reaches a profile only through the chooser's interface.
    ("src/mainwindow/BrowserProfilesDialog.cpp", '"browsers/BrowserStore.h"', True),
    ("src/mainwindow/NodePath.cpp", '"browsers/BrowserProfiles.h"', False),
    ("src/lifecycle/CommandController.cpp", '"browsers/BrowserProfiles.h"', False),
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
