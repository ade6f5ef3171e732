#!/usr/bin/env python3
"""A swarm in the Korvale window, driven from outside as a person would:
load examples/Swarm.xml, Tab to robot 3 (the ring goes round it), log it
while the arrow keys take it over from its network, and check the log and
where the robot went.

Run under an X server (the CTest entry starts one with xvfb-run). Usage:
    window_swarm_test.py KORVALE EXAMPLES_DIR [--screenshot FILE]
"""
import math
import os
import re
import shutil
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

from window_run_test import command, typed_command
from window_test import Camera, Session, fail, log, near, run

NOTE = re.compile(r"^robot: world frame (\d+), x (\S+), y (\S+), angle (\S+)$")
RING = (0xFF, 0xE0, 0x00)
# Backward and right held together: the network never gives both for long.
HELD_COMMANDS = "0.0 1.0 0.0 1.0"


def poses(session):
    """The selected robot's notes so far: (world frame, x, y, angle)."""
    found = [NOTE.match(line) for line in session.output().splitlines()]
    return [(int(m.group(1)), float(m.group(2)), float(m.group(3)), float(m.group(4))) for m in found if m]


def next_pose(session, after):
    """The first note of a world frame past `after`."""
    end = time.time() + 10
    while time.time() < end:
        later = [p for p in poses(session) if p[0] > after]
        if later:
            return later[0]
        time.sleep(0.1)
    fail("no note of the selected robot after world frame %d:\n%s" % (after, session.output()[-2000:]))


def ring_round(session, camera, pose, shot_to):
    """The ring's pixels near the robot's place on the screen."""
    path, picture = session.screenshot()
    if shot_to:
        shutil.copy(path, shot_to)
    x, y = camera.pixel(pose[1], pose[2])
    box = (x - 25, y - 25, x + 26, y + 26)
    ring = picture.count(box, lambda c: near(c, RING, 24))
    centre = picture.centroid(box, lambda c: near(c, RING, 24))
    return ring, centre, (x, y)


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    shot_to = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
    tmp = tempfile.mkdtemp(prefix="korvale-e2e-swarm-")
    world = ET.parse(os.path.join(examples, "Swarm.xml")).getroot()
    camera = Camera(float(world.get("width")), float(world.get("height")))
    session = Session(program, examples, tmp, (), "swarm")
    lines = 0
    try:
        typed_command(session, "Swarm.xml", 102, "info: Scene was loaded successfully")  # Load Scene

        log("Tab twice: robot 3 of 20, ringed")
        lines += 1
        _, paused_at = command(session, "p", lines)
        session.press("Tab", 0.05)
        session.press("Tab", 0.05)
        session.expect_output("info: Robot 3 of 20")
        lines += 1
        _, frame = command(session, "n", lines)  # one frame: a note of robot 3
        pose = next_pose(session, -1)
        end = time.time() + 10
        while time.time() < end and pose[0] <= frame - 1:
            lines += 1
            _, frame = command(session, "n", lines)
            pose = poses(session)[-1]
        time.sleep(0.3)
        ring, centre, expected = ring_round(session, camera, pose, shot_to)
        if ring < 20 or centre is None or math.dist(centre, expected) > 3:
            fail("no ring round robot 3 at pixel %s: %d ring pixels centred at %s" % (expected, ring, centre))
        log("ring of %d pixels centred %.1f pixels from robot 3" % (ring, math.dist(centre, expected)))

        log("log robot 3 while the keys drive it")
        lines += 1
        command(session, "p", lines)  # running again
        log_file = os.path.join(tmp, "robot3.log")
        typed_command(session, log_file, 318, "info: Log was started successfully")  # Start Log
        start = poses(session)[-1]
        run("xdotool", "keydown", "Down")
        run("xdotool", "keydown", "Right")
        time.sleep(2.5)
        run("xdotool", "keyup", "Right")
        run("xdotool", "keyup", "Down")
        time.sleep(0.3)
        held_end = poses(session)[-1]
        session.button(342)  # Stop Log
        session.expect_output("info: Log was stopped successfully")

        with open(log_file) as f:
            records = f.read().splitlines()
        held = longest = 0
        for record in records:
            held = held + 1 if record.endswith(HELD_COMMANDS + " ") else 0
            longest = max(longest, held)
        if longest < 8:
            fail("the log of robot 3 has no run of lines the keys drove (%d lines):\n%s"
                 % (len(records), "\n".join(records[:40])))
        if any(len(record.split()) != 8 + 4 for record in records):
            fail("a log line is not 8 readings and 4 commands")
        moved = math.dist(start[1:3], held_end[1:3])
        turned = held_end[3] - start[3]
        if moved < 1 or turned > -0.3:
            fail("robot 3 went from %s to %s: not backwards to the right under the keys" % (start, held_end))
        log("%d log lines, %d of them in a row driven by the keys; robot 3 moved %.1f and turned %.2f rad"
            % (len(records), longest, moved, turned))
        session.quit("the swarm")
    finally:
        if session.alive():
            session.process.kill()
    log("PASS")


if __name__ == "__main__":
    main()
