"""The environments as Gymnasium 1.x's environment checker and vector
conventions judge them, written out here since Debian packages no
Gymnasium: spaces, seeding, determinism, return types, partial resets,
batched spaces, vector infos with episode statistics, call/get_attr/set_attr."""

import inspect

import numpy as np
import pytest

import korvale
from korvale import spaces
from conftest import example

ROBOT = example("Robot.xml")


def same(a, b):
    """Gymnasium's data_equivalence: the same types, keys, dtypes and values."""
    if type(a) is not type(b):
        return False
    if isinstance(a, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, (tuple, list)):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    if isinstance(a, np.ndarray):
        return a.dtype == b.dtype and a.shape == b.shape and np.array_equal(a, b, equal_nan=True)
    return a == b


@pytest.fixture(params=[False, True], ids=["ir", "camera"])
def env(request):
    return korvale.Env(example("Crowded.xml"), ROBOT, camera=request.param, max_steps=40,
                       render_mode="rgb_array", render_size=(64, 48))


class TestEnvChecker:
    def test_spaces_reset_and_step_signatures_and_types(self, env):
        assert set(inspect.signature(env.reset).parameters) >= {"seed", "options"}
        observation, info = env.reset(seed=1, options={})
        assert isinstance(info, dict) and observation in env.observation_space
        space = env.observation_space["ir"] if isinstance(observation, dict) else env.observation_space
        ir = observation["ir"] if isinstance(observation, dict) else observation
        assert ir.dtype == space.dtype == np.float32 and ir.shape == space.shape
        env.action_space.seed(0)
        result = env.step(env.action_space.sample())
        assert len(result) == 5
        observation, reward, terminated, truncated, info = result
        assert observation in env.observation_space
        assert isinstance(reward, float) and np.isfinite(reward)
        assert isinstance(terminated, bool) and isinstance(truncated, bool) and isinstance(info, dict)
        assert set(info) == {"distance", "coverage", "contact_frames", "stuck", "avoid", "steps", "time"}
        assert env.unwrapped is env and env.spec is None

    def test_reset_seeding_as_the_checker_does(self, env):
        first, _ = env.reset(seed=123)
        draw = env.np_random.random()
        assert env.np_random_seed == 123
        again, _ = env.reset(seed=123)
        assert same(first, again) and env.np_random.random() == draw
        # reset(seed=None) keeps the generator going.
        generator = env.np_random
        env.reset()
        assert env.np_random is generator and env.np_random_seed == 123
        env.np_random = np.random.default_rng(5)
        assert env.np_random_seed == -1
        fresh = korvale.Env(example("Default.xml"), ROBOT)
        seed = fresh.np_random_seed
        assert seed >= 0 and fresh.np_random.random() == np.random.default_rng(seed).random()

    def test_step_determinism(self, env):
        def rollout():
            env.action_space.seed(7)
            runs = [env.reset(seed=42)]
            for _ in range(45):
                runs.append(env.step(env.action_space.sample()))
                if runs[-1][2] or runs[-1][3]:
                    runs.append(env.reset())
            return runs

        assert same(rollout(), rollout())

    def test_render_and_close(self, env):
        env.reset(seed=0)
        picture = env.render()
        assert picture.shape == (48, 64, 3) and picture.dtype == np.uint8
        assert env.metadata["render_modes"] == ["rgb_array"] and env.metadata["render_fps"] == 60
        env.close()
        env.close()
        with pytest.raises(RuntimeError, match="closed"):
            env.step([0, 0, 0, 0])
        with pytest.raises(RuntimeError, match="closed"):
            env.reset()


class TestSpaces:
    def test_multi_binary_contains_and_sample_as_gymnasium(self):
        space = spaces.MultiBinary(4)
        for member in ([0, 1, 1, 0], np.array([1, 0, 0, 1], np.int64), np.array([0.0, 1.0, 0.0, 0.0]),
                       np.array([True, False, True, False])):
            assert space.contains(member)
        for stranger in ([2, 0, 0, 0], [-1, 0, 0, 0], [0.5, 0, 0, 0], [np.nan, 0, 0, 0], [0, 0, 0], "1010"):
            assert not space.contains(stranger)
        space.seed(3)
        mask = np.array([0, 1, 2, 2], np.int8)
        samples = np.array([space.sample(mask=mask) for _ in range(200)])
        assert samples.dtype == np.int8 and (samples[:, 0] == 0).all() and (samples[:, 1] == 1).all()
        assert set(samples[:, 2]) == {0, 1} and set(samples[:, 3]) == {0, 1}
        sure = space.sample(probability=np.array([0.0, 1.0, 0.0, 1.0]))
        assert sure.tolist() == [0, 1, 0, 1]
        with pytest.raises(ValueError):
            space.sample(mask=np.array([0, 3, 0, 0], np.int8))

    def test_the_batched_spaces_are_those_of_batch_space(self):
        vector = korvale.VectorEnv(3, example("Crowded.xml"), ROBOT)
        action = vector.action_space
        assert isinstance(action, spaces.Box) and action.shape == (3, 4) and action.dtype == np.int8
        assert (action.low == 0).all() and (action.high == 1).all()
        assert vector.single_action_space == spaces.MultiBinary(4)
        assert vector.observation_space.shape == (3,) + vector.single_observation_space.shape
        vector.action_space.seed(1)
        sample = vector.action_space.sample()
        assert sample.dtype == np.int8 and sample in vector.action_space and set(np.unique(sample)) <= {0, 1}
        vector.step(sample)


