#!/usr/bin/python3
"""A technician's session with the memory switch manager of the real programs.

Two simulated printers in the native emulation serve on pseudo-terminals: a KRT-310II on COM1
and a KRT-620 on COM2. Driven through the accessibility bus with the mouse and the keyboard, the
technician connects to the KRT-310II and runs the manager; reads its identity, moves between the
switch pages, picks a code page, gets the printer's status, changes a pin of switch page 2, the
code page, the speed and power save, sets the status and saves it to a file; then connects to
the KRT-620, loads that file into its manager and closes the program. The printer's state file,
the saved file and corvane's trace must show what the choices mean.
"""

import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from atspi_desktop import Processes, UiError  # noqa: E402
from session_support import (  # noqa: E402
    CorvaneSession,
    CONNECTED,
    MAIN_TITLE,
    Check,
    main,
    parse_trace,
    read_file,
    state_value,
    writes_to,
)

OVERALL_SECONDS = 100
WAIT_TEXT = "Please wait....  During Initializing"
GET_DONE = "Success to get status of printer."
SET_DONE = "Success to set status of printer"

KRT310II = "krt310ii"
KRT620 = "krt620"
# Memory switch 2 (pin 8 first) holds code page 9, "Code Page PC858 - Euro", in pins 4 and 7,
# and reserved pin 1 on, which a code page change must leave alone.
KRT310II_SWITCH_2 = "01001001"
KRT310II_SWITCH_8 = "10000001"
PRINTERS = [
    {"name": KRT310II, "port": "COM1",
     "options": ["--model", "KRT-310II", "--firmware", "V2.07", "--language", "SPANISH",
                 "--switch", "2=" + KRT310II_SWITCH_2, "--switch", "8=" + KRT310II_SWITCH_8]},
    {"name": KRT620, "port": "COM2",
     "options": ["--model", "KRT-620", "--firmware", "V1.10  STB", "--language", "ENGLISH"]},
]

# The KRT-310 family shows code page pins 3 to 8 as "Default Code Page Pin #1" to "#6".
KRT310_CODE_PAGE_PINS = [f"Default Code Page Pin #{i}" for i in range(1, 7)]
KRT620_CODE_PAGE_PINS = [f"Default Code Page Pin #{i}" for i in range(1, 9)]
SWITCH_2_PINS = ["Upside-down Printing", "Select Character Font", "Buzzer when paper out",
                 "Paper End Signal *", "Select Cover Open Status", "Buffer Size",
                 "Bufferfull Release", "Cover is opened with printing"]
ON, OFF, NO_CHANGE = "Switch On", "Switch Off", "No Change"


