#!/usr/bin/env python3
"""What a screen reader gets from Quindle, read over AT-SPI.

Usage: run-under-wm.sh openbox atspi_test.py QUINDLE

On the display that run-under-wm.sh started, starts a private session bus and
the accessibility bus, then the program, and reads through pyatspi what a
screen reader reads: names, roles, states, values, the cells' text and its
attribute runs, the selection, the object list, the help window; counts the
events of a 20 x 20 load; and drives one task with the keyboard alone.
Exits 77 (skipped) when a tool is missing. Stops everything it started.
"""

import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from private_session import BUS_LAUNCHER, Session

SKIP = 77
SYSTEM_PYTHON = "/usr/bin/python3"


def skip(reason):
    print(f"{reason}: AT-SPI test skipped")
    sys.exit(SKIP)


def have_pyatspi():
    return (importlib.util.find_spec("gi") is not None
            and importlib.util.find_spec("pyatspi") is not None)


# pyatspi comes with the system's Python; another python3 first on PATH
# does not see it.
if not have_pyatspi():
    if (os.path.exists(SYSTEM_PYTHON)
            and os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON)):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON] + sys.argv)
    skip("pyatspi is not installed")

if BUS_LAUNCHER is None:
    skip("at-spi-bus-launcher is not installed")
for tool in ("dbus-daemon", "dbus-send", "xdotool"):
    if shutil.which(tool) is None:
        skip(f"{tool} is not installed")
if len(sys.argv) < 2 or "DISPLAY" not in os.environ:
    print("usage: run-under-wm.sh openbox atspi_test.py QUINDLE")
    sys.exit(2)

QUINDLE = sys.argv[1]
failures = []


# Every process started here, stopped in reverse order at the end.
run = Session("quindle-atspi-")
start = run.start
stop_all = run.stop


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
    return condition


# A private session bus, and the accessibility bus found through it.
if not run.start_buses():
    stop_all()
    skip("the accessibility bus did not start")

import gi  # noqa: E402

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

events = []


def on_event(event):
    events.append(event.type)


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def pump_until_quiet(quiet=1.5, limit=40.0):
    """Lets events arrive until none came for `quiet` seconds."""
    end = time.monotonic() + limit
    count = -1
    last_change = time.monotonic()
    while time.monotonic() < end:
        pump(0.1)
        if len(events) != count:
            count = len(events)
            last_change = time.monotonic()
        elif time.monotonic() - last_change > quiet:
            break


def wait_for(predicate, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            value = predicate()
        except Exception:  # the tree changes while it is read
            value = None
        if value:
            return value
        pump(0.1)
    return None


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(keys), check=True)
    pump(0.4)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "40", "--", text], check=True)
    pump(0.3)


