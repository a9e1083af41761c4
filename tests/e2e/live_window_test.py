#!/usr/bin/python3
"""The manager's window stays alive while it talks to the printer, and takes no input meanwhile.

A simulated KRT-310II serves on a pseudo-terminal. The script plays the window manager's part of
_NET_WM_PING: it pings every window of corvane every quarter second for the whole session, and
every ping must come back to the root window within a second. The technician runs Get, Set and
Print Status on the printer while it answers, and again once it has fallen silent (the simulator
is stopped). An Enter pressed during Set Status must not dismiss the success message that comes
at its end; a click on "Exit" and an accessibility press of it during a silent Print Status must
leave the manager open.
"""

import os
import signal
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from atspi_desktop import Processes, UiError  # noqa: E402
from session_support import (  # noqa: E402
    CorvaneSession,
    CONNECTED,
    MAIN_TITLE,
    Check,
    main,
    read_file,
)

OVERALL_SECONDS = 170
PING_PERIOD = 0.25
PING_LIMIT = 1.0
WAIT_TEXT = "Please wait....  During Initializing"
GET_DONE = "Success to get status of printer."
SET_DONE = "Success to set status of printer"
GET_FAILED = "Failed to get status of printer: "
NO_ANSWER = ("The printer does not answer. Check that it is switched on and connected, then try "
             "again.")
PRINTER = {"name": "krt310ii", "port": "COM1",
           "options": ["--model", "KRT-310II", "--firmware", "V2.07", "--language", "SPANISH"]}


