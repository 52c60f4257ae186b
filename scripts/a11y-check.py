"""The running window as a screen reader reads it, through AT-SPI (scripts/a11y-check.sh).

a11y-check.py WINDOW_ID TEMP_FOLDER...: WINDOW_ID is the X window of "Milvane Runtally", for
xdotool; report.tmp is looked for in the TEMP_FOLDERs in turn. Checks that every control has its
role and its name (the report box a multi-line, read-only text without one), that the report's
text read through the Text interface, whole and line by line, is report.tmp as the window shows
it, and that the caret can be set through the interface and follows the keys, with the
caret-moved events a text box sends. Prints one line per check; exits 1 on the first failure.
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = "runtally"
WINDOW_TITLE = "Milvane Runtally"
# Windows-1252 from 0x80 to 0x9F; its five unassigned bytes keep their Latin-1 control
# characters, as the window decodes them.
CP1252_HIGH = [
    0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039,
    0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178]
RUN_INDENT = "      "
RUN_SEPARATOR = "  -  "
LATER_RUN_SEPARATOR = "   -   "  # before the duration of a date block's second and later runs
SEPARATOR_LINE = RUN_INDENT + "-" * 58 + " "


def fail(message):
    print(f"a11y: FAILED: {message}")
    sys.exit(1)


def wait_for(what, probe, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False)  # delivers the events listened for
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    fail(f"no {what} after {seconds:.0f} s")


def decode_line(raw):
    """A log line as the window shows it: UTF-8 where valid, else Windows-1252."""
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return "".join(chr(CP1252_HIGH[b - 0x80]) if 0x80 <= b < 0xA0 else chr(b) for b in raw)


def window_text(report_file):
    """report.tmp as the window shows it: each line after a line end rather than before one,
    so the text starts with an empty line, and in a date block the runs after the first with
    the wider separator before their duration."""
    lines = [decode_line(raw) for raw in report_file.split(b"\r\n")]
    if lines[-1] != "":
        fail("report.tmp does not end with a line end")
    shown = []
    runs_in_block = 0
    for line in lines[:-1]:
        if line.startswith("Files cut on ") or line == SEPARATOR_LINE:
            runs_in_block = 0
        elif line.startswith(RUN_INDENT) and RUN_SEPARATOR in line and not line.startswith(
                RUN_INDENT + "Total"):
            runs_in_block += 1
            if runs_in_block > 1:
                head, _, duration = line.rpartition(RUN_SEPARATOR)
                line = head + LATER_RUN_SEPARATOR + duration
        shown.append(line)
    return "\n" + "\n".join(shown)


def find_application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in desktop if app is not None and app.name == APP_NAME), None)


def descendants(accessible):
    for child in accessible:
        if child is None:
            continue
        yield child
        if child.getRole() != pyatspi.ROLE_COMBO_BOX:  # not the items of its list
            yield from descendants(child)


def labels(accessible):
    return [relation.getTarget(i).name
            for relation in accessible.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())]


def spoken_name(accessible):
    """What a screen reader says a control is: the label that names it, else its own name."""
    return (labels(accessible) or [accessible.name])[0]


def check_controls(window):
    controls = [a for a in descendants(window) if a.getRole() in (
        pyatspi.ROLE_TEXT, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_PUSH_BUTTON)]
    found = {}
    for control in controls:
        states = control.getState()
        key = control.getRoleName()
        if control.getRole() == pyatspi.ROLE_TEXT:
            key = "report" if states.contains(pyatspi.STATE_MULTI_LINE) else "total"
        found[key] = control
        print(f"a11y: {control.getRoleName()} \"{spoken_name(control)}\"")
    expected = {
        "total": ("text", "Total elapsed time in CUT mode"),
        "combo box": ("combo box", "CUT mode times by date"),
        "push button": ("push button", "Save reports?"),
        "report": ("text", ""),
    }
    if sorted(found) != sorted(expected) or len(controls) != len(expected):
        fail(f"controls found: {[c.getRoleName() for c in controls]}")
    for key, (role, name) in expected.items():
        control = found[key]
        if control.getRoleName() != role or spoken_name(control) != name:
            fail(f"{key}: {control.getRoleName()} \"{spoken_name(control)}\", "
                 f"not {role} \"{name}\"")
    report = found["report"]
    states = report.getState()
    if not states.contains(pyatspi.STATE_READ_ONLY) or states.contains(pyatspi.STATE_EDITABLE):
        fail("the report box is not read-only")
    print("a11y: every control has its role and its name; the report box is a read-only text")
    return report


def read_report_file(folders):
    for folder in folders:
        path = os.path.join(folder, "report.tmp")
        if os.path.exists(path):
            with open(path, "rb") as file:
                return path, file.read()
    fail(f"no report.tmp in {', '.join(folders)}")


def check_text(text, expected, path):
    whole = text.getText(0, -1)
    if text.characterCount != len(expected) or whole != expected:
        shown, wanted = whole.split("\n"), expected.split("\n")
        line = next((i for i, (a, b) in enumerate(zip(shown, wanted)) if a != b),
                    min(len(shown), len(wanted)))
        fail(f"the report box's text ({text.characterCount} characters) is not {path} as shown "
             f"({len(expected)}); line {line}: {shown[line:line + 1]} against "
             f"{wanted[line:line + 1]}")
    by_lines, offset = [], 0
    while offset < text.characterCount:
        line, start, end = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)
        if start != offset or end <= offset:
            fail(f"the line at {offset} runs from {start} to {end}")
        by_lines.append(line)
        offset = end
    if "".join(by_lines) != expected:
        fail("the report box's text read line by line differs")
    print(f"a11y: the report box's text is {path} as the window shows it: "
          f"{len(by_lines)} lines, {len(expected)} characters, whole and line by line")


def check_caret(report, text, expected, window_id):
    middle = len(expected) // 2
    text.setCaretOffset(middle)
    if text.caretOffset != middle:
        fail(f"the caret set at {middle} is at {text.caretOffset}")

    moves = []

    def caret_moved(event):
        if event.source == report:
            moves.append(event.detail1)

    pyatspi.Registry.registerEventListener(caret_moved, "object:text-caret-moved")
    report.queryComponent().grabFocus()
    text.setCaretOffset(0)
    subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True)
    subprocess.run(["xdotool", "key", "Down", "End"], check=True)
    # The end of the second line, the title.
    title_end = expected.index("\n", 1)
    wait_for(f"caret at {title_end} after Down and End (it is at {text.caretOffset})",
             lambda: text.caretOffset == title_end and title_end in moves, seconds=10)
    pyatspi.Registry.deregisterEventListener(caret_moved, "object:text-caret-moved")
    print(f"a11y: the caret set through AT-SPI is read back; Down and End take it to {title_end}"
          f", and the caret-moved events say so ({moves})")


def main():
    window_id, folders = sys.argv[1], sys.argv[2:]
    application = wait_for(f"application \"{APP_NAME}\" on the accessibility bus",
                           find_application)
    window = next((w for w in application if w is not None and w.name == WINDOW_TITLE), None)
    if window is None:
        fail(f"no window \"{WINDOW_TITLE}\" in {[w.name for w in application]}")
    report = check_controls(window)
    text = report.queryText()
    path, report_file = read_report_file(folders)
    expected = window_text(report_file)
    check_text(text, expected, path)
    check_caret(report, text, expected, window_id)


if __name__ == "__main__":
    main()
