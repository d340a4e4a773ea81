#!/usr/bin/python3
"""Drives the real PackShelf window through the accessibility bus, by keyboard
alone, the way a screen reader user does: keys go in through the bus (the
registry turns them into X key events), and everything checked is read back
from the accessibility tree (names, descriptions, focus, states) or from the
disk.

Usage: drive_window.py PROGRAM SOURCE LIBRARY
Run on an X display with a session bus of its own (see run-atspi-test).
Writes the archives into SOURCE, starts a window manager (which makes the
window active, as on a desktop) and PROGRAM, and exits 0 when every step
passed.
"""
import fcntl
import os
import re
import subprocess
import sys
import time
import zipfile

import pyatspi

TIMEOUT = 20.0
ARCHIVES = {
    # Two Runtime/Data pairs below the top level: "Duplicates".
    "a Dup.zip": ["A/Runtime/a.txt", "A/Data/b.txt", "B/Runtime/c.txt", "B/Data/d.txt"],
    "b Ready.zip": ["Runtime/r.txt"],
    # First in the list, and long enough to install that Cancel stops it.
    "0 Many.zip": ["Runtime/many/%04d.txt" % i for i in range(2000)],
}
DUPLICATES = "a Dup.zip"
# What the install writes once the Duplicates archive is settled on A.
INSTALLED = ["Data/b.txt", "Runtime/a.txt", "Runtime/r.txt"] + ARCHIVES["0 Many.zip"]
RECORDS = ".packshelf"
BROWSER = "Contents of the selected archive"

KEYSYMS = {"Tab": 0xFF09, "Return": 0xFF0D, "Escape": 0xFF1B, "Home": 0xFF50,
           "Left": 0xFF51, "Up": 0xFF52, "Right": 0xFF53, "Down": 0xFF54, "space": 0x20}
# Keycodes of the modifiers in the X server's default (evdev) keymap: the
# registry presses and releases a key given by keysym only as a pair.
MODIFIERS = {"Ctrl": 37, "Alt": 64, "Shift": 50}
# Qt marks the current item of every view focused, whether the view has the
# focus or not: the control that has the focus is looked for among the rest.
ITEMS = {pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TREE_ITEM}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe until it answers something true, and returns that."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        answer = probe()
        if answer:
            return answer
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def press(chord, changes=None):
    """Presses a chord such as "Tab", "Ctrl+Return" or "Alt+r" through the
    bus; with changes, waits until what it answers is no longer the same."""
    before = changes() if changes else None
    *modifiers, key = chord.split("+")
    for modifier in modifiers:
        pyatspi.Registry.generateKeyboardEvent(MODIFIERS[modifier], None, pyatspi.KEY_PRESS)
    keysym = KEYSYMS[key] if key in KEYSYMS else ord(key)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    for modifier in reversed(modifiers):
        pyatspi.Registry.generateKeyboardEvent(MODIFIERS[modifier], None, pyatspi.KEY_RELEASE)
    if changes:
        wait_for("%s to change %s" % (chord, before), lambda: changes() != before)
    else:
        time.sleep(0.3)


def has(node, state):
    return node.getState().contains(state)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def find(node, role, name=None):
    return next((n for n in descendants(node) if n.getRole() == role
                 and (name is None or n.name == name) and has(n, pyatspi.STATE_SHOWING)), None)


def focused(app):
    """The control of the application that has the keyboard focus."""
    return next((n for n in descendants(app) if has(n, pyatspi.STATE_FOCUSED)
                 and n.getRole() not in ITEMS), None)


def focused_name(app):
    node = focused(app)
    return node.name if node else None


def expect_focus(app, name, why):
    wait_for("the focus on %s (%s; it is on %s)" % (name, why, focused_name(app)),
             lambda: focused_name(app) == name)


def tab_to(app, name):
    for _ in range(30):
        if focused_name(app) == name:
            return
        press("Tab", lambda: focused_name(app))
    raise Failure("Tab never reaches " + name)