class TestVectorConventions:
    def test_step_types_infos_and_episode_statistics(self):
        n = 4
        vector = korvale.VectorEnv(n, example("Crowded.xml"), ROBOT, max_steps=30, threads=2)
        observations, infos = vector.reset(seed=11)
        assert observations in vector.observation_space
        assert vector.np_random_seed == 11
        keys = {"distance", "coverage", "contact_frames", "stuck", "avoid", "steps", "time"}
        assert set(infos) == keys | {"_" + key for key in keys}
        returns = np.zeros(n)
        for step in range(31):
            observations, rewards, terminated, truncated, infos = vector.step(np.ones((n, 4), np.int8) * [1, 0, 0, 0])
            assert rewards.dtype == np.float64 and rewards.shape == (n,)
            assert terminated.dtype == truncated.dtype == np.bool_ and terminated.shape == (n,)
            assert observations in vector.observation_space
            returns += rewards
            if step < 29:
                assert "episode" not in infos
                assert np.allclose(infos["time"], (step + 1) / 60)
        # Episode ended at step 30 (index 29); 31st step autoreset.
        assert "episode" not in infos and (infos["steps"] == 0).all()

        vector.reset(seed=11)
        total = np.zeros(n)
        for step in range(30):
            _, rewards, _, truncated, infos = vector.step(np.ones((n, 4), np.int8) * [1, 0, 0, 0])
            total += rewards
        assert truncated.all() and infos["_episode"].all()
        episode = infos["episode"]
        assert np.array_equal(episode["r"], total) and (episode["l"] == 30).all()
        assert (episode["t"] >= 0).all() and episode["t"].dtype == np.float64

    def test_partial_reset_leaves_the_others_untouched(self):
        one = korvale.VectorEnv(3, example("Crowded.xml"), ROBOT, max_steps=None)
        two = korvale.VectorEnv(3, example("Crowded.xml"), ROBOT, max_steps=None)
        actions = np.array([[1, 0, 1, 0], [1, 0, 0, 0], [0, 0, 0, 1]], np.int8)
        for vector in (one, two):
            vector.reset(seed=0)
            for _ in range(50):
                vector.step(actions)
        mask = np.array([False, True, False])
        observations, infos = one.reset(seed=[None, 7, None], options={"reset_mask": mask})
        assert infos["steps"].tolist() == [50, 0, 50]
        fresh = korvale.Env(example("Crowded.xml"), ROBOT, max_steps=None).reset(seed=7)[0]
        assert np.array_equal(observations[1], fresh)
        for _ in range(20):
            a, b = one.step(actions), two.step(actions)
            assert np.array_equal(a[0][[0, 2]], b[0][[0, 2]]) and np.array_equal(a[1][[0, 2]], b[1][[0, 2]])
        for bad in (np.array([True, False]), np.array([1, 0, 1])):
            with pytest.raises(ValueError, match="reset_mask"):
                one.reset(options={"reset_mask": bad})

    def test_call_get_attr_and_set_attr(self):
        vector = korvale.VectorEnv(2, example("Crowded.xml"), ROBOT, render_size=(32, 32))
        vector.reset(seed=1)
        poses = vector.get_attr("simulation")
        assert [s.pose for s in poses] == [s.pose for s in vector.simulations]
        pictures = vector.call("render")
        assert len(pictures) == 2 and pictures[0].shape == (32, 32, 3)
        assert [info["steps"] for info in vector.call("info")] == [0, 0]
        assert vector.get_attr("action_space") == (vector.single_action_space,) * 2
        assert vector.get_attr("render_mode") == (None, None) and vector.get_attr("spec") == (None, None)
        vector.set_attr("tag", ["a", "b"])
        assert vector.get_attr("tag") == ("a", "b")
        vector.set_attr("tag", 3)
        assert vector.get_attr("tag") == (3, 3)
        with pytest.raises(ValueError, match="one value per environment"):
            vector.set_attr("tag", [1, 2, 3])
