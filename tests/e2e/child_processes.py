"""The children of an end-to-end run: started so that none outlives the test, ended in reverse
order, and read from with a bound on every wait."""

import ctypes
import os
import select
import signal
import subprocess
import time

_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


class UiError(AssertionError):
    """The program did not show or do what a user would have seen."""


def _die_with_parent():
    # A child that outlives a killed test would hold the display or the pseudo-terminal.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


class Processes:
    """The children of one test run, ended in reverse order of starting."""

    def __init__(self):
        self._children = []  # (name, Popen, whole process group)

    def start(self, name, args, own_group=False, **kwargs):
        process = subprocess.Popen(
            args, preexec_fn=_die_with_parent, start_new_session=own_group, **kwargs
        )
        self._children.append((name, process, own_group))
        return process

    def stop(self, process, grace=3.0):
        """Ends one child with SIGTERM, then SIGKILL; returns its exit status."""
        for name, child, group in self._children:
            if child is process:
                return self._end(name, child, group, grace)
        raise ValueError("not a child of this run")

    def stop_all(self):
        for name, child, group in reversed(self._children):
            self._end(name, child, group, 3.0)

    @staticmethod
    def _end(name, child, group, grace):
        def send(sig):
            try:
                if group:
                    os.killpg(child.pid, sig)
                else:
                    child.send_signal(sig)
            except ProcessLookupError:
                pass

        if child.poll() is None or group:
            send(signal.SIGTERM)
        try:
            return child.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            send(signal.SIGKILL)
            return child.wait(timeout=grace)


def read_line(stream, timeout, what):
    """One line from a child's pipe, or a UiError when none comes in time."""
    deadline = time.monotonic() + timeout
    data = b""
    fd = stream.fileno()
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise UiError(f"{what}: no line within {timeout} s (got {data!r})")
        chunk = os.read(fd, 1)
        if not chunk:
            raise UiError(f"{what}: output ended before a full line (got {data!r})")
        data += chunk
    return data.decode().strip()


def read_pipe_text(read_end, timeout, what):
    deadline = time.monotonic() + timeout
    data = b""
    while b"\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([read_end], [], [], left)[0]:
            raise UiError(f"{what} did not report within {timeout} s")
        chunk = os.read(read_end, 256)
        if not chunk:
            raise UiError(f"{what} ended before it reported")
        data += chunk
    return data.decode().strip()
