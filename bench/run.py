#!/usr/bin/env python3
"""Benchmark of Corvane Manager against corvane-sim on a pseudo-terminal, in real time.

Three tables, also written as one JSON file:

1. Every printer operation, several times each: the time it took next to its floor (the pauses
   the program made plus every byte written or read at the line's speed, both taken from the
   trace of that very run) and their ratio. The operations run through corvane-cli, which runs
   the window's exchanges through the same operations layer; the time is the span of the trace,
   from opening the port to closing it, so that process start and output are not counted.
2. The same operations with the printer silent: how long each takes to give up, next to the
   bound that the port's time-outs allow (the pauses plus every read's deadline, as configured
   in the trace, plus the bytes written at the line's speed), and whether it ended with a message.
3. The window's start-up (process start to its first top-level window mapped, under Xvfb) and
   resident memory, next to a minimal Qt Widgets program that shows one dialog.

Usage: python3 bench/run.py [--build build] [--reps 3] [--json FILE] [--only TEXT]
It needs Xvfb and xev (x11-utils) for the start-up table.
"""

import argparse
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

GOAL_RATIO = 1.02
GOAL_SLACK_MS = 10.0
GOAL_STARTUP = 1.2
GOAL_MEMORY = 1.2
# A run that has not ended after this long is a hang, whatever its bound.
HANG_LIMIT_S = 180

# (name, simulator arguments, corvane-cli arguments before the port); the set rows first read
# the printer's settings into a file that the timed run writes back.
OPERATIONS = [
    ("Connect KRT-310", ["--model", "KRT-310"], ["identify", "--model", "KRT-310"]),
    ("Connect KRT-310II", ["--model", "KRT-310II"], ["identify", "--model", "KRT-310II"]),
    ("Connect KRT-620", ["--model", "KRT-620"], ["identify", "--model", "KRT-620"]),
    ("Connect KRT-310 other02", ["--model", "KRT-310", "--emulation", "02"],
     ["identify", "--model", "KRT-310", "--emulation", "other02"]),
    ("Connect KRT-620 other03", ["--model", "KRT-620", "--emulation", "03"],
     ["identify", "--model", "KRT-620", "--emulation", "other03"]),
    ("Get Status KRT-310", ["--model", "KRT-310"], ["get", "--model", "KRT-310"]),
    ("Get Status KRT-310II", ["--model", "KRT-310II"], ["get", "--model", "KRT-310II"]),
    ("Get Status KRT-620", ["--model", "KRT-620"], ["get", "--model", "KRT-620"]),
    ("Set Status KRT-310", ["--model", "KRT-310"],
     ["set", "{settings}", "--no-backup", "--no-verify", "--model", "KRT-310"]),
    ("Set Status KRT-310II", ["--model", "KRT-310II"],
     ["set", "{settings}", "--no-backup", "--no-verify", "--model", "KRT-310II"]),
    ("Set Status KRT-620", ["--model", "KRT-620"],
     ["set", "{settings}", "--no-backup", "--no-verify", "--model", "KRT-620"]),
    ("Print Status KRT-310", ["--model", "KRT-310"], ["print-status", "--model", "KRT-310"]),
    ("Print Status KRT-310II", ["--model", "KRT-310II"],
     ["print-status", "--model", "KRT-310II"]),
    ("Print Status KRT-620", ["--model", "KRT-620"], ["print-status", "--model", "KRT-620"]),
    ("Print Status other02", ["--model", "KRT-310", "--emulation", "02"],
     ["print-status", "--model", "KRT-310", "--emulation", "other02"]),
    ("Line-mode Set KRT-310 other02", ["--model", "KRT-310", "--emulation", "02"],
     ["linemode", "set", "Zero Style=Slash zero", "--model", "KRT-310", "--emulation",
      "other02"]),
    ("Line-mode Set KRT-620 other02", ["--model", "KRT-620", "--emulation", "02"],
     ["linemode", "set", "[CR] [LF] Command Set=[CR] : CR, [LF] : LF", "--model", "KRT-620", "--emulation", "other02"]),
    ("Line-mode Speed other03", ["--model", "KRT-310", "--emulation", "03"],
     ["linemode", "speed", "9600", "--model", "KRT-310", "--emulation", "other03"]),
    ("Alignment save KRT-620", ["--model", "KRT-620"],
     ["alignment", "store", "1", "0", "-1", "2", "--model", "KRT-620"]),
    ("Self Test KRT-310", ["--model", "KRT-310"], ["self-test", "1", "--model", "KRT-310"]),
    ("Self Test KRT-620", ["--model", "KRT-620"], ["self-test", "2", "--model", "KRT-620"]),
]

