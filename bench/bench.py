"""Dravolt against its floors, side by side in one run, under a virtual X server.

Run by bench/run, which builds the programs and starts the X server:
    python3 bench.py <build dir> <stand-in quenlar.exe> [--quick] [--only NAME]

Every Dravolt figure is measured next to its baseline, the runs of the two
taking turns (or running at the same time), so that the load of the machine
falls on both alike. --only NAME measures one group of rows (see MEASUREMENTS).
"""
import argparse
import ctypes
import dataclasses
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GUIDE_TITLE = "Dravolt Guide"
# The middle of the switches' "D&etails" on the Slice page: the button at
# 240, 48 (81 x 33) in the frame at 16, 152 of the tab control at 8, 8.
DETAILS_SWITCHES = (8 + 16 + 240 + 40, 8 + 152 + 48 + 16)


@dataclasses.dataclass(frozen=True)
class Counts:
    """How many of each: a full run (the defaults), or QUICK."""
    starts: int = 15         # start-ups of each program
    idle_seconds: int = 20   # idle CPU window
    idle_rounds: int = 3     # idle CPU windows, each with its programs started afresh
    viewers: int = 100       # help viewers opened and closed
    timed_viewers: int = 20  # of them timed against the bare browser
    presses: int = 50        # presses of "&Slice it"
    rounds: int = 10         # presses through Wine and a terminal, and direct starts
    stall_seconds: int = 10  # pings with the share asleep (half as long with it answering)


# --quick: fewer rounds, for a check of the bench itself.
QUICK = Counts(starts=5, idle_seconds=5, idle_rounds=1, viewers=10, timed_viewers=5, presses=10, rounds=4, stall_seconds=5)


# ---------------------------------------------------------------- X, through Xlib
DESTROY_NOTIFY, MAP_NOTIFY, CLIENT_MESSAGE = 17, 19, 33
STRUCTURE_NOTIFY, SUBSTRUCTURE_NOTIFY, PROPERTY_CHANGE = 1 << 17, 1 << 19, 1 << 22
WM_CLASS = 67
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def load_xlib():
    """Xlib and its XTest extension, with the types of the calls used here."""
    X = ctypes.cdll.LoadLibrary("libX11.so.6")
    XT = ctypes.cdll.LoadLibrary("libXtst.so.6")
    vp, ul = ctypes.c_void_p, ctypes.c_ulong
    X.XOpenDisplay.restype = vp
    X.XDefaultRootWindow.restype, X.XDefaultRootWindow.argtypes = ul, [vp]
    X.XSelectInput.argtypes = [vp, ul, ctypes.c_long]
    X.XConnectionNumber.argtypes = [vp]
    X.XPending.argtypes = [vp]
    X.XNextEvent.argtypes = [vp, vp]
    X.XFlush.argtypes = [vp]
    X.XSync.argtypes = [vp, ctypes.c_int]
    X.XInternAtom.restype, X.XInternAtom.argtypes = ul, [vp, ctypes.c_char_p, ctypes.c_int]
    X.XSetInputFocus.argtypes = [vp, ul, ctypes.c_int, ul]
    X.XStringToKeysym.restype, X.XStringToKeysym.argtypes = ul, [ctypes.c_char_p]
    X.XKeysymToKeycode.restype, X.XKeysymToKeycode.argtypes = ctypes.c_ubyte, [vp, ul]
    X.XGetWindowProperty.argtypes = [vp, ul, ul, ctypes.c_long, ctypes.c_long, ctypes.c_int, ul,
                                     ctypes.POINTER(ul), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ul),
                                     ctypes.POINTER(ul), ctypes.POINTER(ctypes.c_void_p)]
    X.XFree.argtypes = [vp]
    X.XSendEvent.argtypes = [vp, ul, ctypes.c_int, ctypes.c_long, vp]
    XT.XTestFakeKeyEvent.argtypes = [vp, ctypes.c_uint, ctypes.c_int, ul]
    XT.XTestFakeMotionEvent.argtypes = [vp, ctypes.c_int, ctypes.c_int, ctypes.c_int, ul]
    XT.XTestFakeButtonEvent.argtypes = [vp, ctypes.c_uint, ctypes.c_int, ul]
    X.XTranslateCoordinates.argtypes = [vp, ul, ul, ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                        ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ul)]
    return X, XT


