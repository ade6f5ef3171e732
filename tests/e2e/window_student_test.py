#!/usr/bin/env python3
"""What a student meets in the Korvale window on the way to teaching a
robot, driven from outside as they would: the file-name box taken whole on
the first click, a scene loaded over a robot, a network that does not fit
the robot, Reset while a corrections log runs, and names typed after going
into a folder on the Files page.

Run under an X server (the CTest entry starts one with xvfb-run). Usage:
    window_student_test.py KORVALE EXAMPLES_DIR
"""
import os
import shutil
import sys
import tempfile
import time

from window_test import USER_PANEL, Session, fail, log, run
from window_panels_test import hold_click, open_folder, tab

SEVEN_INPUTS = """<network inputDimensions="7" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="7">
    0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>"""
NAME_BOX = (USER_PANEL[0] + 97, USER_PANEL[1] + 74)
TEACH_TAB = (USER_PANEL[0] + 140, USER_PANEL[1] + 17)
LOG_CORRECTIONS = (USER_PANEL[0] + 88, USER_PANEL[1] + 107)
ROWS = {"Load Scene": 102, "Load Robot": 126, "Load Network": 150, "Neural Network": 198}


def said_since(session, before):
    return session.output().splitlines()[before:]


def wait_for(session, before, lines, timeout=3.0):
    """Whether every one of `lines` came after the first `before` lines."""
    end = time.time() + timeout
    while time.time() < end:
        if all(line in said_since(session, before) for line in lines):
            return True
        time.sleep(0.1)
    return False


def typed(session, name, button, *expected):
    """One click in the box, the name typed (nothing else: the click must
    select what was there), the button; again if a slow frame lost the click
    and the keys went elsewhere. A name joined to the one before fails."""
    for _ in range(3):
        before = len(session.output().splitlines())
        session.click(*NAME_BOX)
        run("xdotool", "type", "--delay", "30", name)
        time.sleep(0.2)
        session.button(ROWS[button])
        if wait_for(session, before, expected):
            return
        joined = [line for line in said_since(session, before) if name in line and "'" + name + "'" not in line]
        if joined:
            fail("the name was not replaced on the first click: %s" % joined)
    fail("no %s after typing %s:\n%s" % (expected, name, session.output()))


def corrections_lines(folder):
    path = os.path.join(folder, "corrections-0001.log")
    return open(path).read().count("\n") if os.path.exists(path) else 0


def take_over(session, key, seconds):
    run("xdotool", "keydown", key)
    time.sleep(seconds)
    run("xdotool", "keyup", key)
    time.sleep(0.3)


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    tmp = tempfile.mkdtemp(prefix="korvale-e2e-student-")
    work = os.path.join(tmp, "work")
    os.makedirs(os.path.join(work, "more"))
    for name in ("OpenArena.xml", "Robot.xml", "AvoidObstacles.xml"):
        shutil.copy(os.path.join(examples, name), work)
    shutil.copy(os.path.join(examples, "Rooms.xml"), os.path.join(work, "more"))
    with open(os.path.join(work, "Seven.xml"), "w") as f:
        f.write(SEVEN_INPUTS)

    session = Session(program, work, tmp, (), "student")
    try:
        log("the name box: the first click selects the name, typing replaces it")
        typed(session, "OpenArena.xml", "Load Scene", "info: Scene was loaded successfully")
        typed(session, "Robot.xml", "Load Robot", "info: Robot was loaded successfully")

        log("a scene loaded after the robot says where the robot went")
        typed(session, "OpenArena.xml", "Load Scene", "info: Scene was loaded successfully",
              "warning: The robot 'Robot.xml' was removed with the old scene: load it again with Load Robot")
        typed(session, "Robot.xml", "Load Robot", "info: Robot was loaded successfully")

        log("a network that does not fit says why, on loading and on selecting it")
        why = "Network file 'Seven.xml' takes 7 inputs, but the robot has 8 infrared sensors"
        typed(session, "Seven.xml", "Load Network", "info: Neural network was loaded successfully",
              "warning: " + why)
        before = len(session.output().splitlines())
        session.button(ROWS["Neural Network"])
        if not wait_for(session, before, ["error: Inconsistent neural network", "error: " + why]):
            fail("selecting the network that does not fit:\n%s" % "\n".join(said_since(session, before)))

        log("Reset while a corrections log runs: the log goes on, take-overs after it are kept")
        typed(session, "AvoidObstacles.xml", "Load Network", "info: Neural network was loaded successfully")
        session.button(ROWS["Neural Network"])
        for _ in range(4):
            hold_click(session, *TEACH_TAB)
            before = len(session.output().splitlines())
            hold_click(session, *LOG_CORRECTIONS)
            if wait_for(session, before, ["info: Corrections log was started successfully"], 2.0):
                break
        else:
            fail("Log Corrections did not start:\n%s" % session.output())
        take_over(session, "Left", 1.5)
        first = corrections_lines(work)
        if first < 3:
            fail("the first take-over left %d lines" % first)
        before = len(session.output().splitlines())
        session.press("r", 0.05)
        if not wait_for(session, before, ["info: Reset; still recording into corrections-0001.log"]):
            fail("Reset said:\n%s" % "\n".join(said_since(session, before)))
        take_over(session, "Right", 1.5)
        second = corrections_lines(work)
        log("corrections-0001.log: %d lines, %d after Reset and a second take-over" % (first, second))
        if second < first + 3:
            fail("the take-over after Reset was not recorded: %d lines, then %d" % (first, second))

        log("names typed after going into a folder are taken from it")
        tab(session, "Files")
        open_folder(session, 1, 2)  # ../, more/ ...: into more/, which holds ../ and Rooms.xml
        tab(session, "Main")
        typed(session, "Rooms.xml", "Load Scene", "info: Scene was loaded successfully")
        session.quit("the student's session")
    finally:
        if session.alive():
            session.process.kill()
    log("PASS")


if __name__ == "__main__":
    main()
