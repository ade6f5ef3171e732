"""korvale.evaluate and the run measures: against separate simulations, a
hand-checked run from korvale-sim's trace, and Ctrl-C."""

import math
import os

import numpy as np
import pytest

import korvale
from conftest import example, interrupt_child, sim_trace

ROBOT = example("Robot.xml")

# The robot drives straight into the notch between two fixed discs and
# stays wedged there.
PUSH_SCENE = """<world width="40" height="40" startX="10" startY="20">
  <object x="25" y="16.9" r="3" mass="-1" color="red"/>
  <object x="25" y="23.1" r="3" mass="-1" color="red"/>
</world>"""


def write(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)
    return path


def measures_from_trace(trace, start, radius, arena, discs, dt):
    """The run measures worked out from korvale-sim's trace alone."""
    path = np.vstack([start, trace[:, 1:3]])
    steps = [math.sqrt(dx * dx + dy * dy) for dx, dy in np.diff(path, axis=0)]
    distance = 0.0
    for step in steps:
        distance += step
    cells = {(math.floor(x / (2 * radius)), math.floor(y / (2 * radius))) for x, y in path}

    def touching(x, y):
        width, height = arena
        wall = x - radius <= 0 or y - radius <= 0 or x + radius >= width or y + radius >= height
        return wall or any((x - cx) ** 2 + (y - cy) ** 2 <= (radius + r) ** 2 for cx, cy, r in discs)

    contacts = sum(touching(x, y) for x, y in path[1:])
    back = round(5 / dt)
    moved = [math.hypot(*(path[k] - path[k - back])) for k in range(back, len(path))]
    stuck = sum(m < 0.5 for m in moved) / len(moved)
    avoid = 0.0
    for row in trace:
        speed = abs(row[12] - row[13]) * 8 / 16  # forward or backward only: both wheels alike
        avoid += speed * (1 - min(max(row[4:12]) / (1100 * 1.07), 1.0))
    return dict(distance=distance, coverage=len(cells), contact_frames=contacts, stuck=stuck,
                avoid=avoid / len(trace))


class TestRunMeasures:
    def test_a_hand_checked_run_gives_what_its_trace_gives(self, folder):
        scene = write(folder, "push.xml", PUSH_SCENE)
        network = example("DriveForward.xml")
        trace = sim_trace(folder, "--scene", scene, "--robot", ROBOT, "--network", network, "--seed", 3,
                          "--seconds", 12)
        simulation = korvale.Simulation(scene, robot=ROBOT, network=network, seed=3)
        start = simulation.pose[:2]
        simulation.step(len(trace))
        expected = measures_from_trace(trace, start, 3.0, (40, 40), [(25, 16.9, 3), (25, 23.1, 3)], 1 / 60)
        assert simulation.metrics == expected
        # The robot reaches the discs after about a second and pushes against them from then on.
        assert 600 < expected["contact_frames"] < 720 and expected["stuck"] > 0.8

        evaluation = korvale.evaluate([network], [scene], ROBOT, 12, [3], reward="distance")
        assert {name: values[0, 0, 0] for name, values in evaluation.metrics.items()} == expected
        assert evaluation.fitness[0, 0, 0] == expected["distance"]


