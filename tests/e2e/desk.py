"""Driving Dravolt from outside, as a screen-reader user would: windows and
controls are found through AT-SPI by role and accessible name, buttons are
pressed through their AT-SPI actions, keys are typed with xdotool into the
window that has the X focus."""
import ctypes
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import pyatspi
from gi.repository import Atspi

from support import end_process, wait_for

# Set by the runner: prefix (installed Dravolt), standin (the stand-in
# Quenlar.exe), windows_standin (the Windows stand-in, or ""), pages (folder
# of the help pages), host (the help host).
CONFIG = {}

TERMINAL_STANDIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "standin", "terminal.sh")

TOP_LEVEL_ROLES = {pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT,
                   pyatspi.ROLE_FILLER, pyatspi.ROLE_WINDOW}


def has_state(acc, state):
    return acc.getState().contains(state)


def enabled(acc):
    return has_state(acc, pyatspi.STATE_SENSITIVE)


def showing(acc):
    return has_state(acc, pyatspi.STATE_SHOWING)


def checked(acc):
    return has_state(acc, pyatspi.STATE_CHECKED)


def text_of(acc):
    return acc.queryText().getText(0, -1)


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(acc):
    for child in children(acc):
        yield child
        yield from descendants(child)


def find_all(root, role, name=None, only_showing=True):
    return [a for a in descendants(root)
            if a.getRole() == role and (name is None or a.name == name)
            and (not only_showing or showing(a))]


def describe(acc):
    return f"{acc.getRoleName()} {acc.name!r}"


def press(acc):
    """Presses a button or toggles a check box by its AT-SPI action."""
    assert enabled(acc), f"{describe(acc)} is disabled"
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "Toggle", "Click", "SetFocus"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    raise AssertionError(f"{describe(acc)} has no press action: {names}")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


class Program:
    """A program this suite started, with its AT-SPI application."""

    def __init__(self, argv, cwd, env):
        self.process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL)
        self.pid = self.process.pid
        self.app = wait_for(self._application, f"{os.path.basename(argv[0])} on the accessibility bus")

    def _application(self):
        if self.process.poll() is not None:
            raise AssertionError(f"exited with {self.process.returncode}")
        for app in children(pyatspi.Registry.getDesktop(0)):
            if app.get_process_id() == self.pid and app.childCount > 0:
                return app
        return None

    def running(self):
        return self.process.poll() is None

    def windows(self):
        return [w for w in children(self.app) if w.getRole() in TOP_LEVEL_ROLES]

    def window(self, name, role=None, what=None):
        """Waits for a top-level window with this title (and role)."""
        def look():
            for w in self.windows():
                if w.name == name and (role is None or w.getRole() == role) and showing(w):
                    return w
            return None
        return wait_for(look, what or f"window {name!r}")

    def end(self):
        end_process(self.process)


