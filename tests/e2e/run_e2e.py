#!/usr/bin/python3
"""End-to-end tests of the installed Dravolt through its real windows.

    run_e2e.py --prefix DIR --standin FILE [--windows-standin FILE] --pages DIR --host HOST [-k PATTERN]

Starts a display server of its own (Xvfb on a free display) and, on it, a
D-Bus session of its own (dbus-run-session), in which the accessibility bus
and registry start on demand; the test_*.py beside this file then run inside
that session. Every process started here is ended when the run ends, also
when it fails or is interrupted: the session runs in a process group of its
own, which is ended as a whole, and processes that leave it (tools whose
Dravolt ended, detached daemons) fall to this runner and are ended too.
"""
import argparse
import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from support import end_process  # noqa: E402

# The whole run may take this long (the suite itself needs well under it).
RUN_SECONDS = 170


def start_display(log):
    """Xvfb on the first free display that answers; returns (process, display name)."""
    for _ in range(3):
        xvfb, display = start_xvfb(log)
        answer = subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                                stdout=subprocess.DEVNULL, stderr=log)
        if answer.returncode == 0:
            return xvfb, display
        end_process(xvfb)
    raise SystemExit("Xvfb started but its display does not answer")


def start_xvfb(log):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-dpi", "96", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 5
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(read_end, 16) if ready else b""
        if not chunk:
            os.close(read_end)
            xvfb.kill()
            xvfb.wait()
            raise SystemExit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


def become_subreaper():
    """Processes of the session that lose their parent (a viewer whose Dravolt
    ended, a daemon that detached) become our children, to be ended here."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
    except (OSError, AttributeError):
        pass


def leftovers(session, spare):
    """Living processes of the session's group and our children, but spare."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == spare:
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        state, parent, group = fields[0], int(fields[1]), int(fields[2])
        if parent == os.getpid() and state == "Z":
            os.waitpid(int(entry), os.WNOHANG)
        elif state != "Z" and (group == session.pid or parent == os.getpid()):
            found.append(int(entry))
    return found


def end_session(session, spare):
    """Ends the session's processes: the buses, Dravolt, the tools, and any
    that detached; the display server (spare) is ended last, by the caller."""
    for sig, grace in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 1.0)):
        if session.poll() is None:
            session.send_signal(sig)
        for pid in leftovers(session, spare):
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + grace
        while leftovers(session, spare) and time.monotonic() < deadline:
            time.sleep(0.05)
        if not leftovers(session, spare):
            break
    try:
        session.wait(1)
    except subprocess.TimeoutExpired:
        pass


def interrupt(signum, frame):
    raise KeyboardInterrupt


def outside(options, rest):
    """Sets up the display and the session and runs this script inside them."""
    scratch = tempfile.mkdtemp(prefix="dravolt-e2e-run-")
    log_path = os.path.join(scratch, "programs.log")
    log = open(log_path, "wb")
    xvfb = session = None
    signal.signal(signal.SIGTERM, interrupt)
    become_subreaper()
    try:
        xvfb, display = start_display(log)
        runtime = os.path.join(scratch, "runtime")
        os.mkdir(runtime, 0o700)
        # Every temporary file of the run lies in scratch, removed at the end.
        temporary = os.path.join(scratch, "tmp")
        os.mkdir(temporary)
        # A user of its own: nothing of the real user's home is read.
        home = os.path.join(scratch, "home")
        os.mkdir(home)
        env = dict(os.environ)
        # Nor the desktop's look: its palette and style come from the tests.
        for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER",
                     "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_CURRENT_DESKTOP",
                     "KDE_SESSION_VERSION", "KDE_FULL_SESSION", "DESKTOP_SESSION", "QT_STYLE_OVERRIDE"):
            env.pop(name, None)
        env.update(HOME=home, DISPLAY=display, XDG_RUNTIME_DIR=runtime, TMPDIR=temporary, XDG_CONFIG_HOME=os.path.join(scratch, "config"),
                   QT_QPA_PLATFORM="xcb", QT_QPA_PLATFORMTHEME="", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   LC_ALL="C.UTF-8")
        command = ["dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(__file__), "--inside",
                   "--prefix", options.prefix, "--standin", options.standin, "--pages", options.pages,
                   "--host", options.host, "--windows-standin", options.windows_standin] + rest
        # The report goes to our standard output through a descriptor of its
        # own; what the programs in the session print goes to the log.
        report = os.dup(sys.stdout.fileno())
        env["DRAVOLT_E2E_REPORT_FD"] = str(report)
        sys.stdout.flush()
        session = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   pass_fds=(report,), start_new_session=True)
        os.close(report)
        try:
            code = session.wait(RUN_SECONDS)
        except subprocess.TimeoutExpired:
            print(f"The end-to-end run took longer than {RUN_SECONDS} s and was ended.", flush=True)
            code = 1
    except KeyboardInterrupt:
        code = 1
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)  # the clean-up runs to its end
        if session is not None:
            end_session(session, xvfb.pid)
        if xvfb is not None:
            end_process(xvfb)
        log.close()
    if code != 0:
        with open(log_path, errors="replace") as f:
            noise = ("dbus-daemon[", "SpiRegistry daemon", "QStandardPaths:")
            lines = [line for line in f if not line.startswith(noise)]
        print("--- what the programs said (last 60 lines) ---")
        print("".join(lines[-60:]), end="")
    shutil.rmtree(scratch, ignore_errors=True)
    return code


def inside(options, rest):
    """Runs the tests; the display and the session bus are there."""
    import pyatspi
    import desk
    from support import wait_for

    desk.CONFIG.update(prefix=os.path.abspath(options.prefix), standin=os.path.abspath(options.standin),
                       pages=os.path.abspath(options.pages), host=options.host,
                       windows_standin=options.windows_standin and os.path.abspath(options.windows_standin))
    # Asking for the desktop starts the accessibility bus and its registry.
    wait_for(lambda: pyatspi.Registry.getDesktop(0) is not None, "the accessibility registry")

    report = os.fdopen(int(os.environ.pop("DRAVOLT_E2E_REPORT_FD")), "w", buffering=1)
    loader = unittest.TestLoader()
    if options.k:
        loader.testNamePatterns = [f"*{pattern}*" for pattern in options.k]
    suite = loader.discover(HERE, pattern="test_*.py", top_level_dir=HERE)
    started = time.monotonic()
    result = unittest.TextTestRunner(stream=report, verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    passed = result.testsRun - failed - len(result.skipped) - len(result.expectedFailures)
    print(f"e2e: {passed} passed, {failed} failed, {len(result.skipped)} skipped, "
          f"{len(result.expectedFailures)} known faults, in {time.monotonic() - started:.1f} s", file=report)
    return 0 if result.wasSuccessful() and result.testsRun > 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--prefix", required=True, help="where Dravolt is installed")
    parser.add_argument("--standin", required=True, help="the stand-in Quenlar.exe")
    parser.add_argument("--windows-standin", default="", help="the Windows stand-in Quenlar.exe (run through Wine)")
    parser.add_argument("--pages", required=True, help="folder of the help pages")
    parser.add_argument("--host", required=True, help="the help host")
    parser.add_argument("-k", action="append", help="run only tests whose name contains this")
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    options = parser.parse_args()
    rest = [arg for pattern in options.k or [] for arg in ("-k", pattern)]
    sys.exit(inside(options, rest) if options.inside else outside(options, rest))


if __name__ == "__main__":
    main()
