"""The help viewers, opened from the main window and from File Info Details,
with no network (the engine's proxy is a loopback port nobody listens on):
their captions reach the titles of the installed pages, and Exit on the main
window ends every one of them."""
import os
import re

import pyatspi

from desk import CONFIG, DravoltCase, press
from support import closed_port, pid_alive, wait_for, web_engine_environment

GUIDE = "/kvrg/quenlar/dravolt.html"
UNIQUE_NAMES = "/kvrg/quenlar/dravoltunique.html"


class HelpViewers(DravoltCase):
    def setUp(self):
        super().setUp()
        if not os.path.exists(os.path.join(CONFIG["prefix"], "bin", "dravolt-viewer")):
            self.skipTest("the help viewer is not built")

    def environment(self):
        return web_engine_environment(super().environment(), closed_port())

    def title(self, path):
        with open(os.path.join(CONFIG["pages"], path.lstrip("/")), encoding="utf-8") as f:
            return re.search(r"<title>(.*?)</title>", f.read(), re.S).group(1).strip()

    def wait_caption(self, window, path):
        title = self.title(path)
        wait_for(lambda: window.name == title, f"the viewer's caption {title!r} (it reads {window.name!r})")

    def test_viewers_show_their_pages_and_exit_ends_them_all(self):
        self.start_dravolt()
        details = self.button("Details", self.control(pyatspi.ROLE_PANEL, "Switches"))

        press(details)
        [(first, window)] = self.viewers(1)
        self.wait_caption(window, GUIDE)
        self.assertEqual(window.getRole(), pyatspi.ROLE_FRAME)  # announced as a window

        # Each press opens one more viewer.
        press(details)
        [(second, window)] = [v for v in self.viewers(2) if v[0] != first]
        self.wait_caption(window, GUIDE)

        # More in File Info Details opens the page on unique names; the
        # viewer stays when that window closes.
        press(self.button("Details", self.control(pyatspi.ROLE_PANEL, "File Info")))
        file_info = self.dravolt.window("File Info Details", pyatspi.ROLE_DIALOG)
        self.keyboard.keys(file_info, "alt+m")
        viewers = self.viewers(3)
        [(_, window)] = [v for v in viewers if v[0] not in (first, second)]
        self.wait_caption(window, UNIQUE_NAMES)
        self.keyboard.keys(file_info, "alt+c")
        wait_for(lambda: file_info not in self.dravolt.windows(), "File Info Details to close")
        self.assertEqual(len(self.viewers(3)), 3)

        pids = [pid for pid, _ in viewers]
        press(self.button("Exit"))
        self.wait_ended(self.dravolt)
        wait_for(lambda: not any(pid_alive(pid) for pid in pids), "every viewer to end with Dravolt")