LINE = re.compile(r"^\s*(\d+) ms (\S+) (\w+) (\d+)(?: of (\d+))? (?:bytes|found), (.*)$")
ELAPSED = re.compile(r"^(\d+) ms$")
TIMEOUTS = re.compile(r"time-outs read (\d+) ms \+ (\d+) ms/byte")
LINE_SETTINGS = re.compile(r"(\d+) ([78])([NOE])(1\.5|1|2)")


class Simulator:
    """corvane-sim on a pseudo-terminal for one run."""

    def __init__(self, build, arguments, workdir):
        self.process = subprocess.Popen(
            [os.path.join(build, "src/programs/corvane-sim/corvane-sim"), "--quiet", *arguments],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, cwd=workdir)
        self.path = self.process.stdout.readline().strip()
        if not self.path.startswith("/dev/"):
            raise RuntimeError(f"corvane-sim gave no terminal: {self.path!r}")
        # Keep the pipe drained so that the printer never blocks on its own output.
        threading.Thread(target=self.process.stdout.read, daemon=True).start()

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def parse_trace(path):
    """Floor, span, bound and the retry pauses of one trace."""
    timeouts = (2000, 1)
    bits_per_byte, speed = 10, 9600
    pauses = moved = written = waited = 0
    read_deadlines = 0
    first = last = None
    with open(path, encoding="utf-8", errors="replace") as trace:
        for line in trace:
            head = line.rstrip("\n").partition(" | ")[0]
            match = LINE.match(head)
            if not match:
                continue
            at = int(match.group(1))
            operation = match.group(3)
            count = int(match.group(4))
            requested = int(match.group(5) or 0)
            parts = match.group(6).split(", ")
            elapsed = 0
            if operation in ("read", "write", "pause") and len(parts) > 1:
                found = ELAPSED.match(parts[1])
                elapsed = int(found.group(1)) if found else 0
            if operation == "configure":
                if found := TIMEOUTS.search(match.group(6)):
                    timeouts = (int(found.group(1)), int(found.group(2)))
                elif found := LINE_SETTINGS.search(match.group(6)):
                    speed = int(found.group(1))
                    bits_per_byte = (1 + int(found.group(2)) + (found.group(3) != "N") +
                                     float(found.group(4)))
            first = at if first is None else first
            last = max(last or 0, at + elapsed)
            if operation == "pause":
                pauses += elapsed
            elif operation in ("read", "write"):
                moved += count
            if operation == "write":
                written += count
            if operation == "read":
                read_deadlines += timeouts[0] + timeouts[1] * requested
                if count < requested:
                    waited += elapsed
    byte_ms = 1000.0 * bits_per_byte / speed
    return {
        "span_ms": (last - first) if first is not None else 0,
        "pauses_ms": pauses,
        # Reads that ended short of what they asked for, mostly at their deadline.
        "short_reads_ms": waited,
        "bytes": moved,
        "floor_ms": pauses + moved * byte_ms,
        "bound_ms": pauses + read_deadlines + written * byte_ms,
    }


def run_cli(build, arguments, workdir, trace):
    started = time.monotonic()
    try:
        cli = os.path.join(build, "src/programs/corvane-cli/corvane-cli")
        done = subprocess.run([cli, *arguments, "--trace", trace], cwd=workdir,
                              capture_output=True, text=True, timeout=HANG_LIMIT_S)
    except subprocess.TimeoutExpired:
        return None, (time.monotonic() - started) * 1000.0, ""
    wall = (time.monotonic() - started) * 1000.0
    return done.returncode, wall, (done.stdout + done.stderr).strip()


def measure_operation(build, name, sim_args, cli_args, reps, silent, workdir):
    rows = []
    for rep in range(reps):
        settings = os.path.join(workdir, "settings.json")
        if "{settings}" in cli_args and not os.path.exists(settings + name):
            # The settings the set rows write back: the printer's own, read once.
            simulator = Simulator(build, sim_args, workdir)
            try:
                model = cli_args[cli_args.index("--model") + 1]
                run_cli(build, ["get", "--model", model, "--port", "COM1=" + simulator.path,
                                "-o", settings + name], workdir,
                        os.path.join(workdir, "settings.trace"))
            finally:
                simulator.stop()
        arguments = [a.replace("{settings}", settings + name) for a in cli_args]
        simulator = Simulator(build, sim_args + (["--silent"] if silent else []), workdir)
        trace = os.path.join(workdir, f"run-{rep}.trace")
        try:
            status, wall, output = run_cli(build, arguments + ["--port", "COM1=" + simulator.path],
                                           workdir, trace)
        finally:
            simulator.stop()
        figures = parse_trace(trace) if os.path.exists(trace) else {}
        figures.update({"status": status, "wall_ms": round(wall, 1),
                        "message": output.splitlines()[-1] if output else ""})
        rows.append(figures)
        print(f"  {name}{' (silent)' if silent else ''} run {rep + 1}: "
              f"{figures.get('span_ms')} ms, exit {status}", file=sys.stderr, flush=True)
    return rows


