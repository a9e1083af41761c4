#!/usr/bin/python3
"""Works the real corvane's window as a user would: chooses USB, presses Connect and answers the
"Printer is connected." message; then, when told, ends the program with a signal.

The test that starts this script owns the emulated USB printer; corvane inherits the emulation
(umockdev's preload and testbed) through the environment. The script talks to the test in lines:
it prints "connected" once the printer is connected, waits for a line on its input, sends the
signal and prints "exit STATUS" with corvane's exit status; "error TEXT" ends it early.
"""

import argparse
import os
import signal
import subprocess
import sys

MAIN_TITLE = "VANTORA KRT-310/310II/KRT-620 Corvane (V3.0.2)"
CONNECTED = "Printer is connected."


def say(line):
    print(line, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--corvane", required=True)
    parser.add_argument("--e2e-dir", required=True, help="where atspi_desktop.py lives")
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--signal", type=int, default=signal.SIGTERM)
    args = parser.parse_args()

    sys.path.insert(0, args.e2e_dir)
    from atspi_desktop import Desktop, Driver, Processes, UiError, missing_requirements

    missing = missing_requirements()
    if missing:
        say("error this machine lacks " + ", ".join(missing))
        return 1
    os.makedirs(args.work_dir, exist_ok=True)
    output_path = os.path.join(args.work_dir, "corvane.out")
    processes = Processes()
    try:
        desktop = Desktop(processes, args.work_dir)
        desktop.start()
        corvane = processes.start(
            "corvane",
            [args.corvane],
            stdin=subprocess.DEVNULL,
            stdout=open(output_path, "wb"),
            stderr=subprocess.STDOUT,
            env=desktop.program_env(),
        )

        def running():
            status = corvane.poll()
            if status is not None:
                raise UiError(f"corvane ended with status {status}: "
                              + open(output_path, errors="replace").read().strip())

        ui = Driver("Corvane Manager")
        ui.attach(timeout=20, alive=running)
        window = ui.wait_window("dialog", MAIN_TITLE, contains=("push button", "Connect"))
        ui.check(ui.control(window, "radio button", "USB"))
        ui.press(ui.control(window, "push button", "Connect"))
        ui.dismiss_message(CONNECTED, timeout=20)
        say("connected")

        sys.stdin.readline()
        corvane.send_signal(args.signal)
        try:
            status = corvane.wait(timeout=15)
        except subprocess.TimeoutExpired:
            say(f"error corvane did not end within 15 s of signal {args.signal}")
            return 1
        say(f"exit {status}")
        return 0
    except UiError as error:
        say(f"error {error}".replace("\n", " "))
        return 1
    finally:
        processes.stop_all()


if __name__ == "__main__":
    sys.exit(main())
