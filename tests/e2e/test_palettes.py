"""The two path boxes on the desktop's own colours: the default palette and a
dark one, which Qt reads from KDE's colour settings (kdeglobals) by itself.
The text's contrast against the box's background is measured on screen."""
import os
import re
import shutil
import subprocess
from collections import Counter

import pyatspi

from desk import DravoltCase, enabled, press, text_of
from support import wait_for

# A dark palette as KDE Plasma writes it (Breeze Dark), and its window colour.
DARK_KDEGLOBALS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "breeze-dark.kdeglobals")
DARK_WINDOW = (32, 35, 38)

WHITE = (255, 255, 255)
LIGHT_GREY = (224, 224, 224)
SYSTEM_FOLDER = "C:WINDOWS\\COMMAND\\Quenlar.exe"
# WCAG 2's minimum for text that has to be read.
READABLE = 4.5


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def screen_pixels(x, y, width, height):
    """The screen's pixels in this rectangle, rows of (r, g, b)."""
    data = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth", "8",
                           "ppm:-"], check=True, capture_output=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    assert header and (int(header[1]), int(header[2])) == (width, height), data[:20]
    raw = data[header.end():]
    return [[tuple(raw[(row * width + col) * 3:(row * width + col) * 3 + 3]) for col in range(width)]
            for row in range(height)]


def text_and_background(box, columns=None):
    """(background, text colour, contrast) inside a text box's frame, in its
    first `columns` columns: the background is the commonest colour, the
    text's colour the one that stands out most from it."""
    x, y, width, height = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    inset = 3
    columns = min(columns or width, width) - 2 * inset
    pixels = [p for row in screen_pixels(x + inset, y + inset, columns, height - 2 * inset) for p in row]
    background = Counter(pixels).most_common(1)[0][0]
    text = max(pixels, key=lambda p: contrast(p, background))
    return background, text, contrast(text, background)


class Palettes(DravoltCase):
    def shown(self, box, background, columns=None):
        """(background, text colour, contrast) of a box once the screen shows
        it on this background (None: on the selection colour, not white)."""
        def look():
            found = text_and_background(box, columns)
            return found if (found[0] == background if background else found[0] != WHITE) else None
        return wait_for(look, f"{box.name!r} on {background or 'the selection colour'}")

    def measure_boxes(self, env):
        """Each state of the two boxes, by name: (background, text colour, contrast)."""
        with open(os.path.join(self.config_home, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={self.tool}\n")
        tga = self.make_tga("a long name for the ground tile of the track.tga")
        self.start_dravolt(env)
        self.wait_status("Okay: Quenlar   000 ")
        seen = {}

        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", os.path.basename(tga))
        source = self.text_box("Source File")
        wait_for(lambda: text_of(source) == tga, "the picked file in the source box")
        # Left of the browse button, which lies over the box's right end.
        button = self.button("Browse to source TGA file").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        uncovered = button[0] - source.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[0]
        seen["source box (disabled)"] = self.shown(source, WHITE, uncovered)

        self.page("Options")
        location = self.text_box("Program Location")
        seen["location box (disabled)"] = self.shown(location, WHITE)
        system_folder = self.check_box("Use System folder (win9x only)")
        press(system_folder)
        wait_for(lambda: text_of(location) == SYSTEM_FOLDER, "the fixed path")
        seen["location box, system folder (disabled)"] = self.shown(location, LIGHT_GREY)
        press(system_folder)
        wait_for(lambda: enabled(location) and text_of(location) == "", "an empty, usable location box")
        self.set_text("Program Location", self.tool)
        # Where the path begins, all of it selected.
        self.keyboard.keys(self.main, "ctrl+a")
        seen["location box, selected text"] = self.shown(location, None, 60)
        # Away from the box: its text cursor inverts what lies under it.
        system_folder.queryComponent().grabFocus()
        wait_for(lambda: self.focused().name != "Program Location", "the focus to leave the box")
        seen["location box (enabled)"] = self.shown(location, WHITE)
        return seen

    def check_readable(self, env, window_colour=None):
        seen = self.measure_boxes(env)
        if window_colour:
            # The window's own background, right of the tab row.
            x, y, width, _ = self.main.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            corner = {p for row in screen_pixels(x + width - 12, y + 2, 10, 10) for p in row}
            self.assertEqual(corner, {window_colour}, "the desktop's window colour")
        report = "\n".join(f"{name}: text {text} on {background}, {ratio:.2f}:1"
                           for name, (background, text, ratio) in seen.items())
        self.assertTrue(all(ratio >= READABLE for _, _, ratio in seen.values()), report)

    def test_default_palette(self):
        self.check_readable(self.environment())

    def test_dark_palette_from_the_desktops_colour_settings(self):
        shutil.copy(DARK_KDEGLOBALS, os.path.join(self.config_home, "kdeglobals"))
        env = self.environment()
        env.update(XDG_CURRENT_DESKTOP="KDE", KDE_SESSION_VERSION="5")
        self.check_readable(env, window_colour=DARK_WINDOW)
