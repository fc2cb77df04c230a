"""Dravolt against its floors, side by side in one run, under a virtual X server.

Run by bench/run, which builds the programs and starts the X server:
    python3 bench.py <build dir> <stand-in quenlar.exe> [--quick]

Every Dravolt figure is measured next to its baseline, the runs of the two
taking turns (or running at the same time), so that the load of the machine
falls on both alike.
"""
import ctypes
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build, tool = sys.argv[1:3]
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
quick = "--quick" in sys.argv[3:]
STARTS = 5 if quick else 15        # start-ups of each program
IDLE_SECONDS = 5 if quick else 20  # idle CPU window
VIEWERS = 10 if quick else 100     # help viewers opened and closed
TIMED_VIEWERS = 5 if quick else 20 # of them timed against the bare browser
PRESSES = 10 if quick else 50      # presses of "&Slice it"
ROUNDS = 4 if quick else 10        # presses through Wine and a terminal, and direct starts

BARE = os.path.join(build, "bench", "dravolt_bench_bare")
BROWSER = os.path.join(build, "bench", "dravolt_bench_browser")
LAUNCH = os.path.join(build, "bench", "dravolt_bench_launch")
DRAVOLT = os.path.join(build, "bin", "dravolt")
GUIDE_TITLE = "Dravolt Guide"

# ---------------------------------------------------------------- X, through Xlib
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

# A window can go before a request about it arrives; that is no reason to stop.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, vp, vp)(lambda d, e: 0)
X.XSetErrorHandler(ERROR_HANDLER)
DESTROY_NOTIFY, MAP_NOTIFY, CLIENT_MESSAGE = 17, 19, 33
STRUCTURE_NOTIFY, SUBSTRUCTURE_NOTIFY, PROPERTY_CHANGE = 1 << 17, 1 << 19, 1 << 22
dpy = X.XOpenDisplay(None)
if not dpy:
    raise SystemExit("no X display")
root = X.XDefaultRootWindow(dpy)
# Maps of windows, and the answers to pings, which Qt sends to the root
# window for structure events.
X.XSelectInput(dpy, root, SUBSTRUCTURE_NOTIFY | STRUCTURE_NOTIFY)
NET_WM_NAME = X.XInternAtom(dpy, b"_NET_WM_NAME", 0)
WM_PROTOCOLS = X.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
WM_DELETE_WINDOW = X.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
NET_WM_PING = X.XInternAtom(dpy, b"_NET_WM_PING", 0)
WM_CLASS = 67
event = ctypes.create_string_buffer(192)


def next_event(deadline):
    """(type, window, override_redirect) of the next X event, or None at the deadline."""
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


def drain():
    while X.XPending(dpy):
        X.XNextEvent(dpy, event)


def text_property(window, atom):
    kind, fmt, count, after = ul(), ctypes.c_int(), ul(), ul()
    data = ctypes.c_void_p()
    X.XGetWindowProperty(dpy, window, atom, 0, 1024, 0, 0, ctypes.byref(kind), ctypes.byref(fmt),
                         ctypes.byref(count), ctypes.byref(after), ctypes.byref(data))
    if not data.value:
        return ""
    text = ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
    X.XFree(data)
    return text


def title(window):
    return text_property(window, NET_WM_NAME)


def wait_map(program, timeout=15.0):
    """Time at which the program's top-level window is mapped, and the window.
    Maps of short-lived helper windows (override-redirect) do not count."""
    name = os.path.basename(program)
    deadline = time.monotonic() + timeout
    while (e := next_event(deadline)) is not None:
        if (e[0] == MAP_NOTIFY and not e[2]
                and text_property(e[1], WM_CLASS).split("\0")[0] == name):
            return time.monotonic(), e[1]
    raise SystemExit(f"no window of {name} appeared within {timeout:.0f} s")


def wait_titles(window, wanted, timeout=15.0):
    """Times at which the caption first became non-empty and became `wanted`."""
    X.XSelectInput(dpy, window, PROPERTY_CHANGE)
    X.XFlush(dpy)
    deadline = time.monotonic() + timeout
    first = None
    while True:
        now, caption = time.monotonic(), title(window)
        if caption and first is None:
            first = now
        if caption == wanted:
            return first, now
        if next_event(deadline) is None:
            raise SystemExit(f"the caption stayed {caption!r}")