def dialog(app, title):
    return wait_for("the dialog " + title, lambda: next(
        (w for w in app if w is not None and w.name == title and has(w, pyatspi.STATE_SHOWING)),
        None))


def enabled_button(window, name, timeout=TIMEOUT):
    def probe():
        button = find(window, pyatspi.ROLE_PUSH_BUTTON, name)
        return button if button and has(button, pyatspi.STATE_SENSITIVE) else None
    return wait_for(name + " to be enabled", probe, timeout)


def make_archives(source):
    for name, entries in ARCHIVES.items():
        with zipfile.ZipFile(os.path.join(source, name), "w") as archive:
            for entry in entries:
                archive.writestr(entry, "content of " + entry)


def labels(window):
    """The texts a screen reader hears in a window: each label's name (what
    it says) by its description (which part of the window it is)."""
    return {n.description: n.name for n in descendants(window)
            if n.getRole() == pyatspi.ROLE_LABEL and has(n, pyatspi.STATE_SHOWING)}


def heard(node):
    return "%s (%s)" % (node.name, node.description)


def library_files(library):
    """The files in the library, its records folder left aside."""
    files = []
    for folder, subfolders, names in os.walk(library):
        subfolders[:] = [s for s in subfolders if s != RECORDS]
        files += [os.path.relpath(os.path.join(folder, n), library) for n in names]
    return sorted(files)


def verdict_of(frame, archive):
    """The verdict the list shows beside an archive, read from its cells."""
    table = find(frame, pyatspi.ROLE_TABLE, "Archives").queryTable()
    for row in range(table.nRows):
        cells = [table.getAccessibleAt(row, c).name for c in range(table.nColumns)]
        if archive in cells:
            return cells[-1]
    return None


def walk_focus(app, frame):
    """Tab once around the window: every control it stops at is named and
    described, none twice, and every shown and enabled button is one."""
    start = focused_name(app)
    visited = []
    while not visited or visited[-1] != start:
        check(len(visited) < 30, "Tab never comes back to %s: %s" % (start, visited))
        press("Tab", lambda: focused_name(app))
        node = focused(app)
        check(node.name and node.description,
              "Tab stops at a control without name or description: %s %r"
              % (node.getRoleName(), node.name))
        check(node.name not in visited, "Tab stops twice at %s: %s" % (node.name, visited))
        visited.append(node.name)
    buttons = {b.name for b in descendants(frame) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON
               and has(b, pyatspi.STATE_SHOWING) and has(b, pyatspi.STATE_SENSITIVE)}
    for stop in buttons | {"Filter archives", "Archives", BROWSER, "Set Runtime"}:
        check(stop in visited, "Tab never stops at %s: %s" % (stop, visited))
    return visited


def browser_path(frame):
    """The path line above the browser, in parts: archive, folder, …"""
    line = find(frame, pyatspi.ROLE_LABEL)
    return [part.strip() for part in line.name.split("›")]


def browse_to(frame, archive, folders):
    """Moves through the column browser with the arrows, back to the first
    column and then down and right, until the path line names the folders."""
    path = lambda: browser_path(frame)
    for _ in range(len(path()) - 2):
        press("Left", path)
    for depth in range(len(folders)):
        if depth > 0:
            press("Right", path)
        for _ in range(10):
            if path() == [archive] + folders[:depth + 1]:
                break
            press("Down", path)
        check(path() == [archive] + folders[:depth + 1],
              "the arrows never reach %s: %s" % (folders, path()))


def check_info_box(frame):
    """The info box's labels say what they show, not what they are."""
    said = labels(frame)
    print("The info box says:", said)
    for part in ("What will be installed", "Archive details",
                 "What an install does to the library"):
        check(said.get(part), "the info box's %s says nothing: %s" % (part, said))
    check(DUPLICATES in said["What will be installed"] + said["Archive details"],
          "the info box never names the archive: %s" % said)
    check("2 added" in said["What an install does to the library"],
          "the info box does not count the files: %s" % said)