def summarize(name, rows, silent):
    spans = [r["span_ms"] for r in rows]
    floors = [r["floor_ms"] for r in rows]
    median = statistics.median(spans)
    floor = statistics.median(floors)
    entry = {"operation": name, "runs": rows, "median_ms": median, "max_ms": max(spans),
             "floor_ms": round(floor, 1),
             "short_reads_ms": statistics.median(r["short_reads_ms"] for r in rows)}
    if silent:
        bound = statistics.median(r["bound_ms"] for r in rows)
        # The bound gets the same allowance for the program's own work as the floor.
        entry.update({
            "bound_ms": round(bound, 1),
            "within_bound": all(r["span_ms"] <= GOAL_RATIO * r["bound_ms"] + GOAL_SLACK_MS
                                for r in rows),
            "with_message": all(r["status"] not in (0, None) and r["message"] for r in rows),
            "hang": any(r["status"] is None for r in rows),
        })
    else:
        entry.update({
            "ratio": round(median / floor, 3) if floor else None,
            "goal_ms": round(GOAL_RATIO * floor + GOAL_SLACK_MS, 1),
            "meets_goal": median <= GOAL_RATIO * floor + GOAL_SLACK_MS,
            "exit_statuses": sorted({r["status"] for r in rows}, key=str),
        })
    return entry


class Display:
    """Xvfb on a free display, with xev watching the root window for mapped windows."""

    def __init__(self):
        self.number = next(n for n in range(91, 200)
                           if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        self.name = f":{self.number}"
        self.xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{self.number}"):
            if time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        env = dict(os.environ, DISPLAY=self.name)
        self.xev = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                                    stdout=subprocess.PIPE, text=True, env=env)
        self.maps = []
        self.lock = threading.Condition()
        threading.Thread(target=self._watch, daemon=True).start()
        time.sleep(0.3)

    def _watch(self):
        for line in self.xev.stdout:
            if line.startswith("MapNotify"):
                with self.lock:
                    self.maps.append(time.monotonic())
                    self.lock.notify_all()

    def wait_for_map(self, after, timeout=20):
        deadline = time.monotonic() + timeout
        with self.lock:
            while True:
                later = [t for t in self.maps if t >= after]
                if later:
                    return later[0]
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    return None
                self.lock.wait(remaining)

    def stop(self):
        for process in (self.xev, self.xvfb):
            process.terminate()
            process.wait()


def resident_and_libraries(pid):
    rss = 0
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    libraries = set()
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            path = line.split()[-1]
            if ".so" in os.path.basename(path):
                libraries.add(path)
    return rss, len(libraries)


def measure_startup(build, reps, corvane):
    window = corvane or os.path.join(build, "src/programs/corvane/corvane")
    programs = {
        "corvane --simulate KRT-310": [window, "--simulate", "KRT-310"],
        "minimal Qt dialog": [os.path.join(build, "bench/corvane-minimal-dialog")],
    }
    display = Display()
    env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb")
    env.pop("QT_ACCESSIBILITY", None)
    results = {name: [] for name in programs}
    try:
        for rep in range(reps + 1):
            for name, command in programs.items():
                started = time.monotonic()
                process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                shown = display.wait_for_map(started)
                # Memory once the window has settled.
                time.sleep(0.5)
                rss, libraries = resident_and_libraries(process.pid)
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
                if rep == 0:
                    continue  # the first start warms the page cache
                results[name].append({
                    "startup_ms": round((shown - started) * 1000.0, 1) if shown else None,
                    "rss_kb": rss, "libraries": libraries})
    finally:
        display.stop()
    table = []
    for name, runs in results.items():
        times = [r["startup_ms"] for r in runs if r["startup_ms"] is not None]
        table.append({"program": name, "runs": runs,
                      "startup_ms": statistics.median(times) if times else None,
                      "rss_kb": statistics.median(r["rss_kb"] for r in runs),
                      "libraries": statistics.median(r["libraries"] for r in runs)})
    corvane, minimal = table
    ratios = {"startup": round(corvane["startup_ms"] / minimal["startup_ms"], 2),
              "memory": round(corvane["rss_kb"] / minimal["rss_kb"], 2)}
    ratios["meets_goal"] = ratios["startup"] <= GOAL_STARTUP and ratios["memory"] <= GOAL_MEMORY
    return {"programs": table, "ratios": ratios}