def walk(node, depth=0):
    yield node
    if depth > 12 or node is None:
        return
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(min(count, 2000)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            yield from walk(child, depth + 1)


def app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name.lower() == "quindle":
            return a
    return None


def find(pred, root=None):
    for node in walk(root or app()):
        try:
            if node is not None and pred(node):
                return node
        except Exception:
            pass
    return None


def named(name, role=None, root=None):
    return find(lambda n: n.name == name and (role is None or n.getRole() == role), root)


def window_named(prefix):
    a = app()
    for i in range(a.childCount):
        w = a.getChildAtIndex(i)
        if w is not None and w.name.startswith(prefix):
            return w
    return None


def focused():
    return find(lambda n: n.getState().contains(pyatspi.STATE_FOCUSED)
                and n.getRole() != pyatspi.ROLE_FRAME)


def press(name):
    button = named(name, pyatspi.ROLE_PUSH_BUTTON)
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    action.doAction(0)


def cell(object_number, row, col):
    return named(f"Row {row}, column {col} of object {object_number}", pyatspi.ROLE_TEXT) \
        or named(f"Row {row}, column {col} of object {object_number}")


def cell_text(node):
    text = node.queryText()
    return text.getText(0, -1)


def attribute_run(node, offset):
    text = node.queryText()
    _, start, end = text.getAttributeRun(offset, False)
    return start, end


def size_boxes():
    """The two size lists, rows first."""
    boxes = [n for n in walk(window_named("Quindle")) if n is not None
             and n.getRole() == pyatspi.ROLE_COMBO_BOX]
    return sorted(boxes[:2], key=lambda n: n.queryComponent().getPosition(0)[0])


def set_size(rows, cols):
    """Chooses a size in the two lists with the keyboard alone."""
    rows_box = size_boxes()[0]
    rows_box.queryComponent().grabFocus()
    pump(0.3)
    key("Home", *(["Down"] * (rows - 1)))
    key("Tab")
    key("Home", *(["Down"] * (cols - 1)))


def run():
    pyatspi.Registry.registerEventListener(on_event, "object:")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
               QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
    start([QUINDLE], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_for(lambda: app() and named("Select Rows", pyatspi.ROLE_COMBO_BOX), 20):
        check(False, "the main dialog is on the accessibility bus")
        return
    pump_until_quiet()

    # The size lists: named by their labels, their value the chosen size.
    set_size(3, 2)
    for box, name, value in zip(size_boxes(), ("Select Rows", "Select Columns"), (3, 2)):
        check(box.name == name, f"the size list keeps its name {name!r} (is {box.name!r})")
        check("Value" in box.get_interfaces() and box.queryValue().currentValue == value,
              f"{name} tells its size {value}")

    # The events of loading a 20 x 20 object (1742 before the cells were
    # kept quiet while the window is built and written).
    set_size(20, 20)
    del events[:]
    started_at = time.monotonic()
    press("Random Object")
    pump_until_quiet()
    load_events = len(events)
    print(f"events of a 20 x 20 load: {load_events} "
          f"in {time.monotonic() - started_at:.1f} s")
    kinds = {}
    for kind in events:
        kinds[kind] = kinds.get(kind, 0) + 1
    for kind, n in sorted(kinds.items(), key=lambda item: -item[1])[:8]:
        print(f"    {n:6d} {kind}")
    check(load_events < 200, "a 20 x 20 load fires far fewer events than it has cells")

    # The object list names each entry by its window's whole title.
    item = find(lambda n: n.getRole() == pyatspi.ROLE_LIST_ITEM and n.name.endswith("[20X20]"))
    check(item is not None and item.name.startswith("1"),
          "the object list's entry is named by the window's title")
    key("ctrl+w")

    # The cells: text and one attribute run over all of it.
    set_size(1, 2)
    press("Zeroed Object")
    first = wait_for(lambda: cell(2, 1, 1))
    if check(first is not None, "the cells are on the bus with their names"):
        first.queryComponent().grabFocus()
        pump(0.3)
        type_text("-2.5")
        key("Tab")
        type_text("5")
        pump(0.5)
        for node, value in ((first, "-2.5"), (cell(2, 1, 2), "5")):
            check(cell_text(node) == value, f"a cell reads {value!r} (reads {cell_text(node)!r})")
            runs = {attribute_run(node, offset) for offset in range(len(value))}
            check(runs == {(0, len(value))}, f"one attribute run covers {value!r} ({runs})")

        # The selection, told on the window and on the focused cell.
        del events[:]
        key("ctrl+space")
        window = window_named("2")
        check(window.getState().contains(pyatspi.STATE_SELECTED), "the selected window says so")
        check(window.description == "Selected, first operand",
              f"the window tells the operand ({window.description!r})")
        check(focused().description == "Selected, first operand",
              "the focused cell tells the operand")
        check("object:property-change:accessible-description" in events,
              "the change of selection is announced")
        key("ctrl+space")
        check(focused().description == "Not selected", "deselection is told too")
        check(not window_named("2").getState().contains(pyatspi.STATE_SELECTED),
              "the deselected window says so")

    # The help window: a document whose text can be read; Escape closes it.
    key("F1")
    page = wait_for(lambda: find(lambda n: n.getRole() == pyatspi.ROLE_DOCUMENT_FRAME,
                                 window_named("Quindle Help")))
    if check(page is not None, "the help is a document"):
        check(page.queryText().characterCount > 100, "the help's text can be read")
        key("Tab")
        check(page.queryText().getSelection(0)[1] > 0, "Tab goes to a link")
        key("Escape")
        check(wait_for(lambda: window_named("Quindle Help") is None, 5) is not None,
              "Escape closes the help")

    keyboard_task()


def to_dialog():
    window_named("Quindle").queryComponent().grabFocus()
    pump(0.3)


def keyboard_task():
    """One whole task with the keyboard alone, on the dialog's shortcuts."""
    to_dialog()
    key("ctrl+shift+w")
    set_size(1, 2)
    key("ctrl+n")
    pump(1.0)
    first = window_named("3")
    if first is None:
        print("skip the keyboard task: the dialog has no Ctrl+N yet")
        return
    type_text("1")
    key("Tab")
    type_text("2")
    key("ctrl+space")
    to_dialog()
    key("ctrl+n")
    wait_for(lambda: window_named("4"))
    type_text("3")
    key("Tab")
    type_text("4")
    key("ctrl+space")
    to_dialog()
    key("alt+a")
    result = wait_for(lambda: window_named("5"))
    check(result is not None and "Add(3,4)" in result.name, "Alt+A adds the two objects")
    if result is not None:
        check([cell_text(cell(5, 1, c)) for c in (1, 2)] == ["4", "6"], "the sum is right")
        directory = tempfile.mkdtemp()
        path = os.path.join(directory, "sum.txt")
        # The result's window comes forward from the object list, is
        # selected there, and saved from there.
        key("ctrl+l")
        key("End", "Return")
        pump(0.5)
        key("ctrl+space")
        key("ctrl+s")
        pump(1.0)
        type_text(path)
        key("Return")
        pump(1.0)
        check(os.path.exists(path), "Ctrl+S saves the result")
        shutil.rmtree(directory, ignore_errors=True)
    to_dialog()
    key("ctrl+shift+w")
    pump(0.5)
    check(window_named("3") is None and window_named("5") is None,
          "Ctrl+Shift+W closes all objects")


try:
    run()
finally:
    stop_all()
print(f"{len(failures)} failed" if failures else "all passed")
sys.exit(1 if failures else 0)
