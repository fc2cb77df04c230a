"""The help viewers, windows of Dravolt's own, opened from the main window and
from File Info Details with no network: their captions reach the titles of
the installed pages; Exit closes them with Dravolt; the main window's close
box leaves them open, and Dravolt ends with the last of them."""
import os
import re

import pyatspi

from desk import CONFIG, DravoltCase, press, showing
from support import wait_for

GUIDE = "kvrg/quenlar/dravolt.html"
UNIQUE_NAMES = "kvrg/quenlar/dravoltunique.html"


class HelpViewers(DravoltCase):
    def title(self, path):
        with open(os.path.join(CONFIG["pages"], path), encoding="utf-8") as f:
            return re.search(r"<title>(.*?)</title>", f.read(), re.S).group(1).strip()

    def open_viewers(self):
        """Details twice and More once: three viewers on their pages."""
        self.start_dravolt()
        details = self.button("Details", self.control(pyatspi.ROLE_PANEL, "Switches"))
        # A press by the screen reader's action lasts a moment: one at a time.
        press(details)
        wait_for(lambda: len(self.viewers()) == 1, "the first viewer")
        press(details)
        wait_for(lambda: len(self.viewers()) == 2, "the second viewer")
        press(self.button("Details", self.control(pyatspi.ROLE_PANEL, "File Info")))
        file_info = self.dravolt.window("File Info Details", pyatspi.ROLE_DIALOG)
        self.keyboard.keys(file_info, "alt+m")
        # More's viewer stays when File Info Details closes.
        self.keyboard.keys(file_info, "alt+c")
        wait_for(lambda: file_info not in self.dravolt.windows(), "File Info Details to close")
        titles = sorted([self.title(GUIDE)] * 2 + [self.title(UNIQUE_NAMES)])
        return wait_for(lambda: sorted(w.name for w in self.viewers()) == titles and self.viewers(),
                        f"three viewers captioned {titles}")

    def test_exit_closes_every_viewer(self):
        viewers = self.open_viewers()
        self.assertEqual({v.getRole() for v in viewers}, {pyatspi.ROLE_FRAME})  # announced as windows
        press(self.button("Exit"))
        self.wait_ended(self.dravolt)

    def test_close_box_leaves_the_viewers_open(self):
        viewers = self.open_viewers()
        self.keyboard.close_box(self.dravolt.window("Dravolt"))
        wait_for(lambda: "Dravolt" not in [w.name for w in self.dravolt.windows() if showing(w)],
                 "the main window to close")
        self.assertEqual(len(self.viewers()), 3)
        self.assertTrue(self.dravolt.running())
        for viewer in viewers:
            self.keyboard.close_box(viewer)
        self.wait_ended(self.dravolt)
