"""Bad input and misuse of the environments, each refused in one line or
handled as documented: thread counts, actions, sizes, seeds, closing, a
reward callable that fails; and frame skip and several scenes."""

import os
import subprocess
import sys

import numpy as np
import pytest

import korvale
from conftest import example, interrupt_child

ROBOT = example("Robot.xml")
CROWDED = example("Crowded.xml")


class TestThreads:
    def test_a_bad_thread_count_is_refused_in_words_before_anything_runs(self):
        # -1 was converted without the interpreter lock and ended the interpreter.
        script = ("import korvale, sys\n"
                  "try:\n    korvale.VectorEnv(4, sys.argv[1], sys.argv[2], threads=-1)\n"
                  "except ValueError as error:\n    print(error)\n")
        done = subprocess.run([sys.executable, "-c", script, CROWDED, ROBOT], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        assert done.stdout == "threads must be from 1 upwards, or None for one per core, not -1\n"
        for threads, error in ((1.5, TypeError), ("2", TypeError), (True, TypeError), (0, ValueError)):
            with pytest.raises(error, match="^threads must be"):
                korvale.VectorEnv(4, CROWDED, ROBOT, threads=threads)

    def test_more_threads_than_environments_or_cores_are_taken_down(self):
        assert korvale.VectorEnv(4, CROWDED, ROBOT, threads=1000).threads == min(4, os.cpu_count())
        assert korvale.VectorEnv(1, CROWDED, ROBOT, threads=2).threads == 1


class TestActions:
    @pytest.mark.parametrize("action", [[1, 0, 0, 1], np.array([1.0, 0, 0, 1]), np.array([True, False, False, True]),
                                        np.array([1, 0, 0, 1], np.uint64), (1, 0, 0, 1)])
    def test_what_multi_binary_contains_is_taken(self, action):
        env = korvale.Env(CROWDED, ROBOT)
        env.reset(seed=1)
        expected = korvale.Env(CROWDED, ROBOT)
        expected.reset(seed=1)
        assert np.array_equal(env.step(action)[0], expected.step(np.array([1, 0, 0, 1], np.int8))[0])

    @pytest.mark.parametrize("action, message", [
        ([2, 0, 0, 0], r"^action\[0\] is 2, not 0 or 1"),
        ([0, -1, 0, 0], r"^action\[1\] is -1, not 0 or 1"),
        ([0, 0, 0.5, 0], r"^action\[2\] is 0\.5, not 0 or 1"),
        ([0, 0, 0, np.nan], r"^action\[3\] is nan, not 0 or 1"),
        ([1e30, 0, 0, 0], r"^action\[0\] is 1e\+30, not 0 or 1"),
        ([1, 0, 0], r"shape \(4,\), not \(3,\)"),
    ])
    def test_anything_else_is_refused_naming_the_value_and_its_place(self, action, message):
        env = korvale.Env(CROWDED, ROBOT)
        env.reset(seed=1)
        before = env.simulation.ir
        with pytest.raises(ValueError, match=message):
            env.step(action)
        assert np.array_equal(env.simulation.ir, before) and env._info()["steps"] == 0

    def test_a_batch_names_the_environment_and_the_command(self):
        vector = korvale.VectorEnv(3, CROWDED, ROBOT)
        vector.reset(seed=0)
        actions = np.zeros((3, 4))
        actions[2, 1] = 0.25
        with pytest.raises(ValueError, match=r"^actions\[2, 1\] is 0\.25, not 0 or 1"):
            vector.step(actions)
        with pytest.raises(TypeError, match="action"):
            vector.step([["a"] * 4] * 3)


class TestLimitsSeedsAndClosing:
    def test_the_count_is_checked_before_building(self):
        for n in (0, 10**6, 65537):
            with pytest.raises(ValueError, match="^n must be a whole number from 1 to 65536"):
                korvale.VectorEnv(n, CROWDED, ROBOT)

    def test_ctrl_c_stops_a_long_construction(self):
        out = interrupt_child(
            "import korvale, sys\nprint('running', flush=True)\n"
            "try:\n    korvale.VectorEnv(65536, sys.argv[1], sys.argv[2])\n"
            "except KeyboardInterrupt:\n    print(f'stopped {cpu_since_signal():.2f}')\n",
            CROWDED, ROBOT, wait=0.5)
        assert out.startswith("stopped"), out
        assert float(out.split()[1]) < 2.0

    def test_negative_seeds_are_refused_as_gymnasium_does(self):
        env = korvale.Env(CROWDED, ROBOT)
        for seed in (-1, 2**64):
            with pytest.raises(ValueError, match="^seed must be a whole number from 0 to 2\\*\\*64 - 1"):
                env.reset(seed=seed)
        with pytest.raises(TypeError, match="^seed must be"):
            env.reset(seed=1.5)
        vector = korvale.VectorEnv(2, CROWDED, ROBOT)
        with pytest.raises(ValueError, match="^seed must be"):
            vector.reset(seed=-5)
        with pytest.raises(ValueError, match="^seed must be"):
            vector.reset(seed=[1, -2])

    def test_a_closed_vector_env_says_so(self):
        vector = korvale.VectorEnv(2, CROWDED, ROBOT)
        vector.reset(seed=0)
        vector.close()
        with pytest.raises(RuntimeError, match="^VectorEnv is closed"):
            vector.step(np.zeros((2, 4), np.int8))


class TestAFailingReward:
    @pytest.mark.parametrize("vectorised", [False, True])
    def test_the_step_happened_and_the_error_carries_it(self, vectorised):
        calls = []

        def reward(simulation):
            calls.append(simulation.time)
            if len(calls) == 3:
                raise ZeroDivisionError("the learner's bug")
            return 1.0

        make = (lambda: korvale.VectorEnv(1, CROWDED, ROBOT, reward=reward)) if vectorised else \
            (lambda: korvale.Env(CROWDED, ROBOT, reward=reward))
        env = make()
        env.reset(seed=2)
        action = np.array([[1, 0, 0, 0]], np.int8) if vectorised else np.array([1, 0, 0, 0], np.int8)
        env.step(action)
        env.step(action)
        with pytest.raises(ZeroDivisionError) as caught:
            env.step(action)
        observation, reward_value, terminated, truncated, info = caught.value.transition
        assert reward_value is None and "the step happened" in caught.value.__notes__[0]
        assert np.array_equal(np.ravel(info["steps"]), [3])
        # It goes on from after the step, as an environment that had not failed.
        after = env.step(action)
        twin = make()
        twin.reset(seed=2)
        for _ in range(4):
            expected = twin.step(action)
        assert np.array_equal(after[0], expected[0])


class TestFrameSkipAndScenes:
    def test_frame_skip_holds_the_action_and_sums_the_reward(self):
        actions = (np.random.default_rng(1).uniform(size=(40, 4)) < 0.5).astype(np.int8)
        skip = korvale.Env(CROWDED, ROBOT, reward="distance", frame_skip=3, max_steps=None)
        one = korvale.Env(CROWDED, ROBOT, reward="distance", max_steps=None)
        skip.reset(seed=6)
        one.reset(seed=6)
        for action in actions:
            observation, reward, *_ = skip.step(action)
            rewards = [one.step(action) for _ in range(3)]
            assert np.array_equal(observation, rewards[-1][0])
            assert reward == rewards[0][1] + rewards[1][1] + rewards[2][1]
        assert skip._info()["time"] == one._info()["time"] == 120 / 60
        assert skip.metadata["render_fps"] == 20
        for bad in (0, 1.5, True):
            with pytest.raises(ValueError, match="^frame_skip"):
                korvale.Env(CROWDED, ROBOT, frame_skip=bad)

    def test_several_scenes_in_one_vector_env(self):
        scenes = [CROWDED, example("Rooms.xml")]
        vector = korvale.VectorEnv(5, scenes, ROBOT, max_steps=None, frame_skip=2)
        observations, _ = vector.reset(seed=30)
        actions = np.tile(np.array([1, 0, 1, 0], np.int8), (5, 1))
        for _ in range(20):
            observations, rewards, *_ = vector.step(actions)
        for i in range(5):
            env = korvale.Env(scenes[i % 2], ROBOT, max_steps=None, frame_skip=2)
            env.reset(seed=30 + i)
            for _ in range(20):
                observation, reward, *_ = env.step(actions[i])
            assert np.array_equal(observations[i], observation) and rewards[i] == reward
        with pytest.raises(ValueError, match="scene"):
            korvale.VectorEnv(2, [], ROBOT)



def test_evaluate_starts_no_more_threads_than_the_cores():
    import threading
    network = korvale.Network.load(example("AvoidObstacles.xml"))
    tasks = lambda: len(os.listdir("/proc/self/task"))  # every native thread of the process
    before, most, done = tasks(), [0], threading.Event()

    def watch():
        while not done.is_set():
            most[0] = max(most[0], tasks())

    watcher = threading.Thread(target=watch)
    watcher.start()
    try:
        korvale.evaluate([network] * 4, [CROWDED], ROBOT, 300, [1], threads=1000)
    finally:
        done.set()
        watcher.join()
    # The watcher itself, and the pool's helpers beside the calling thread:
    # it saw them, and no more than one a core.
    assert before + min(2, os.cpu_count()) <= most[0] <= before + os.cpu_count()
