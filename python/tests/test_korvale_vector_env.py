"""korvale.VectorEnv: against separate Envs, next-step autoreset, threads,
callable rewards, copies and Ctrl-C."""

import copy
import os
import pickle

import numpy as np
import pytest

import korvale
from conftest import example, interrupt_child

ROBOT = example("Robot.xml")


def actions_for(steps, n, seed=0):
    rng = np.random.default_rng(seed)
    return (rng.uniform(size=(steps, n, 4)) < [0.8, 0.1, 0.3, 0.3]).astype(np.int8)


class TestAgainstSeparateEnvs:
    # 8 threads: more than environments, some threads without a block of their own.
    @pytest.mark.parametrize("threads", [1, 2, 8])
    def test_every_environment_runs_as_an_env_alone_autoresets_included(self, threads):
        n, steps = 5, 160
        options = dict(max_steps=60, start="random", camera=True)
        vector = korvale.VectorEnv(n, example("Crowded.xml"), ROBOT, threads=threads, **options)
        assert vector.threads == min(threads, n, os.cpu_count())
        actions = actions_for(steps, n)
        observations, infos = vector.reset(seed=40)
        got = [(observations["ir"], np.zeros(n), np.zeros(n, bool), np.zeros(n, bool))]
        for step in range(steps):
            observations, rewards, terminated, truncated, infos = vector.step(actions[step])
            got.append((observations["ir"], rewards, terminated, truncated))
            assert observations in vector.observation_space

        for i in range(n):
            env = korvale.Env(example("Crowded.xml"), ROBOT, **options)
            observation, _ = env.reset(seed=40 + i)
            expected = [(observation["ir"], 0.0, False, False)]
            ended = False
            for step in range(steps):
                if ended:  # the step after the end resets, its action unused
                    observation, _ = env.reset()
                    expected.append((observation["ir"], 0.0, False, False))
                    ended = False
                    continue
                observation, reward, terminated, truncated, _ = env.step(actions[step, i])
                expected.append((observation["ir"], reward, terminated, truncated))
                ended = terminated or truncated
            for step, (mine, theirs) in enumerate(zip(got, expected)):
                assert np.array_equal(mine[0][i], theirs[0]), (i, step)
                assert (mine[1][i], mine[2][i], mine[3][i]) == theirs[1:], (i, step)
            assert infos["distance"][i] == env._info()["distance"]

    def test_the_autoreset_step_gives_the_first_observation_reward_zero_and_no_flags(self):
        vector = korvale.VectorEnv(3, example("Default.xml"), ROBOT, max_steps=2)
        first, _ = vector.reset(seed=0)
        forward = np.tile([1, 0, 0, 0], (3, 1))
        for _ in range(2):
            _, rewards, terminated, truncated, _ = vector.step(forward)
        assert truncated.all() and not terminated.any() and (rewards > 0).all()
        observations, rewards, terminated, truncated, infos = vector.step(forward)
        assert np.array_equal(observations, first)
        assert not rewards.any() and not terminated.any() and not truncated.any()
        assert (infos["steps"] == 0).all() and infos["_steps"].all()
        assert vector.metadata["autoreset_mode"] in ("NextStep", getattr(korvale.vector_env, "NEXT_STEP", None))
        _, _, _, _, infos = vector.step(forward)
        assert (infos["steps"] == 1).all()


class TestVectorRewardsAndCopies:
    def test_a_callable_reward_ends_an_environments_episode_and_the_next_step_resets_it(self):
        vector = korvale.VectorEnv(2, example("Default.xml"), ROBOT, reward=lambda s: (s.time, s.time > 0.04))
        vector.reset(seed=1)
        forward = np.tile([1, 0, 0, 0], (2, 1))
        for step in range(3):
            _, rewards, terminated, _, _ = vector.step(forward)
        assert terminated.all() and np.allclose(rewards, 3 / 60)
        _, rewards, terminated, _, infos = vector.step(forward)
        assert not terminated.any() and not rewards.any() and (infos["steps"] == 0).all()

    def test_a_networks_drive_every_environment_and_a_copy_goes_on_the_same(self):
        vector = korvale.VectorEnv(3, example("Crowded.xml"), ROBOT, example("AvoidObstacles.xml"), max_steps=None)
        vector.reset(seed=[5, 9, 5])
        for _ in range(100):
            vector.step(None)
        twin = pickle.loads(pickle.dumps(vector))
        deep = copy.deepcopy(vector)
        a = [vector.step(None)[0] for _ in range(50)]
        for other in (twin, deep):
            assert np.array_equal(np.array(a), np.array([other.step(None)[0] for _ in range(50)]))
        # Environments 0 and 2 took the same seed.
        assert np.array_equal(a[-1][0], a[-1][2]) and not np.array_equal(a[-1][0], a[-1][1])

    @pytest.mark.parametrize("actions, text", [
        (np.zeros((3, 4)), r"shape \(2, 4\)"),
        (np.zeros(4), r"shape \(2, 4\)"),
    ])
    def test_actions_of_another_shape_are_refused(self, actions, text):
        vector = korvale.VectorEnv(2, example("Default.xml"), ROBOT)
        vector.reset()
        with pytest.raises(ValueError, match=text):
            vector.step(actions)


INTERRUPTED = """
import sys, korvale
vector = korvale.VectorEnv(48, sys.argv[1], sys.argv[2], sys.argv[3], max_steps=None, threads=2)
vector.reset(seed=1)
print("running", flush=True)
try:
    while True:
        vector.step(None)
except KeyboardInterrupt:
    cpu = cpu_since_signal()
    times = {s.time for s in vector.simulations}
    # Each environment took its steps whole: at most two frame counts.
    print("interrupted", len(times) <= 2, cpu, flush=True)
"""


def test_ctrl_c_stops_stepping_within_a_fraction_of_a_second():
    out = interrupt_child(INTERRUPTED, example("Crowded1000.xml"), ROBOT, example("AvoidObstacles.xml"))
    word, whole, cpu = out.split()
    assert (word, whole) == ("interrupted", "True")
    # Two threads for less than half a second.
    assert float(cpu) < 1.0, cpu