class TestEvaluate:
    def test_every_run_is_the_simulation_made_for_it_whatever_the_threads(self):
        networks = [korvale.Network.load(example("AvoidObstacles.xml")), example("DriveForward.xml")]
        scenes = [example("Crowded.xml"), example("Rooms.xml")]
        seeds = [4, np.int64(-2)]
        one = korvale.evaluate(networks, scenes, ROBOT, 20, seeds, reward="coverage", threads=1)
        two = korvale.evaluate(networks, scenes, ROBOT, 20, seeds, reward="coverage", threads=2)
        assert one.fitness.shape == (2, 2, 2) and one.fitness.dtype == np.float64
        for name in one.metrics:
            assert np.array_equal(one.metrics[name], two.metrics[name]), name
        assert np.array_equal(one.fitness, one.metrics["coverage"])
        assert np.array_equal(one.mean, one.fitness.reshape(2, -1).mean(axis=1))
        for i, network in enumerate(networks):
            for j, scene in enumerate(scenes):
                for k, seed in enumerate(seeds):
                    simulation = korvale.Simulation(scene, robot=ROBOT, control="network", seed=int(seed))
                    simulation.set_network(korvale.Network.load(network) if isinstance(network, str) else network)
                    simulation.step(1200)
                    for name, value in simulation.metrics.items():
                        assert one.metrics[name][i, j, k] == value, (name, i, j, k)
        # The hand-made avoider outdoes driving straight ahead.
        assert one.mean[0] > one.mean[1]

    def test_a_random_start_is_the_one_an_environment_of_the_seed_draws(self):
        network = korvale.Network.load(example("AvoidObstacles.xml"))
        scenes, seeds = [example("Crowded.xml"), example("Rooms.xml")], [0, 7]
        result = korvale.evaluate([network], scenes, ROBOT, 5, seeds, start="random", threads=2)
        from_scene = korvale.evaluate([network], scenes, ROBOT, 5, seeds)
        for j, scene in enumerate(scenes):
            env = korvale.Env(scene, ROBOT, network, start="random", max_steps=None)
            for k, seed in enumerate(seeds):
                env.reset(seed=seed)
                for _ in range(300):
                    *_, info = env.step(None)
                for name, values in result.metrics.items():
                    assert values[0, j, k] == info[name], (name, j, k)
        assert not np.array_equal(result.metrics["distance"], from_scene.metrics["distance"])

    def test_a_random_start_in_a_scene_without_room_says_so(self, folder):
        crammed = write(folder, "full.xml", '<world width="10" height="10"><object x="5" y="5" r="4.5" mass="-1"/></world>')
        with pytest.raises(ValueError, match="no free place for the robot was found in 10000 draws"):
            korvale.evaluate([example("DriveForward.xml")], [crammed], ROBOT, 1, [0], start="random")

    @pytest.mark.parametrize("arguments, error, text", [
        (dict(reward="speed"), ValueError, 'reward is "avoid", "distance" or "coverage"'),
        (dict(start="anywhere"), ValueError, 'start is "scene" or "random", not \'anywhere\''),
        (dict(networks=[example("Robot.xml")]), korvale.LoadError, "CFeedForwardReader"),
        (dict(scenes=[example("Missing.xml")]), korvale.LoadError,
         "^Error in CFenIOStruct: cannot open the file\nScene file '.*Missing.xml': no such file$"),
        (dict(seeds=[1.5]), TypeError, "seed must be a whole number"),
        (dict(threads=0), ValueError, "threads must be from 1"),
        (dict(seconds=-1), ValueError, "seconds must be a number of at least 0"),
    ])
    def test_unusable_arguments_are_refused_before_any_run(self, arguments, error, text):
        call = dict(networks=[example("DriveForward.xml")], scenes=[example("Default.xml")], robot=ROBOT,
                    seconds=1, seeds=[1])
        call.update(arguments)
        with pytest.raises(error, match=text):
            korvale.evaluate(**call)

    def test_a_network_that_does_not_fit_the_robot_is_named(self):
        seven = korvale.Network([np.zeros((4, 7))], [np.zeros(4)], ["logsig"])
        with pytest.raises(ValueError, match=r"^networks\[1\] takes 7 inputs, but the robot has 8 infrared sensors$"):
            korvale.evaluate([example("DriveForward.xml"), seven], [example("Default.xml")], ROBOT, 1, [1])


INTERRUPTED = """
import sys, korvale
print("running", flush=True)
try:
    korvale.evaluate([sys.argv[3]] * 8, [sys.argv[1]], sys.argv[2], 3600, [1, 2], threads=2)
except KeyboardInterrupt:
    print("interrupted", cpu_since_signal(), flush=True)
"""


def test_ctrl_c_stops_a_long_evaluation_within_a_fraction_of_a_second():
    out = interrupt_child(INTERRUPTED, example("Crowded1000.xml"), ROBOT, example("AvoidObstacles.xml"), wait=1.0)
    word, cpu = out.split()
    assert word == "interrupted"
    # Two threads for less than half a second.
    assert float(cpu) < 1.0, cpu
