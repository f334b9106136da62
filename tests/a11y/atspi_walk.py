#!/usr/bin/python3
"""Walks the running program's accessible tree through AT-SPI, as a screen reader sees it.

Checks that every push button, switch, slider and combo box that shows has a name and the
role its kind of control should have, that Tab reaches each of them, and that a question
dialog is announced with its title and text, that its buttons take the focus and that
Escape gives its cancelling answer. Exits 0 when all holds, 1 with a line per fault.
Run by run_atspi_walk.sh, which starts the program and the accessibility bus."""
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "lumora-x8-settings"
ACTIONABLE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SLIDER, pyatspi.ROLE_COMBO_BOX,
}
# Controls a user must find by these names, and the role each must have.
EXPECTED = {
    "Hide the side panel": pyatspi.ROLE_PUSH_BUTTON,
    "Settings": pyatspi.ROLE_RADIO_BUTTON,
    "Information": pyatspi.ROLE_RADIO_BUTTON,
    "Digital Zoom": pyatspi.ROLE_SLIDER,
    "Pan and tilt": None,
    "Automatic exposure": pyatspi.ROLE_CHECK_BOX,
    "Automatic white balance": pyatspi.ROLE_CHECK_BOX,
    "Brightness": pyatspi.ROLE_SLIDER,
    "Hue": pyatspi.ROLE_SLIDER,
    "HDR": pyatspi.ROLE_CHECK_BOX,
    "50Hz": pyatspi.ROLE_RADIO_BUTTON,
    "Auto Zoom": pyatspi.ROLE_CHECK_BOX,
    "About Auto Zoom": pyatspi.ROLE_PUSH_BUTTON,
    "Tracking Active Speakers": pyatspi.ROLE_CHECK_BOX,
}
TAB, ESCAPE = 0xFF09, 0xFF1B
ARROWS = (0xFF54, 0xFF53, 0xFF52, 0xFF51)  # down, right, up, left
faults = []


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(what, seconds):
    end = time.time() + seconds
    while time.time() < end:
        found = what()
        if found:
            return found
        pump(0.2)
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP:
            return app
    return None


def walk(node, out):
    try:
        out.append(node)
        for child in node:
            if child is not None:
                walk(child, out)
    except Exception:  # an object gone while walking
        pass
    return out


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def controls(root):
    return [n for n in walk(root, []) if n.getRole() in ACTIONABLE and showing(n)]


def key(sym):
    pyatspi.Registry.generateKeyboardEvent(sym, None, pyatspi.KEY_SYM)
    pump(0.15)


class FocusLog:
    def __init__(self):
        self.seen = []
        pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    def on_focus(self, event):
        if event.detail1 == 1 and event.source is not None:
            self.seen.append(event.source)

    def last(self):
        return self.seen[-1] if self.seen else None


def label(node):
    return "%s '%s'" % (node.getRoleName(), node.name)


def check_names_and_roles(window):
    found = controls(window)
    if len(found) < len(EXPECTED):
        faults.append("only %d controls show" % len(found))
    for node in found:
        if not node.name.strip():
            faults.append("unnamed %s (description '%s')" % (node.getRoleName(), node.description))
    names = {}
    for node in walk(window, []):
        if node.getRole() in ACTIONABLE or node.getRole() not in (pyatspi.ROLE_LABEL, pyatspi.ROLE_TEXT):
            if node.name not in names or names[node.name].getRole() not in ACTIONABLE:
                names[node.name] = node
    for name, role in EXPECTED.items():
        node = names.get(name)
        if node is None:
            faults.append("no control named '%s'" % name)
        elif role is not None and node.getRole() != role:
            faults.append("'%s' is a %s, not a %s" % (name, node.getRoleName(), pyatspi.Role(role)))
    sliders = [n for n in found if n.getRole() == pyatspi.ROLE_SLIDER]
    for node in sliders:
        value = node.queryValue()
        if not value.minimumValue <= value.currentValue <= value.maximumValue:
            faults.append("%s reports %s outside %s..%s" % (label(node), value.currentValue,
                                                          value.minimumValue, value.maximumValue))
    wb = names.get("White balance temperature")
    if wb is not None and wb.queryValue().maximumValue < 1000:
        faults.append("white balance is not reported in kelvin: %s" % wb.queryValue().maximumValue)
    return found


