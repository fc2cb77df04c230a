"""What the install check and the end-to-end suite share: polled waits, a
loopback port that stands for no network, and the environment the programs
run in."""
import os
import signal
import socket
import subprocess
import time

APP_ID = "example.dravolt.Dravolt"
# Every wait in these tests is polled and gives up after this many seconds:
# a passing run never waits that long, a loaded machine may need it (a file
# dialog took over 5 s to become active under stress --cpu 2).
WAIT_SECONDS = 20.0


def wait_for(condition, what, timeout=WAIT_SECONDS, interval=0.05):
    """Polls condition() until it returns something true and returns that."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # the object may be gone or not there yet
            last_error = error
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise AssertionError(f"waited {timeout:g} s for {what}{detail}")
        time.sleep(interval)


def end_process(process, grace=3.0):
    """Ends a process this suite started: politely, then by force."""
    if process is None or process.poll() is not None:
        return
    try:
        process.terminate()
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def end_pid(pid, grace=3.0):
    """Ends a process by id (one started on our behalf, such as a viewer)."""
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + grace
    while time.monotonic() < deadline:
        if not pid_alive(pid):
            return
        time.sleep(0.05)
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def child_pids(parent):
    """Ids of the running processes whose parent is `parent`."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (FileNotFoundError, ProcessLookupError, IndexError):
            continue
        if int(fields[1]) == parent and fields[0] != "Z":
            found.append(int(entry))
    return found


def pid_alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (FileNotFoundError, ProcessLookupError, IndexError):
        return False


def closed_port():
    """A loopback port that nobody listens on: a proxy there is no network."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def web_engine_environment(env, proxy_port):
    """Makes web viewers started with env send every request to the loopback
    proxy port. As root the engine's sandbox refuses to start, so only then it is
    turned off, through the environment."""
    env["QTWEBENGINE_CHROMIUM_FLAGS"] = (
        f"--proxy-server=http://127.0.0.1:{proxy_port} --proxy-bypass-list=<-loopback>")
    if os.getuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    return env
