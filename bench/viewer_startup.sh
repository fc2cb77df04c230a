#!/usr/bin/env bash
# Start-up cost of Dravolt against a bare Qt window, and the time from a press
# of the switches' Details button to the help viewer's window on screen.
# Runs under a virtual X server of its own (Xvfb, software OpenGL); needs a
# built tree (default: build/) with dravolt, dravolt-viewer, dravolt_bench_bare.
#
#   bench/viewer_startup.sh [build dir] [starts per program]
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=$(cd "${1:-$ROOT/build}" && pwd)
RUNS=${2:-20}
for f in bin/dravolt bin/dravolt-viewer bench/dravolt_bench_bare; do
    [ -x "$BUILD_DIR/$f" ] || { echo "missing $BUILD_DIR/$f: build first" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "needs xvfb-run (package xvfb)" >&2; exit 1; }

# The engine refuses to run as root with its sandbox on.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
export LIBGL_ALWAYS_SOFTWARE=1
# Dravolt's settings stay out of the user's own.
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

exec xvfb-run -a -s "-screen 0 1280x1024x24" python3 - "$BUILD_DIR" "$RUNS" "$ROOT/help" <<'PY'
import ctypes, http.server, os, select, signal, statistics, subprocess, sys, threading, time, urllib.parse

build, runs, help_dir = sys.argv[1], int(sys.argv[2]), sys.argv[3]
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
X.XInternAtom.restype, X.XInternAtom.argtypes = ul, [vp, ctypes.c_char_p, ctypes.c_int]
X.XSetInputFocus.argtypes = [vp, ul, ctypes.c_int, ul]
X.XStringToKeysym.restype, X.XStringToKeysym.argtypes = ul, [ctypes.c_char_p]
X.XKeysymToKeycode.restype, X.XKeysymToKeycode.argtypes = ctypes.c_ubyte, [vp, ul]
X.XGetWindowProperty.argtypes = [vp, ul, ul, ctypes.c_long, ctypes.c_long, ctypes.c_int, ul,
                                 ctypes.POINTER(ul), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ul),
                                 ctypes.POINTER(ul), ctypes.POINTER(ctypes.c_void_p)]
X.XFree.argtypes = [vp]
XT.XTestFakeKeyEvent.argtypes = [vp, ctypes.c_uint, ctypes.c_int, ul]

# A window can go before a request about it arrives; that is no reason to stop.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, vp, vp)(lambda d, e: 0)
X.XSetErrorHandler(ERROR_HANDLER)
MAP_NOTIFY, PROPERTY_NOTIFY = 19, 28
SUBSTRUCTURE_NOTIFY, PROPERTY_CHANGE = 1 << 19, 1 << 22
dpy = X.XOpenDisplay(None)
root = X.XDefaultRootWindow(dpy)
X.XSelectInput(dpy, root, SUBSTRUCTURE_NOTIFY)
NET_WM_NAME = X.XInternAtom(dpy, b"_NET_WM_NAME", 0)
WM_CLASS = 67
event = ctypes.create_string_buffer(192)

def next_event(deadline):
    """(type, window, override_redirect) of the next X event, or None at the deadline."""
    while True:
        if X.XPending(dpy):
            X.XNextEvent(dpy, event)
            kind = ctypes.c_int.from_buffer(event, 0).value
            window = ctypes.c_ulong.from_buffer(event, 40 if kind == MAP_NOTIFY else 32).value
            redirect = ctypes.c_int.from_buffer(event, 48).value if kind == MAP_NOTIFY else 0
            return kind, window, redirect
        left = deadline - time.monotonic()
        if left <= 0:
            return None
        select.select([X.XConnectionNumber(dpy)], [], [], left)

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

def wait_map(program, timeout=10.0):
    """Time at which the program's top-level window is mapped, and the window.
    Maps of the program's short-lived helper windows do not count."""
    deadline = time.monotonic() + timeout
    while (e := next_event(deadline)) is not None:
        if (e[0] == MAP_NOTIFY and not e[2]
                and text_property(e[1], WM_CLASS).split("\0")[0] == os.path.basename(program)):
            return time.monotonic(), e[1]
    raise SystemExit(f"no window of {program} appeared")