def wait_destroyed(window, timeout=10.0):
    """Waits until the top-level window is gone."""
    deadline = time.monotonic() + timeout
    while (e := next_event(deadline)) is not None:
        if e[0] == DESTROY_NOTIFY and e[1] == window:
            return
    raise SystemExit(f"window {window} was not destroyed within {timeout:.0f} s")


def close_window(window):
    """Closes a window as its close box does: WM_DELETE_WINDOW."""
    ev = ctypes.create_string_buffer(192)
    ctypes.c_int.from_buffer(ev, 0).value = CLIENT_MESSAGE
    ctypes.c_ulong.from_buffer(ev, 32).value = window
    ctypes.c_ulong.from_buffer(ev, 40).value = WM_PROTOCOLS
    ctypes.c_int.from_buffer(ev, 48).value = 32
    ctypes.c_long.from_buffer(ev, 56).value = WM_DELETE_WINDOW
    X.XSendEvent(dpy, window, 0, 0, ev)
    X.XFlush(dpy)


def ping(window, stamp, timeout=30.0):
    """Pings the window as a window manager does (_NET_WM_PING), which the
    program answers from its event loop; returns the time to the answer, in
    ms. A window that does not answer in time is the one that a desktop
    marks as not responding."""
    ev = ctypes.create_string_buffer(192)
    ctypes.c_int.from_buffer(ev, 0).value = CLIENT_MESSAGE
    ctypes.c_ulong.from_buffer(ev, 32).value = window
    ctypes.c_ulong.from_buffer(ev, 40).value = WM_PROTOCOLS
    ctypes.c_int.from_buffer(ev, 48).value = 32
    for at, value in ((56, NET_WM_PING), (64, stamp), (72, window)):
        ctypes.c_long.from_buffer(ev, at).value = value
    t0 = time.monotonic()
    X.XSendEvent(dpy, window, 0, 0, ev)
    X.XFlush(dpy)
    while (e := next_event(t0 + timeout)) is not None:
        if (e[0] == CLIENT_MESSAGE and ctypes.c_long.from_buffer(event, 56).value == NET_WM_PING
                and ctypes.c_long.from_buffer(event, 64).value == stamp):
            return (time.monotonic() - t0) * 1000
    raise SystemExit(f"no answer to the ping within {timeout:.0f} s")


def click(window, x, y):
    """Clicks the left button at (x, y) of the window; returns the time of the click.
    A click, not the access key: Qt animates a button pressed by its access key
    for 100 ms before it acts, which is no latency of Dravolt's."""
    ax, ay, child = ctypes.c_int(), ctypes.c_int(), ul()
    X.XTranslateCoordinates(dpy, window, root, x, y, ctypes.byref(ax), ctypes.byref(ay), ctypes.byref(child))
    XT.XTestFakeMotionEvent(dpy, -1, ax.value, ay.value, 0)
    X.XSync(dpy, 0)
    time.sleep(0.1)
    t0 = time.monotonic()
    XT.XTestFakeButtonEvent(dpy, 1, 1, 0)
    XT.XTestFakeButtonEvent(dpy, 1, 0, 0)
    X.XFlush(dpy)
    return t0


# The middle of the switches' "D&etails" on the Slice page: the button at
# 240, 48 (81 x 33) in the frame at 16, 152 of the tab control at 8, 8.
DETAILS_SWITCHES = (8 + 16 + 240 + 40, 8 + 152 + 48 + 16)


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




def start(args):
    drain()
    t0 = time.monotonic()
    process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t1, window = wait_map(args[0])
    return (t1 - t0) * 1000, process, window


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def load():
    return " ".join(open("/proc/loadavg").read().split()[:3])


# ---------------------------------------------------------------- the help pages
# The viewer shows the installed copy beside the program; the bare browser
# loads the same file.
GUIDE_FILE = os.path.join(build, "bin", "help", "kvrg", "quenlar", "dravolt.html")

# A valid tool location in Dravolt's settings: the status line ticks on the preview.
config = tempfile.TemporaryDirectory()
os.environ["XDG_CONFIG_HOME"] = config.name
with open(os.path.join(config.name, "dravolt.conf"), "w") as f:
    f.write(f"[Quenlar]\nLocation={tool}\n")

rows = []      # (what, dravolt, baseline, baseline name, unit, goal text, met)


def row(what, value, base, base_name, unit, goal, met):
    rows.append((what, value, base, base_name, unit, goal, met))


load_before = load()
print(f"load average before: {load_before}", file=sys.stderr)