class Keyboard:
    """Keys go to the X window that has the focus; xdotool gives it that
    focus first. The X window is the one of the program whose size and place
    match the AT-SPI window."""

    def __init__(self, program):
        self.program = program

    def x_window(self, window):
        x, y, w, h = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

        def look():
            found = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.program.pid),
                                    "--name", "^" + re.escape(window.name) + "$"],
                                   capture_output=True, text=True).stdout.split()
            for wid in found:
                geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", wid).split())
                if (int(geometry["WIDTH"]), int(geometry["HEIGHT"])) == (w, h) \
                        and abs(int(geometry["X"]) - x) <= 2 and abs(int(geometry["Y"]) - y) <= 2:
                    return wid
            return None
        return wait_for(look, f"the X window of {describe(window)}")

    def close_box(self, window):
        """Closes the window as its title bar's close box does: the window
        manager's WM_DELETE_WINDOW message to the program."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = (ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int)
        x11.XSendEvent.argtypes = (ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_char_p)
        display = x11.XOpenDisplay(None)
        wid = int(self.x_window(window))
        event = ctypes.create_string_buffer(192)        # an XClientMessageEvent
        ctypes.c_int.from_buffer(event, 0).value = 33   # ClientMessage
        ctypes.c_ulong.from_buffer(event, 32).value = wid
        ctypes.c_ulong.from_buffer(event, 40).value = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        ctypes.c_int.from_buffer(event, 48).value = 32
        ctypes.c_long.from_buffer(event, 56).value = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        x11.XSendEvent(display, wid, 0, 0, event)
        x11.XCloseDisplay.argtypes = (ctypes.c_void_p,)
        x11.XCloseDisplay(display)

    def focus(self, window):
        xdotool("windowfocus", "--sync", self.x_window(window))
        wait_for(lambda: has_state(window, pyatspi.STATE_ACTIVE), f"{describe(window)} to be active")

    def keys(self, window, *keys):
        self.focus(window)
        xdotool("key", "--clearmodifiers", "--delay", "20", *keys)

    def type(self, window, text):
        self.focus(window)
        xdotool("type", "--clearmodifiers", "--delay", "10", "--", text)


class DravoltCase(unittest.TestCase):
    """Each test gets a fresh user (its own settings folder), a work folder
    that the file dialogs open on, a copy of the stand-in tool and a log of
    the tool's runs; Dravolt is started on demand and ended afterwards."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="dravolt-e2e-")
        self.config_home = os.path.join(self.root, "config")
        self.work = os.path.join(self.root, "work")
        self.tools = os.path.join(self.root, "tools")
        for folder in (self.config_home, self.work, self.tools):
            os.makedirs(folder)
        self.tool = os.path.join(self.tools, "quenlar.exe")
        shutil.copy2(CONFIG["standin"], self.tool)
        self.tool_log = os.path.join(self.root, "quenlar-runs.log")
        self.programs = []
        self.addCleanup(self._end_everything)

    def _end_everything(self):
        for program in reversed(self.programs):
            program.end()
        shutil.rmtree(self.root, ignore_errors=True)

    def environment(self, terminal=None):
        """Dravolt's environment. The tool runs in a terminal window when
        there is one: by default the terminal stand-in, which runs it without
        a window, stands first in PATH as x-terminal-emulator; `terminal`
        puts that program there instead, and "" none."""
        bin_dir = os.path.join(self.root, "bin")
        os.makedirs(bin_dir, exist_ok=True)
        link = os.path.join(bin_dir, "x-terminal-emulator")
        if os.path.lexists(link):
            os.remove(link)
        if terminal != "":
            os.symlink(terminal or TERMINAL_STANDIN, link)
        env = dict(os.environ)
        env.update(XDG_CONFIG_HOME=self.config_home, QUENLAR_STANDIN_LOG=self.tool_log,
                   PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
        return env

    def start_dravolt(self, env=None):
        program = Program([os.path.join(CONFIG["prefix"], "bin", "dravolt")], self.work,
                          env or self.environment())
        self.programs.append(program)
        self.dravolt = program
        self.keyboard = Keyboard(program)
        # A screen reader announces it as a window (frame), not as a bare pane.
        self.main = program.window("Dravolt", pyatspi.ROLE_FRAME, what="the main window as a frame")
        wait_for(lambda: self.status(), "the first status line")
        return program

    # --- the main window -------------------------------------------------

    def control(self, role, name, within=None):
        """The one showing control of this role and accessible name."""
        def look():
            found = find_all(within or self.main, role, name)
            return found[0] if len(found) == 1 else None
        return wait_for(look, f"one {Atspi.role_get_name(role)} named {name!r}")

    def button(self, name, within=None):
        return self.control(pyatspi.ROLE_PUSH_BUTTON, name, within)

    def check_box(self, name):
        return self.control(pyatspi.ROLE_CHECK_BOX, name)

    def text_box(self, name, within=None):
        return self.control(pyatspi.ROLE_TEXT, name, within)

    def status(self):
        bars = find_all(self.main, pyatspi.ROLE_STATUS_BAR)
        return bars[0].name if bars else ""

    def wait_status(self, expected):
        wait_for(lambda: self.status() == expected, f"status line {expected!r} (it reads {self.status()!r})")

    def page(self, name):
        """Brings a page of the tab control to the front by pressing its tab."""
        if self.current_page() != name:
            press(find_all(self.main, pyatspi.ROLE_PAGE_TAB, name)[0])
        wait_for(lambda: self.current_page() == name, f"page {name!r} in front")

    def current_page(self):
        # The tab row reads out as the caption of the page in front.
        return find_all(self.main, pyatspi.ROLE_PAGE_TAB_LIST)[0].name

    def focused(self, window=None):
        """The control with the keyboard focus. Qt marks the tab of the page in
        front as focused whether or not the tab row has the focus, so tabs do
        not count; and a widget that hands its focus on (the tab control to
        its tab row) counts as focused too, so the innermost one wins."""
        found = None
        for acc in descendants(window or self.main):
            if acc.getRole() != pyatspi.ROLE_PAGE_TAB and has_state(acc, pyatspi.STATE_FOCUSED) \
                    and showing(acc):
                found = acc
        return found

    def wait_focus(self, role, name, window=None):
        wait_for(lambda: (lambda f: f is not None and f.getRole() == role and f.name == name)(
                     self.focused(window)),
                 f"focus on {name!r} (it is on {self._focus_text(window)})")

    def _focus_text(self, window):
        f = self.focused(window)
        return describe(f) if f else "nothing"

    def set_text(self, box_name, text):
        """Replaces a text box's text by typing, as a user does."""
        box = self.text_box(box_name)
        self.keyboard.focus(self.main)
        box.queryComponent().grabFocus()
        wait_for(lambda: has_state(box, pyatspi.STATE_FOCUSED), f"focus on {box_name!r}")
        self.keyboard.keys(self.main, "ctrl+a", "BackSpace")
        if text:
            self.keyboard.type(self.main, text)
        wait_for(lambda: text_of(box) == text, f"{box_name!r} to read {text!r} (it reads {text_of(box)!r})")

    # --- secondary windows -----------------------------------------------

    def warning(self):
        """The warning or question box that is open: its message."""
        box = self.dravolt.window("Dravolt", pyatspi.ROLE_ALERT, "a warning box")
        texts = [label.name for label in find_all(box, pyatspi.ROLE_LABEL) if label.name]
        return box, texts

    def answer_warning(self, expected, button="OK"):
        """Checks the message of the box that is open and presses its button
        (a question's "Yes" or "No")."""
        box, texts = self.warning()
        self.assertEqual(texts, [expected])
        press(self.button(button, box))
        self._closed(box, "the warning box")

    def _closed(self, window, what):
        wait_for(lambda: window not in self.dravolt.windows() or not showing(window), f"{what} to close")
        # There is no window manager to hand the focus back to the main window.
        self.keyboard.focus(self.main)

    def pick_file(self, title, path, cancel=False):
        """Fills the file dialog's name box and opens the file (or cancels)."""
        dialog = self.dravolt.window(title, pyatspi.ROLE_DIALOG)
        name_box = self.text_box("File name:", dialog)
        wait_for(lambda: has_state(name_box, pyatspi.STATE_FOCUSED), "focus on the file name box")
        self.keyboard.type(dialog, path)
        if cancel:
            press(self.button("Cancel", dialog))
        else:
            # Straight after the typing, which gave the dialog the focus: the
            # name box's completion list may be open by now, and while it is,
            # the dialog does not count as the active window, so focusing the
            # dialog again could wait for good. Return goes to the list's
            # owner, the name box, as a user's would.
            xdotool("key", "--clearmodifiers", "Return")
        self._closed(dialog, repr(title))

    def locate_tool(self):
        """Browses to the stand-in tool on the Options page."""
        self.page("Options")
        press(self.button("Browse to Quenlar.exe"))
        self.pick_file("Browse to Quenlar.exe", self.tool)
        location = self.text_box("Program Location")
        wait_for(lambda: text_of(location) == self.tool, "the tool's path in the location box")

    def tool_runs(self):
        """The argument lists of the stand-in tool's runs, oldest first."""
        if not os.path.exists(self.tool_log):
            return []
        with open(self.tool_log, "rb") as f:
            return [line.decode().split("\x1f")[1:] for line in f.read().split(b"\n") if line]

    def settings_text(self):
        path = os.path.join(self.config_home, "dravolt.conf")
        if not os.path.exists(path):
            return ""
        with open(path) as f:
            return f.read()

    def wait_ended(self, program):
        wait_for(lambda: not program.running(), f"pid {program.pid} to end")

    def make_tga(self, name, image_type=2):
        """A 60 x 60, 24-bit TGA image in the work folder: uncompressed, as the
        tool takes it, or of another type (10: RLE)."""
        path = os.path.join(self.work, name)
        header = bytes([0, 0, image_type, 0, 0, 0, 0, 0, 0, 0, 0, 0, 60, 0, 60, 0, 24, 0])
        pixels = bytes(60 * 60 * 3) if image_type == 2 else bytes([0x80 | 59, 0, 0, 0]) * 60
        with open(path, "wb") as f:
            f.write(header + pixels)
        return path

    def viewers(self):
        """The help viewers on screen: windows of Dravolt's own that are
        neither the main window nor an information window."""
        others = {"Dravolt", "Location Details", "File Info Details", "About"}
        return [w for w in self.dravolt.windows() if showing(w) and w.name not in others]