def wait_title(window, wanted, timeout=5.0):
    X.XSelectInput(dpy, window, PROPERTY_CHANGE)
    X.XFlush(dpy)
    deadline = time.monotonic() + timeout
    while title(window) != wanted:
        if next_event(deadline) is None:
            return None
    return time.monotonic()

def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0

def start(program):
    """Seconds from start to window on screen, MB resident once settled; the process."""
    t0 = time.monotonic()
    process = subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t1, window = wait_map(program)
    time.sleep(0.5)
    return t1 - t0, rss_mb(process.pid), process, window

def stop(process):
    process.terminate()
    process.wait()

# The help pages, served to the viewer through a loopback proxy: no network.
class Pages(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        return super().translate_path(urllib.parse.urlsplit(path).path)
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                         lambda *a: Pages(*a, directory=help_dir))
threading.Thread(target=server.serve_forever, daemon=True).start()
os.environ["QTWEBENGINE_CHROMIUM_FLAGS"] = (
    f"--proxy-server=http://127.0.0.1:{server.server_port} --proxy-bypass-list=<-loopback>")

bare = os.path.join(build, "bench", "dravolt_bench_bare")
dravolt = os.path.join(build, "bin", "dravolt")
results = {bare: ([], []), dravolt: ([], [])}
for program in [bare, dravolt] * 2:        # warm the file cache
    stop(start(program)[2])
for _ in range(runs):                      # side by side, one start each in turn
    for program in (bare, dravolt):
        seconds, mb, process, _ = start(program)
        results[program][0].append(seconds * 1000)
        results[program][1].append(mb)
        stop(process)

def line(name, values):
    ms, mb = values
    return (f"{name:<22} start {statistics.median(ms):6.1f} ms (mean {statistics.mean(ms):6.1f}), "
            f"resident {statistics.median(mb):6.1f} MB")

print(f"{runs} starts each under Xvfb (median; window on screen; resident 0.5 s later)")
print(line("bare window + tabs", results[bare]))
print(line("dravolt", results[dravolt]))
print(f"{'ratio':<22} start {statistics.median(results[dravolt][0]) / statistics.median(results[bare][0]):.2f}x"
      f"            resident {statistics.median(results[dravolt][1]) / statistics.median(results[bare][1]):.2f}x")

# Details: Alt+E on the main window's Slice page, one new viewer per press.
seconds, _, main, main_window = start(dravolt)
alt = X.XKeysymToKeycode(dpy, X.XStringToKeysym(b"Alt_L"))
letter = X.XKeysymToKeycode(dpy, X.XStringToKeysym(b"e"))
to_window, to_title, viewer_mb = [], [], []
presses = max(5, runs // 2)
for _ in range(presses):
    X.XSetInputFocus(dpy, main_window, 1, 0)
    X.XFlush(dpy)
    time.sleep(0.3)
    t0 = time.monotonic()
    for code, down in ((alt, 1), (letter, 1), (letter, 0), (alt, 0)):
        XT.XTestFakeKeyEvent(dpy, code, down, 0)
    X.XFlush(dpy)
    t1, viewer = wait_map("dravolt-viewer")
    t2 = wait_title(viewer, "Dravolt Guide")
    to_window.append((t1 - t0) * 1000)
    if t2:
        to_title.append((t2 - t0) * 1000)
    else:
        print(f"the viewer's caption stayed {title(viewer)!r}", file=sys.stderr)
    X.XSelectInput(dpy, viewer, 0)
    children = [int(p) for p in os.listdir("/proc") if p.isdigit()
                and open(f"/proc/{p}/stat").read().split(") ")[-1].split()[1] == str(main.pid)]
    for pid in children:
        if os.path.basename(os.readlink(f"/proc/{pid}/exe")) == "dravolt-viewer":
            viewer_mb.append(rss_mb(pid))
            os.kill(pid, signal.SIGTERM)
    time.sleep(0.5)
stop(main)
print(f"Details -> viewer window on screen: median {statistics.median(to_window):.0f} ms, "
      f"max {max(to_window):.0f} ms ({presses} presses)")
if to_title:
    print(f"Details -> guide title in caption:   median {statistics.median(to_title):.0f} ms, "
          f"max {max(to_title):.0f} ms")
if viewer_mb:
    print(f"viewer process resident once loaded:  median {statistics.median(viewer_mb):.0f} MB")
server.shutdown()
PY