class Pinger(threading.Thread):
    """Pings every viewable top-level window of one process, as a window manager does to find
    out whether a program still answers, and records when each answer came back."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        try:
            from Xlib import X, display
            from Xlib.protocol import event
        except ImportError as error:
            raise UiError(f"python-xlib is needed to ping the window ({error}; Debian package "
                          "python3-xlib, run with /usr/bin/python3)")
        self.X, self.event = X, event
        self.pid = pid
        self.display = display.Display()
        self.root = self.display.screen().root
        # The answer goes to the root window, where a window manager listens for it.
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        self.protocols = self.display.intern_atom("WM_PROTOCOLS")
        self.ping = self.display.intern_atom("_NET_WM_PING")
        self.pid_atom = self.display.intern_atom("_NET_WM_PID")
        self.lock = threading.Lock()
        self.sent = {}      # serial: (time sent, window)
        self.answers = {}   # serial: seconds to the answer
        self.serial = 0
        self.stopping = threading.Event()

    def program_windows(self):
        from Xlib import error as xerror
        found = []
        for window in self.root.query_tree().children:
            try:
                pid = window.get_full_property(self.pid_atom, self.X.AnyPropertyType)
                if (pid is not None and pid.value[0] == self.pid
                        and window.get_attributes().map_state == self.X.IsViewable):
                    found.append(window)
            except xerror.XError:
                continue
        return found

    def send_pings(self):
        for window in self.program_windows():
            self.serial += 1
            message = self.event.ClientMessage(
                window=window, client_type=self.protocols,
                data=(32, [self.ping, self.serial, window.id, 0, 0]))
            with self.lock:
                self.sent[self.serial] = (time.monotonic(), window.id)
            window.send_event(message, event_mask=0)
        self.display.flush()

    def take_answers(self):
        while self.display.pending_events():
            answer = self.display.next_event()
            if (answer.type != self.X.ClientMessage or answer.window.id != self.root.id
                    or answer.client_type != self.protocols):
                continue
            fields = answer.data[1]
            if fields[0] != self.ping:
                continue
            now = time.monotonic()
            with self.lock:
                if fields[1] in self.sent and fields[1] not in self.answers:
                    self.answers[fields[1]] = now - self.sent[fields[1]][0]

    def run(self):
        import select
        next_ping = time.monotonic()
        while not self.stopping.is_set():
            if time.monotonic() >= next_ping:
                self.send_pings()
                next_ping += PING_PERIOD
            select.select([self.display.fileno()], [], [], max(0.0, next_ping - time.monotonic()))
            self.take_answers()

    def stop(self):
        self.stopping.set()
        self.join(5)

    def worst(self, start, end):
        """The longest answer to the pings sent between start and end, with a ping still
        unanswered counting the time it has waited; None when no ping was sent. A ping left
        unanswered by a window that was never pinged again had reached a window on its way out
        (a wait window closing), which no window manager holds against a program."""
        now = time.monotonic()
        with self.lock:
            last_ping = {}
            for serial, (_, window) in self.sent.items():
                last_ping[window] = max(serial, last_ping.get(window, 0))
            times = [self.answers.get(serial, now - sent)
                     for serial, (sent, window) in self.sent.items()
                     if start <= sent < end
                     and (serial in self.answers or serial < last_ping[window])]
        return max(times) if times else None


class Session(CorvaneSession):
    def __init__(self, args):
        self.args = args
        self.work = args.work_dir
        self.processes = Processes()
        self.check = Check()
        self.files = {
            "trace": os.path.join(self.work, "corvane.trace"),
            "corvane_out": os.path.join(self.work, "corvane.out"),
        }
        self.pinger = None
        self.worst = {}  # (operation, printer state): seconds

    # Helpers ---------------------------------------------------------------------------------

    def wait_message(self, timeout):
        return self.ui.wait_for("a message box", self.ui.open_message, timeout)

    def measured(self, operation, state, start):
        # A ping sent just before the end has a second to come back before it counts.
        end = time.monotonic()
        time.sleep(PING_LIMIT + 0.1)
        worst = self.pinger.worst(start, end)
        self.check.that(worst is not None, f"{operation} ({state}): the window was pinged")
        self.worst[(operation, state)] = worst
        self.check.that(worst <= PING_LIMIT,
                        f"{operation} ({state}) took {end - start:.1f} s; every ping came back "
                        f"within {PING_LIMIT} s (worst {worst:.3f} s)")

    def still_open(self, manager, when):
        self.check.that(self.ui.has(manager, "SHOWING") and self.ui.open_message() is None,
                        f"{when}: the manager is still open and shows no message")

    # The session -----------------------------------------------------------------------------

    def open_manager(self):
        ui = self.ui
        ui.check(ui.control(self.main, "radio button", "KRT-310/310II"))
        ui.choose(ui.labelled(self.main, "COM Port"), PRINTER["port"])
        ui.press(self.button(self.main, "Connect"))
        ui.dismiss_message(CONNECTED)
        ui.press(self.button(self.main, "Run Manager"))
        ui.wait_closed(ui.window_holding("label", WAIT_TEXT, timeout=10), timeout=20)
        manager = ui.wait_window("dialog", MAIN_TITLE, contains=("push button", "Get Status"))
        ui.wait_for("Get Status to be enabled",
                    lambda: ui.enabled(self.button(manager, "Get Status")), 10)
        return manager

    def get_status(self, manager, state, expected):
        """Get Status; expected is the message, or its beginning."""
        start = time.monotonic()
        self.ui.press(self.button(manager, "Get Status"))
        text = self.wait_message(30)
        self.measured("Get Status", state, start)
        self.check.that(text.startswith(expected),
                        f"Get Status ({state}) says {expected!r} (got {text!r})")
        self.ui.dismiss_message(text)

    def set_status(self, manager):
        ui = self.ui
        start = time.monotonic()
        ui.press(self.button(manager, "Set Status"))
        time.sleep(1.5)
        ui.key(0xFF0D)  # Return, pressed while the printer is written
        text = self.wait_message(40)
        self.measured("Set Status", "answering", start)
        self.check.that(text == SET_DONE, f"Set Status says {SET_DONE!r} (got {text!r})")
        self.check.that(self.ui.open_message() == SET_DONE,
                        "an Enter pressed during Set Status does not dismiss its success message")
        ui.dismiss_message(SET_DONE)

    def progress(self, bar):
        return self.ui.Atspi.Value.get_current_value(bar)

    def print_status(self, manager, state, during=None):
        """Print Status, which shows no message: it is over when its progress bar, full while
        the printer is waited for, is back at 0."""
        ui = self.ui
        bar = next(a for a in ui.walk(manager) if a.get_role_name() == "progress bar")
        button = self.button(manager, "Print Status")
        start = time.monotonic()
        ui.press(button)
        ui.wait_for("Print Status to fill the progress bar", lambda: self.progress(bar) > 0, 10)
        if during is not None:
            during()
        ui.wait_for("Print Status to end", lambda: self.progress(bar) == 0, 30)
        self.measured("Print Status", state, start)

    def exit_during_exchange(self, exit_button):
        """A click on Exit and an assistive tool's press of it, while the window waits."""
        self.ui.click(exit_button)
        self.ui.press(exit_button)

    def run(self):
        self.start_corvane([PRINTER])
        self.pinger = Pinger(self.corvane.pid)
        self.pinger.start()
        manager = self.open_manager()

        self.get_status(manager, "answering", GET_DONE)
        self.set_status(manager)
        self.print_status(manager, "answering")
        self.still_open(manager, "after Print Status")

        printer = self.printers[PRINTER["name"]]
        os.kill(printer.pid, signal.SIGSTOP)
        try:
            # Found before the exchange: a search of the whole window would outlast it.
            exit_button = self.button(manager, "Exit")
            self.print_status(manager, "silent",
                              during=lambda: self.exit_during_exchange(exit_button))
            # The press's click comes a tenth of a second after the press.
            time.sleep(0.5)
            self.still_open(manager, "a click on Exit and a press of it during Print Status")
            self.get_status(manager, "silent", GET_FAILED)
        except UiError:
            os.kill(printer.pid, signal.SIGCONT)
            raise
        self.silent_set_status(manager)
        os.kill(printer.pid, signal.SIGCONT)

        self.ui.press(self.button(manager, "Exit"))
        self.ui.wait_closed(manager)
        self.check.saw("Exit still closes the manager afterwards")
        self.pinger.stop()
        overall = self.pinger.worst(0, time.monotonic())
        self.check.that(overall <= PING_LIMIT,
                        f"every ping of the session came back within {PING_LIMIT} s "
                        f"(worst {overall:.3f} s)")
        for (operation, state), worst in self.worst.items():
            print(f"worst ping: {operation}, {state} printer: {worst * 1000:.0f} ms", flush=True)

    def silent_set_status(self, manager):
        start = time.monotonic()
        self.ui.press(self.button(manager, "Set Status"))
        text = self.wait_message(60)
        self.measured("Set Status", "silent", start)
        self.check.that(text == NO_ANSWER,
                        f"Set Status on a silent printer says it does not answer (got {text!r})")
        self.ui.dismiss_message(text)

    def report_failure(self):
        if self.pinger is not None:
            self.pinger.stopping.set()
        for key, path in self.files.items():
            lines = read_file(path).splitlines()[-40:]
            print(f"--- {key}: {path} (last {len(lines)} lines) ---", file=sys.stderr)
            print("\n".join(lines), file=sys.stderr)


if __name__ == "__main__":
    sys.exit(main(Session, __doc__.splitlines()[0], OVERALL_SECONDS))
