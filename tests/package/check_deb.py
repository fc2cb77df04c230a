#!/usr/bin/python3
"""Makes the Debian package from a build folder with CPack (into a temporary
folder, so the build is not touched) and checks it: its name, its control
fields, Depends as dpkg-shlibdeps gives them, exactly the files it should
hold with their modes, stripped programs, and no lintian errors or warnings.

    check_deb.py --build DIR --version TEXT
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

APP_ID = "example.dravolt.Dravolt"
OPTIONS = None


def expected_files():
    files = {"usr/bin/dravolt": 0o755,
             f"usr/share/applications/{APP_ID}.desktop": 0o644,
             f"usr/share/metainfo/{APP_ID}.metainfo.xml": 0o644,
             "usr/share/doc/dravolt/copyright": 0o644,
             "usr/share/doc/dravolt/changelog.gz": 0o644,
             "usr/share/dravolt/help/kvrg/quenlar/dravolt.html": 0o644,
             "usr/share/dravolt/help/kvrg/quenlar/dravoltunique.html": 0o644,
             "usr/share/man/man1/dravolt.1.gz": 0o644}
    for size in (16, 32, 48, 64, 128, 256):
        files[f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"] = 0o644
    return files


def run(*argv, **kwargs):
    return subprocess.run(argv, capture_output=True, text=True, **kwargs)


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="dravolt-deb-")
        made = run("cpack", "-G", "DEB", "--config", os.path.join(OPTIONS.build, "CPackConfig.cmake"),
                   "-B", cls.folder)
        debs = glob.glob(os.path.join(cls.folder, "*.deb"))
        if made.returncode != 0 or len(debs) != 1:
            shutil.rmtree(cls.folder, ignore_errors=True)
            raise RuntimeError("cpack failed:\n" + made.stdout + made.stderr)
        cls.deb = debs[0]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name).stdout.strip()

    def test_name_and_control_fields(self):
        arch = run("dpkg", "--print-architecture").stdout.strip()
        self.assertEqual(os.path.basename(self.deb), f"dravolt_{OPTIONS.version}_{arch}.deb")
        self.assertEqual(self.field("Package"), "dravolt")
        self.assertEqual(self.field("Version"), OPTIONS.version)
        self.assertEqual(self.field("Architecture"), arch)
        self.assertEqual(self.field("Section"), "graphics")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^@<>\s]+@[^@<>\s]+\.[a-z]+>$")
        summary, _, extended = self.field("Description").partition("\n")
        self.assertTrue(summary and extended.strip(), "no summary or no extended description")

    def test_depends_come_from_the_libraries_linked(self):
        depends = [d.strip() for d in self.field("Depends").split(",")]
        # Debian 13 names the Qt libraries after the 64-bit time_t move (t64).
        names = {re.sub(r"t64$", "", re.match(r"[\w.+-]+", d).group(0)) for d in depends}
        wanted = {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                  "qt6-qpa-plugins"}
        self.assertLessEqual(wanted, names, depends)
        # No web engine: the help viewer is one of Dravolt's own windows.
        self.assertFalse([n for n in names if "webengine" in n], depends)
        # dpkg-shlibdeps gives each library its lowest version; nothing for building.
        self.assertRegex(next(d for d in depends if d.startswith("libqt6core6")), r"\(>= 6\.")
        self.assertFalse([n for n in names if n.endswith("-dev")], depends)
        self.assertIn("fonts-liberation2", self.field("Recommends"))

    def test_holds_exactly_the_installed_files(self):
        listing = run("dpkg-deb", "-c", self.deb).stdout.splitlines()
        files, folders = {}, []
        for line in listing:
            mode, owner, _, _, _, path = line.split(None, 5)
            path = path[2:] if path.startswith("./") else path
            self.assertEqual(owner, "root/root", line)
            if mode.startswith("d"):
                folders.append((path, mode))
            else:
                files[path] = mode
        expected = expected_files()
        self.assertEqual(set(files), set(expected))
        for path, mode in files.items():
            want = "-rwxr-xr-x" if expected[path] == 0o755 else "-rw-r--r--"
            self.assertEqual(mode, want, path)
        for path, mode in folders:
            self.assertEqual(mode, "drwxr-xr-x", path)

    def test_programs_are_stripped(self):
        unpacked = os.path.join(self.folder, "unpacked")
        self.assertEqual(run("dpkg-deb", "-x", self.deb, unpacked).returncode, 0)
        sections = run("readelf", "-S", "-W", os.path.join(unpacked, "usr", "bin", "dravolt")).stdout
        self.assertIn(".text", sections)
        self.assertNotIn(".symtab", sections)
        self.assertNotIn(".debug_info", sections)

    def test_lintian_finds_no_error_or_warning(self):
        if not shutil.which("lintian"):
            self.skipTest("lintian is not installed")
        checked = run("lintian", "--fail-on", "error,warning", self.deb)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    OPTIONS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