def check_confirmation(app, confirm):
    """The question is heard with its totals and the archives it names; the
    focus is on the totals, not on Install."""
    enabled_button(confirm, "Install")
    node = wait_for("the focus on the totals", lambda: (
        lambda n: n if n and n.getRole() == pyatspi.ROLE_LABEL and "added" in n.name else None)(
            focused(app)))
    print("On opening, the sheet says:", heard(node))
    said = labels(confirm)
    check(all(name in said.get("Archives installed and left alone", "") for name in ARCHIVES),
          "the question does not name every archive: %s" % said)
    # The count is written in the locale's digits ("2,003" in English).
    check(re.search(r"Files: 2\D?003 added", said.get("Files in total", "")),
          "the totals: %s" % said)
    check(said.get("Conflicts"), "the conflicts say nothing: %s" % said)


def drive(window, library):
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for("the window on the bus", lambda: next(
        (a for a in desktop if a is not None and a.get_process_id() == window.pid), None))
    frame = wait_for("the main frame", lambda: find(app, pyatspi.ROLE_FRAME, "PackShelf"))
    wait_for("both verdicts", lambda: verdict_of(frame, DUPLICATES) == "Duplicates"
             and verdict_of(frame, "b Ready.zip") == "OK"
             and verdict_of(frame, "0 Many.zip") == "OK")
    wait_for("the window to be active", lambda: has(frame, pyatspi.STATE_ACTIVE))

    # The list is one Tab stop; Ctrl+Home goes to its first row, Down to the
    # Duplicates archive, and Enter shows it in the browser.
    tab_to(app, "Archives")
    press("Ctrl+Home")
    press("Down")
    press("Return")
    expect_focus(app, BROWSER, "Enter on a row")
    check(browser_path(frame) == [DUPLICATES], "Enter shows %s" % browser_path(frame))
    browse_to(frame, DUPLICATES, ["A", "Runtime"])
    print("Tab stops:", " → ".join(walk_focus(app, frame)))

    # Set Runtime is the Tab stop after the browser, and Space presses it;
    # Shift+Tab goes back into the browser, Alt+D sets the Data folder.
    press("Tab")
    expect_focus(app, "Set Runtime", "Tab from the browser")
    press("space")
    press("Shift+Tab")
    expect_focus(app, BROWSER, "Shift+Tab from Set Runtime")
    browse_to(frame, DUPLICATES, ["A", "Data"])
    press("Alt+d")
    wait_for("the archive to be settled", lambda: verdict_of(frame, DUPLICATES) == "OK")

    check_info_box(frame)

    # An install cancelled before anything was installed offers no Undo:
    # it would take back an install the summary does not name. A reader of
    # the library holds the install back until the cancel has been heard,
    # however fast the machine installs.
    press("Ctrl+Return")
    confirm = dialog(app, "Confirm Install")
    check_confirmation(app, confirm)
    reader = os.open(library, os.O_RDONLY | os.O_DIRECTORY)
    fcntl.flock(reader, fcntl.LOCK_SH)
    try:
        press("Ctrl+Return")
        installing = dialog(app, "Installing")
        enabled_button(installing, "Cancel")
        press("Alt+c")
        wait_for("the cancel to be heard", lambda: not has(
            find(installing, pyatspi.ROLE_PUSH_BUTTON, "Cancel"), pyatspi.STATE_SENSITIVE))
    finally:
        os.close(reader)
    summary = dialog(app, "Install Finished")
    check(library_files(library) == [], "cancelled, yet installed: %s" % library_files(library)[:5])
    check(find(summary, pyatspi.ROLE_PUSH_BUTTON, "Undo Install…") is None,
          "Undo is offered after a cancelled install")
    press("Escape")
    wait_for("the summary to close", lambda: not has(summary, pyatspi.STATE_SHOWING))

    # Ctrl+Return asks first. Alt+D unfolds the details, a Tab stop that
    # lists every file written; Ctrl+Return in the question installs.
    press("Ctrl+Return")
    confirm = dialog(app, "Confirm Install")
    check_confirmation(app, confirm)
    press("Alt+d")
    tab_to(app, "Files the install writes")
    listed = {n.name for n in descendants(focused(app)) if n.getRole() in ITEMS}
    # Folded (too many files to unfold): a row per archive, with its count.
    check(all(any(row.startswith(name + " — Files: ") for row in listed) for name in ARCHIVES),
          "the details list %s" % sorted(listed))
    press("Ctrl+Return")
    summary = dialog(app, "Install Finished")
    check(library_files(library) == sorted(INSTALLED), "installed: %s" % library_files(library))

    # Undo asks with the run's packages and count; Alt+U takes it back.
    enabled_button(summary, "Undo Install…")
    press("Alt+u")
    question = dialog(app, "Undo Install")
    asked = " ".join(n.name for n in descendants(question) if n.getRole() == pyatspi.ROLE_LABEL)
    print("Undo asks:", asked)
    check("3 packages" in asked and all(name in asked for name in ARCHIVES),
          "the question does not name the run: %s" % asked)
    press("Alt+u")
    wait_for("the undo", lambda: not library_files(library))
    dialog(app, "Install Undone")
    press("Escape")
    wait_for("the summary to close", lambda: not has(summary, pyatspi.STATE_SHOWING))

    # Listed again, the archives install once more.
    # Install takes what is ready; all three are, once analysed again.
    wait_for("the archives listed and analysed again",
             lambda: all(verdict_of(frame, name) == "OK" for name in ARCHIVES))
    press("Ctrl+Return")
    dialog(app, "Confirm Install")
    enabled_button(confirm, "Install")
    press("Ctrl+Return")
    wait_for("the install", lambda: len(library_files(library)) == len(INSTALLED))
    summary = dialog(app, "Install Finished")
    enabled_button(summary, "Undo Install…")
    press("Escape")
    wait_for("the summary to close", lambda: not has(summary, pyatspi.STATE_SHOWING))

    # Ctrl+L opens the installed view on its list; Ctrl+A selects every
    # package, Alt+U uninstalls them after a question answered with its verb,
    # Alt+U again.
    press("Ctrl+l")
    installed = dialog(app, "Installed Packages")
    expect_focus(app, "Installed packages", "the installed view opening")
    for _ in ARCHIVES:
        before = library_files(library)
        if not before:
            break
        enabled_button(installed, "Uninstall…")
        press("Ctrl+a")
        press("Alt+u")
        dialog(app, "Uninstall")
        press("Alt+u")
        # Every package is selected: the uninstall takes them all, the one of
        # a thousand files in a while.
        wait_for("the uninstall", lambda: not library_files(library), 60)
    check(not library_files(library), "left after uninstalling: %s" % library_files(library))
    press("Escape")
    wait_for("the installed view to close", lambda: not has(installed, pyatspi.STATE_SHOWING))

    press("Ctrl+q")
    try:
        status = window.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        raise Failure("Ctrl+Q does not end the program")
    check(status == 0, "the program ended with status %d" % status)


def run(program, source, library):
    make_archives(source)
    # The window manager's own Alt keys would take the window's mnemonics.
    no_keys = os.path.join(os.path.dirname(source), "window-manager-keys")
    open(no_keys, "w").close()
    manager = subprocess.Popen(["matchbox-window-manager", "-use_titlebar", "no",
                                "-kbdconfig", no_keys])
    errors = os.path.join(os.path.dirname(source), "window-stderr")
    with open(errors, "w") as error_file:
        window = subprocess.Popen([program], stderr=error_file)
    try:
        drive(window, library)
    finally:
        for process in (window, manager):
            if process.poll() is None:
                process.kill()
                process.wait()
    # The window's own diagnostics go to the system log, not the terminal.
    with open(errors, errors="replace") as error_file:
        own = [line for line in error_file if line.startswith("packshelf.")]
    check(not own, "the window wrote its diagnostics to the terminal: %s" % own[:3])


if __name__ == "__main__":
    try:
        run(*sys.argv[1:4])
    except Failure as failure:
        print("FAILED:", failure, file=sys.stderr)
        sys.exit(1)
    print("The window was driven from the keyboard alone through the accessibility bus.")
