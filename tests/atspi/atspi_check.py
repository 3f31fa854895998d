#!/usr/bin/python3
"""Drives a running BMI-Trevala from outside, the way a screen reader or another
assistive tool does: over AT-SPI only, never through the program's own code.

It finds the window, checks that the lists are named by purpose, the boxes labelled
and Calculate the default button, fills in the height and weight through the
EditableText interface, presses Calculate through its action and reads the result
back (the result label's name, its description, the marker's value, the announcement
and the scale in reading order); then empties the
height, presses Calculate again, reads the refusal from the alert that appears and
dismisses it with its OK button. The feet-and-inches dialog is opened and closed
through the picture button's and the dialog's actions. The Help button opens the help
viewer, where the Search tab looks for "centimeters" and the first topic found is opened
and its title read back; then the Close button ends the program.

Run by scripts/atspi_check.sh inside its own X server and D-Bus session.
Usage: atspi_check.py [PID]; exits 0 when every check passed, 1 otherwise.
"""

import os
import signal
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402

APP_NAME = "BMI-Trevala"
WINDOW_TITLE = "Body Mass Index Calculator"
DIALOG_TITLE = "Feet to Inches Calcualtor"
HEIGHT_REFUSAL = "You need to enter the height."
VIEWER_TITLE = "BMI-Trevala Help"  # after the topic's title: "<topic> - BMI-Trevala Help"
SEARCH_WORD = "centimeters"
BUTTON = (pyatspi.ROLE_PUSH_BUTTON,)
EDITS = (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
WAIT = 10.0  # seconds for anything the program has to do in answer to one request


class CheckFailed(Exception):
    pass


def log(message):
    print("atspi_check: " + message, flush=True)


def pump():
    """Lets libatspi take in the events the program sent meanwhile."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, probe, timeout=WAIT):
    """Polls probe until it returns something true; the answer to a D-Bus call may
    lag the event that caused it, so every check of the program's reaction waits."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            result = probe()
        except GLib.Error:
            result = None  # the object went away while being read; look again
        if result:
            return result
        if time.monotonic() > deadline:
            raise CheckFailed("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(0.05)


def children(obj):
    try:
        return [c for c in obj if c is not None]
    except GLib.Error:
        return []


def descendants(obj):
    for child in children(obj):
        yield child
        yield from descendants(child)


def find(root, what, predicate):
    """The one descendant of root that matches; waits for it to appear."""

    def probe():
        matches = [o for o in descendants(root) if predicate(o)]
        if len(matches) > 1:
            raise CheckFailed("%d objects match %s" % (len(matches), what))
        return matches[0] if matches else None

    return wait_for(what, probe)


def named(roles, name):
    # By role constant: the names at-spi2 gives the roles differ between its releases.
    return lambda o: o.getRole() in roles and o.name == name


def showing(obj):
    try:
        return obj.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False  # a window that is being destroyed


def press(obj, action="Press"):
    """Triggers obj's action the way an assistive tool does: by the action's name."""
    actions = obj.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        raise CheckFailed("%r offers no %s action (it has %s)" % (obj.name, action, names))
    if not actions.doAction(names.index(action)):
        raise CheckFailed("the %s action of %r failed" % (action, obj.name))


def set_text(obj, text):
    if not obj.queryEditableText().setTextContents(text):
        raise CheckFailed("could not set the text of %r" % obj.name)
    wait_for("%r to read back %r" % (obj.name, text), lambda: text_of(obj) == text)


def text_of(obj):
    return obj.queryText().getText(0, -1)


def expect(what, actual, expected):
    if actual != expected:
        raise CheckFailed("%s: expected %r, got %r" % (what, expected, actual))
    log("ok: %s: %r" % (what, actual))


def everything_said(obj):
    """All the text an assistive tool could read out for obj and its descendants."""
    said = []
    for o in [obj] + list(descendants(obj)):
        said += [o.name or "", o.description or ""]
        if "Text" in o.get_interfaces():
            said.append(text_of(o))
    return "\n".join(s for s in said if s)


def is_shown_alert(obj):
    return obj.getRole() == pyatspi.ROLE_ALERT and showing(obj)


def is_shown_dialog(obj):
    return obj.name == DIALOG_TITLE and showing(obj)


def top_level(app, predicate):
    return [w for w in children(app) if predicate(w)]


def running(pid):
    for app in children(pyatspi.Registry.getDesktop(0)):
        try:
            if app.name == APP_NAME and app.get_process_id() == pid:
                return True
        except GLib.Error:
            pass
    return False


def find_app(pid, name=APP_NAME, other_than=None):
    desktop = pyatspi.Registry.getDesktop(0)

    def probe():
        for app in children(desktop):
            if app.name != name:
                continue
            found = app.get_process_id()
            if (pid is None or found == pid) and found != other_than:
                return app
        return None

    # The first start of the program and its accessibility bridge takes the longest.
    return wait_for("the application %r on the accessibility bus" % name, probe, 20.0)


def dump(obj, depth=0):
    try:
        line = "%s%s %r" % ("  " * depth, obj.getRoleName(), obj.name)
        if obj.description:
            line += " (%r)" % obj.description
        print(line, file=sys.stderr)
        for child in children(obj):
            dump(child, depth + 1)
    except GLib.Error as e:
        print("  " * depth + "(gone: %s)" % e.message, file=sys.stderr)


def run(pid):
    # Read everything fresh from the program: a cached name could hide a missed update.
    pyatspi.Registry.getDesktop(0).set_cache_mask(Atspi.Cache.NONE)
    app = find_app(pid)
    log("found the application (pid %d)" % app.get_process_id())
    try:
        check(app)
    except CheckFailed:
        print("The application as assistive tools see it:", file=sys.stderr)
        dump(app)
        raise


def check(app):
    window = wait_for(
        "the main window",
        lambda: next(iter(top_level(app, lambda w: w.name.startswith(WINDOW_TITLE))), None),
    )
    log("found the window %r" % window.name)

    height = find(window, "the height box", named(EDITS, "Height"))
    weight = find(window, "the weight box", named(EDITS, "Weight"))
    calculate = find(window, "the Calculate button", named(BUTTON, "Calculate"))
    close = find(window, "the Close button", named(BUTTON, "Close"))
    picture = find(
        window, "the picture button", named(BUTTON, "Feet and inches to inches")
    )
    marker = find(window, "the BMI marker", named((pyatspi.ROLE_SLIDER,), "BMI marker"))
    scale = find(window, "the BMI scale", lambda o: o.name == "BMI scale")
    advert = "Trevala Health Records web page"
    find(window, "the advert picture", named((pyatspi.ROLE_IMAGE,), advert))
    for band in ("Underweight", "Healthy", "Overweight", "Obese", "Severly Obese"):
        find(scale, "the %r band" % band, named((pyatspi.ROLE_LABEL,), band))
    log("ok: every control is found by its accessible name and role")

    # The unit lists are named by purpose on the edit field that takes their focus, and
    # the captions before the boxes are their labels.
    for purpose in ("Height unit", "Weight unit"):
        find(window, "the %r list's field" % purpose, named(EDITS, purpose))
    for box, caption in ((height, "Height:"), (weight, "Weight:")):
        labels = [
            target.name
            for relation in box.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for target in (relation.getTarget(i) for i in range(relation.getNTargets()))
        ]
        expect("the labels of the %r box" % box.name, labels, [caption])
    expect("Calculate as the default button", calculate.getState().contains(pyatspi.STATE_IS_DEFAULT), True)
    log("ok: lists named by purpose, boxes labelled, Calculate the default button")

    # Result labels in the scale: all but the bands and the tick numbers.
    fixed = {o.name for o in descendants(scale) if o.getRole() == pyatspi.ROLE_LABEL}

    def result_label(value):
        def probe():
            for o in descendants(scale):
                is_label = o.getRole() == pyatspi.ROLE_LABEL
                if is_label and o.name == value and value not in fixed:
                    return o
            return None

        return probe

    # An assistive tool learns of a new result from the name-change event.
    named_changes = []

    def on_name_change(event):
        named_changes.append(event.source.name if event.source else None)

    name_change = "object:property-change:accessible-name"
    pyatspi.Registry.registerEventListener(on_name_change, name_change)

    # And it is told the result without moving the focus: an announcement where Qt has
    # them, otherwise a notification that shows itself, which screen readers speak.
    said = []

    def on_announcement(event):
        said.append(event.any_data)

    def on_showing(event):
        source = event.source
        if event.detail1 and source and source.getRole() == pyatspi.ROLE_NOTIFICATION:
            said.append(source.name)

    told = (("object:announcement", on_announcement), ("object:state-changed:showing", on_showing))
    for kind, listener in told:
        pyatspi.Registry.registerEventListener(listener, kind)

    # 1. The documented request.
    set_text(height, "70")
    set_text(weight, "154")
    press(calculate)
    result = wait_for("the result 22.1", result_label("22.1"))
    expect("the result label's name", result.name, "22.1")
    expect("the result label's description", result.description, "Healthy")
    wait_for("the marker at 22", lambda: marker.queryValue().currentValue == 22)
    log("ok: the marker's value is 22")
    wait_for("the name-change event of the result", lambda: "22.1" in named_changes)
    log("ok: the result's name-change event arrived")
    pyatspi.Registry.deregisterEventListener(on_name_change, name_change)
    wait_for("the result to be announced", lambda: "BMI 22.1, Healthy" in said)
    log("ok: the result was announced: %r" % said)
    for kind, listener in told:
        pyatspi.Registry.deregisterEventListener(listener, kind)

    # The scale is read as it is seen, with nothing unnamed in it.
    expect(
        "the scale in reading order",
        [o.name for o in children(scale)],
        ["22.1", "BMI marker", "Underweight", "Healthy", "Overweight", "Obese", "Severly Obese"]
        + [str(n) for n in range(15, 50, 5)],
    )
    log("ok: the scale reads result, marker, bands and numbers, left to right")

    # 2. An empty height is refused in an alert, which is read and dismissed.
    set_text(height, "")
    wait_for("the result to clear", lambda: result.name == "")
    expect("the result's description once cleared", result.description, "")
    press(calculate)

    def refusal():
        for w in top_level(app, showing):
            alerting = w.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)
            if alerting and HEIGHT_REFUSAL in everything_said(w):
                return w
        return None

    alert = wait_for("an alert saying %r" % HEIGHT_REFUSAL, refusal)
    log("ok: the refusal %r was read from the %s" % (HEIGHT_REFUSAL, alert.getRoleName()))
    expect("the alert's role", alert.getRole(), pyatspi.ROLE_ALERT)
    ok = find(alert, "the alert's OK button", named(BUTTON, "OK"))
    press(ok)
    wait_for("the alert to go away", lambda: not top_level(app, is_shown_alert))
    log("ok: the alert was dismissed by its OK button")
    expect("the height after the refusal", text_of(height), "")

    # 3. The feet-and-inches dialog, opened and closed by actions alone.
    press(picture)
    dialog = wait_for(
        "the %r dialog" % DIALOG_TITLE,
        lambda: next(iter(top_level(app, is_shown_dialog)), None),
    )
    expect("the dialog's role", dialog.getRole(), pyatspi.ROLE_DIALOG)
    lists = [o for o in descendants(dialog) if o.getRole() == pyatspi.ROLE_COMBO_BOX]
    expect("the dialog's lists", [o.name for o in lists], ["5'", '0"'])
    fields = [next(o for o in children(combo) if o.getRole() in EDITS) for combo in lists]
    expect("the dialog's list fields", [o.name for o in fields], ["Feet", "Inches"])
    for combo, text in zip(lists, ("6'", '1"')):
        field = next(o for o in children(combo) if o.getRole() in EDITS)
        set_text(field, text)
    press(find(dialog, "the dialog's Enter button", named(BUTTON, "Enter")))
    wait_for("the dialog to close", lambda: not top_level(app, is_shown_dialog))
    wait_for("the height 73 from the dialog", lambda: text_of(height) == "73")
    log("ok: the dialog wrote the height 73")
    press(calculate)
    wait_for("the result 20.4", result_label("20.4"))
    log("ok: 73 inches and 154 pounds give 20.4")

    # 4. Help: the viewer's Search tab finds the topics holding a word; the first one is
    # opened and its title read back.
    press(find(window, "the Help button", named(BUTTON, "Help")))
    # The viewer belongs to the same application as the calculator and carries its name;
    # it is the other process of that name.
    viewer_app = find_app(None, other_than=app.get_process_id())
    try:
        check_help_search(viewer_app)
    finally:
        viewer_pid = viewer_app.get_process_id()
        if viewer_pid > 0:
            os.kill(viewer_pid, signal.SIGTERM)  # the viewer has no button to close it

    # 5. Close ends the program.
    pid = app.get_process_id()
    press(close)
    wait_for("the program to leave the accessibility bus", lambda: not running(pid))
    log("ok: Close ended the program")


def check_help_search(app):
    viewer = wait_for(
        "the help window",
        lambda: next(
            iter(top_level(app, lambda w: w.name.endswith(VIEWER_TITLE) and showing(w))), None
        ),
    )
    log("found the help window %r" % viewer.name)
    press(find(viewer, "the Search tab", named((pyatspi.ROLE_PAGE_TAB,), "Search")))
    words = find(viewer, "the words to find", named(EDITS, "Words to find"))
    set_text(words, SEARCH_WORD)
    press(find(viewer, "the List Topics button", named(BUTTON, "List Topics")))
    found = find(viewer, "the list of topics found", named((pyatspi.ROLE_LIST,), "Topics found"))

    def first_topic():
        items = [o for o in children(found) if o.getRole() == pyatspi.ROLE_LIST_ITEM]
        items = [o for o in items if o.name]
        return items[0] if items else None

    title = wait_for("a topic holding %r" % SEARCH_WORD, first_topic).name
    log("ok: the first topic holding %r is %r" % (SEARCH_WORD, title))
    press(find(viewer, "the Display button", named(BUTTON, "Display")))
    topic = find(viewer, "the topic view", lambda o: o.name == "Topic")
    expect("the topic view's role", topic.getRole(), pyatspi.ROLE_DOCUMENT_FRAME)
    wait_for("the topic %r to be shown" % title, lambda: topic.description == title)
    expect("the shown topic's first line", text_of(topic).split("\n")[0].strip(), title)


def main():
    pid = int(sys.argv[1]) if len(sys.argv) > 1 else None
    try:
        run(pid)
    except CheckFailed as e:
        log("FAIL: %s" % e)
        return 1
    log("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