class Session(CorvaneSession):
    def __init__(self, args):
        self.args = args
        self.work = args.work_dir
        self.processes = Processes()
        self.check = Check()
        self.saved = os.path.join(self.work, "technician-status.sts")
        self.files = {
            "trace": os.path.join(self.work, "corvane.trace"),
            "corvane_out": os.path.join(self.work, "corvane.out"),
        }
        for printer in PRINTERS:
            self.files[printer["name"] + " state"] = self.state_file(printer["name"])

    def state_file(self, name):
        return os.path.join(self.work, name + ".state")

    def state(self, name):
        return read_file(self.state_file(name))

    # Set-up ----------------------------------------------------------------------------------

    def start(self):
        self.start_corvane(PRINTERS)

    # Helpers ---------------------------------------------------------------------------------

    def combo(self, window, name):
        return self.ui.shown(window, "combo box", name)

    def expect_lists(self, window, shown, when):
        """Each list (by its label) shows its entry."""
        for name, text in shown.items():
            actual = self.ui.text_of(self.combo(window, name))
            self.check.that(actual == text, f"{when}: {name!r} shows {text!r} (got {actual!r})")

    def expect_enabled(self, controls, enabled, when):
        for control in controls:
            self.check.that(self.ui.enabled(control) == enabled,
                            f"{when}: {control.get_role_name()} {control.get_name()!r} is "
                            f"{'enabled' if enabled else 'disabled'}")

    def connect(self, model_radio, port, printer):
        ui = self.ui
        ui.check(ui.control(self.main, "radio button", model_radio))
        self.check.that(ui.checked(ui.control(self.main, "radio button", "Vantora")),
                        f"{printer}: the native emulation is chosen")
        ui.choose(ui.labelled(self.main, "COM Port"), port)
        ui.press(self.button(self.main, "Connect"))
        ui.dismiss_message(CONNECTED)
        self.check.saw(f"connecting to the {printer} on {port} says {CONNECTED!r}")

    def run_manager(self, model, firmware, language):
        """Run Manager: the wait window stands while the printer is identified, then the manager
        shows the printer's identity."""
        ui = self.ui
        ui.press(self.button(self.main, "Run Manager"))
        waiting = ui.window_holding("label", WAIT_TEXT, timeout=10)
        self.check.saw(f"Run Manager shows the wait window {WAIT_TEXT!r}")
        ui.wait_closed(waiting, timeout=20)
        self.check.saw("the wait window goes away once the printer is identified")
        manager = ui.wait_window("dialog", MAIN_TITLE, contains=("push button", "Get Status"))
        ui.wait_for("Get Status to be enabled",
                    lambda: ui.enabled(self.button(manager, "Get Status")), 10)
        for caption, value in (("Printer Model :", model), ("Firmware Version :", firmware),
                               ("Language :", language)):
            shown = ui.text_beside(manager, caption)
            self.check.that(shown == value,
                            f"the manager shows {caption} {value!r} (got {shown!r})")
        return manager

    def close_manager(self, manager):
        self.ui.press(self.button(manager, "Exit"))
        self.ui.wait_closed(manager)
        self.check.saw("Exit closes the manager")

    def file_dialog(self, title, prefilled, path):
        """Types a path into a file dialog's name field and takes it with Return."""
        ui = self.ui
        dialog = ui.wait_window("dialog", title, contains=("text", "File name:"))
        field = ui.control(dialog, "text", "File name:")
        shown = ui.text_of(field)
        self.check.that(shown == prefilled,
                        f"the file dialog {title!r} offers {prefilled!r} (got {shown!r})")
        ui.type_text(field, path)
        ui.key(0xFF0D)  # Return
        ui.wait_closed(dialog)

    # The KRT-310II -----------------------------------------------------------------------------

    def krt310ii_manager_opens(self):
        ui = self.ui
        self.connect("KRT-310/310II", "COM1", "KRT-310II")
        manager = self.run_manager("KRT-310II", "V2.07", "SPANISH")
        code_page = self.combo(manager, "Default Code Page")
        self.expect_enabled([code_page, ui.control(manager, "check box", "Use Power Save Mode")],
                            True, "a KRT-310II whose firmware was read")
        self.expect_enabled([self.combo(manager, "Paper Width"),
                             self.combo(manager, KRT310_CODE_PAGE_PINS[0])],
                            False, "a KRT-310II on switch page 1")
        self.expect_lists(manager, {"Default Code Page": NO_CHANGE, "Baund Rate :": NO_CHANGE},
                          "before any status")
        return manager

    def move_between_pages(self, manager):
        ui = self.ui
        ui.press(self.button(manager, "Switch 2 Status"))
        ui.wait_for("the switch page 2 labels", lambda: ui.find(
            manager, "combo box", SWITCH_2_PINS[0]), 5)
        self.expect_enabled([self.combo(manager, name) for name in SWITCH_2_PINS], True,
                            "switch page 2")
        buzzer = self.combo(manager, "Buzzer when paper out")
        self.check.that(ui.items(buzzer) == [NO_CHANGE, "Buzzer Off", "Buzzer On"],
                        "switch page 2 offers its own words for pin 3")
        note = ui.control(manager, "label", "* :  NearEnd Sensor ON Only!")
        self.check.that(ui.has(note, "SHOWING"), "switch page 2 shows the near-end note")
        self.expect_enabled([self.combo(manager, "Default Code Page")], False, "switch page 2")
        ui.press(self.button(manager, "Switch 1 Stuatus"))
        ui.wait_for("the switch page 1 labels", lambda: ui.find(
            manager, "combo box", KRT310_CODE_PAGE_PINS[0]), 5)
        self.check.that(not ui.has(note, "SHOWING"), "switch page 1 hides the near-end note")
        self.expect_enabled([self.combo(manager, "Default Code Page")], True, "switch page 1")

    def pick_code_page(self, manager, entry, pins, when):
        """Picks a code page; pins are the entries the code page pin lists must then show."""
        self.ui.choose(self.combo(manager, "Default Code Page"), entry)
        self.expect_lists(manager, dict(zip(KRT310_CODE_PAGE_PINS, pins)), when)

    def get_status(self, manager):
        ui = self.ui
        ui.press(self.button(manager, "Get Status"))
        ui.dismiss_message(GET_DONE, timeout=30)
        self.check.saw(f"Get Status says {GET_DONE!r}")
        # Pins 8 to 3 of switch 2 are 0 1 0 0 1 0.
        self.expect_lists(manager, {
            "Default Code Page": "Code Page PC858 - Euro",
            **dict(zip(KRT310_CODE_PAGE_PINS, [OFF, ON, OFF, OFF, ON, OFF])),
            "Baund Rate :": "9600", "Data Bits :": "8", "Parity :": "None",
            "Flow Control :": "DTR/DSR",
        }, "after Get Status")
        power_save = ui.control(manager, "check box", "Use Power Save Mode")
        seconds = ui.labelled(manager, "Enterance : ")
        self.check.that(not ui.checked(power_save) and ui.text_of(seconds) == "60" and
                        not ui.enabled(seconds),
                        "after Get Status power save is off, 60 seconds, the field disabled")
        ui.press(self.button(manager, "Switch 2 Status"))
        self.expect_lists(manager, dict(zip(SWITCH_2_PINS, [
            "Turn On", "7x9", "Buzzer On", "Signal Off", "Paper-out", "8Kb", "Normal",
            "Recoverable by command"])), "switch page 2 after Get Status")

    def change_settings(self, manager):
        ui = self.ui
        # On switch page 2 since Get Status.
        ui.choose(self.combo(manager, "Select Character Font"), "9x9")
        ui.press(self.button(manager, "Switch 1 Stuatus"))
        self.pick_code_page(manager, "Code Page CASIO", [ON, ON, OFF, OFF, OFF, OFF],
                            "Code Page CASIO (33) switches on pins 3 and 4")
        ui.press(self.button(manager, "Switch 2 Status"))
        self.expect_lists(manager, {"Select Character Font": "9x9"},
                          "switch page 2 keeps its change over a visit to page 1")
        ui.choose(self.combo(manager, "Baund Rate :"), "19200")
        power_save = ui.control(manager, "check box", "Use Power Save Mode")
        seconds = ui.labelled(manager, "Enterance : ")
        ui.check(power_save)
        ui.wait_for("the seconds field to be enabled", lambda: ui.enabled(seconds), 5)
        ui.type_text(seconds, "300")
        ui.key(0xFF09)  # Tab leaves the field
        ui.wait_for("the seconds to be kept to 254", lambda: ui.text_of(seconds) == "254", 5)
        self.check.saw("300 seconds are kept to 254 when the field is left")
        ui.type_text(seconds, "45")
        ui.key(0xFF09)
        ui.wait_for("45 seconds to stay", lambda: not ui.has(seconds, "FOCUSED"), 5)
        self.check.that(ui.text_of(seconds) == "45", "45 seconds stay as typed")

    def set_status(self, manager):
        self.ui.press(self.button(manager, "Set Status"))
        self.ui.dismiss_message(SET_DONE, timeout=40)
        self.check.saw(f"Set Status says {SET_DONE!r}")
        state = self.state(KRT310II)
        # Code page 33 goes to pins 8 to 3; pins 2 and 1 stay as they were.
        for key, value in (("memory switch 2", "00001101"), ("memory switch 8", "10000011"),
                           ("serial speed", "19200"), ("serial data bits", "8"),
                           ("paper width", "5"), ("power save", "on"),
                           ("power save seconds", "45"), ("user setting mode", "off")):
            actual = state_value(state, key)
            self.check.that(actual == value,
                            f"{KRT310II} state after Set Status: {key}: {value} (got {actual})")

    def save_status(self, manager):
        ui = self.ui
        ui.press(self.button(manager, "Save Status"))
        self.file_dialog("Save current status", "Noname.sts", self.saved)
        ui.wait_for("the status file", lambda: os.path.exists(self.saved), 5)
        self.saved_bytes = open(self.saved, "rb").read()
        expected = struct.pack(
            "<31i",
            # Switch page 1: the code page pick leaves pins 3 and 4 on and the others as
            # "No Change".
            0, 0, 1, 1, 0, 0, 0, 0,
            # Switch page 2 as read, with pin 2 on.
            1, 1, 2, 2, 2, 2, 2, 1,
            # Switch page 5, which the KRT-310 family lacks.
            0, 0, 0, 0, 0, 0, 0, 0,
            # Speed 19200, 8 data bits, DTR/DSR, no parity, 76 mm, power save after 45 s.
            5, 2, 1, 1, 3, 1, 45)
        self.check.that(self.saved_bytes == expected,
                        "the saved file holds the 124 bytes of the choices",
                        f"  got      {self.saved_bytes.hex(' ')}\n  expected {expected.hex(' ')}")

    def leave_other_power_save(self, manager):
        """Power save off and 100 seconds before Exit, which the manager keeps for its next
        opening, so that loading the file on the KRT-620 has something to change."""
        ui = self.ui
        seconds = ui.labelled(manager, "Enterance : ")
        ui.type_text(seconds, "100")
        ui.check(ui.control(manager, "check box", "Use Power Save Mode"), want=False)
        ui.wait_for("the seconds field to be disabled", lambda: not ui.enabled(seconds), 5)

    def disconnect(self):
        ui = self.ui
        ui.press(self.button(self.main, "Disconnect"))
        ui.wait_for("Connect to be enabled again",
                    lambda: ui.enabled(self.button(self.main, "Connect")), 10)

    # The KRT-620 --------------------------------------------------------------------------------

    def load_on_krt620(self):
        ui = self.ui
        self.connect("KRT-620", "COM2", "KRT-620")
        manager = self.run_manager("KRT-620", "V1.10  STB", "ENGLISH")
        power_save = ui.control(manager, "check box", "Use Power Save Mode")
        seconds = ui.labelled(manager, "Enterance : ")
        self.check.that(not ui.checked(power_save) and ui.text_of(seconds) == "100",
                        "the manager keeps power save off and 100 seconds from its last opening")

        ui.press(self.button(manager, "Load Status"))
        self.file_dialog("Load saved status", "*.sts", self.saved)
        # Pins 3 and 4 spell code page number 12 on a KRT-620, whose list lacks it: no entry
        # is shown rather than an unrelated one.
        self.expect_lists(manager, {
            **dict(zip(KRT620_CODE_PAGE_PINS, [NO_CHANGE, NO_CHANGE, ON, ON] + [NO_CHANGE] * 4)),
            "Default Code Page": "",
            "Baund Rate :": NO_CHANGE,
        }, "the KRT-620 after Load Status")
        self.check.that(ui.checked(power_save) and ui.text_of(seconds) == "45",
                        "Load Status brings back power save on after 45 seconds")
        self.expect_enabled([self.button(manager, name) for name in
                             ("Get Status", "Print Status", "Set Status", "Switch 5 Status")],
                            True, "after Load Status")
        ui.press(self.button(manager, "Switch 5 Status"))
        self.expect_lists(manager, {
            **{f"Special F/W Pin #{i}": NO_CHANGE for i in range(1, 9)},
            "Special F/W": "Not Used",
        }, "switch page 5 of the KRT-620 after loading a KRT-310 family file")
        self.close_manager(manager)

    def close_program(self):
        ui = self.ui
        ui.focus(self.button(self.main, "Run Manager"))
        ui.key(0xFF1B)  # Escape closes the main window
        try:
            status = self.corvane.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise UiError("corvane did not end within 15 s of Escape on its main window")
        self.check.that(status == 0, f"corvane ends with status 0 (got {status})")
        for name, process in self.printers.items():
            status = self.processes.stop(process)
            self.check.that(status == 0, f"{name} ends cleanly on SIGTERM (got {status})")

    # What went over the wire --------------------------------------------------------------------

    def verify_trace(self):
        entries = parse_trace(self.files["trace"])
        com1 = writes_to(entries, self.devices["COM1"])
        enter = "08 5E 45 01 00 01"
        first = com1.index(enter) if enter in com1 else len(com1)
        expected = [
            enter,
            # Code page 33 in pins 8 to 3, pins 2 and 1 left alone.
            "08 5E 45 11 00 03 30 30 30 30 31 31 32 32",
            "31 30 30 30 30 30 31 31",
            "08 5E 45 03 00 05 05 00",
            "08 5E 45 01 00 02",
            "08 5E 45 09 00 0B", "31 39 32 30 30", "30", "30", "38",
            "08 5E 50 30 01 2D",
        ]
        got = com1[first:first + len(expected)]
        self.check.that(got == expected, "trace: Set Status sent the choices to COM1",
                        "  got      " + "\n           ".join(got) +
                        "\n  expected " + "\n           ".join(expected))
        settings = [b for b in writes_to(entries, self.devices["COM2"])
                    if b and b.startswith("08 5E")]
        self.check.that(settings == [],
                        f"trace: Load Status sent nothing to the KRT-620 ({settings})")

    def run(self):
        self.start()
        manager = self.krt310ii_manager_opens()
        self.move_between_pages(manager)
        self.pick_code_page(manager, "Code Page PC1255 - Israel", [OFF, OFF, ON, ON, OFF, ON],
                            "Code Page PC1255 - Israel (22) switches on pins 5, 6 and 8")
        self.get_status(manager)
        self.change_settings(manager)
        self.set_status(manager)
        self.save_status(manager)
        self.leave_other_power_save(manager)
        self.close_manager(manager)
        self.disconnect()
        self.load_on_krt620()
        self.close_program()
        self.verify_trace()

    def report_failure(self):
        for key, path in self.files.items():
            lines = read_file(path).splitlines()[-40:]
            print(f"--- {key}: {path} (last {len(lines)} lines) ---", file=sys.stderr)
            print("\n".join(lines), file=sys.stderr)
        try:
            message = self.ui.open_message()
            if message:
                print(f"--- message box on screen: {message!r}", file=sys.stderr)
        except Exception:
            pass


if __name__ == "__main__":
    sys.exit(main(Session, __doc__.splitlines()[0], OVERALL_SECONDS))
