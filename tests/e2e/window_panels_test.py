#!/usr/bin/env python3
"""The help (F1), the Files page and the sensor panel (F4) of the Korvale
window, driven from outside as a person would; pictures where a picture is
the only evidence.

Run under an X server (the CTest entry starts one with xvfb-run). Usage:
    window_panels_test.py KORVALE EXAMPLES_DIR
"""
import os
import shutil
import sys
import tempfile
import time

from window_test import HEIGHT, USER_PANEL, WIDTH, Session, fail, log, run

HELP_ROWS = 12  # two columns of 8 lines, 4 lines across both under them
HELP_RIGHT = 250
SENSOR_PANEL = (WIDTH - 170 - 6 - 200, 55 + 6, WIDTH - 170 - 6, 55 + 6 + 258)


def white(colour):
    return min(colour) > 200


def dark(colour):
    return max(colour) < 40


def orange(colour):  # Dear ImGui's histogram bars
    return colour[0] > 200 and 120 < colour[1] < 210 and colour[2] < 60


def hold_click(session, x, y, double=False):
    run("xdotool", "mousemove", "--window", session.window, str(x), str(y))
    time.sleep(0.2)
    # Each press and release a few frames long, the two presses of a
    # double-click 0.25 s apart, within the window's 0.5 s: one xdotool for
    # both, as starting a process on a busy machine can take longer than that.
    press = ["mousedown", "1", "sleep", "0.1", "mouseup", "1"]
    run("xdotool", *(press + ["sleep", "0.15"] + press if double else press))
    time.sleep(0.45)


def files_page_shown(session):
    """The Files page's "Folder:" label, left of where the Main page's
    buttons begin."""
    _, picture = session.screenshot()
    return picture.count((USER_PANEL[0] + 6, USER_PANEL[1] + 96, USER_PANEL[0] + 32, USER_PANEL[1] + 114), white) > 5


def tab(session, name):
    """Selects a page, again if a slow frame lost the click."""
    for _ in range(3):
        hold_click(session, USER_PANEL[0] + {"Main": 33, "Files": 87}[name], USER_PANEL[1] + 17)
        if files_page_shown(session) == (name == "Files"):
            return
    fail("the %s page did not show" % name)


def row(session, index, double=False):
    """A row of the Files page's list, "../" being row 0."""
    hold_click(session, USER_PANEL[0] + 90, USER_PANEL[1] + 125 + 17 * index, double)


def rows_shown(session):
    """How many of the list's first rows show text."""
    _, picture = session.screenshot()
    x = USER_PANEL[0] + 47  # where the names begin, right of the kind tags
    count = 0
    for index in range(8):
        y = USER_PANEL[1] + 125 + 17 * index
        if picture.count((x, y - 6, x + 90, y + 6), white) > 3:
            count += 1
    return count


def open_folder(session, index, rows):
    """Double-clicks a folder's row until the list shows `rows` rows."""
    for _ in range(5):
        row(session, index, double=True)
        time.sleep(0.3)
        if rows_shown(session) == rows:
            return
    fail("the folder of row %d did not open" % index)


def load_row(session, index, kind):
    """Double-clicks a row until its load says so: on a busy machine one
    frame may take both clicks, which then count as one."""
    line = "info: %s was loaded successfully" % kind
    before = session.output().count(line)
    for _ in range(5):
        row(session, index, double=True)
        end = time.time() + 2
        while time.time() < end:
            if session.output().count(line) > before:
                return
            time.sleep(0.1)
    fail("row %d did not load as a %s:\n%s" % (index, kind, session.output()))


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    tmp = tempfile.mkdtemp(prefix="korvale-e2e-panels-")
    work = os.path.join(tmp, "work")
    os.makedirs(os.path.join(work, "more"))
    for name in ("DriveForward.xml", "OpenArena.xml", "Robot.xml"):
        shutil.copy(os.path.join(examples, name), work)
    shutil.copy(os.path.join(examples, "Rooms.xml"), os.path.join(work, "more"))
    with open(os.path.join(work, "notes.txt"), "w") as f:
        f.write("not listed")

    session = Session(program, work, tmp, (), "panels")
    try:
        log("help on F1: every key, in two columns on a backdrop, ending above the hint")
        top = HEIGHT - 45 - 15 * HELP_ROWS
        _, picture = session.screenshot()
        if picture.count((20, top, 300, HEIGHT - 45), white) > 0:
            fail("help text before F1")
        session.press("F1")
        time.sleep(0.3)
        _, picture = session.screenshot()
        empty = [(column, i) for column, left in ((0, 20), (1, HELP_RIGHT)) for i in range(8)
                 if picture.count((left, top + 15 * i, left + 150, top + 15 * i + 15), white) < 20]
        empty += [("across", i) for i in range(8, HELP_ROWS)
                  if picture.count((20, top + 15 * i, 300, top + 15 * i + 15), white) < 20]
        if empty:
            fail("help lines %s show no text" % empty)
        # Between the lines, the backdrop: no arena blue shows through.
        gaps = (20, top + 2, HELP_RIGHT + 150, HEIGHT - 46)
        blue = picture.count(gaps, lambda c: c[2] > 150 and c[0] < 60 and c[1] < 60)
        if blue > 0:
            fail("%d pixels of the arena show through the help" % blue)
        session.press("F1")

        log("the Files page: a double-click loads, a click names the file")
        tab(session, "Files")
        load_row(session, 3, "Scene")  # ../, more/, DriveForward.xml, OpenArena.xml, Robot.xml
        row(session, 4)
        tab(session, "Main")
        session.button(126)  # Load Robot, with the name the click put into the box
        session.expect_output("info: Robot was loaded successfully")
        tab(session, "Files")
        open_folder(session, 1, 2)  # more/: ../ and Rooms.xml
        load_row(session, 1, "Scene")
        open_folder(session, 0, 5)
        load_row(session, 3, "Scene")
        load_row(session, 4, "Robot")
        load_row(session, 2, "Neural network")
        tab(session, "Main")
        session.button(198)  # Neural Network
        time.sleep(0.5)

        log("the sensor panel on F4")
        _, before = session.screenshot()
        if before.count(SENSOR_PANEL, dark) > 5000:
            fail("a panel before F4")
        session.press("F4")
        time.sleep(0.5)
        _, picture = session.screenshot()
        panel = picture.count(SENSOR_PANEL, dark)
        bars = picture.count(SENSOR_PANEL, orange)
        if panel < 15000 or bars < 150:
            fail("F4 shows no panel with bars: %d dark pixels, %d bar pixels" % (panel, bars))
        # Opaque: nothing of the arena's blue inside the panel.
        seen = picture.count(SENSOR_PANEL, lambda c: c[2] > 150 and c[0] < 60 and c[1] < 60)
        if seen > 0:
            fail("%d pixels of the arena show through the sensor panel" % seen)
        log("F4: %d panel pixels, %d bar pixels" % (panel, bars))
        session.press("F4")
        time.sleep(0.3)
        _, picture = session.screenshot()
        if picture.count(SENSOR_PANEL, dark) > 5000:
            fail("the panel stays after F4 hid it")

        session.quit("the panels")
    finally:
        if session.alive():
            session.process.kill()
    log("PASS")


if __name__ == "__main__":
    main()