# ---------------------------------------------------------------- start-up and memory
print(f"start-up: {STARTS} starts each, taking turns ...", file=sys.stderr)
times = {BARE: [], DRAVOLT: []}
memory = {BARE: [], DRAVOLT: []}
for program in (BARE, DRAVOLT, BARE, DRAVOLT):      # warm the file cache
    stop(start([program])[1])
for i in range(STARTS):
    for program in ((BARE, DRAVOLT) if i % 2 == 0 else (DRAVOLT, BARE)):
        ms, process, _ = start([program])
        time.sleep(1.0)                              # settled
        times[program].append(ms)
        memory[program].append(rss_mb(process.pid))
        stop(process)
med = {p: statistics.median(v) for p, v in times.items()}
row(f"start-up to window mapped, median of {STARTS} (ms)", med[DRAVOLT], med[BARE], "bare window",
    "ms", "<= 1.15x", med[DRAVOLT] <= 1.15 * med[BARE])
mem = {p: statistics.median(v) for p, v in memory.items()}
row("resident memory after start-up (MB)", mem[DRAVOLT], mem[BARE], "bare window",
    "MB", "<= 1.25x", mem[DRAVOLT] <= 1.25 * mem[BARE])

# ---------------------------------------------------------------- idle CPU
# Two of each at the same time: the cost of a wake-up differs from process to
# process on a virtual machine, and the pairs even that out.
print(f"idle CPU: two Dravolts, two bare windows with a timer, one with a timer and a lookup, one with "
      f"that lookup handed to the look-up worker, one bare, at once for {IDLE_SECONDS} s ...", file=sys.stderr)
idle = {"bare": [start([BARE])], "lookup": [start([BARE, "--timer", "--lookup", tool])],
        "worker": [start([BARE, "--timer", "--lookup", tool, "--worker"])],
        "timer": [start([BARE, "--timer"]) for _ in range(2)],
        "dravolt": [start([DRAVOLT]) for _ in range(2)]}
time.sleep(2.0)
cpu = cpu_percent([p.pid for group in idle.values() for _, p, _ in group], IDLE_SECONDS)
cpu = {name: statistics.mean(cpu[p.pid] for _, p, _ in group) for name, group in idle.items()}
for name in ("bare", "lookup", "worker", "timer"):
    for _, process, _ in idle[name]:
        stop(process)
stop(idle["dravolt"][1][1])
row(f"idle CPU over {IDLE_SECONDS} s, tool found (% of a core, mean of 2)", cpu["dravolt"], cpu["timer"],
    "bare + empty 10 ms timer", "%", "<= 1.5x and < 1%",
    cpu["dravolt"] <= 1.5 * cpu["timer"] and cpu["dravolt"] < 1.0)
row(f"  (bare window without a timer: {cpu['bare']:.3f} %; with the timer and one lookup of the tool "
    f"per tick, the floor of the monitor's design: {cpu['lookup']:.3f} %, "
    f"{cpu['lookup'] / cpu['timer']:.2f}x; that lookup handed to the look-up worker and waited for: "
    f"{cpu['worker']:.3f} %, {cpu['worker'] / cpu['timer']:.2f}x)", None, None, "", "", "", None)

# ---------------------------------------------------------------- help viewers
print(f"help viewers: {VIEWERS} opened with a click on D&etails and closed, the first "
      f"{TIMED_VIEWERS} taking turns with a bare rich-text browser ...", file=sys.stderr)