class X11:
    """The connection to the X server: maps of windows, their captions, and
    what a window manager and the mouse send them."""

    def __init__(self):
        self.X, self.XT = load_xlib()
        # A window can go before a request about it arrives; that is no reason to stop.
        self.error_handler = ERROR_HANDLER(lambda d, e: 0)
        self.X.XSetErrorHandler(self.error_handler)
        self.dpy = self.X.XOpenDisplay(None)
        if not self.dpy:
            raise SystemExit("no X display")
        self.root = self.X.XDefaultRootWindow(self.dpy)
        # Maps of windows, and the answers to pings, which Qt sends to the root
        # window for structure events.
        self.X.XSelectInput(self.dpy, self.root, SUBSTRUCTURE_NOTIFY | STRUCTURE_NOTIFY)
        self.NET_WM_NAME, self.WM_PROTOCOLS, self.WM_DELETE_WINDOW, self.NET_WM_PING = (
            self.X.XInternAtom(self.dpy, name, 0)
            for name in (b"_NET_WM_NAME", b"WM_PROTOCOLS", b"WM_DELETE_WINDOW", b"_NET_WM_PING"))
        self.event = ctypes.create_string_buffer(192)

    def next_event(self, deadline):
        """(type, window, override_redirect) of the next X event, or None at the deadline."""
        X, dpy, event = self.X, self.dpy, self.event
        while True:
            if X.XPending(dpy):
                X.XNextEvent(dpy, event)
                kind = ctypes.c_int.from_buffer(event, 0).value
                window = ctypes.c_ulong.from_buffer(event, 40 if kind in (MAP_NOTIFY, DESTROY_NOTIFY) else 32).value
                redirect = ctypes.c_int.from_buffer(event, 48).value if kind == MAP_NOTIFY else 0
                return kind, window, redirect
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([X.XConnectionNumber(dpy)], [], [], left)

    def drain(self):
        while self.X.XPending(self.dpy):
            self.X.XNextEvent(self.dpy, self.event)

    def select_input(self, window, mask):
        self.X.XSelectInput(self.dpy, window, mask)

    def text_property(self, window, atom):
        ul = ctypes.c_ulong
        kind, fmt, count, after = ul(), ctypes.c_int(), ul(), ul()
        data = ctypes.c_void_p()
        self.X.XGetWindowProperty(self.dpy, window, atom, 0, 1024, 0, 0, ctypes.byref(kind), ctypes.byref(fmt),
                                  ctypes.byref(count), ctypes.byref(after), ctypes.byref(data))
        if not data.value:
            return ""
        text = ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
        self.X.XFree(data)
        return text

    def title(self, window):
        return self.text_property(window, self.NET_WM_NAME)

    def wait_mapped(self, matches, what, timeout=15.0):
        """Time at which a top-level window whose WM_CLASS names `matches` is
        mapped, and the window. Maps of short-lived helper windows
        (override-redirect) do not count."""
        deadline = time.monotonic() + timeout
        while (e := self.next_event(deadline)) is not None:
            if e[0] == MAP_NOTIFY and not e[2] and matches(self.text_property(e[1], WM_CLASS).split("\0")):
                return time.monotonic(), e[1]
        raise SystemExit(f"no {what} appeared within {timeout:.0f} s")

    def wait_map(self, program, timeout=15.0):
        """Time at which the program's top-level window is mapped, and the window."""
        name = os.path.basename(program)
        return self.wait_mapped(lambda names: names[0] == name, f"window of {name}", timeout)

    def wait_titles(self, window, wanted, timeout=15.0):
        """Times at which the caption first became non-empty and became `wanted`."""
        self.select_input(window, PROPERTY_CHANGE)
        self.X.XFlush(self.dpy)
        deadline = time.monotonic() + timeout
        first = None
        while True:
            now, caption = time.monotonic(), self.title(window)
            if caption and first is None:
                first = now
            if caption == wanted:
                return first, now
            if self.next_event(deadline) is None:
                raise SystemExit(f"the caption stayed {caption!r}")

    def wait_destroyed(self, window, timeout=10.0):
        """Waits until the top-level window is gone."""
        deadline = time.monotonic() + timeout
        while (e := self.next_event(deadline)) is not None:
            if e[0] == DESTROY_NOTIFY and e[1] == window:
                return
        raise SystemExit(f"window {window} was not destroyed within {timeout:.0f} s")

    def protocol_message(self, window, *values):
        """A WM_PROTOCOLS client message to the window, holding `values`."""
        ev = ctypes.create_string_buffer(192)
        ctypes.c_int.from_buffer(ev, 0).value = CLIENT_MESSAGE
        ctypes.c_ulong.from_buffer(ev, 32).value = window
        ctypes.c_ulong.from_buffer(ev, 40).value = self.WM_PROTOCOLS
        ctypes.c_int.from_buffer(ev, 48).value = 32
        for i, value in enumerate(values):
            ctypes.c_long.from_buffer(ev, 56 + 8 * i).value = value
        return ev

    def send(self, window, ev):
        self.X.XSendEvent(self.dpy, window, 0, 0, ev)
        self.X.XFlush(self.dpy)

    def close_window(self, window):
        """Closes a window as its close box does: WM_DELETE_WINDOW."""
        self.send(window, self.protocol_message(window, self.WM_DELETE_WINDOW))

    def ping(self, window, stamp, timeout=30.0):
        """Pings the window as a window manager does (_NET_WM_PING), which the
        program answers from its event loop; returns the time to the answer, in
        ms. A window that does not answer in time is the one that a desktop
        marks as not responding."""
        ev = self.protocol_message(window, self.NET_WM_PING, stamp, window)
        t0 = time.monotonic()
        self.send(window, ev)
        while (e := self.next_event(t0 + timeout)) is not None:
            if (e[0] == CLIENT_MESSAGE and ctypes.c_long.from_buffer(self.event, 56).value == self.NET_WM_PING
                    and ctypes.c_long.from_buffer(self.event, 64).value == stamp):
                return (time.monotonic() - t0) * 1000
        raise SystemExit(f"no answer to the ping within {timeout:.0f} s")

    def click(self, window, x, y):
        """Clicks the left button at (x, y) of the window; returns the time of the click.
        A click, not the access key: Qt animates a button pressed by its access key
        for 100 ms before it acts, which is no latency of Dravolt's."""
        X, XT, dpy = self.X, self.XT, self.dpy
        ax, ay, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        X.XTranslateCoordinates(dpy, window, self.root, x, y, ctypes.byref(ax), ctypes.byref(ay),
                                ctypes.byref(child))
        XT.XTestFakeMotionEvent(dpy, -1, ax.value, ay.value, 0)
        X.XSync(dpy, 0)
        time.sleep(0.1)
        t0 = time.monotonic()
        XT.XTestFakeButtonEvent(dpy, 1, 1, 0)
        XT.XTestFakeButtonEvent(dpy, 1, 0, 0)
        X.XFlush(dpy)
        return t0


