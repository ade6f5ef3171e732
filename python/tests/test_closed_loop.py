"""The loop closed: the obstacle avoider drives and its runs are logged,
korvale-train learns a student network from the logs, and the student then
drives alone, also in a scene it never saw."""

import csv

import numpy as np
import pytest

from conftest import EXAMPLES, NET, SIM, TRAIN, run

SCENES = ["Default.xml", "OpenArena.xml", "Rooms.xml", "Crowded.xml"]
TAUGHT = ["Default.xml", "Rooms.xml", "Crowded.xml"]  # OpenArena is new to the student
TEACHER_SECONDS = 300
FRAMES_PER_SECOND = 60


def drive(network, scene, seconds, *outputs):
    result = run(SIM, "--scene", EXAMPLES / scene, "--robot", EXAMPLES / "Robot.xml", "--network", network,
                 "--seconds", seconds, "--quiet", *outputs)
    assert (result.returncode, result.stderr) == (0, ""), f"{network} in {scene}"


@pytest.fixture(scope="module")
def lesson(tmp_path_factory):
    folder = tmp_path_factory.mktemp("loop")
    teacher = EXAMPLES / "AvoidObstacles.xml"
    for scene in SCENES:
        drive(teacher, scene, TEACHER_SECONDS, "--log", folder / f"{scene}.log")
    result = run(TRAIN, *[folder / f"{scene}.log" for scene in TAUGHT], "-o", folder / "student.xml")
    assert result.returncode == 0, result.stderr
    return folder, result.stdout


def held_out_agreement(report):
    (line,) = [line for line in report.splitlines() if line.startswith("  all four")]
    return float(line.split()[-2])


def test_the_student_gives_the_teachers_commands_on_lines_it_did_not_learn(lesson):
    folder, report = lesson
    assert held_out_agreement(report) >= 95.0, report

    # The teacher's run in the scene the student never saw, line by line.
    log = folder / "OpenArena.xml.log"
    result = run(NET, folder / "student.xml", log)
    assert result.returncode == 0, result.stderr
    student = np.array([[float(v) for v in line.split()] for line in result.stdout.splitlines()]) > 0.5
    teacher = np.array([[float(v) for v in line.split()[-4:]] for line in log.read_text().splitlines()]) > 0.5
    assert len(student) == len(teacher) > TEACHER_SECONDS * 8
    assert np.mean((student == teacher).all(axis=1)) >= 0.95


def reach(x, y, start, frames):
    """The farthest the robot gets from where it was at frame start within frames frames."""
    end = min(start + frames, len(x))
    return np.hypot(x[start:end] - x[start], y[start:end] - y[start]).max()


@pytest.mark.parametrize("scene", SCENES)
def test_the_student_keeps_moving_and_never_gets_stuck(lesson, scene):
    # The obstacle avoider's own standard: within every 20 s at least 10 units
    # from where it was, and never pinned (within 1 unit) for 3 s.
    folder, _ = lesson
    trace = folder / f"{scene}.csv"
    drive(folder / "student.xml", scene, 120, "--trace", trace)
    with open(trace) as rows:
        path = np.array([(float(row["x"]), float(row["y"])) for row in csv.DictReader(rows)])
    x, y = path[:, 0], path[:, 1]
    assert len(x) == 120 * FRAMES_PER_SECOND

    window = 20 * FRAMES_PER_SECOND
    for start in range(0, len(x) - window + 1, 30):
        assert reach(x, y, start, window) >= 10.0, f"slow from {start / FRAMES_PER_SECOND} s"
    pinned = 3 * FRAMES_PER_SECOND
    for start in range(0, len(x) - pinned + 1, 10):
        assert reach(x, y, start, pinned) >= 1.0, f"stuck at {x[start]}, {y[start]} from {start / FRAMES_PER_SECOND} s"
