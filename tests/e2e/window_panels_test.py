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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_test import HEIGHT, USER_PANEL, WIDTH, Session, fail, log, run  # noqa: E402

HELP_LINES = 15
SENSOR_PANEL = (WIDTH - 170 - 6 - 250, 55 + 6, WIDTH - 170 - 6, 55 + 6 + 330)


def white(colour):
    return min(colour) > 200


def dark(colour):
    return max(colour) < 40


def orange(colour):  # Dear ImGui's histogram bars
    return colour[0] > 200 and 120 < colour[1] < 210 and colour[2] < 60


def hold_click(session, x, y, double=False):
    run("xdotool", "mousemove", "--window", session.window, str(x), str(y))
    time.sleep(0.2)
    for _ in range(2 if double else 1):
        run("xdotool", "mousedown", "1")
        time.sleep(0.06)
        run("xdotool", "mouseup", "1")
        time.sleep(0.06)
    time.sleep(0.3)


def tab(session, name):
    hold_click(session, USER_PANEL[0] + {"Main": 45, "Files": 125}[name], USER_PANEL[1] + 17)


def row(session, index, double=False):
    """A row of the Files page's list, "../" being row 0."""
    hold_click(session, USER_PANEL[0] + 90, USER_PANEL[1] + 125 + 17 * index, double)


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
        log("help on F1: every key, in fifteen lines ending above the hint")
        top = HEIGHT - 45 - 15 * HELP_LINES
        _, picture = session.screenshot()
        if picture.count((20, top, 300, HEIGHT - 45), white) > 0:
            fail("help text before F1")
        session.press("F1")
        time.sleep(0.3)
        _, picture = session.screenshot()
        empty = [i for i in range(HELP_LINES)
                 if picture.count((20, top + 15 * i, 300, top + 15 * i + 15), white) < 20]
        if empty:
            fail("help lines %s show no text" % empty)
        session.press("F1")

        log("the Files page: a double-click loads, a click names the file")
        tab(session, "Files")
        row(session, 3, double=True)  # ../, more/, DriveForward.xml, OpenArena.xml, Robot.xml
        session.expect_output("info: Scene was loaded successfully")
        row(session, 4)
        tab(session, "Main")
        session.button(126)  # Load Robot, with the name the click put into the box
        session.expect_output("info: Robot was loaded successfully")
        tab(session, "Files")
        row(session, 1, double=True)  # into more/
        row(session, 1, double=True)  # more/Rooms.xml
        if session.output().count("info: Scene was loaded successfully") != 2:
            fail("Rooms.xml in the folder more/ did not load:\n" + session.output())
        row(session, 0, double=True)  # back out
        row(session, 3, double=True)
        row(session, 4, double=True)
        row(session, 2, double=True)
        session.expect_output("info: Neural network was loaded successfully")
        if session.output().count("info: Robot was loaded successfully") != 2:
            fail("the robot did not load again after the way through more/:\n" + session.output())
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
        if panel < 20000 or bars < 300:
            fail("F4 shows no panel with bars: %d dark pixels, %d bar pixels" % (panel, bars))
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
