"""What the install check and the end-to-end suite share: polled waits,
ending processes, and the environment the programs run in."""
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
