"""A private X display and accessibility bus, and a driver that works a Qt program through them.

The driver finds controls the way a screen reader does (by role and accessible name, lists by
their label or their items) and works them the way a person does: buttons through their press
action, radios and check boxes with a mouse click or the space bar, lists by opening them and
moving with the arrow keys, message boxes read and answered with OK. Every wait is bounded.
"""

import os
import random
import shutil
import socket
import subprocess
import time

from child_processes import Processes, UiError, read_line, read_pipe_text  # noqa: F401

# Debian packages that supply each program or module the session needs.
REQUIRED_PROGRAMS = {
    "Xvfb": "xvfb",
    "dbus-daemon": "dbus-daemon (dbus)",
    "/usr/libexec/at-spi-bus-launcher": "at-spi2-core",
    "/usr/libexec/at-spi2-registryd": "at-spi2-core",
}



def missing_requirements():
    """Lists what this machine lacks to run the session, each with the package that brings it."""
    missing = []
    for program, package in REQUIRED_PROGRAMS.items():
        found = os.access(program, os.X_OK) if program.startswith("/") else shutil.which(program)
        if not found:
            missing.append(f"{program} (Debian package {package})")
    try:
        import gi  # noqa: F401

        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi  # noqa: F401
    except (ImportError, ValueError) as error:
        missing.append(
            f"the Atspi 2.0 Python binding ({error}; Debian packages python3-gi and "
            "gir1.2-atspi-2.0, run with /usr/bin/python3)"
        )
    return missing


def _x_listens(number):
    """True when an X server takes connections on the display's local socket."""
    for address in (f"\0/tmp/.X11-unix/X{number}", f"/tmp/.X11-unix/X{number}"):
        probe = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            probe.settimeout(2)
            probe.connect(address)
            return True
        except OSError:
            continue
        finally:
            probe.close()
    return False


class Desktop:
    """A private X server and session bus; the accessibility bus starts on demand."""

    def __init__(self, processes, work_dir):
        self.processes = processes
        self.work_dir = work_dir
        self.x_server = None

    def start(self):
        runtime = os.path.join(self.work_dir, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)

        display = self._start_x()

        # This process talks to the private bus too, so it takes the same environment.
        for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "QT_QPA_PLATFORM",
                     "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "NO_AT_BRIDGE"):
            os.environ.pop(name, None)
        os.environ["DISPLAY"] = ":" + display
        os.environ["XDG_RUNTIME_DIR"] = runtime

        read_end, write_end = os.pipe()
        # Its own process group takes the accessibility bus it starts along when it ends.
        self.processes.start(
            "dbus-daemon",
            ["dbus-daemon", "--session", "--nofork", f"--print-address={write_end}"],
            own_group=True,
            pass_fds=(write_end,),
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.work_dir, "dbus.log"), "wb"),
            env=os.environ.copy(),
        )
        os.close(write_end)
        address = read_pipe_text(read_end, 15, "dbus-daemon")
        os.close(read_end)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_x(self):
        """Starts Xvfb on a free display and returns its number once it takes connections."""
        log = open(os.path.join(self.work_dir, "xvfb.log"), "ab")
        tried = []
        # Other sessions on this machine take the low numbers (and -displayfd's own search
        # races with them), so each attempt picks a random high one.
        for _ in range(5):
            number = random.randint(1000, 30000)
            tried.append(number)
            read_end, write_end = os.pipe()
            server = self.processes.start(
                "Xvfb",
                # -noreset: a server that resets when its last client leaves drops the next
                # one that connects meanwhile.
                ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0",
                 "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,),
                stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL,
                stderr=log,
            )
            os.close(write_end)
            try:
                display = read_pipe_text(read_end, 15, "Xvfb")
            except UiError:
                display = None
            finally:
                os.close(read_end)
            if display == str(number) and server.poll() is None and _x_listens(number):
                self.x_server = server
                return display
            self.processes.stop(server)
        raise UiError(f"Xvfb could not start on any of the displays {tried}; see xvfb.log")

    def x_status(self):
        """What became of the X server, for a failure report."""
        server = self.x_server
        if server is None:
            return "no X server was started"
        status = server.poll()
        log = open(os.path.join(self.work_dir, "xvfb.log"), errors="replace").read().strip()
        state = "running" if status is None else f"ended with status {status}"
        return f"Xvfb on {os.environ.get('DISPLAY')} is {state}; its log: {log or '(empty)'}"

    def program_env(self):
        """The environment for a Qt program that publishes its windows on the bus."""
        env = os.environ.copy()
        env["QT_QPA_PLATFORM"] = "xcb"
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_ACCESSIBILITY"] = "1"
        return env


