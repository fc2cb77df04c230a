"""The tool on a share that stops answering, a real one: a FUSE file system
(stallfs.py) whose every look-up sleeps 3 s while a control file exists.
Dravolt keeps answering a screen reader, says "Locate Quenlar.exe", reports
"Slice it" in time, and recovers by itself when the share answers again; a
local copy of the tool meanwhile is found, saved and started at once."""
import os
import shutil
import subprocess
import time

import pyatspi

from desk import DravoltCase, enabled, press
from support import end_process, wait_for

START = "Okay: Quenlar   000 "
STALLFS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "stallfs.py")


def mount_share(shown, mount_point, control):
    """Mounts stallfs.py; returns (process, None), or (None, why it cannot run here)."""
    if not os.path.exists("/dev/fuse"):
        return None, "/dev/fuse is missing"
    if not shutil.which("fusermount") and not shutil.which("fusermount3"):
        return None, "fusermount is not installed (Debian: fuse3)"
    process = subprocess.Popen(["/usr/bin/python3", STALLFS, mount_point, shown, control, "3"],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.monotonic() + 10
    while not os.path.ismount(mount_point):
        if process.poll() is not None:
            return None, "mounting failed: " + process.stderr.read().decode(errors="replace").strip()[-300:]
        if time.monotonic() > deadline:
            end_process(process)
            return None, "the mount did not appear within 10 s"
        time.sleep(0.05)
    return process, None


class StalledShare(DravoltCase):
    def setUp(self):
        super().setUp()
        self.share = os.path.join(self.root, "share")
        os.makedirs(self.share)
        self.asleep = os.path.join(self.root, "share-asleep")
        self.fuse, why = mount_share(self.tools, self.share, self.asleep)
        if self.fuse is None:
            self.skipTest(f"no FUSE file system can be mounted here ({why}): the stalled share is not tested")
        self.addCleanup(self._unmount)

    def _unmount(self):
        # Dravolt first: its look-up may still wait inside the share.
        if os.path.exists(self.asleep):
            os.remove(self.asleep)
        for program in self.programs:
            program.end()
        subprocess.run([shutil.which("fusermount") or shutil.which("fusermount3"), "-u", "-z", self.share],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end_process(self.fuse)

    def read_status(self, bar):
        """The status bar's text, read as a screen reader does; waiting for the
        share, Dravolt took 3 s and more to answer."""
        t0 = time.monotonic()
        text = bar.name
        self.assertLess(time.monotonic() - t0, 1.0, "a read of the status bar waited for the share")
        return text

    def test_the_window_keeps_answering_and_recovers_when_the_share_answers(self):
        # The stand-in through the share, reached by a link on the local disk.
        link = os.path.join(self.root, "tools-link")
        os.symlink(self.share, link)
        tool = os.path.join(link, "quenlar.exe")
        with open(os.path.join(self.config_home, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={tool}\n")
        self.start_dravolt()
        self.wait_status(START)
        bar = self.control(pyatspi.ROLE_STATUS_BAR, START)

        open(self.asleep, "w").close()
        asleep = time.monotonic()
        while (text := self.read_status(bar)) != "Locate Quenlar.exe":
            self.assertLess(time.monotonic() - asleep, 10, f"the status still reads {text!r}")
            time.sleep(0.05)
        self.assertFalse(enabled(self.button("Browse to source TGA file")))

        # The look-up of check 1 is given up after 2 s.
        pressed = time.monotonic()
        press(self.button("Slice it"))
        self.warning()
        self.assertLess(time.monotonic() - pressed, 5.0)
        self.answer_warning("Quenlar.exe Not Found")
        for _ in range(10):
            self.read_status(bar)
            time.sleep(0.05)

        os.remove(self.asleep)
        self.wait_status(START)
        self.page("Slice")  # check 1 brought the Options page to the front
        self.assertTrue(enabled(self.button("Browse to source TGA file")))
        self.assertEqual(self.tool_runs(), [])

    def test_a_local_copy_answers_while_the_saved_share_hangs(self):
        shared = os.path.join(self.share, "quenlar.exe")
        with open(os.path.join(self.config_home, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={shared}\n")
        self.make_tga("track.tga")
        self.start_dravolt()
        self.wait_status(START)
        open(self.asleep, "w").close()
        self.wait_status("Locate Quenlar.exe")

        # The user browses to the local copy: nothing about it waits for the share.
        self.locate_tool()
        browsed = time.monotonic()
        self.wait_status(START)
        self.assertLess(time.monotonic() - browsed, 1.0, "the local copy's look-up waited for the share")
        apply = self.button("Apply")
        self.assertTrue(enabled(apply))
        press(apply)
        wait_for(lambda: f"Location={self.tool}\n" in self.settings_text(), "the local copy saved")
        self.page("Slice")
        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "track.tga")
        self.set_text("baseFileName", "trk")
        press(self.button("Slice it"))
        wait_for(lambda: len(self.tool_runs()) == 1, "the local copy to run")
        self.assertEqual(self.tool_runs()[0], [os.path.join(self.work, "track.tga"), "trk", "000"])
        threads = len(os.listdir(f"/proc/{self.dravolt.pid}/task"))
        self.assertLessEqual(threads, 8, f"Dravolt holds {threads} threads")
