"""The rules the C++ core keeps, as the module hands them to the Python
programs: whole frames in a time, the frame times the world takes, the stuck
measure's window, the rewards' names."""

import math

import numpy as np
import pytest

import korvale
from conftest import example
from korvale import _korvale
from korvale.batch import sweep
from korvale.batch.sweep import SweepError
from korvale.evolve import config
from korvale.evolve.config import ConfigError

SWEEP = 'scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\n'
EVOLUTION = 'scenes = ["a.xml"]\nrobot = "r.xml"\nseconds = 2\ngenerations = 1\nsigma = 0.5\n'


class TestFramesIn:
    def test_rounds_halves_away_from_zero_as_korvale_sim_counts(self):
        assert _korvale._frames_in(1.0, 1 / 60) == 60
        assert _korvale._frames_in(2.5, 1.0) == 3
        assert _korvale._frames_in(0.49, 1.0) == 0

    @pytest.mark.parametrize("seconds, message", [
        (-1.0, "seconds must be a number of at least 0"),
        (math.nan, "seconds must be a number of at least 0"),
        (9e15, "seconds / dt gives too many frames"),
    ])
    def test_refuses_what_no_run_counts(self, seconds, message):
        with pytest.raises(ValueError, match=f"^{message}$"):
            _korvale._frames_in(seconds, 1.0)


def test_frame_times_are_judged_as_the_world_steps_them():
    low, high = _korvale._FRAME_TIME_RANGE
    assert (low, high) == (0.001, 1.0)
    assert _korvale._takes_frame_time(low) and _korvale._takes_frame_time(high)
    assert not _korvale._takes_frame_time(0.0009) and not _korvale._takes_frame_time(1.01)
    assert _korvale._FRAME_TIME_RANGE_TEXT == "from 0.001 to 1 second, the steps the world takes"


def float32_beside(value, towards):
    """The single-precision number next to value on the way to towards."""
    return float(np.nextafter(np.float32(value), np.float32(towards)))


class TestFrameTimesOfSweepsAndEvolutions:
    """Sweep and evolution files take the frame times korvale-sim takes: the
    ends themselves, nothing a single-precision step beyond them."""

    # The double just below 0.001 becomes 0.001 in single precision, as the world steps it.
    @pytest.mark.parametrize("dt", [0.001, 1.0, float(np.nextafter(0.001, 0.0))])
    def test_the_ends_and_what_rounds_to_them_are_taken(self, dt):
        assert sweep.parse(SWEEP + f"dt = {dt!r}\n").runs[0].dt == dt
        assert config.parse(EVOLUTION + f"dt = {dt!r}\n").dt == dt

    @pytest.mark.parametrize("dt", [float32_beside(0.001, 0.0), float32_beside(1.0, 2.0)])
    def test_just_outside_is_refused_with_the_files_own_message(self, dt):
        with pytest.raises(SweepError) as raised:
            sweep.parse(SWEEP + f"dt = {dt!r}\n")
        assert str(raised.value) == "'dt' must be from 0.001 to 1 second, the steps the world takes"
        with pytest.raises(ConfigError) as raised:
            config.parse(EVOLUTION + f"dt = {dt!r}\n")
        assert str(raised.value) == "'dt' must be from 0.001 to 1 second, the steps the world takes"

    def test_a_whole_number_beyond_every_double_is_refused_in_one_line(self):
        huge = 10**400
        with pytest.raises(SweepError, match="^'dt' must be from 0.001 to 1 second"):
            sweep.parse(SWEEP + f"dt = {huge}\n")
        with pytest.raises(SweepError, match="^'duration' must be a number greater than 0$"):
            sweep.parse(SWEEP.replace("duration = 1", f"duration = {huge}"))
        with pytest.raises(ConfigError, match="^'seconds' must be a number greater than 0$"):
            config.parse(EVOLUTION.replace("seconds = 2", f"seconds = {huge}"))


