"""Where an environment's step ends: where the network control decides, so
that a policy driving through Env or VectorEnv and the same policy as a
network driving a Simulation or korvale-sim make the same run, bit for bit."""

import copy
import pickle

import numpy as np
import pytest

import korvale
from conftest import example, sim_trace

ROBOT = example("Robot.xml")
NETWORK = example("AvoidObstacles.xml")


def policy(network):
    """The network as a numpy policy: its four outputs above 0.5, as the control reads them."""
    return lambda observation: (network.evaluate(observation.astype(np.float64)) > 0.5).astype(np.int8)


@pytest.mark.parametrize("scene, seed, frames", [("Crowded.xml", 5, 900), ("Rooms.xml", 0, 600)])
def test_a_policy_through_env_drives_as_its_network_in_simulation_and_korvale_sim(folder, scene, seed, frames):
    act = policy(korvale.Network.load(NETWORK))
    env = korvale.Env(example(scene), ROBOT, max_steps=None)
    observation, _ = env.reset(seed=seed)
    observations, actions, poses = [observation], [], []
    for _ in range(frames):
        actions.append(act(observation))
        observation, *_ = env.step(actions[-1])
        observations.append(observation)
        poses.append(env.simulation.pose)

    rows = korvale.Simulation(example(scene), robot=ROBOT, network=NETWORK, seed=seed).trace(frames)
    # Row t: the time, the pose after frame t, the readings the control read
    # in frame t and the commands it chose from them.
    assert np.array_equal(np.array(poses), rows[:, 1:4])
    assert np.array_equal(np.array(observations[:-1]), rows[:, 4:12].astype(np.float32))
    assert np.array_equal(np.array(actions), rows[:, 12:16])
    expected = sim_trace(folder, "--scene", example(scene), "--robot", ROBOT, "--network", NETWORK,
                         "--steps", frames, "--seed", seed)
    assert np.array_equal(rows, expected)


def test_every_environment_of_a_vector_env_drives_as_the_network():
    n, frames = 3, 400
    act = policy(korvale.Network.load(NETWORK))
    vector = korvale.VectorEnv(n, example("Crowded.xml"), ROBOT, max_steps=None, threads=2)
    observations, _ = vector.reset(seed=20)
    got = []
    for _ in range(frames):
        observations, *_ = vector.step(np.array([act(o) for o in observations]))
        got.append([simulation.pose for simulation in vector.simulations])
    for i in range(n):
        rows = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=NETWORK, seed=20 + i).trace(frames)
        assert np.array_equal(np.array(got)[:, i], rows[:, 1:4])


def test_the_observation_follows_from_the_action():
    env = korvale.Env(example("Crowded.xml"), ROBOT, max_steps=None)
    env.reset(seed=3)
    for _ in range(30):
        env.step([1, 0, 0, 0])
    seen = set()
    for action in ([1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]):
        observation = copy.deepcopy(env).step(action)[0]
        seen.add(observation.tobytes())
    assert len(seen) == 4


def test_reset_gives_what_the_control_reads_first_and_network_steps_agree():
    env = korvale.Env(example("Default.xml"), ROBOT, korvale.Network.load(NETWORK), max_steps=None)
    first, _ = env.reset(seed=9)
    rows = korvale.Simulation(example("Default.xml"), robot=ROBOT, network=NETWORK, seed=9).trace(200)
    assert np.array_equal(first, rows[0, 4:12].astype(np.float32))
    observations = [env.step(None)[0] for _ in range(199)]
    assert np.array_equal(np.array(observations), rows[1:, 4:12].astype(np.float32))


def test_a_copy_mid_episode_and_its_simulation_between_steps():
    act = policy(korvale.Network.load(NETWORK))
    env = korvale.Env(example("Crowded.xml"), ROBOT, start="random", max_steps=None, frame_skip=2)
    observation, _ = env.reset(seed=4)
    # 4,200 frames: the copy drives again from a state taken on the way.
    for _ in range(2100):
        observation, *_ = env.step(act(observation))
    twin = pickle.loads(pickle.dumps(env))
    for _ in range(80):
        a, b = env.step(act(observation)), twin.step(act(observation))
        observation = a[0]
        assert np.array_equal(a[0], b[0]) and a[1:] == b[1:]
    # Between two steps the simulation stands in a begun frame: its readings
    # are the observation; its state is taken once it has stepped on.
    assert np.array_equal(env.simulation.ir.astype(np.float32), observation)
    with pytest.raises(ValueError, match="halfway through a frame"):
        env.simulation.get_state()
    env.simulation.step()
    env.simulation.get_state()


def test_a_pickle_of_an_earlier_release_goes_on_from_where_it_was():
    # An environment pickled before the step ended where the control decides
    # kept its simulation between two frames, and seven items.
    simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, seed=12)
    simulation.set_keys(forward=True)
    simulation.step(30)
    start = korvale.Simulation(example("Crowded.xml"), robot=ROBOT).get_state()
    episode = np.array([30], np.int64).tobytes() + np.array([0], np.uint64).tobytes()
    arena = korvale._korvale._Arena.__new__(korvale._korvale._Arena)
    arena.__setstate__(("avoid", 1000, False, False, pickle.loads(pickle.dumps(simulation)), start, episode))
    assert arena.info()["steps"] == 30
    observation = arena.step([1, 0, 0, 0])[0]
    simulation.step()  # frame 31, as the arena finished it
    pose = simulation.pose
    simulation.step()  # frame 32 senses what the arena observed before it
    assert arena.simulation.pose == pose
    assert np.array_equal(observation, simulation.ir.astype(np.float32))