def activate(window):
    # No window manager gives the window the keyboard: a click on the picture does.
    box = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(box.x + box.width * 3 // 4, box.y + box.height // 2, "b1c")
    pump(0.5)


def check_tab_reaches_all(window, focus, found):
    activate(window)
    reached = set()
    ident = lambda n: (n.name, n.getRole(), n.description)
    for _ in range(3 * len(found) + 10):
        key(TAB)
        now = focus.last()
        if now is not None:
            reached.add(ident(now))
    # Tab enters a group of radio buttons at the chosen one; the arrow keys go on from it.
    for node in found:
        if node.getRole() != pyatspi.ROLE_RADIO_BUTTON or ident(node) in reached:
            continue
        entry = [n for n in node.parent if n is not None and ident(n) in reached]
        if entry:
            entry[0].queryComponent().grabFocus()
            for _ in range(node.parent.childCount):
                for arrow in ARROWS:  # a column or a row of choices, either way
                    key(arrow)
                    if focus.last() is not None:
                        reached.add(ident(focus.last()))
    for node in found:
        states = node.getState()
        if not states.contains(pyatspi.STATE_ENABLED):
            continue
        if (node.name, node.getRole(), node.description) not in reached:
            faults.append("Tab never reaches %s" % label(node))
    return reached


def dialog_of(app):
    for window in app:
        if window is not None and window.getRole() == pyatspi.ROLE_DIALOG and showing(window):
            return window
    return None


def check_dialog(app, window, focus):
    info = [n for n in controls(window) if n.name == "Information"]
    if not info:
        faults.append("no Information tab button")
        return
    info[0].queryAction().doAction(0)
    pump(0.5)
    reset = [n for n in controls(window) if n.name == "Reset" and "Default" in n.description]
    if not reset:
        faults.append("the information page's Reset button does not show")
        return
    reset[0].queryAction().doAction(0)
    dialog = wait_for(lambda: dialog_of(app), 5)
    if dialog is None:
        faults.append("Reset opened no dialog")
        return
    if dialog.name != "Reset" or "reset all settings" not in dialog.description.lower():
        faults.append("dialog announced as '%s' / '%s'" % (dialog.name, dialog.description))
    buttons = [n for n in controls(dialog) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    if sorted(b.name for b in buttons) != ["Cancel", "Reset"]:
        faults.append("dialog buttons: %s" % [b.name for b in buttons])
    reached = set()
    for _ in range(4):
        key(TAB)
        if focus.last() is not None:
            reached.add(focus.last().name)
    if not {"Cancel", "Reset"} <= reached:
        faults.append("Tab in the dialog reaches only %s" % sorted(reached))
    key(ESCAPE)
    if wait_for(lambda: dialog_of(app) is None, 5) is None:
        faults.append("Escape does not close the dialog")


def main():
    app = wait_for(application, 20)
    if app is None:
        print("the program never appeared on the accessibility bus")
        return 1
    window = wait_for(lambda: next((w for w in app if w is not None and w.getRole() == pyatspi.ROLE_FRAME), None), 10)
    # Connected: the cover's text is gone.
    covered = lambda: any(n.name == "Camera is Not Connected" and showing(n) for n in walk(window, []))
    if wait_for(lambda: not covered(), 20) is None:
        faults.append("the camera never connected")
    focus = FocusLog()
    found = check_names_and_roles(window)
    check_tab_reaches_all(window, focus, found)
    check_dialog(app, window, focus)
    print("%d controls checked" % len(found))
    for fault in faults:
        print("FAULT:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