def test_sweeps_and_evolutions_take_the_seeds_a_simulation_takes():
    low, high = _korvale._SEED_RANGE
    assert (low, high) == (-(2**63), 2**64 - 1)
    for seed in (low, high):
        korvale.Simulation(example("Default.xml"), seed=seed)
        assert sweep.parse(SWEEP + f"seeds = [{seed}]\n").runs[0].seed == seed
        assert config.parse(EVOLUTION + f"seed = {seed}\n").seed == seed
    for seed in (low - 1, high + 1):
        with pytest.raises(ValueError, match="^seed must lie in the 64-bit range$"):
            korvale.Simulation(example("Default.xml"), seed=seed)
        with pytest.raises(SweepError, match="is not a 64-bit whole number$"):
            sweep.parse(SWEEP + f"seeds = [{seed}]\n")
        with pytest.raises(ConfigError, match="^'seed' must be a 64-bit whole number$"):
            config.parse(EVOLUTION + f"seed = {seed}\n")


def test_the_stuck_window_is_the_metrics_own():
    assert (_korvale._STUCK_SECONDS, _korvale._STUCK_DISTANCE) == (5.0, 0.5)
    # Frames of 0.5 s: the window is round(5 / 0.5) = 10 frames.
    simulation = korvale.Simulation(example("Default.xml"), robot=example("Robot.xml"), dt=0.5)
    simulation.step(9)
    assert not simulation.stuck_measured and simulation.metrics["stuck"] == 0.0
    simulation.step(1)
    assert simulation.stuck_measured


def test_observations_are_bounded_by_the_top_reading_the_avoid_measure_uses():
    assert _korvale._TOP_READING == 1100 * 1.07
    space = korvale.Env(example("Default.xml"), example("Robot.xml")).observation_space
    assert (space.low == 0).all() and (space.high == np.float32(_korvale._TOP_READING)).all()


def test_every_dict_of_run_measures_names_them_alike_in_one_order():
    scene, robot = example("Default.xml"), example("Robot.xml")
    assert _korvale._MEASURES == ("distance", "coverage", "contact_frames", "stuck", "avoid")
    simulation = korvale.Simulation(scene, robot=robot, network=example("AvoidObstacles.xml"), seed=1)
    simulation.step(30)
    assert tuple(simulation.metrics) == _korvale._MEASURES
    assert [type(value) for value in simulation.metrics.values()] == [float, int, int, float, float]
    result = korvale.evaluate([example("AvoidObstacles.xml")], [scene], robot, 0.5, [1])
    assert tuple(result.metrics) == _korvale._MEASURES
    assert {name: result.metrics[name][0, 0, 0] for name in _korvale._MEASURES} == simulation.metrics
    vector = korvale.VectorEnv(2, scene, robot)
    vector.reset(seed=1)
    infos = vector.step(np.zeros((2, 4)))[-1]
    assert [name for name in infos if not name.startswith("_")] == [*_korvale._MEASURES, "steps", "time"]
    assert set(_korvale._REWARDS) <= set(_korvale._MEASURES)


def test_the_rewards_are_named_once_and_every_message_lists_them_as_before():
    assert _korvale._REWARDS == ("avoid", "distance", "coverage")
    scene, robot = example("Default.xml"), example("Robot.xml")
    with pytest.raises(ValueError) as raised:
        korvale.Env(scene, robot, reward="speed")
    assert str(raised.value) == """reward is "avoid", "distance", "coverage" or a callable, not 'speed'"""
    with pytest.raises(ValueError) as raised:
        korvale.evaluate([], [scene], robot, 1.0, [1], reward="speed")
    assert str(raised.value) == """reward is "avoid", "distance" or "coverage", not 'speed'"""
    with pytest.raises(ConfigError) as raised:
        config.parse(EVOLUTION + 'fitness = "speed"\n')
    assert str(raised.value) == "'fitness' must be one of avoid, distance, coverage, or a list of them"
    # The core's own check, met by a caller that bypasses Env's.
    with pytest.raises(ValueError) as raised:
        _korvale._Arena(scene, robot, None, "speed", 10, "scene", False, 1 / 60, 1)
    assert str(raised.value) == 'reward is "avoid", "distance", "coverage" or a callable, not "speed"'
