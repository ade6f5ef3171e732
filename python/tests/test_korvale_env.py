"""korvale.Env: Gymnasium's conventions, the determinism contract, episodes,
rewards and copies, against Simulation."""

import copy
import math
import pickle

import numpy as np
import pytest

import korvale
from conftest import example

ROBOT = example("Robot.xml")
KEYS = ("forward", "backward", "left", "right")


def random_actions(count, seed=0):
    rng = np.random.default_rng(seed)
    # Mostly forward, so that the robot meets things.
    actions = (rng.uniform(size=(count, 4)) < [0.8, 0.1, 0.3, 0.3]).astype(np.int8)
    return actions


def run(env, actions, seed):
    observations, rewards = [env.reset(seed=seed)[0]], []
    for action in actions:
        observation, reward, terminated, truncated, _ = env.step(action)
        observations.append(observation)
        rewards.append(reward)
    return np.array(observations), np.array(rewards)


class TestGymnasiumConventions:
    def test_the_checkers_points_hold(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT, render_mode="rgb_array")
        assert env.metadata["render_fps"] == 60 and "rgb_array" in env.metadata["render_modes"]
        assert env.action_space.shape == (4,)
        assert env.observation_space.shape == (8,) and env.observation_space.dtype == np.float32
        # The same seed gives the same first observation, inside the space.
        first, info = env.reset(seed=3)
        again, _ = env.reset(seed=3)
        assert np.array_equal(first, again) and first.dtype == np.float32
        assert first in env.observation_space
        assert set(info) >= {"distance", "coverage", "contact_frames", "stuck", "avoid", "steps", "time"}
        env.action_space.seed(5)
        for _ in range(200):
            action = env.action_space.sample()
            assert action in env.action_space
            observation, reward, terminated, truncated, info = env.step(action)
            assert observation in env.observation_space
            assert isinstance(reward, float) and 0 <= reward <= 1
            assert terminated is False and isinstance(truncated, bool)
        picture = env.render()
        assert picture.shape == (480, 480, 3) and picture.dtype == np.uint8
        assert korvale.Env(example("Default.xml"), ROBOT).render() is None
        env.close()
        env.close()

    def test_camera_observations_are_the_simulations_pixels(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT, camera=True)
        observation, _ = env.reset(seed=1)
        for _ in range(120):
            observation, *_ = env.step([1, 0, 0, 0])
        assert observation in env.observation_space
        assert observation["camera"].shape == (60, 3)
        assert np.array_equal(observation["camera"], env.simulation.camera[0].astype(np.float32))
        assert np.array_equal(observation["ir"], env.simulation.ir.astype(np.float32))

    @pytest.mark.parametrize("arguments, error, text", [
        (dict(reward="speed"), ValueError, 'reward is "avoid", "distance", "coverage" or a callable'),
        (dict(start="corner"), ValueError, 'start is "scene" or "random"'),
        (dict(max_steps=0), ValueError, "max_steps must be a whole number of at least 1"),
        (dict(render_mode="human"), ValueError, 'render_mode is None or "rgb_array"'),
        (dict(dt=5), ValueError, "dt must be from 0.001 to 1 second"),
    ])
    def test_unusable_arguments_are_refused(self, arguments, error, text):
        with pytest.raises(error, match=text):
            korvale.Env(example("Default.xml"), ROBOT, **arguments)

    def test_a_scene_without_robot_and_an_action_of_another_shape_are_refused(self):
        with pytest.raises(korvale.LoadError):
            korvale.Env(example("Default.xml"), example("Missing.xml"))
        env = korvale.Env(example("Default.xml"), ROBOT)
        env.reset()
        with pytest.raises(ValueError, match="an action is four values 0 or 1"):
            env.step([1, 0, 0])
        with pytest.raises(ValueError, match="step needs an action: no network"):
            env.step(None)


class TestDeterminism:
    def test_the_same_seed_and_actions_give_the_same_run_in_two_environments_and_after_reset(self):
        actions = random_actions(400)
        one = korvale.Env(example("Crowded.xml"), ROBOT, max_steps=None)
        two = korvale.Env(example("Crowded.xml"), ROBOT, max_steps=None)
        a = run(one, actions, seed=8)
        run(one, actions[:100], seed=9)  # another episode between
        b = run(one, actions, seed=8)
        c = run(two, actions, seed=8)
        for x, y in ((a, b), (a, c)):
            assert np.array_equal(x[0], y[0]) and np.array_equal(x[1], y[1])
        d = run(two, actions, seed=10)
        assert not np.array_equal(a[0], d[0])

    def test_an_episode_is_the_simulation_of_that_seed_driven_by_the_same_keys(self):
        actions = random_actions(300, seed=2)
        env = korvale.Env(example("Rooms.xml"), ROBOT, max_steps=None)
        observations, rewards = run(env, actions, seed=2**64 - 4)
        simulation = korvale.Simulation(example("Rooms.xml"), robot=ROBOT, seed=-4)
        readings = []
        for action in actions:
            simulation.set_keys(**dict(zip(KEYS, map(bool, action))))
            simulation.step()
            readings.append(simulation.ir.astype(np.float32))
        # Observation k is what frame k + 1 read before action k moved the robot.
        assert np.array_equal(observations[:-1], np.array(readings))
        # The episode's measures are the simulation's.
        assert env._info()["avoid"] == simulation.metrics["avoid"]
        assert math.isclose(rewards.mean(), simulation.metrics["avoid"], rel_tol=1e-12)

    def test_reset_without_a_seed_goes_on_with_the_noise(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT)
        actions = random_actions(100)
        first = run(env, actions, seed=1)
        second = run(env, actions, seed=None)
        assert not np.array_equal(first[0], second[0])
        # An unseeded first episode is the unseeded simulation's run.
        fresh = korvale.Env(example("Crowded.xml"), ROBOT)
        observations, _ = run(fresh, actions[:50], seed=None)
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT)
        for k in range(2):
            simulation.set_keys(**dict(zip(KEYS, map(bool, actions[k]))))
            simulation.step()
            assert np.array_equal(observations[k], simulation.ir.astype(np.float32))