# ---------------------------------------------------------------- processes
def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def thread_cpu_ns(pid):
    """CPU time of each of the process's threads so far, in ns (scheduler statistics)."""
    times = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                times[tid] = int(f.read().split()[0])
        except OSError:
            pass
    return times


def cpu_percent(pids, seconds):
    """Percent of one core that each process used over the next `seconds`. Threads
    are sampled often, so one that ends in between loses at most a sample's worth."""
    first = {p: thread_cpu_ns(p) for p in pids}
    last = {p: dict(first[p]) for p in pids}
    t0 = time.monotonic()
    while time.monotonic() - t0 < seconds:
        time.sleep(0.25)
        for p in pids:
            for tid, ns in thread_cpu_ns(p).items():
                first[p].setdefault(tid, 0)     # a thread started in between
                last[p][tid] = ns
    elapsed = time.monotonic() - t0
    return {p: sum(last[p][t] - first[p][t] for t in last[p]) / 1e9 / elapsed * 100 for p in pids}


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def load():
    return " ".join(open("/proc/loadavg").read().split()[:3])


class Bench:
    """What the measurements share: the programs of the build, the stand-in
    tool, the counts, the X display, a temporary folder that is Dravolt's
    settings folder (a valid tool location: the status line ticks on the
    preview), and the rows of the table."""

    def __init__(self, build, tool, counts, x, work):
        self.tool, self.counts, self.x, self.work = tool, counts, x, work
        self.bare = os.path.join(build, "bench", "dravolt_bench_bare")
        self.browser = os.path.join(build, "bench", "dravolt_bench_browser")
        self.launcher = os.path.join(build, "bench", "dravolt_bench_launch")
        self.dravolt = os.path.join(build, "bin", "dravolt")
        # The viewer shows the installed copy beside the program; the bare
        # browser loads the same file.
        self.guide_file = os.path.join(build, "bin", "help", "kvrg", "quenlar", "dravolt.html")
        self.windows_tool = os.path.join(build, "tests", "standin-win", "quenlar.exe")
        self.rows = []  # (what, dravolt, baseline, baseline name, unit, goal text, met)
        os.environ["XDG_CONFIG_HOME"] = work
        with open(os.path.join(work, "dravolt.conf"), "w") as f:
            f.write(f"[Quenlar]\nLocation={tool}\n")

    def row(self, what, value, base, base_name, unit, goal, met):
        self.rows.append((what, value, base, base_name, unit, goal, met))

    def start(self, args):
        """Starts a program; the time to its window mapped (ms), the process and the window."""
        self.x.drain()
        t0 = time.monotonic()
        process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        t1, window = self.x.wait_map(args[0])
        return (t1 - t0) * 1000, process, window