_, main, main_window = idle["dravolt"][0]
first_caption, page_title, bare_window, bare_title = [], [], [], []
after_first = None
for i in range(VIEWERS):
    drain()
    t0 = click(main_window, *DETAILS_SWITCHES)
    _, viewer = wait_map(DRAVOLT)                # a window of Dravolt's own
    t1, t2 = wait_titles(viewer, GUIDE_TITLE)
    X.XSelectInput(dpy, viewer, 0)
    close_window(viewer)
    wait_destroyed(viewer)
    if i == 0:
        time.sleep(0.5)
        after_first = rss_mb(main.pid)
    if i >= TIMED_VIEWERS:
        continue
    first_caption.append((t1 - t0) * 1000)
    page_title.append((t2 - t0) * 1000)
    # The floor: a bare browser on the same page, started directly.
    drain()
    t0 = time.monotonic()
    process = subprocess.Popen([BROWSER, GUIDE_FILE], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t1, window = wait_map(BROWSER)
    _, t2 = wait_titles(window, GUIDE_TITLE)
    bare_window.append((t1 - t0) * 1000)
    bare_title.append((t2 - t0) * 1000)
    X.XSelectInput(dpy, window, 0)
    stop(process)
time.sleep(0.5)
after_all = rss_mb(main.pid)
stop(main)
m = statistics.median
row(f"D&etails to the viewer's first caption, median of {TIMED_VIEWERS} (ms)", m(first_caption), m(bare_window),
    "bare browser: window mapped", "ms", "", None)
row("D&etails to the page's title in the caption (ms)", m(page_title), m(bare_title),
    "bare browser started on the file", "ms", "<= 1.2x",
    m(page_title) <= 1.2 * m(bare_title))
row(f"resident memory after {VIEWERS} viewers closed (MB)", after_all, after_first,
    "after the first closed", "MB", "<= 1.02x", after_all <= 1.02 * after_first)

# ---------------------------------------------------------------- launch
print(f"launch: {PRESSES} presses of &Slice it, each followed by a posix_spawn of the tool ...", file=sys.stderr)
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
env.pop("DISPLAY")                                  # no terminal window: the tool alone
out = subprocess.run([LAUNCH, tool, str(PRESSES)], env=env, capture_output=True, text=True, timeout=120)
if out.returncode != 0:
    raise SystemExit(f"the launch driver failed: {out.stderr}")
launch = {line.split()[0]: [float(v) for v in line.split()[1:]] for line in out.stdout.splitlines()}
row(f"&Slice it to the tool running, median of {PRESSES} (ms)", m(launch["dravolt"]), m(launch["baseline"]),
    "posix_spawn of the tool", "ms", "<= 10 ms", m(launch["dravolt"]) <= 10.0)

# ---------------------------------------------------------------- a share that stops answering
# The tool on a FUSE file system whose every look-up sleeps 3 s while a
# control file exists (tests/e2e/stallfs.py): the window is pinged every 20 ms
# for a while with the share answering, then for longer with it asleep.
STALL_SECONDS = 5 if quick else 10
share_root = os.path.join(config.name, "share")
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
else:
    print(f"stalled share: the window pinged every 20 ms, {STALL_SECONDS // 2} s with the share answering, "
          f"{STALL_SECONDS} s with it asleep ...", file=sys.stderr)
    share_config = os.path.join(share_root, "config")
    os.makedirs(share_config)
    with open(os.path.join(share_config, "dravolt.conf"), "w") as f:
        f.write(f"[Quenlar]\nLocation={os.path.join(share, os.path.basename(tool))}\n")
    os.environ["XDG_CONFIG_HOME"] = share_config
    try:
        _, process, window = start([DRAVOLT])
        answers = {}
        stamp = 0
        for phase, seconds in (("answering", STALL_SECONDS // 2), ("asleep", STALL_SECONDS)):
            if phase == "asleep":
                open(asleep, "w").close()
            answers[phase] = []
            until = time.monotonic() + seconds
            while time.monotonic() < until:
                stamp += 1
                answers[phase].append(ping(window, stamp))
                time.sleep(0.02)
        os.remove(asleep)
        stop(process)
    finally:
        os.environ["XDG_CONFIG_HOME"] = config.name
        subprocess.run(["fusermount", "-u", "-z", share], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        stop(fuse)
    row(f"slowest answer to a ping, the tool's share stalling 3 s per look-up, {STALL_SECONDS} s (ms)",
        max(answers["asleep"]), max(answers["answering"]), "the share answering", "ms", "< 50 ms",
        max(answers["asleep"]) < 50)

# ---------------------------------------------------------------- Windows tool, terminal window
class Paced:
    """The launch driver in paced mode: press() and direct() return the
    monotonic time of the start and how long the call took, in ms."""
    def __init__(self, tool, direct, env):
        self.process = subprocess.Popen([LAUNCH, tool, "--paced", *direct], env=env, stdin=subprocess.PIPE,
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


def paced_rounds(driver, rounds, done):
    """Presses and direct starts taking turns; `done(n)` waits for the n-th
    finished start and returns its time. Returns the latencies and the
    presses' own durations, in ms."""
    result = {"press": [], "direct": [], "returned": []}
    count = 0
    for i in range(-2, rounds):                     # two of each to warm up
        for what in (("press", "direct") if i % 2 == 0 else ("direct", "press")):
            drain()
            started, took = driver.step(what)
            count += 1
            latency = (done(count) - started) * 1000
            if i >= 0:
                result[what].append(latency)
                if what == "press":
                    result["returned"].append(took)
    return result


windows_tool = os.path.join(build, "tests", "standin-win", "quenlar.exe")
wine = shutil.which("wine")
if wine and os.path.exists(windows_tool):
    print(f"Windows tool: {ROUNDS} presses of &Slice it and {ROUNDS} direct starts of wine, warm wineserver ...",
          file=sys.stderr)
    prefix = os.path.join(config.name, "wine")
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix"), prefix], check=True)
    wine_log = os.path.join(config.name, "windows-tool.log")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", WINEPREFIX=prefix, WINEDEBUG="-all",
               QUENLAR_STANDIN_LOG=wine_log)
    env.pop("DISPLAY")                              # no terminal: Wine alone
    # The warm server is ended with its prefix whatever happens: one left
    # running would answer a later prefix that gets the same inode.
    persistent = subprocess.Popen(["wineserver", "-f", "-p"], env=env)
    try:
        driver = Paced(windows_tool, [wine, windows_tool, "@windows-source", "trk", "000"], env)
        got = paced_rounds(driver, ROUNDS, lambda n: wait_lines(wine_log, n))
        driver.close()
    finally:
        subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix"), "--end", prefix])
        persistent.wait(10)
    row(f"&Slice it to the Windows tool running, median of {ROUNDS} (ms)", m(got["press"]), m(got["direct"]),
        "wine started directly", "ms", "<= 1.2x", m(got["press"]) <= 1.2 * m(got["direct"]))
    row("  the press itself, slowest (ms)", max(got["returned"]), m(got["returned"]), "median press",
        "ms", "<= 10 ms", max(got["returned"]) <= 10.0)

xterm = shutil.which("xterm")
if xterm:
    print(f"terminal: {ROUNDS} presses of &Slice it and {ROUNDS} direct starts of xterm ...", file=sys.stderr)
    terminal_bin = os.path.join(config.name, "bin")
    os.makedirs(terminal_bin)
    os.symlink(xterm, os.path.join(terminal_bin, "x-terminal-emulator"))
    slow_tool = os.path.join(config.name, "slow", "quenlar.exe")
    os.makedirs(os.path.dirname(slow_tool))
    with open(slow_tool, "w") as f:
        f.write("#!/bin/sh\nsleep 0.3\n")
    os.chmod(slow_tool, 0o755)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PATH=terminal_bin + os.pathsep + os.environ["PATH"])

    def terminal_mapped(_):
        deadline = time.monotonic() + 15
        while (e := next_event(deadline)) is not None:
            # By its class: its instance name is the name it was started by.
            if e[0] == MAP_NOTIFY and not e[2] and "XTerm" in text_property(e[1], WM_CLASS).split("\0"):
                return time.monotonic()
        raise SystemExit("no terminal window appeared within 15 s")
    driver = Paced(slow_tool, [xterm, "-e", slow_tool, "@source", "trk", "000"], env)
    got = paced_rounds(driver, ROUNDS, terminal_mapped)
    driver.close()
    row(f"&Slice it to the terminal window mapped, median of {ROUNDS} (ms)", m(got["press"]), m(got["direct"]),
        "xterm started directly", "ms", "<= 1.2x", m(got["press"]) <= 1.2 * m(got["direct"]))
    row("  the press itself, slowest (ms)", max(got["returned"]), m(got["returned"]), "median press",
        "ms", "<= 10 ms", max(got["returned"]) <= 10.0)

# ---------------------------------------------------------------- the table
load_after = load()
print()
print(f"{'measure':<58} {'Dravolt':>9} {'baseline':>9} {'ratio':>6}  {'goal':<17} {'met':<4} baseline")
for what, value, base, base_name, unit, goal, met in rows:
    if value is None:
        print(what)
        continue
    digits = 3 if unit == "%" else 1
    ratio = f"{value / base:.2f}x" if base else "-"
    verdict = "" if met is None else ("yes" if met else "NO")
    print(f"{what:<58} {value:>9.{digits}f} {base:>9.{digits}f} {ratio:>6}  {goal:<17} {verdict:<4} {base_name}")
print(f"load average (1, 5, 15 min): before {load_before}, after {load_after}; {os.cpu_count()} cores")
