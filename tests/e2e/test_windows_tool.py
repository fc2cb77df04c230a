"""The real Quenlar.exe is a Windows console program: from Linux Dravolt it
runs through Wine, in a terminal window of its own (xterm here), which shows
what it prints and closes when it ends."""
import os
import re
import shutil
import subprocess
import unittest

import pyatspi

from desk import CONFIG, DravoltCase, press
from support import wait_for

XTERM = shutil.which("xterm")
WINE = shutil.which("wine")


def windows_runs(log):
    """The Windows stand-in's runs: (source size, arguments), oldest first."""
    if not os.path.exists(log):
        return []
    with open(log, "rb") as f:
        lines = [line.decode("utf-8").split("\x1f") for line in f.read().split(b"\n") if line]
    return [(int(fields[0]), fields[2:]) for fields in lines]


def terminal_windows(display):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "XTerm"],
                           env=dict(os.environ, DISPLAY=display), capture_output=True, text=True)
    return found.stdout.split()


@unittest.skipUnless(XTERM and WINE and os.environ.get("WINEPREFIX"),
                     "needs xterm, wine and a WINEPREFIX of the run's own")
class WindowsToolInATerminal(DravoltCase):
    def test_slice_it_runs_the_windows_tool_through_wine_in_a_terminal_window(self):
        if not CONFIG.get("windows_standin"):
            self.skipTest("no Windows stand-in (mingw-w64 missing)")
        tool = os.path.join(self.root, "my tools", "Quenlar.exe")
        os.makedirs(os.path.dirname(tool))
        shutil.copy2(CONFIG["windows_standin"], tool)
        with open(os.path.join(self.config_home, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={tool}\n")
        # xterm keeps a log of what it shows; the stand-in waits a little
        # before it ends, so that its window can be seen.
        terminal_log = os.path.join(self.root, "xterm.log")
        resources = os.path.join(self.root, "xterm-resources")
        with open(resources, "w") as f:
            f.write(f"XTerm*logging: true\nXTerm*logFile: {terminal_log}\n")
        env = self.environment(terminal=XTERM)
        env.update(XENVIRONMENT=resources, QUENLAR_STANDIN_HOLD="1500")

        tga = self.make_tga("my track.tga")
        self.start_dravolt(env)
        self.wait_status("Okay: Quenlar   000 ")
        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "my track.tga")
        self.set_text("baseFileName", "a b")
        self.wait_status(f"Okay: Quenlar {tga} a b 000 ")

        press(self.button("Slice it"))
        display = os.environ["DISPLAY"]
        wait_for(lambda: terminal_windows(display), "the tool's terminal window on the display")
        wait_for(lambda: windows_runs(self.tool_log), "the Windows tool to run", timeout=60)
        # The tool gets the source as Windows names it; the status line showed it as it stands.
        size = os.path.getsize(tga)
        self.assertEqual(windows_runs(self.tool_log), [(size, ["Z:" + tga.replace("/", "\\"), "a b", "000"])])

        def shown():
            if not os.path.exists(terminal_log):
                return ""
            with open(terminal_log, "rb") as f:
                text = f.read().decode("utf-8", "replace")
            # Wine draws its console with cursor moves: a move right is a blank.
            return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text.replace("\x1b[1C", " "))
        wait_for(lambda: f"Quenlar stand-in: 3 argument(s), source size {size}" in shown(),
                 "the tool's output in its terminal window", timeout=30)
        # The window closes when the tool ends, as a console window does.
        wait_for(lambda: not terminal_windows(display), "the terminal window to close", timeout=30)
        self.assertTrue(self.dravolt.running())


def terminals_at_hand():
    """The terminals installed as Debian's choices for x-terminal-emulator,
    xterm's own wrappers (lxterm, uxterm, koi8rxterm) aside; or those that
    DRAVOLT_E2E_TERMINALS names (paths separated by ':', as
    scripts/check-terminals tries them one by one; NAME=VALUE there sets a
    variable instead, TERMINAL=ptyxis say, with no x-terminal-emulator of the
    test's own)."""
    if os.environ.get("DRAVOLT_E2E_TERMINALS"):
        return os.environ["DRAVOLT_E2E_TERMINALS"].split(":")
    listed = subprocess.run(["update-alternatives", "--list", "x-terminal-emulator"],
                            capture_output=True, text=True).stdout.split()
    return [path for path in listed if os.path.basename(path) not in ("lxterm", "uxterm", "koi8rxterm")]


@unittest.skipUnless(terminals_at_hand(), "no terminal installed as an x-terminal-emulator")
class EveryTerminal(DravoltCase):
    """Whatever terminal the desktop uses, the tool gets exactly its
    arguments, also when Slice it is pressed again while its first window is
    open: a stand-in in a folder with a blank, then a Windows tool through
    Wine, each with a source picked in the file dialog whose name holds a
    quote, $HOME, & and (for the Linux tool) a backslash."""

    def slice_twice(self, terminal, tool, source_name, runs):
        """Slices the source twice with the tool in that terminal; `runs`
        reads the tool's log."""
        with open(os.path.join(self.config_home, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={tool}\n")
        if os.path.exists(self.tool_log):
            os.remove(self.tool_log)
        tga = self.make_tga(source_name)
        variable = terminal.split("=", 1) if "=" in terminal else None
        env = self.environment(terminal="" if variable else terminal)
        env.update([variable] if variable else [])
        env.update(QUENLAR_STANDIN_HOLD="3000")
        dravolt = self.start_dravolt(env)
        self.wait_status("Okay: Quenlar   000 ")
        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", tga)
        self.set_text("baseFileName", "a b")
        press(self.check_box("/y wrap vertical border edges"))
        self.wait_status(f"Okay: Quenlar {tga} a b 000 /y")
        def warned():
            return [w for w in self.dravolt.windows() if w.getRole() == pyatspi.ROLE_ALERT]
        for run in (1, 2):
            press(self.button("Slice it"))
            wait_for(lambda: len(runs()) == run or warned(), f"run {run} in {terminal}", timeout=60)
            if len(runs()) != run:
                raise AssertionError(f"no run {run} in {terminal}; Dravolt said: {self.warning()[1]}")
        dravolt.end()
        return tga

    def test_each_terminal_gives_the_tool_exactly_its_arguments_twice(self):
        tools = os.path.join(self.root, "My Tools")
        os.makedirs(tools)
        native = shutil.copy2(CONFIG["standin"], os.path.join(tools, "quenlar.exe"))
        windows = None
        if CONFIG.get("windows_standin") and WINE and os.environ.get("WINEPREFIX"):
            windows = shutil.copy2(CONFIG["windows_standin"], os.path.join(tools, "QUENLAR.EXE"))
        for terminal in terminals_at_hand():
            with self.subTest(terminal=terminal):
                tga = self.slice_twice(terminal, native, "it's $HOME & a\\b.tga", self.tool_runs)
                self.assertEqual(self.tool_runs(), [[tga, "a b", "000", "/y"]] * 2)
                if windows:
                    tga = self.slice_twice(terminal, windows, "it's $HOME & ab.tga",
                                           lambda: windows_runs(self.tool_log))
                    source = "Z:" + tga.replace("/", "\\")
                    self.assertEqual(windows_runs(self.tool_log),
                                     [(os.path.getsize(tga), [source, "a b", "000", "/y"])] * 2)
