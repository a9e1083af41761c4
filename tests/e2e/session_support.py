"""What the end-to-end sessions share: the record of checks, the printers' state files and
corvane's trace, simulated printers on pseudo-terminals, and the script's main with its overall
time limit.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time

from atspi_desktop import Desktop, Driver, UiError, missing_requirements, read_line

MAIN_TITLE = "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)"
CONNECTED = "Printer is connected."


class Check:
    """Collects what was verified, so that the log of a passing run says what it covered."""

    def __init__(self):
        self.passed = []

    def that(self, condition, what, detail=""):
        if not condition:
            raise UiError(what + (":\n" + detail if detail else ""))
        self.saw(what)

    def saw(self, what):
        self.passed.append(what)
        print(f"ok: {what}", flush=True)


def read_file(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as source:
            return source.read()
    except FileNotFoundError:
        return ""


def state_value(state_text, key):
    for line in state_text.splitlines():
        if line.startswith(key + ": "):
            return line[len(key) + 2:]
    return None


def parse_trace(path):
    """Trace lines as (device, operation, detail, hex bytes or None)."""
    entries = []
    pattern = re.compile(r"^\s*\d+ ms (\S+) (\w+) (.*)$")
    with open(path, encoding="utf-8", errors="replace") as trace:
        for line in trace:
            head, _, rest = line.rstrip("\n").partition(" | ")
            match = pattern.match(head)
            if not match:
                continue
            hex_bytes = rest.rpartition(" | ")[0] if rest else None
            entries.append((match.group(1), match.group(2), match.group(3), hex_bytes))
    return entries


def writes_to(entries, device):
    return [hex_bytes for dev, op, _, hex_bytes in entries if dev == device and op == "write"]


def start_printer(processes, check, corvane_sim, work, name, options):
    """Starts corvane-sim with a state file and a print log named after the printer; returns the
    process and the path of its pseudo-terminal."""
    process = processes.start(
        name,
        [corvane_sim, *options, "--quiet",
         "--state-file", os.path.join(work, name + ".state"),
         "--print-log", os.path.join(work, name + ".printout")],
        stdin=subprocess.DEVNULL,
        stdout=subprocess.PIPE,
        stderr=open(os.path.join(work, name + ".err"), "wb"),
    )
    path = read_line(process.stdout, 10, f"{name} (its terminal path)")
    check.that(path.startswith("/dev/pts/") and os.path.exists(path),
               f"{name} serves on a pseudo-terminal ({path})")
    return process, path


class CorvaneSession:
    """Starts the simulated printers and corvane, pointed at them with --port, on a private
    desktop, and waits for the connection window. Subclasses set args, work, processes, check and
    files (with "trace" and "corvane_out") before start."""

    def start_corvane(self, printers):
        ports = []
        self.printers = {}
        self.devices = {}  # port name to the terminal that --port points it at; the trace names it
        for printer in printers:
            process, path = start_printer(self.processes, self.check, self.args.corvane_sim,
                                          self.work, printer["name"], printer["options"])
            self.printers[printer["name"]] = process
            self.devices[printer["port"]] = path
            ports += ["--port", f"{printer['port']}={path}"]

        self.desktop = Desktop(self.processes, self.work)
        self.desktop.start()
        self.corvane = self.processes.start(
            "corvane",
            [self.args.corvane, *ports, "--trace", self.files["trace"]],
            stdin=subprocess.DEVNULL,
            stdout=open(self.files["corvane_out"], "wb"),
            stderr=subprocess.STDOUT,
            env=self.desktop.program_env(),
        )
        self.ui = Driver("Corvane Manager")
        self.ui.attach(timeout=20, alive=self.corvane_running)
        self.main = self.ui.wait_window("dialog", MAIN_TITLE,
                                        contains=("push button", "Connect"), timeout=15)

    def corvane_running(self):
        status = self.corvane.poll()
        if status is not None:
            raise UiError(f"corvane ended with status {status} before its window appeared: "
                          + read_file(self.files["corvane_out"]).strip() + "\n"
                          + self.desktop.x_status())

    def button(self, window, name):
        return self.ui.control(window, "push button", name)


def main(session_class, description, overall_seconds):
    """Runs one session; exit status 0 when everything was seen, 1 with the reason otherwise.
    A missing part (program, package, display) is a failure, never a skip."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--corvane", required=True)
    parser.add_argument("--corvane-sim", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()

    problems = missing_requirements()
    for program in (args.corvane, args.corvane_sim):
        if not os.access(program, os.X_OK):
            problems.append(f"{program} (build the corvane and corvane-sim targets)")
    if problems:
        print("FAIL: cannot run the session; missing:\n  " + "\n  ".join(problems),
              file=sys.stderr)
        return 1

    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)

    def out_of_time(signum, frame):
        raise UiError(f"the whole session took longer than {overall_seconds} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(1))
    signal.alarm(overall_seconds)
    session = session_class(args)
    started = time.monotonic()
    try:
        session.run()
    except UiError as error:
        signal.alarm(0)
        print(f"FAIL: {error}", file=sys.stderr)
        session.report_failure()
        return 1
    finally:
        signal.alarm(0)
        session.processes.stop_all()
    print(f"PASS: {len(session.check.passed)} checks in {time.monotonic() - started:.1f} s")
    return 0
