#!/usr/bin/python3
"""Installs Dravolt into a fresh prefix and checks what a Linux desktop finds
there; then starts the installed program on the offscreen platform: Dravolt
must paint its main window.

    install_check.py --build DIR --prefix DIR --source DIR --host HELP_HOST --version TEXT
"""
import argparse
import configparser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from support import APP_ID, end_process, wait_for  # noqa: E402

ICON_SIZES = (16, 32, 48, 64, 128, 256)
OPTIONS = None


def grey_pixels(png):
    """The pixels of an 8-bit greyscale PNG (as the icons are), one byte each."""
    with open(png, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", png
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 0, 0), f"{png}: not 8-bit greyscale"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, rows, previous = zlib.decompress(idat), [], bytes(width)
    for y in range(height):
        line = raw[y * (width + 1):(y + 1) * (width + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(width):
            left = row[x - 1] if x else 0
            up, corner = previous[x], previous[x - 1] if x else 0
            if kind == 1:
                row[x] = (row[x] + left) & 255
            elif kind == 2:
                row[x] = (row[x] + up) & 255
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                near = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))[2]
                row[x] = (row[x] + near) & 255
        rows.append(bytes(row))
        previous = row
    return b"".join(rows)


class OutputWatch:
    """Collects a child's standard error in a file, to be searched while it runs."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "stderr.log")
        self.file = open(self.path, "wb")

    def text(self):
        with open(self.path, "rb") as f:
            return f.read().decode(errors="replace")

    def close(self):
        self.file.close()


class InstalledLayout(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = OPTIONS.prefix

    def path(self, *parts):
        return os.path.join(self.prefix, *parts)

    def test_program_is_in_bin(self):
        dravolt = self.path("bin", "dravolt")
        self.assertTrue(os.access(dravolt, os.X_OK), dravolt)
        # Its windows tell the desktop which launcher entry they belong to.
        with open(dravolt, "rb") as f:
            self.assertIn(APP_ID.encode("ascii"), f.read(), "no desktop file name in dravolt")

    def test_launcher_entry_names_the_installed_program_and_icon(self):
        desktop = self.path("share", "applications", APP_ID + ".desktop")
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        self.assertTrue(entry.read(desktop), desktop)
        group = entry["Desktop Entry"]
        self.assertEqual(group["Name"], "Dravolt")
        self.assertEqual(group["Exec"], "dravolt")
        self.assertTrue(os.access(self.path("bin", group["Exec"]), os.X_OK))
        self.assertEqual(group["Icon"], APP_ID)
        for size in ICON_SIZES:
            icon = self.path("share", "icons", "hicolor", f"{size}x{size}", "apps", APP_ID + ".png")
            self.assertTrue(os.path.isfile(icon), icon)

    def test_metainfo_launches_the_entry_and_shows_the_pictures_in_docs(self):
        metainfo = self.path("share", "metainfo", APP_ID + ".metainfo.xml")
        root = ET.parse(metainfo).getroot()
        self.assertEqual(root.get("type"), "desktop-application")
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.findtext("launchable"), APP_ID + ".desktop")
        self.assertEqual(root.find("releases/release").get("version"), OPTIONS.version)
        images = [image.text for image in root.iter("image")]
        self.assertTrue(images)
        docs = os.path.join(OPTIONS.source, "docs")
        for address in images:
            match = re.fullmatch(r"http://" + re.escape(OPTIONS.host) + r"/kvrg/quenlar/docs/([\w.-]+\.png)",
                                 address)
            self.assertTrue(match, address)
            self.assertTrue(os.path.isfile(os.path.join(docs, match.group(1))), address)

    def test_icons_are_the_drawn_pixels_scaled_without_smoothing(self):
        def icon(size):
            return self.path("share", "icons", "hicolor", f"{size}x{size}", "apps", APP_ID + ".png")

        small = grey_pixels(icon(16))
        self.assertEqual(len(small), 16 * 16)
        self.assertEqual(set(small), {0, 255})
        # The border lines of the 5 x 5 grid of white squares.
        lines = {0, 3, 6, 9, 12, 15}
        for y in range(16):
            for x in range(16):
                self.assertEqual(small[y * 16 + x], 0 if x in lines or y in lines else 255, (x, y))
        for size in ICON_SIZES[1:]:
            scale = size // 16
            expected = bytes(small[(y // scale) * 16 + x // scale] for y in range(size) for x in range(size))
            self.assertEqual(grey_pixels(icon(size)), expected, f"{size}x{size}")


class InstalledPrograms(unittest.TestCase):
    """The installed programs start and show their windows (offscreen)."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="dravolt-install-")
        self.process = None
        self.watch = OutputWatch(self.folder)
        self.env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON"):
            self.env.pop(name, None)
        self.env.update(QT_QPA_PLATFORM="offscreen", HOME=self.folder, XDG_CONFIG_HOME=self.folder,
                        # Qt reports each window it paints: the proof that it is on screen.
                        QT_LOGGING_RULES="qt.widgets.painting=true", QT_FORCE_STDERR_LOGGING="1")

    def tearDown(self):
        end_process(self.process)
        self.watch.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, *argv):
        self.process = subprocess.Popen(argv, cwd=self.folder, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.watch.file)

    def wait_painted(self, window, width, height):
        pattern = re.compile(r"Syncing QRegion\(0,0 %dx%d\) of %s\(" % (width, height, window))
        wait_for(lambda: pattern.search(self.watch.text()) or self.process.poll() is not None,
                 f"{window} to be painted")
        self.assertIsNone(self.process.poll(), self.watch.text()[-2000:])

    def test_dravolt_opens_its_main_window(self):
        self.start(os.path.join(OPTIONS.prefix, "bin", "dravolt"))
        self.wait_painted("frmQuenlar", 387, 344)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--host", required=True)
    parser.add_argument("--version", required=True)
    OPTIONS, rest = parser.parse_known_args()
    OPTIONS.prefix = os.path.abspath(OPTIONS.prefix)
    shutil.rmtree(OPTIONS.prefix, ignore_errors=True)
    installed = subprocess.run(["cmake", "--install", OPTIONS.build, "--prefix", OPTIONS.prefix],
                               capture_output=True, text=True)
    if installed.returncode != 0:
        sys.exit("cmake --install failed:\n" + installed.stdout + installed.stderr)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
