#!/usr/bin/env python3
"""Pause, single frames, speed and reset in the Korvale window, driven from
outside as a person would, with the frame counts the program writes under
-automation ("run: window frame W, world frame F" at each run command).

Run under an X server (the CTest entry starts one with xvfb-run). Usage:
    window_run_test.py KORVALE EXAMPLES_DIR
"""
import os
import re
import sys
import tempfile
import time

from window_test import VIEW, Session, fail, log, robot_pixels

VIEW_BOX = (VIEW[0], VIEW[1], VIEW[0] + VIEW[2], VIEW[1] + VIEW[3])
RUN_LINE = re.compile(r"^run: window frame (\d+), world frame (\d+)$")


def run_lines(session):
    return [tuple(map(int, m.groups())) for m in map(RUN_LINE.match, session.output().splitlines()) if m]


def command(session, key, count):
    """Presses a key and waits for its run line: (window frame, world frame)."""
    session.press(key, 0.05)
    end = time.time() + 3
    while time.time() < end:
        lines = run_lines(session)
        if len(lines) >= count:
            return lines[count - 1]
        time.sleep(0.05)
    fail("no run line after %s; the program wrote:\n%s" % (key, session.output()))


def robot_at(session):
    _, picture = session.screenshot()
    where = picture.centroid(VIEW_BOX, robot_pixels)
    if where is None:
        fail("no robot in the world view")
    return where


def type_name(session, text):
    """Types into the file-name box. The A of its select-all may go down
    before the box takes the keyboard and up after it has: the key table
    would hold A and the camera drift away. So, out of the box, A once more."""
    session.type_file_name(text)
    session.click(150, 470)  # beside the run bar: neither world nor widget
    session.press("a", 0.05)


def typed_command(session, name, row, expected):
    """Types a name and presses the button of `row`, again if a slow frame
    lost the select-all and the name went in after the old one (the
    command then fails, and says so)."""
    for _ in range(3):
        before = session.output().count(expected)
        type_name(session, name)
        session.button(row)
        end = time.time() + 3
        while time.time() < end:
            if session.output().count(expected) > before:
                return
            time.sleep(0.1)
    fail("no %r after typing %s:\n%s" % (expected, name, session.output()))


def moves_on(session, start, timeout=5.0):
    """Whether the robot leaves `start` (to the right) within the timeout:
    a busy machine draws few frames."""
    end = time.time() + timeout
    while time.time() < end:
        if robot_at(session)[0] > start[0]:
            return True
        time.sleep(0.2)
    return False


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    tmp = tempfile.mkdtemp(prefix="korvale-e2e-run-")
    session = Session(program, examples, tmp, (), "run")
    lines = 0
    try:
        for name, row, text in (("OpenArena.xml", 102, "Scene"), ("Robot.xml", 126, "Robot"),
                                ("DriveForward.xml", 150, "Neural network")):
            typed_command(session, name, row, "info: %s was loaded successfully" % text)
        session.button(198)  # Neural Network: the robot drives forward
        time.sleep(0.5)

        log("pause and single frames")
        lines += 1
        window, world = command(session, "p", lines)
        session.expect_output("info: Paused")
        first = robot_at(session)
        time.sleep(0.5)
        if robot_at(session) != first:
            fail("the robot moved while paused")
        for step in range(3):
            lines += 1
            _, stepped = command(session, "n", lines)
            if stepped != world + step:
                fail("step %d: world frame %d, not %d" % (step + 1, stepped, world + step))
        lines += 1
        resumed_window, resumed = command(session, "p", lines)
        session.expect_output("info: Running")
        if resumed != world + 3:
            fail("three steps advanced the world from frame %d to %d" % (world, resumed))
        if not moves_on(session, first):
            fail("the robot does not move after resuming")

        log("speed")
        # A run line comes before its frame's world frames: from the line of
        # the second "+" to that of the first "-", four world frames a frame.
        time.sleep(0.3)
        lines += 1
        window_a, world_a = command(session, "plus", lines)
        if world_a - resumed != window_a - resumed_window:
            fail("at ×1, %d window frames advanced %d world frames" % (window_a - resumed_window, world_a - resumed))
        lines += 1
        window_b, world_b = command(session, "plus", lines)
        session.expect_output("info: Speed ×4")
        time.sleep(1.0)
        lines += 1
        window_c, world_c = command(session, "minus", lines)
        if window_c - window_b < 2 or world_c - world_b != 4 * (window_c - window_b):
            fail("at ×4, %d window frames advanced %d world frames" % (window_c - window_b, world_c - world_b))
        log("×4: %d window frames, %d world frames" % (window_c - window_b, world_c - world_b))
        lines += 1
        window_d, world_d = command(session, "minus", lines)
        session.expect_output("info: Speed ×1")
        time.sleep(0.5)
        lines += 1
        window_e, world_e = command(session, "p", lines)
        if world_e - world_d != window_e - window_d:
            fail("at ×1 again, %d window frames advanced %d world frames" % (window_e - window_d, world_e - world_d))

        log("reset")
        log_file = os.path.join(tmp, "reset.log")
        lines += 1
        command(session, "p", lines)  # running again
        typed_command(session, log_file, 318, "info: Log was started successfully")  # Start Log
        end = time.time() + 5
        while time.time() < end and open(log_file).read().count("\n") < 2:
            time.sleep(0.1)
        moved = robot_at(session)
        lines += 1
        command(session, "r", lines)
        session.expect_output("info: Reset; still recording into " + log_file)
        with open(log_file) as f:
            text = f.read()
        if not text.endswith("\n") or len(text.split("\n")) < 3:
            fail("the log across Reset is not whole: %r" % text[-80:])
        lines += 1
        command(session, "p", lines)  # paused at the start position
        back = robot_at(session)
        if abs(back[0] - first[0]) > 30 or back[0] >= moved[0] - 5:
            fail("after Reset the robot is at %s, not back near %s (it had reached %s)" % (back, first, moved))
        lines += 1
        command(session, "p", lines)
        if not moves_on(session, back):
            fail("the network does not drive after Reset: the selected control was lost")
        session.quit("the run commands")
    finally:
        if session.alive():
            session.process.kill()
    log("PASS")


if __name__ == "__main__":
    main()