class Driver:
    """Finds and works the controls of one application over AT-SPI."""

    def __init__(self, app_name, poll=0.05):
        # Imported here: the library reads the bus address when it is loaded.
        import gi

        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi

        self.Atspi = Atspi
        self.app_name = app_name
        self.poll = poll
        # A window blocked in a printer exchange answers late; the waits below bound it.
        Atspi.set_timeout(4000, 20000)
        self.app = None

    # Waiting ---------------------------------------------------------------------------------

    def wait_for(self, what, probe, timeout):
        """Calls probe until it returns something true; a UiError naming what after timeout."""
        deadline = time.monotonic() + timeout
        last_error = None
        while True:
            try:
                value = probe()
                if value:
                    return value
            except UiError:
                raise
            except Exception as error:  # a bus call that timed out or met a vanished object
                last_error = error
            if time.monotonic() >= deadline:
                detail = f" (last error: {last_error})" if last_error else ""
                raise UiError(f"timed out after {timeout} s waiting for {what}{detail}")
            time.sleep(self.poll)

    # Finding ---------------------------------------------------------------------------------

    def attach(self, timeout=20, alive=None):
        """Waits for the application on the bus; alive, when given, raises a UiError once the
        program is gone, so that a program that failed to start ends the wait at once."""

        def probe():
            if alive is not None:
                alive()
            desktop = self.Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_name() == self.app_name:
                    return app
            return None

        self.app = self.wait_for(f"application {self.app_name!r} on the bus", probe, timeout)
        return self.app

    def states(self, accessible):
        accessible.clear_cache()
        return accessible.get_state_set()

    def has(self, accessible, state):
        return self.states(accessible).contains(getattr(self.Atspi.StateType, state))

    def windows(self):
        """The application's top-level windows that are on screen."""
        self.app.clear_cache()
        found = []
        for i in range(self.app.get_child_count()):
            window = self.app.get_child_at_index(i)
            if window is not None and self.has(window, "SHOWING"):
                found.append(window)
        return found

    def walk(self, root):
        yield root
        for i in range(root.get_child_count()):
            child = root.get_child_at_index(i)
            if child is not None:
                yield from self.walk(child)

    def find(self, root, role, name):
        for accessible in self.walk(root):
            if accessible.get_role_name() == role and accessible.get_name() == name:
                return accessible
        return None

    def control(self, window, role, name, timeout=5):
        return self.wait_for(
            f"{role} {name!r} in window {window.get_name()!r}",
            lambda: self.find(window, role, name),
            timeout,
        )

    def shown(self, window, role, name, timeout=5):
        """The control of this role and name that is on screen, where hidden ones share its
        name (two lists on one spot, one shown at a time)."""

        def probe():
            for accessible in self.walk(window):
                if (accessible.get_role_name() == role and accessible.get_name() == name
                        and self.has(accessible, "SHOWING")):
                    return accessible
            return None

        return self.wait_for(f"{role} {name!r} on screen in window {window.get_name()!r}",
                             probe, timeout)

    def window_holding(self, role, name, timeout=15):
        """A top-level window on screen that holds a control of this role and name, whatever
        its title (a window without a caption)."""

        def probe():
            for window in self.windows():
                if self.find(window, role, name) is not None:
                    return window
            return None

        return self.wait_for(f"a window holding {role} {name!r}", probe, timeout)

    def text_beside(self, window, caption, timeout=5):
        """The text of the label that stands to the right of a caption on its row, as a reader
        takes "Printer Model :" and the value after it."""
        Atspi = self.Atspi

        def probe():
            label = self.find(window, "label", caption)
            if label is None:
                return None
            own = label.get_extents(Atspi.CoordType.SCREEN)
            row = own.y + own.height // 2
            best = None
            for accessible in self.walk(window):
                if accessible.get_role_name() != "label":
                    continue
                box = accessible.get_extents(Atspi.CoordType.SCREEN)
                if box.x < own.x + own.width or not box.y <= row < box.y + box.height:
                    continue
                if best is None or box.x < best[0]:
                    best = (box.x, accessible.get_name())
            return best

        return self.wait_for(f"the label beside {caption!r}", probe, timeout)[1]

    def wait_window(self, role, title, contains=None, timeout=15):
        """An active top-level window of this role and title (holding a control named
        contains, when given)."""

        def probe():
            for window in self.windows():
                if window.get_role_name() != role or window.get_name() != title:
                    continue
                if not self.has(window, "ACTIVE"):
                    continue
                if contains is None or self.find(window, *contains) is not None:
                    return window
            return None

        extra = f" holding {contains[0]} {contains[1]!r}" if contains else ""
        return self.wait_for(f"active {role} {title!r}{extra}", probe, timeout)

    def wait_closed(self, window, timeout=10):
        self.wait_for(
            f"window {window.get_name()!r} to close",
            lambda: not self.has(window, "SHOWING"),
            timeout,
        )

    def labelled(self, window, label_text, timeout=5):
        """The control that a label names, found through the label's relation, as a screen
        reader finds it."""
        Atspi = self.Atspi

        def probe():
            label = self.find(window, "label", label_text)
            if label is None:
                return None
            for relation in label.get_relation_set():
                if relation.get_relation_type() == Atspi.RelationType.LABEL_FOR:
                    return relation.get_target(0)
            raise UiError(f"label {label_text!r} names no control")

        return self.wait_for(f"the control labelled {label_text!r}", probe, timeout)

    def combo_with_item(self, window, item_text, timeout=5):
        """The drop-down list that offers this item."""

        def probe():
            for accessible in self.walk(window):
                if accessible.get_role_name() == "combo box" and item_text in self.items(
                    accessible
                ):
                    return accessible
            return None

        return self.wait_for(f"a list offering {item_text!r}", probe, timeout)

    def items(self, combo):
        names = []
        for accessible in self.walk(combo):
            if accessible.get_role_name() == "list item":
                names.append(accessible.get_name())
        return names

    # Reading ---------------------------------------------------------------------------------

    def enabled(self, accessible):
        return self.has(accessible, "ENABLED")

    def checked(self, accessible):
        return self.has(accessible, "CHECKED")

    def text_of(self, accessible):
        """What a control shows: a drop-down list's current item or a field's text (their name
        is the caption beside them), any other control's name."""
        accessible.clear_cache()
        if (accessible.get_role_name() in ("combo box", "text")
                and accessible.get_text_iface() is not None):
            return self.Atspi.Text.get_text(accessible, 0, -1)
        return accessible.get_name()

    # Acting ----------------------------------------------------------------------------------

    def _action(self, accessible, action):
        for i in range(accessible.get_n_actions()):
            if accessible.get_action_name(i) == action:
                return i
        raise UiError(f"{accessible.get_role_name()} {accessible.get_name()!r} offers no "
                      f"{action!r} action")

    def _require_enabled(self, accessible):
        name = accessible.get_name()
        self.wait_for(f"{accessible.get_role_name()} {name!r} to be enabled",
                      lambda: self.enabled(accessible), 5)

    def press(self, button):
        """Presses a push button through its accessible action."""
        self._require_enabled(button)
        if not button.do_action(self._action(button, "Press")):
            raise UiError(f"pressing {button.get_name()!r} was refused")

    def window_of(self, accessible):
        window = accessible
        while True:
            parent = window.get_parent()
            if parent is None or parent.get_role_name() == "application":
                return window
            window = parent

    def activate(self, window):
        """Clicks the window's empty margin, as a user clicks a window to type into it."""
        if self.has(window, "ACTIVE"):
            return
        extents = window.get_extents(self.Atspi.CoordType.SCREEN)
        self.Atspi.generate_mouse_event(extents.x + 2, extents.y + 2, "b1c")
        self.wait_for(f"window {window.get_name()!r} to become active",
                      lambda: self.has(window, "ACTIVE"), 5)

    def focus(self, accessible):
        self._require_enabled(accessible)
        self.activate(self.window_of(accessible))
        accessible.do_action(self._action(accessible, "SetFocus"))
        self.wait_for(f"focus on {accessible.get_role_name()} {accessible.get_name()!r}",
                      lambda: self.has(accessible, "FOCUSED"), 5)

    def key(self, keysym):
        self.Atspi.generate_keyboard_event(keysym, None, self.Atspi.KeySynthType.SYM)

    def type_text(self, field, text):
        """Focuses a field, selects what it holds with Ctrl+A and types text over it."""
        synth = self.Atspi.KeySynthType
        control_mask = 1 << 2  # X's ControlMask, held down while "a" is struck
        self.focus(field)
        self.Atspi.generate_keyboard_event(control_mask, None, synth.LOCKMODIFIERS)
        self.Atspi.generate_keyboard_event(ord("a"), None, synth.SYM)
        self.Atspi.generate_keyboard_event(control_mask, None, synth.UNLOCKMODIFIERS)
        self.Atspi.generate_keyboard_event(0, text, synth.STRING)
        self.wait_for(f"{field.get_name()!r} to hold {text!r}",
                      lambda: self.text_of(field) == text, 5)

    def space(self, accessible):
        """Focuses a radio or check box and presses the space bar on it, as a keyboard user."""
        self.focus(accessible)
        self.key(0x20)

    def click(self, accessible):
        """Clicks the middle of a control with the mouse's left button."""
        self._require_enabled(accessible)
        extents = accessible.get_extents(self.Atspi.CoordType.SCREEN)
        if extents.width <= 0 or extents.height <= 0:
            raise UiError(f"{accessible.get_role_name()} {accessible.get_name()!r} is not on "
                          "screen")
        self.Atspi.generate_mouse_event(extents.x + extents.width // 2,
                                        extents.y + extents.height // 2, "b1c")

    def check(self, accessible, want=True, keyboard=False):
        """Ticks (or unticks) a check box, or chooses a radio, with a mouse click or the space
        bar."""
        if self.checked(accessible) != want:
            if keyboard:
                self.space(accessible)
            else:
                self.click(accessible)
        self.wait_for(
            f"{accessible.get_name()!r} to be {'checked' if want else 'unchecked'}",
            lambda: self.checked(accessible) == want,
            5,
        )

    def choose(self, combo, item_text):
        """Opens a drop-down list, moves to an item with the arrow keys and takes it with
        Return."""
        items = self.items(combo)
        if item_text not in items:
            raise UiError(f"the list does not offer {item_text!r}: {items}")
        if self.text_of(combo) == item_text:
            return
        self._require_enabled(combo)
        popup = self._popup_list(combo)
        combo.do_action(self._action(combo, "Press"))
        self.wait_for(f"the list of {combo.get_name()!r} to open",
                      lambda: self.has(popup, "SHOWING"), 5)
        target = items.index(item_text)
        current = self.text_of(combo)
        index = items.index(current) if current in items else -1
        down, up = 0xFF54, 0xFF52
        for _ in range(abs(target - index)):
            self.key(down if target > index else up)
        self.key(0xFF0D)  # Return
        self.wait_for(f"the list to show {item_text!r}",
                      lambda: self.text_of(combo) == item_text, 5)
        self.wait_for("the list to close", lambda: not self.has(popup, "SHOWING"), 5)

    def _popup_list(self, combo):
        for i in range(combo.get_child_count()):
            child = combo.get_child_at_index(i)
            if child is not None and child.get_role_name() == "list":
                return child
        raise UiError(f"drop-down list {combo.get_name()!r} has no list of items")

    def dismiss_message(self, expected_text, timeout=15):
        """Waits for a message box, checks its text and answers it with OK."""
        box = self.wait_for("a message box", self._message_box, timeout)
        text = self.message_text(box)
        if text != expected_text:
            raise UiError(f"message box says {text!r}, expected {expected_text!r}")
        self.press(self.control(box, "push button", "OK"))
        self.wait_for("the message box to close", lambda: self._message_box() is None, 10)
        return text

    def message_text(self, box):
        return "\n".join(
            a.get_name() for a in self.walk(box) if a.get_role_name() == "label" and a.get_name()
        )

    def _message_box(self):
        for window in self.windows():
            if window.get_role_name() == "alert":
                return window
        return None

    def open_message(self):
        """The text of a message box on screen, or None."""
        box = self._message_box()
        return None if box is None else self.message_text(box)
