"""Students of the obstacle avoider, judged as korvale-train judges them: by
driving, in every example scene, beside their teacher.

The teacher drives 150 s in each of two scenes (half what the benchmark
gives it, so that the tests stay short); the students learn from those two
logs and are then let loose for 60 s in every example scene, three of which
they never saw. A student passes a scene when it drives at least
80 % of the teacher's distance there and never stands still: never stays
within 0.5 units of one place for 5 s on end. (The run measures' stuck
share also counts the moments a robot comes back to where it was 5 s
before; the teacher itself does that in Rooms and Crowded.)
"""

import numpy as np
import pytest

from conftest import EXAMPLES, SIM, TRAIN, run
from korvale.train.driving import stood_still

TEACHER = EXAMPLES / "AvoidObstacles.xml"
ROBOT = EXAMPLES / "Robot.xml"
TAUGHT = ("Crowded.xml", "Crowded1000.xml")
SCENES = ("Default.xml", "OpenArena.xml", "Rooms.xml", "Crowded.xml", "Crowded1000.xml")
TRAINING_SEEDS = (0, 1, 2)
SECONDS = 60
SIMULATION_SEEDS = (0,)
SHARE_OF_TEACHER = 0.8
TEACHER_SECONDS = 150


def teacher_logs(folder):
    logs = []
    for scene in TAUGHT:
        log = folder / f"{scene}.log"
        result = run(SIM, "--scene", EXAMPLES / scene, "--robot", ROBOT, "--network", TEACHER, "--seconds", TEACHER_SECONDS,
                     "--log", log, "--quiet")
        assert result.returncode == 0, result.stderr
        logs.append(log)
    return logs


def train(logs, student, seed, *options):
    result = run(TRAIN, *logs, "-o", student, "--seed", seed, "--robot", ROBOT, "--threads", 2, *options)
    assert result.returncode == 0, result.stderr
    return result.stdout


def judge(students):
    """Per student and scene: the least share of the teacher's distance over
    the seeds, and the first time (seconds) it stood still in any, or None."""
    import korvale

    networks = [korvale.Network.load(str(path)) for path in (TEACHER, *students)]
    result = korvale.evaluate(networks, [str(EXAMPLES / scene) for scene in SCENES], str(ROBOT), SECONDS,
                              list(SIMULATION_SEEDS), threads=2)
    distance = result.metrics["distance"]
    teacher = distance[0].mean(axis=1)
    stood = [[min((frame / 60 for frame in (standing(korvale, network, scene, seed) for seed in SIMULATION_SEEDS)
                   if frame is not None), default=None) for scene in SCENES] for network in networks[1:]]
    return distance[1:].min(axis=2) / teacher, stood


def standing(korvale, network, scene, seed):
    simulation = korvale.Simulation(EXAMPLES / scene, robot=ROBOT, control="network", seed=seed)
    simulation.set_network(network)
    return stood_still(simulation.trace(SECONDS * 60)[:, 1:3])


def assert_every_student_drives(students):
    shares, stood = judge(students)
    faults = [f"{path.name} in {scene}: {100 * share:.0f} % of the teacher's distance"
              + (f", stood still from {time:.1f} s" if time is not None else "")
              for path, share_row, stood_row in zip(students, shares, stood)
              for scene, share, time in zip(SCENES, share_row, stood_row)
              if share < SHARE_OF_TEACHER or time is not None]
    assert not faults, "\n".join(faults)


@pytest.fixture(scope="module")
def lesson(tmp_path_factory):
    folder = tmp_path_factory.mktemp("students")
    return folder, teacher_logs(folder)
