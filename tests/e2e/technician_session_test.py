#!/usr/bin/python3
"""A technician's session with the real programs.

Three simulated printers serve on pseudo-terminals: a KRT-620 in the native emulation, a KRT-310
in the "Other" emulation that answers 02, and a KRT-620 in the "Other" emulation whose firmware
text allows the code page option. The real corvane reaches them through its serial backend
(--port COM1=... and so on). The session is driven through the accessibility bus with the mouse
and the keyboard, as a user would: connect to the native KRT-620, store four vertical alignment
offsets and print the verify pattern; disconnect, connect to the KRT-310 and send line-mode
switches twice from Run Manager; disconnect, connect to the other KRT-620 and set its code page
and CR/LF handling; then close the program. The printers' state files, their printout logs and
corvane's trace must show what the printers received.

Exit status 0 when everything was seen, 1 with the reason otherwise. A missing part (program,
package, display) is a failure, never a skip.
"""

import os
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

ALIGNMENT_TITLE = "KRT-620 Vertical Alignment Tool"
OVERALL_SECONDS = 100

# Offsets the technician reads off the pattern: row, column caption, value byte sent (column
# index plus one), offset the printer keeps.
ALIGNMENT_CHOICES = [
    ("[A]", "-3", 0x01, -3),
    ("[B]", "2", 0x06, 2),
    ("[C]", "0", 0x04, 0),
    ("[D]", "3", 0x07, 3),
]

PRINT_STATUS = "1B 1D 23 54 30 30 30 30 0A 00"
EMULATION_QUERY = "1F 1F 45"

NATIVE_620 = "krt620-native"
OTHER_310 = "krt310-other"
OTHER_620 = "krt620-other"
# Characters 8 to 10 of this firmware text mark a printer that takes the code page option.
STB_FIRMWARE = "KRT-620STB V1.03"
PRINTERS = [
    {"name": NATIVE_620, "port": "COM1", "options": ["--model", "KRT-620"]},
    {"name": OTHER_310, "port": "COM2", "options": ["--model", "KRT-310", "--emulation", "02"]},
    {"name": OTHER_620, "port": "COM3",
     "options": ["--model", "KRT-620", "--emulation", "02", "--firmware", STB_FIRMWARE]},
]


