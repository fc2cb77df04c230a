"""The three information windows, read and closed as a screen-reader user
would: open them from the main window, read their texts, Alt+C closes,
Escape does not."""
import time

import pyatspi

from desk import CONFIG, DravoltCase, find_all, press, showing
from support import wait_for

LOCATION_DETAILS = [
    "Dravolt is a graphic interface only.  Therefore, you must tell Dravolt where it can find Quenlar.exe"
    " before it can work.",
    "If you are using Win9x you can copy quenlar.exe to the windows\\system folder and then just check the"
    " box to let Dravolt automatically fill in the program location.",
    "If you are not using Win9x or you just don't want to use the system folder, you can browse to where"
    " ever you have quenlar.exe saved.  Either method will work just fine.",
    "Once quenlar.exe has been located properly, you will see \"Okay\" in the status bar.  You can also"
    " click 'apply' to have Dravolt remember the program location the next time you start it up.",
]
FILE_INFO_DETAILS = [
    "Format : 24 bit 'uncompressed' TGA graphic file",
    "Size : height and width must be multiples of 60 pixels",
    "Note: no spaces in file name allowed",
    "Characters : digits and standard alphabet recommended",
    "Length : 5 characters maximum",
    "Note: no spaces in file name allowed",
    "Range : 000 to 999",
    "Note : must always be 3 numbers long",
    "Note : must always be an integer",
]


class InformationWindows(DravoltCase):
    # (title, page, frame holding the button, button)
    OPENERS = [
        ("Location Details", "Options", "Program Location", "Details"),
        ("File Info Details", "Slice", "File Info", "Details"),
        ("About", "Slice", None, "About"),
    ]

    def opener(self, page, frame, name):
        self.page(page)
        within = self.control(pyatspi.ROLE_PANEL, frame) if frame else None
        return self.button(name, within)

    def open_window(self, title):
        _, page, frame, name = next(o for o in self.OPENERS if o[0] == title)
        press(self.opener(page, frame, name))
        window = self.dravolt.window(title, pyatspi.ROLE_DIALOG)
        # A window manager would activate the new window.
        self.keyboard.focus(window)
        return window

    def labels(self, window):
        return [label.name for label in find_all(window, pyatspi.ROLE_LABEL)]

    def open_count(self, title):
        return len([w for w in self.dravolt.windows() if w.name == title and showing(w)])

    def stays_open(self, window, seconds=0.5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertIn(window, self.dravolt.windows())
            self.assertTrue(showing(window))
            time.sleep(0.05)

    def test_each_window_shows_its_texts_once_however_often_it_is_asked_for(self):
        self.start_dravolt()
        about_texts = None
        for title, _, _, _ in self.OPENERS:
            with self.subTest(title):
                window = self.open_window(title)
                if title == "Location Details":
                    self.assertEqual(self.labels(window), LOCATION_DETAILS)
                elif title == "File Info Details":
                    self.assertEqual(self.labels(window), FILE_INFO_DETAILS)
                    frames = [f.name for f in find_all(window, pyatspi.ROLE_PANEL)]
                    self.assertEqual(frames, ["Source File", "baseFileName", "Start Index"])
                else:
                    about_texts = self.labels(window)
                # A second press shows the same window again.
                self.open_window(title)
                self.assertEqual(self.open_count(title), 1)

        self.assertEqual(about_texts[2], "Quenlar.exe is a DOS command line program that works on Windows only.")
        self.assertTrue(about_texts[3].startswith(
            "Dravolt is a graphic interface for Quenlar.exe.  It is designed to help make using Quenlar.exe"
            " easier for people who have a hard time using DOS.  "), about_texts[3])
        self.assertEqual(about_texts[4:], ["See here for more details about Quenlar.exe",
                                           f"http://{CONFIG['host']}/kvrg/quenlar/"])

        # All three are open and the main window stays usable.
        self.assertEqual(sorted(w.name for w in self.dravolt.windows()),
                         ["About", "Dravolt", "File Info Details", "Location Details"])
        press(self.button("Slice it"))
        self.answer_warning("Quenlar.exe Not Found")

    def test_alt_c_closes_each_window_and_escape_does_not(self):
        self.start_dravolt()
        for title, _, _, _ in self.OPENERS:
            with self.subTest(title):
                window = self.open_window(title)
                # The Close button has the focus from the start.
                self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Close", window)
                self.keyboard.keys(window, "Escape")
                self.stays_open(window)
                self.keyboard.keys(window, "alt+c")
                self.wait_closed(title)
                # Closed windows open again.
                window = self.open_window(title)
                press(self.button("Close", window))
                self.wait_closed(title)

    def test_file_info_tabs_from_close_to_more(self):
        self.start_dravolt()
        window = self.open_window("File Info Details")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Close", window)
        self.keyboard.keys(window, "Tab")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "More", window)
        self.keyboard.keys(window, "Tab")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Close", window)

    def wait_closed(self, title):
        wait_for(lambda: self.open_count(title) == 0, f"{title!r} to close")