# ---------------------------------------------------------------- start-up and memory
def startup_and_memory(bench):
    starts, bare, dravolt = bench.counts.starts, bench.bare, bench.dravolt
    print(f"start-up: {starts} starts each, taking turns ...", file=sys.stderr)
    times = {bare: [], dravolt: []}
    memory = {bare: [], dravolt: []}
    for program in (bare, dravolt, bare, dravolt):      # warm the file cache
        stop(bench.start([program])[1])
    for i in range(starts):
        for program in ((bare, dravolt) if i % 2 == 0 else (dravolt, bare)):
            ms, process, _ = bench.start([program])
            time.sleep(1.0)                              # settled
            times[program].append(ms)
            memory[program].append(rss_mb(process.pid))
            stop(process)
    med = {p: statistics.median(v) for p, v in times.items()}
    bench.row(f"start-up to window mapped, median of {starts} (ms)", med[dravolt], med[bare], "bare window",
              "ms", "<= 1.15x", med[dravolt] <= 1.15 * med[bare])
    mem = {p: statistics.median(v) for p, v in memory.items()}
    bench.row("resident memory after start-up (MB)", mem[dravolt], mem[bare], "bare window",
              "MB", "<= 1.25x", mem[dravolt] <= 1.25 * mem[bare])


# ---------------------------------------------------------------- idle CPU
def idle_round(bench, keep_one):
    """One round: all the programs at once, settled, for idle_seconds. Four of
    Dravolt and of its floor: the cost of a wake-up differs from process to
    process on a virtual machine by a third and more, and the groups even that
    out. Returns the mean % of a core of each group, and with `keep_one` one
    of the Dravolts left running (as start() returns it)."""
    seconds, bare, tool = bench.counts.idle_seconds, bench.bare, bench.tool
    idle = {"bare": [bench.start([bare])], "lookup": [bench.start([bare, "--timer", "--lookup", tool])],
            "watch": [bench.start([bare, "--timer", "--lookup", tool, "--watch"])],
            "timer": [bench.start([bare, "--timer"]) for _ in range(4)],
            "dravolt": [bench.start([bench.dravolt]) for _ in range(4)]}
    time.sleep(5.0)  # past the start-up of the last one started (a Dravolt)
    cpu = cpu_percent([p.pid for group in idle.values() for _, p, _ in group], seconds)
    cpu = {name: statistics.mean(cpu[p.pid] for _, p, _ in group) for name, group in idle.items()}
    kept = idle["dravolt"][0] if keep_one else None
    for group in idle.values():
        for started in group:
            if started is not kept:
                stop(started[1])
    return cpu, kept