def switch_command(operation, words):
    """The hex text of a 42-byte line-mode switch command: words 1 to 9, missing ones 0000."""
    digits = "".join(words + ["0000"] * (9 - len(words)))
    data = b"\x1b\x1d#" + operation.encode() + digits.encode() + b"\n\x00"
    return " ".join(f"{byte:02X}" for byte in data)


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
        for printer in PRINTERS:
            self.files[printer["name"] + " state"] = self.state_file(printer["name"])
            self.files[printer["name"] + " printout"] = self.printout_file(printer["name"])

    def state_file(self, name):
        return os.path.join(self.work, name + ".state")

    def printout_file(self, name):
        return os.path.join(self.work, name + ".printout")

    def state(self, name):
        return read_file(self.state_file(name))

    def printout(self, name):
        return read_file(self.printout_file(name))

    # Set-up ----------------------------------------------------------------------------------

    def start(self):
        self.start_corvane(PRINTERS)

    # Helpers ---------------------------------------------------------------------------------

    def radio(self, window, name):
        return self.ui.control(window, "radio button", name)

    def expect_buttons(self, enabled, disabled, when):
        for name in enabled:
            self.check.that(self.ui.enabled(self.button(self.main, name)),
                            f"{when}: {name!r} is enabled")
        for name in disabled:
            self.check.that(not self.ui.enabled(self.button(self.main, name)),
                            f"{when}: {name!r} is disabled")

    def wait_state(self, printer, key, value, timeout=10):
        self.ui.wait_for(f"{printer} to keep {key}: {value}",
                         lambda: state_value(self.state(printer), key) == value, timeout)

    def no_message(self, when):
        text = self.ui.open_message()
        self.check.that(text is None, f"{when}: no message box (saw {text!r})")

    # The session -----------------------------------------------------------------------------

    def connect_native_krt620(self):
        ui = self.ui
        ui.check(self.radio(self.main, "KRT-620"))
        picture = ui.control(self.main, "image", "KRT-620 printer")
        self.check.that(ui.has(picture, "SHOWING"), "choosing KRT-620 shows its picture")
        self.check.that(ui.checked(self.radio(self.main, "Vantora")),
                        "the native emulation is chosen")
        com = ui.labelled(self.main, "COM Port")
        ui.choose(com, "COM1")
        ui.press(self.button(self.main, "Connect"))
        ui.dismiss_message(CONNECTED)
        self.check.saw("connecting to the KRT-620 on COM1 says 'Printer is connected.'")
        self.expect_buttons(
            ["Disconnect", "Self Test 1", "Self Test 2", "Run Manager", "Vertical Alignment Tool"],
            ["Connect"], "connected to the native KRT-620")

    def store_alignment(self):
        ui = self.ui
        ui.press(self.button(self.main, "Vertical Alignment Tool"))
        tool = ui.wait_window("dialog", ALIGNMENT_TITLE, contains=("push button", "Save Setting"))
        for row, _, _, _ in ALIGNMENT_CHOICES:
            self.check.that(ui.checked(self.radio(tool, f"{row} 0")),
                            f"the tool opens with row {row} on column 0")
        # The grid is worked from the keyboard, the other windows with the mouse.
        for row, column, _, _ in ALIGNMENT_CHOICES:
            ui.check(self.radio(tool, f"{row} {column}"), keyboard=True)
        ui.press(self.button(tool, "Save Setting"))
        ui.dismiss_message("Save Setting Success!!")
        self.check.saw("Save Setting reports 'Save Setting Success!!'")
        for row, _, _, offset in ALIGNMENT_CHOICES:
            self.wait_state(NATIVE_620, f"alignment {row[1]}", str(offset))
        ui.press(self.button(tool, "Verify  Setting"))
        ui.wait_for("the verify printout",
                    lambda: "[D] offset" in self.printout(NATIVE_620), 10)
        self.no_message("after Verify Setting")
        ui.press(self.button(tool, "EXIT"))
        ui.wait_closed(tool)
        self.check.saw("EXIT closes the alignment tool")

    def disconnect(self):
        ui = self.ui
        ui.press(self.button(self.main, "Disconnect"))
        ui.wait_for("Connect to be enabled again",
                    lambda: ui.enabled(self.button(self.main, "Connect")), 10)
        self.expect_buttons(
            ["Connect"],
            ["Disconnect", "Self Test 1", "Self Test 2", "Run Manager", "Vertical Alignment Tool"],
            "after Disconnect")

    def connect_other_krt310(self):
        ui = self.ui
        ui.check(self.radio(self.main, "KRT-310/310II"))
        ui.wait_for("the KRT-310 picture",
                    lambda: ui.has(ui.control(self.main, "image", "KRT-310/310II printer"),
                                   "SHOWING"), 5)
        ui.check(self.radio(self.main, "Other"))
        com = ui.labelled(self.main, "COM Port")
        ui.choose(com, "COM2")
        ui.press(self.button(self.main, "Connect"))
        ui.dismiss_message(CONNECTED)
        self.check.saw("connecting to the KRT-310 in the Other emulation on COM2 says "
                       "'Printer is connected.'")
        self.expect_buttons(
            ["Disconnect", "Run Manager"],
            ["Connect", "Self Test 1", "Self Test 2", "Vertical Alignment Tool"],
            "connected in the Other emulation")

    def send_line_mode_options(self):
        ui = self.ui
        ui.press(self.button(self.main, "Run Manager"))
        dialog = ui.wait_window("dialog", MAIN_TITLE, contains=("check box", "Paper width"))
        paper = ui.control(dialog, "check box", "Paper width")
        zero = ui.control(dialog, "check box", "Zero Style")
        paper_list = ui.combo_with_item(dialog, "57.5mm(297 half dots)")
        self.check.that(not ui.enabled(paper_list), "the paper width list starts disabled")

        # First Set: slashed zero and 57.5 mm (297 half dots).
        ui.check(zero)
        ui.check(self.radio(dialog, "Slash zero"))
        ui.check(paper)
        ui.wait_for("the paper width list to be enabled", lambda: ui.enabled(paper_list), 5)
        self.check.that(ui.text_of(paper_list) == "76mm(400 half dots)",
                        "ticking Paper width offers its first item")
        ui.choose(paper_list, "57.5mm(297 half dots)")
        ui.press(self.button(dialog, "Set status of memory switch"))
        self.wait_state(OTHER_310, "line word 3", "0C00")
        self.wait_state(OTHER_310, "line word 2", "0010")
        self.no_message("after the first Set")

        # Second Set: Zero Style left as it is, paper width changed to 57.5 mm (300 half dots).
        ui.check(zero, want=False)
        ui.choose(paper_list, "57.5mm(300 half dots)")
        ui.press(self.button(dialog, "Set status of memory switch"))
        self.wait_state(OTHER_310, "line word 3", "0400")
        self.no_message("after the second Set")
        ui.press(self.button(dialog, "Close"))
        ui.wait_closed(dialog)
        self.check.saw("Close closes the line-mode dialog")

    def connect_other_krt620(self):
        ui = self.ui
        ui.check(self.radio(self.main, "Other"))
        ui.check(self.radio(self.main, "KRT-620"))
        # Choosing the KRT-620 puts the emulation back to native.
        ui.wait_for("the native emulation to be chosen again",
                    lambda: ui.checked(self.radio(self.main, "Vantora")), 5)
        self.check.saw("choosing KRT-620 chooses the native emulation again")
        ui.check(self.radio(self.main, "Other"))
        ui.choose(ui.labelled(self.main, "COM Port"), "COM3")
        ui.press(self.button(self.main, "Connect"))
        ui.dismiss_message(CONNECTED)
        self.check.saw("connecting to the KRT-620 in the Other emulation on COM3 says "
                       "'Printer is connected.'")

    def send_code_page_and_crlf(self):
        ui = self.ui
        ui.press(self.button(self.main, "Run Manager"))
        dialog = ui.wait_window("dialog", "Other Corvane", contains=("check box", "Code Page Set"))
        code_page = ui.control(dialog, "check box", "Code Page Set")
        crlf = ui.control(dialog, "check box", "[CR] [LF] Command Set")
        self.check.that(ui.enabled(code_page) and
                        ui.enabled(ui.control(dialog, "check box", "Select All Item")),
                        "firmware text with STB enables Code Page Set and Select All Item")
        ui.check(code_page)
        ui.choose(ui.combo_with_item(dialog, "1252(Latin I)"), "1252(Latin I)")
        ui.check(crlf)
        ui.choose(ui.combo_with_item(dialog, "[CR] : CR+LF, [LF] : LF"),
                  "[CR] : CR+LF, [LF] : LF")
        ui.press(self.button(dialog, "Set status of memory switch"))
        self.wait_state(OTHER_620, "line word 1", "0010")
        self.wait_state(OTHER_620, "line word 5", "0003")
        self.no_message("after Set in the code page dialog")
        ui.press(self.button(dialog, "Print current status of memory switch"))
        ui.wait_for("the second status printout",
                    lambda: self.printout(OTHER_620).count("=== Switch status ===") == 2, 10)
        ui.press(self.button(dialog, "Close"))
        ui.wait_closed(dialog)
        self.check.saw("Close closes the code page dialog")

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

    # What the printers received ---------------------------------------------------------------

    def expect_words(self, printer, words):
        state = self.state(printer)
        for word in range(1, 10):
            value = words.get(word, "0000")
            actual = state_value(state, f"line word {word}")
            self.check.that(actual == value,
                            f"{printer} state: line word {word}: {value} (got {actual})")

    def verify_native_620(self):
        state = self.state(NATIVE_620)
        for row, _, _, offset in ALIGNMENT_CHOICES:
            key = f"alignment {row[1]}"
            self.check.that(state_value(state, key) == str(offset),
                            f"{NATIVE_620} state: {key}: {offset}")
        verify = self.printout(NATIVE_620).split("=== Vertical alignment verify ===")
        self.check.that(len(verify) == 2, f"{NATIVE_620} printed one verify pattern")
        for row, _, _, offset in ALIGNMENT_CHOICES:
            self.check.that(f"{row} offset {offset}\n" in verify[1],
                            f"{NATIVE_620} verify printout shows {row} offset {offset}")
        self.expect_words(NATIVE_620, {})

    def verify_other_310(self):
        self.expect_words(OTHER_310, {2: "0010", 3: "0400"})
        blocks = self.printout(OTHER_310).split("=== Switch status ===")
        self.check.that(len(blocks) == 3, f"{OTHER_310} printed its switch status after each Set")
        for block, word3 in ((blocks[1], "0C00"), (blocks[2], "0400")):
            self.check.that("Word 2: 0010\n" in block and f"Word 3: {word3}\n" in block,
                            f"{OTHER_310} status printout shows Word 2: 0010 and Word 3: {word3}")
        state = self.state(OTHER_310)
        self.check.that(all(state_value(state, f"alignment {row}") == "0" for row in "ABCD"),
                        f"{OTHER_310} received no alignment offsets")

    def verify_other_620(self):
        self.expect_words(OTHER_620, {1: "0010", 5: "0003"})
        blocks = self.printout(OTHER_620).split("=== Switch status ===")
        self.check.that(len(blocks) == 3,
                        f"{OTHER_620} printed its switch status after Set and after Print")
        for block in blocks[1:]:
            self.check.that("Word 1: 0010\n" in block and "Word 5: 0003\n" in block,
                            f"{OTHER_620} status printout shows Word 1: 0010 and Word 5: 0003")

    def expect_writes(self, entries, port, expected, what):
        got = writes_to(entries, self.devices[port])
        self.check.that(got == expected, f"trace: {port} got {what}",
                        "  got      " + "\n           ".join(got) +
                        "\n  expected " + "\n           ".join(expected))

    def verify_trace(self):
        # The trace names the devices the ports opened.
        entries = parse_trace(self.files["trace"])
        com1 = writes_to(entries, self.devices["COM1"])
        store = [f"1B 78 01 02 {i + 1:02X} {v:02X}" for i, (_, _, v, _) in
                 enumerate(ALIGNMENT_CHOICES)]
        self.check.that(com1[:3] == ["1B 40", "1B 3D 01", "1D 49 03"],
                        f"trace: Connect in the native emulation starts with initialize, select "
                        f"and version-id request on COM1 ({com1[:3]})")
        tail = com1[-6:]
        self.check.that(tail == store + ["1B 40 1B 78 01 03 00", "1D 56 42 00"],
                        f"trace: COM1 ends with the four store commands, the verify request and "
                        f"the cut ({tail})")
        # The store commands are 50 ms apart.
        com1_ops = [(dev, op, detail, hex_bytes) for dev, op, detail, hex_bytes in entries
                    if dev in (self.devices["COM1"], "-")]
        first = next(i for i, e in enumerate(com1_ops) if e[3] == store[0])
        window = com1_ops[first:first + 7]
        pauses = [e[2] for e in window[1::2]]
        self.check.that([e[3] for e in window[0::2]] == store and
                        all(p.endswith(", 50 ms") for p in pauses),
                        f"trace: a 50 ms pause between the store commands ({pauses})")

        self.expect_writes(entries, "COM2", [
            EMULATION_QUERY,
            switch_command("-", ["0000", "0010", "0C00"]),
            switch_command("+", ["0000", "0010", "0C00"]),
            PRINT_STATUS,
            switch_command("-", ["0000", "0000", "0C00"]),
            switch_command("+", ["0000", "0000", "0400"]),
            PRINT_STATUS,
        ], "only the emulation query, then clear, set and print status twice")
        self.expect_writes(entries, "COM3", [
            EMULATION_QUERY,
            "1D 49 41",
            # The code page field's clear covers bit 0020 too, which three code pages use.
            switch_command("-", ["003F", "0000", "0000", "0000", "000F"]),
            switch_command("+", ["0010", "0000", "0000", "0000", "0003"]),
            PRINT_STATUS,
            PRINT_STATUS + " 00",
        ], "the emulation query, the version-text request, clear, set, print status, and the "
           "print button's status command with its second 00")
        for port in ("COM2", "COM3"):
            reads = [b for dev, op, _, b in entries
                     if dev == self.devices[port] and op == "read" and b]
            self.check.that(reads[:1] == ["02"],
                            f"trace: {port} answered the emulation query 02 ({reads[:1]})")

    def run(self):
        self.start()
        self.connect_native_krt620()
        self.store_alignment()
        self.disconnect()
        self.connect_other_krt310()
        self.send_line_mode_options()
        self.disconnect()
        self.connect_other_krt620()
        self.send_code_page_and_crlf()
        self.close_program()
        self.verify_native_620()
        self.verify_other_310()
        self.verify_other_620()
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