class TestEpisodes:
    def test_max_steps_truncates_and_reset_restores_the_loaded_scene(self):
        env = korvale.Env(example("Default.xml"), ROBOT, max_steps=50)
        env.reset(seed=1)
        start = env.simulation.pose
        flags = [env.step([1, 0, 1, 0])[3] for _ in range(50)]
        assert flags == [False] * 49 + [True]
        assert env.simulation.pose != start
        _, info = env.reset()
        assert env.simulation.pose == start and env.simulation.time == 0
        assert info["steps"] == 0 and info["distance"] == 0 and info["coverage"] == 1

    def test_a_pose_places_the_robot_and_a_taken_place_is_refused(self):
        env = korvale.Env(example("Default.xml"), ROBOT)
        env.reset(options={"pose": (50, 80, math.pi / 2)})
        assert env.simulation.pose == (50, 80, math.pi / 2)
        with pytest.raises(ValueError, match=r"^the robot at \(1, 50\) does not lie inside the walls$"):
            env.reset(options={"pose": (1, 50, 0)})
        body = env.simulation.bodies[0]
        with pytest.raises(ValueError, match=r"^the robot at \(.*\) touches the object at \(.*\)$"):
            env.simulation.place_robot(body[0] + 1, body[1], 0)
        with pytest.raises(ValueError, match="unknown reset option 'place'"):
            env.reset(options={"place": (1, 50, 0)})

    def test_a_random_start_is_a_free_place_drawn_from_the_episodes_seed(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT, start="random")
        poses = {}
        for seed in range(20):
            env.reset(seed=seed)
            poses[seed] = env.simulation.pose
            assert env.simulation.metrics["contact_frames"] == 0
            env.step([0, 0, 0, 0])
            assert env._info()["contact_frames"] == 0  # it stood on no body and at no wall
        assert len(set(poses.values())) == 20
        env.reset(seed=7)
        assert env.simulation.pose == poses[7]
        env.reset()
        assert env.simulation.pose not in poses.values()

    def test_an_arena_without_a_free_place_says_so(self, tmp_path):
        scene = tmp_path / "full.xml"
        scene.write_text('<world width="10" height="10"><object x="5" y="5" r="4.5" mass="-1"/></world>')
        env = korvale.Env(scene, ROBOT, start="random")
        with pytest.raises(ValueError, match="^no free place for the robot was found in 10000 draws"):
            env.reset(seed=1)


class TestRewards:
    def test_distance_and_coverage_rewards_add_up_to_the_episodes_measures(self):
        actions = random_actions(300, seed=4)
        for name, measure, offset in (("distance", "distance", 0), ("coverage", "coverage", 1)):
            env = korvale.Env(example("OpenArena.xml"), ROBOT, reward=name, max_steps=None)
            _, rewards = run(env, actions, seed=2)
            total = 0.0
            for reward in rewards:
                total += reward
            assert total + offset == env._info()[measure], name

    def test_a_callable_reward_reads_the_simulation_and_may_end_the_episode(self):
        def beyond_x(simulation):
            x = simulation.pose[0]
            return x / 100, x > 30

        env = korvale.Env(example("Default.xml"), ROBOT, reward=beyond_x)
        env.reset(seed=1)
        for step in range(1000):
            _, reward, terminated, truncated, _ = env.step([1, 0, 0, 0])
            assert reward == env.simulation.pose[0] / 100
            if terminated:
                break
        assert terminated and env.simulation.pose[0] > 30 and step < 200


class TestNetworksAndCopies:
    def test_a_network_drives_when_the_action_is_none(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT, korvale.Network.load(example("AvoidObstacles.xml")),
                          max_steps=None)
        observations = [env.reset(seed=6)[0]] + [env.step(None)[0] for _ in range(299)]
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"),
                                        seed=6)
        assert np.array_equal(np.array(observations), simulation.trace(300)[:, 4:12].astype(np.float32))

    def test_pickle_and_deepcopy_continue_the_episode_as_the_original(self):
        env = korvale.Env(example("Crowded.xml"), ROBOT, start="random", max_steps=150)
        env.reset(seed=2)
        actions = random_actions(200, seed=9)
        for action in actions[:100]:
            env.step(action)
        twins = [copy.deepcopy(env), pickle.loads(pickle.dumps(env))]
        expected = [env.step(action) for action in actions[100:]]
        assert expected[49][3] is True  # truncated at step 150
        for twin in twins:
            got = [twin.step(action) for action in actions[100:]]
            for (o1, r1, te1, tr1, i1), (o2, r2, te2, tr2, i2) in zip(expected, got):
                assert np.array_equal(o1, o2) and (r1, te1, tr1, i1) == (r2, te2, tr2, i2)
            # The next random start comes from the generator that travelled with it.
            twin.reset()
        env.reset()
        assert twins[0].simulation.pose == twins[1].simulation.pose == env.simulation.pose