def idle_cpu(bench, keep_one=False):
    """Idle CPU in rounds, the round of the median ratio reported. With
    `keep_one`, one of its Dravolts is left running and returned (as start()
    returns it), for the help viewers."""
    seconds, rounds = bench.counts.idle_seconds, bench.counts.idle_rounds
    print(f"idle CPU: {rounds} rounds of four Dravolts, four bare windows with a timer, one with a timer and a "
          f"lookup, one with the monitor's look-ups, one bare, at once for {seconds} s ...", file=sys.stderr)
    results = [idle_round(bench, keep_one) for _ in range(rounds)]
    results.sort(key=lambda r: r[0]["dravolt"] / r[0]["timer"])
    cpu, kept = results[len(results) // 2]
    for _, other in results:
        if other is not None and other is not kept:
            stop(other[1])
    ratios = ", ".join(f"{r['dravolt'] / r['timer']:.2f}x" for r, _ in results)
    bench.row(f"idle CPU over {seconds} s, tool found (% of a core, mean of 4, median of {rounds} rounds)",
              cpu["dravolt"], cpu["timer"], "bare + empty 10 ms timer", "%", "<= 1.3x and < 1%",
              cpu["dravolt"] <= 1.3 * cpu["timer"] and cpu["dravolt"] < 1.0)
    bench.row("  floor: bare window without a timer (% of a core)", cpu["bare"], None, "", "%", "", None)
    bench.row("  floor: bare window + empty 10 ms timer (% of a core, mean of 4)", cpu["timer"], None, "", "%", "",
              None)
    bench.row(f"  (the rounds: {ratios}; the timer with one lookup of the tool per tick on the window's thread: "
              f"{cpu['lookup']:.3f} %, {cpu['lookup'] / cpu['timer']:.2f}x; with the monitor's look-ups instead, "
              f"the tool's disk asked on the spot every 100 ms: {cpu['watch']:.3f} %, "
              f"{cpu['watch'] / cpu['timer']:.2f}x)", None, None, "", "", "", None)
    return kept


# ---------------------------------------------------------------- help viewers
def help_viewers(bench, dravolt=None):
    """In the Dravolt `dravolt` (as start() returns it; by default one of its
    own, settled as the idle ones are), which it ends."""
    x, viewers, timed = bench.x, bench.counts.viewers, bench.counts.timed_viewers
    print(f"help viewers: {viewers} opened with a click on D&etails and closed, the first "
          f"{timed} taking turns with a bare rich-text browser ...", file=sys.stderr)
    if dravolt is None:
        dravolt = bench.start([bench.dravolt])
        time.sleep(2.0)
    _, main_process, main_window = dravolt
    first_caption, page_title, bare_window, bare_title = [], [], [], []
    after_first = None
    for i in range(viewers):
        x.drain()
        t0 = x.click(main_window, *DETAILS_SWITCHES)
        _, viewer = x.wait_map(bench.dravolt)        # a window of Dravolt's own
        t1, t2 = x.wait_titles(viewer, GUIDE_TITLE)
        x.select_input(viewer, 0)
        x.close_window(viewer)
        x.wait_destroyed(viewer)
        if i == 0:
            time.sleep(0.5)
            after_first = rss_mb(main_process.pid)
        if i >= timed:
            continue
        first_caption.append((t1 - t0) * 1000)
        page_title.append((t2 - t0) * 1000)
        # The floor: a bare browser on the same page, started directly.
        x.drain()
        t0 = time.monotonic()
        process = subprocess.Popen([bench.browser, bench.guide_file],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        t1, window = x.wait_map(bench.browser)
        _, t2 = x.wait_titles(window, GUIDE_TITLE)
        bare_window.append((t1 - t0) * 1000)
        bare_title.append((t2 - t0) * 1000)
        x.select_input(window, 0)
        stop(process)
    time.sleep(0.5)
    after_all = rss_mb(main_process.pid)
    stop(main_process)
    m = statistics.median
    bench.row(f"D&etails to the viewer's first caption, median of {timed} (ms)", m(first_caption),
              m(bare_window), "bare browser: window mapped", "ms", "", None)
    bench.row("D&etails to the page's title in the caption (ms)", m(page_title), m(bare_title),
              "bare browser started on the file", "ms", "<= 1.2x",
              m(page_title) <= 1.2 * m(bare_title))
    bench.row(f"resident memory after {viewers} viewers closed (MB)", after_all, after_first,
              "after the first closed", "MB", "<= 1.02x", after_all <= 1.02 * after_first)


# ---------------------------------------------------------------- launch
def launch_latency(bench):
    presses, m = bench.counts.presses, statistics.median
    print(f"launch: {presses} presses of &Slice it, each followed by a posix_spawn of the tool ...",
          file=sys.stderr)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.pop("DISPLAY")                                  # no terminal window: the tool alone
    out = subprocess.run([bench.launcher, bench.tool, str(presses)], env=env, capture_output=True, text=True,
                         timeout=120)
    if out.returncode != 0:
        raise SystemExit(f"the launch driver failed: {out.stderr}")
    launch = {line.split()[0]: [float(v) for v in line.split()[1:]] for line in out.stdout.splitlines()}
    bench.row(f"&Slice it to the tool running, median of {presses} (ms)", m(launch["dravolt"]),
              m(launch["baseline"]), "posix_spawn of the tool", "ms", "<= 10 ms", m(launch["dravolt"]) <= 10.0)


# ---------------------------------------------------------------- a share that stops answering
def stalled_share(bench):
    """The tool on a FUSE file system whose every look-up sleeps 3 s while a
    control file exists (tests/e2e/stallfs.py): the window is pinged every 20 ms
    for a while with the share answering, then for longer with it asleep."""
    seconds, tool = bench.counts.stall_seconds, bench.tool
    share_root = os.path.join(bench.work, "share")
    share, asleep = os.path.join(share_root, "mnt"), os.path.join(share_root, "asleep")
    os.makedirs(share)
    fuse, why = None, "/dev/fuse is missing"
    if os.path.exists("/dev/fuse"):
        fuse = subprocess.Popen(["/usr/bin/python3", os.path.join(ROOT, "tests", "e2e", "stallfs.py"), share,
                                 os.path.dirname(os.path.abspath(tool)), asleep, "3"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 10
        while not os.path.ismount(share) and fuse.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        if not os.path.ismount(share):
            stop(fuse)
            why, fuse = "mounting failed: " + fuse.stderr.read().decode(errors="replace").strip()[-200:], None
    if fuse is None:
        print(f"stalled share: skipped, no FUSE file system can be mounted here ({why})", file=sys.stderr)
        return
    print(f"stalled share: the window pinged every 20 ms, {seconds // 2} s with the share answering, "
          f"{seconds} s with it asleep ...", file=sys.stderr)
    share_config = os.path.join(share_root, "config")
    os.makedirs(share_config)
    with open(os.path.join(share_config, "dravolt.conf"), "w") as f:
        f.write(f"[Quenlar]\nLocation={os.path.join(share, os.path.basename(tool))}\n")
    os.environ["XDG_CONFIG_HOME"] = share_config
    try:
        _, process, window = bench.start([bench.dravolt])
        answers = {}
        stamp = 0
        for phase, length in (("answering", seconds // 2), ("asleep", seconds)):
            if phase == "asleep":
                open(asleep, "w").close()
            answers[phase] = []
            until = time.monotonic() + length
            while time.monotonic() < until:
                stamp += 1
                answers[phase].append(bench.x.ping(window, stamp))
                time.sleep(0.02)
        os.remove(asleep)
        stop(process)
    finally:
        os.environ["XDG_CONFIG_HOME"] = bench.work
        subprocess.run(["fusermount", "-u", "-z", share], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        stop(fuse)
    bench.row(f"slowest answer to a ping, the tool's share stalling 3 s per look-up, {seconds} s (ms)",
              max(answers["asleep"]), max(answers["answering"]), "the share answering", "ms", "< 50 ms",
              max(answers["asleep"]) < 50)


# ---------------------------------------------------------------- Windows tool, terminal window
class Paced:
    """The launch driver in paced mode: press() and direct() return the
    monotonic time of the start and how long the call took, in ms."""
    def __init__(self, launcher, tool, direct, env):
        self.process = subprocess.Popen([launcher, tool, "--paced", *direct], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def step(self, what):
        self.process.stdin.write(what + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline().split()
        if len(line) != 3:
            raise SystemExit("the paced launch driver stopped")
        return int(line[1]) / 1e9, (int(line[2]) - int(line[1])) / 1e6

    def close(self):
        self.process.stdin.close()
        self.process.wait(10)


def wait_lines(path, count, timeout=60.0):
    """Time at which the file first holds `count` lines."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            with open(path, "rb") as f:
                if f.read().count(b"\n") >= count:
                    return time.monotonic()
        except FileNotFoundError:
            pass
        time.sleep(0.0005)
    raise SystemExit(f"{path} did not reach {count} lines within {timeout:.0f} s")


def paced_rounds(bench, tool, direct, env, done):
    """Presses of the launch driver started on `tool` and direct starts of
    `direct` taking turns; `done(n)` waits for the n-th finished start and
    returns its time. Returns the latencies and the presses' own durations,
    in ms."""
    driver = Paced(bench.launcher, tool, direct, env)
    result = {"press": [], "direct": [], "returned": []}
    count = 0
    for i in range(-2, bench.counts.rounds):        # two of each to warm up
        for what in (("press", "direct") if i % 2 == 0 else ("direct", "press")):
            bench.x.drain()
            started, took = driver.step(what)
            count += 1
            latency = (done(count) - started) * 1000
            if i >= 0:
                result[what].append(latency)
                if what == "press":
                    result["returned"].append(took)
    driver.close()
    return result


def paced_rows(bench, what, got, direct_name):
    m = statistics.median
    bench.row(f"&Slice it to {what}, median of {bench.counts.rounds} (ms)", m(got["press"]), m(got["direct"]),
              direct_name, "ms", "<= 1.2x", m(got["press"]) <= 1.2 * m(got["direct"]))
    bench.row("  the press itself, slowest (ms)", max(got["returned"]), m(got["returned"]), "median press",
              "ms", "<= 10 ms", max(got["returned"]) <= 10.0)


def windows_tool_through_wine(bench):
    rounds, windows_tool = bench.counts.rounds, bench.windows_tool
    wine = shutil.which("wine")
    if not (wine and os.path.exists(windows_tool)):
        return
    print(f"Windows tool: {rounds} presses of &Slice it and {rounds} direct starts of wine, warm wineserver ...",
          file=sys.stderr)
    prefix = os.path.join(bench.work, "wine")
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix"), prefix], check=True)
    wine_log = os.path.join(bench.work, "windows-tool.log")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", WINEPREFIX=prefix, WINEDEBUG="-all",
               QUENLAR_STANDIN_LOG=wine_log)
    env.pop("DISPLAY")                              # no terminal: Wine alone
    # The warm server is ended with its prefix whatever happens: one left
    # running would answer a later prefix that gets the same inode.
    persistent = subprocess.Popen(["wineserver", "-f", "-p"], env=env)
    try:
        got = paced_rounds(bench, windows_tool, [wine, windows_tool, "@windows-source", "trk", "000"], env,
                           lambda n: wait_lines(wine_log, n))
    finally:
        subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix"), "--end", prefix])
        persistent.wait(10)
    paced_rows(bench, "the Windows tool running", got, "wine started directly")


def terminal_window(bench):
    rounds, x = bench.counts.rounds, bench.x
    xterm = shutil.which("xterm")
    if not xterm:
        return
    print(f"terminal: {rounds} presses of &Slice it and {rounds} direct starts of xterm ...", file=sys.stderr)
    terminal_bin = os.path.join(bench.work, "bin")
    os.makedirs(terminal_bin)
    os.symlink(xterm, os.path.join(terminal_bin, "x-terminal-emulator"))
    slow_tool = os.path.join(bench.work, "slow", "quenlar.exe")
    os.makedirs(os.path.dirname(slow_tool))
    with open(slow_tool, "w") as f:
        f.write("#!/bin/sh\nsleep 0.3\n")
    os.chmod(slow_tool, 0o755)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PATH=terminal_bin + os.pathsep + os.environ["PATH"])

    def terminal_mapped(_):
        # By its class: its instance name is the name it was started by.
        return x.wait_mapped(lambda names: "XTerm" in names, "terminal window")[0]
    got = paced_rounds(bench, slow_tool, [xterm, "-e", slow_tool, "@source", "trk", "000"], env, terminal_mapped)
    paced_rows(bench, "the terminal window mapped", got, "xterm started directly")


# ---------------------------------------------------------------- the run
# --only NAME: the measurements by name, in the order of a full run.
MEASUREMENTS = {
    "startup": startup_and_memory,
    "idle": idle_cpu,
    "viewers": help_viewers,
    "launch": launch_latency,
    "stall": stalled_share,
    "wine": windows_tool_through_wine,
    "terminal": terminal_window,
}


def measure_all(bench):
    startup_and_memory(bench)
    # The help viewers open in one of the idle Dravolts, long settled.
    help_viewers(bench, idle_cpu(bench, keep_one=True))
    launch_latency(bench)
    stalled_share(bench)
    windows_tool_through_wine(bench)
    terminal_window(bench)


def print_table(rows, load_before):
    load_after = load()
    print()
    print(f"{'measure':<58} {'Dravolt':>9} {'baseline':>9} {'ratio':>6}  {'goal':<17} {'met':<4} baseline")
    for what, value, base, base_name, unit, goal, met in rows:
        if value is None:
            print(what)
            continue
        digits = 3 if unit == "%" else 1
        ratio = f"{value / base:.2f}x" if base else "-"
        base_text = f"{base:.{digits}f}" if base is not None else ""
        verdict = "" if met is None else ("yes" if met else "NO")
        print(f"{what:<58} {value:>9.{digits}f} {base_text:>9} {ratio:>6}  {goal:<17} {verdict:<4} {base_name}")
    print(f"load average (1, 5, 15 min): before {load_before}, after {load_after}; {os.cpu_count()} cores")


def main():
    parser = argparse.ArgumentParser(description="Dravolt against its floors, under a virtual X server.")
    parser.add_argument("build", help="the build folder")
    parser.add_argument("tool", help="the stand-in quenlar.exe")
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a check of the bench itself")
    parser.add_argument("--only", choices=MEASUREMENTS, metavar="NAME",
                        help="only this group of rows: " + ", ".join(MEASUREMENTS))
    args = parser.parse_args()
    x = X11()
    with tempfile.TemporaryDirectory() as work:
        bench = Bench(args.build, args.tool, QUICK if args.quick else Counts(), x, work)
        load_before = load()
        print(f"load average before: {load_before}", file=sys.stderr)
        if args.only:
            MEASUREMENTS[args.only](bench)
        else:
            measure_all(bench)
        print_table(bench.rows, load_before)


if __name__ == "__main__":
    main()