def print_tables(report):
    print(f"\nLoad before the run: {report['load_before']}; after: {report['load_after']}")
    print("\n1. Operations (time = trace span, open to close; floor = pauses + bytes at line "
          "speed)")
    print(f"{'operation':28} {'median ms':>10} {'max ms':>8} {'floor ms':>9} {'ratio':>6} "
          f"{'goal ms':>8} {'short rd':>8}  goal")
    for row in report["operations"]:
        print(f"{row['operation']:28} {row['median_ms']:>10} {row['max_ms']:>8} "
              f"{row['floor_ms']:>9} {row['ratio'] or '-':>6} {row['goal_ms']:>8} "
              f"{row['short_reads_ms']:>8}  "
              f"{'met' if row['meets_goal'] else 'MISSED'}"
              f"{'' if row['exit_statuses'] == [0] else ' exit ' + str(row['exit_statuses'])}")
    print("\n2. Silent printer (time to give up; bound = pauses + read deadlines + bytes "
          f"written; within = at most {GOAL_RATIO} x bound + {GOAL_SLACK_MS:g} ms)")
    print(f"{'operation':28} {'median ms':>10} {'max ms':>8} {'bound ms':>9}  within  message")
    for row in report["silent"]:
        print(f"{row['operation']:28} {row['median_ms']:>10} {row['max_ms']:>8} "
              f"{row['bound_ms']:>9}  {'yes' if row['within_bound'] else 'NO':6}  "
              f"{'HANG' if row['hang'] else ('yes' if row['with_message'] else 'NO')}")
    if "startup" in report:
        print("\n3. Start-up under Xvfb (process start to window mapped) and resident memory")
        print(f"{'program':28} {'start ms':>9} {'RSS MB':>8} {'libraries':>10}")
        for row in report["startup"]["programs"]:
            print(f"{row['program']:28} {row['startup_ms']:>9} {row['rss_kb'] / 1024:>8.1f} "
                  f"{row['libraries']:>10}")
        ratios = report["startup"]["ratios"]
        print(f"{'ratio':28} {ratios['startup']:>9} {ratios['memory']:>8}  goal <= "
              f"{GOAL_STARTUP}: {'met' if ratios['meets_goal'] else 'MISSED'}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="the build folder (default build)")
    parser.add_argument("--reps", type=int, default=3, help="runs per operation (default 3)")
    parser.add_argument("--silent-reps", type=int, default=1,
                        help="runs per operation with the printer silent (default 1)")
    parser.add_argument("--startup-reps", type=int, default=7,
                        help="starts per program (default 7)")
    parser.add_argument("--json", help="where to write the JSON (default: BUILD/bench-results.json)")
    parser.add_argument("--corvane", help="the corvane binary to start (default: the build's)")
    parser.add_argument("--only", help="run only the operations whose name contains this")
    parser.add_argument("--skip", default="", help="comma-separated tables to skip: "
                        "operations, silent, startup")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    options.json = options.json or os.path.join(build, "bench-results.json")
    skip = set(filter(None, options.skip.split(",")))
    operations = [o for o in OPERATIONS if not options.only or options.only in o[0]]
    report = {"load_before": os.getloadavg(), "reps": options.reps}
    workdir = tempfile.mkdtemp(prefix="corvane-bench-")
    try:
        report["operations"] = [] if "operations" in skip else [
            summarize(name, measure_operation(build, name, sim, cli, options.reps, False,
                                              workdir), False)
            for name, sim, cli in operations]
        report["silent"] = [] if "silent" in skip else [
            summarize(name, measure_operation(build, name, sim, cli, options.silent_reps, True,
                                              workdir), True)
            for name, sim, cli in operations]
        if "startup" not in skip:
            report["startup"] = measure_startup(build, options.startup_reps, options.corvane)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    report["load_after"] = os.getloadavg()
    with open(options.json, "w", encoding="utf-8") as out:
        json.dump(report, out, indent=1)
    print_tables(report)
    print(f"\nJSON: {options.json}")


if __name__ == "__main__":
    main()
