"""The swarm through the module: every robot's state as arrays, networks,
keys, controls and places for any robot, and snapshots and pickles that
carry every robot."""

import copy
import pickle
import shutil
import threading

import numpy as np
import pytest

import korvale
from conftest import SOURCE_DIR, example

ROBOT = example("Robot.xml")
AVOIDER = example("AvoidObstacles.xml")
SWARM = example("Swarm.xml")


def swarm(seed=5, robot=ROBOT, network=AVOIDER):
    return korvale.Simulation(SWARM, robot=robot, network=network, seed=seed)


def run(simulation, frames, start=0):
    """Steps with the controls changing as it goes; the poses after each frame."""
    poses = []
    for frame in range(start, start + frames):
        if frame == 30:
            simulation.set_control("keyboard", robot=[3, 4])
            simulation.set_keys(left=True, robot=3)
        if frame == 60:
            simulation.set_keys(forward=True, robot=-1)  # takes over from its network
        simulation.step()
        poses.append(simulation.swarm_pose)
    return np.array(poses)


class TestTheSwarmAsArrays:
    def test_every_robot_in_one_row_the_users_robot_first(self):
        sim = swarm()
        sim.step(30)
        assert sim.num_robots == 21
        pose, ir, commands = sim.swarm_pose, sim.swarm_ir, sim.swarm_commands
        assert (pose.shape, pose.dtype, ir.shape, ir.dtype) == ((21, 3), np.float64, (21, 8), np.float64)
        assert (commands.shape, commands.dtype) == ((21, 4), np.bool_)
        assert tuple(pose[0]) == sim.pose and (ir[0] == sim.ir).all() and tuple(commands[0]) == sim.commands
        assert sim.swarm_ir_count.tolist() == [8] * 21
        cameras = sim.swarm_camera
        assert len(cameras) == 21 and (cameras[0][0] == sim.camera[0]).all() and cameras[20][0].shape == (60, 3)
        assert sim.swarm_keys.shape == (21, 4) and not sim.swarm_keys.any()
        assert sim.swarm_control == ["network"] * 21
        # The scene robots have sensed and moved, each its own way.
        assert len({tuple(row) for row in pose}) == 21 and np.isfinite(ir).all()

    def test_without_the_users_robot_the_scenes_come_first(self):
        with_user, scenes_only = swarm(), korvale.Simulation(SWARM, seed=5)
        assert scenes_only.num_robots == 20
        assert (scenes_only.swarm_pose == with_user.swarm_pose[1:]).all()
        # The single-robot readings mean robot 0, the scene's first robot here,
        # as the run measures do.
        scenes_only.step(30)
        assert scenes_only.pose == tuple(scenes_only.swarm_pose[0])
        assert (scenes_only.ir == scenes_only.swarm_ir[0]).all()
        assert scenes_only.commands == tuple(scenes_only.swarm_commands[0])
        assert (scenes_only.camera[0] == scenes_only.swarm_camera[0][0]).all()
        assert scenes_only.metrics == scenes_only.robot_metrics(0) and scenes_only.metrics["distance"] > 0

    def test_robots_with_fewer_sensors_read_nan_after_their_own(self, tmp_path):
        shutil.copy(ROBOT, tmp_path / "Robot.xml")
        lines = open(ROBOT).read().splitlines(keepends=True)
        sensors = [i for i, line in enumerate(lines) if "<irsensor" in line]
        (tmp_path / "Six.xml").write_text("".join(line for i, line in enumerate(lines) if i not in sensors[6:]))
        (tmp_path / "Mixed.xml").write_text("""<world width="100" height="100">
  <robot file="Six.xml" x="20" y="20"/>
  <robot file="Robot.xml" x="60" y="60"/>
</world>
""")
        sim = korvale.Simulation(tmp_path / "Mixed.xml")
        sim.step(5)
        assert sim.swarm_ir_count.tolist() == [6, 8]
        ir = sim.swarm_ir
        assert ir.shape == (2, 8) and np.isnan(ir[0, 6:]).all() and np.isfinite(ir[0, :6]).all()
        with pytest.raises(ValueError, match="^robot 0: the network takes 8 inputs, but the robot has 6 infrared"):
            sim.set_network(korvale.Network.load(AVOIDER), robot=[1, 0])
        assert sim.get_network(1) is None  # checked for every robot before any changes


class TestDrivingAnyRobot:
    def test_networks_for_one_robot_or_all(self):
        sim = korvale.Simulation(SWARM, robot=ROBOT, seed=5)
        assert sim.get_network(0) is None and sim.get_network(1) is not None
        net = korvale.Network.load(example("DriveForward.xml"))
        sim.set_network(net, robot="all")
        assert all((sim.get_network(i).weights[0] == net.weights[0]).all() for i in range(21))
        assert sim.network is not None  # robot 0's is the network control's
        sim.set_network(korvale.Network.load(AVOIDER), robot=-2)
        assert not np.array_equal(sim.get_network(19).weights[0], net.weights[0])
        assert np.array_equal(sim.get_network(20).weights[0], net.weights[0])
        with pytest.raises(IndexError, match="^robot 21 is not in the arena: it has 21 robots$"):
            sim.get_network(21)
        with pytest.raises(TypeError, match="by its number"):
            sim.set_network(net, robot=1.0)
        with pytest.raises(ValueError, match='"all"'):
            sim.set_network(net, robot="every")

    def test_keys_and_the_control_of_each_robot(self):
        sim = swarm()
        sim.step(10)
        keys = np.zeros((21, 4), bool)
        keys[7] = [True, False, False, True]
        sim.set_swarm_keys(keys)
        sim.set_control("keyboard", robot=[7, 8])
        sim.step(2)
        assert sim.swarm_control[7:9] == ["keyboard", "keyboard"]
        assert sim.swarm_commands[7].tolist() == [True, False, False, True]
        assert not sim.swarm_commands[8].any()  # the keyboard alone, and no key held for it
        still = sim.swarm_pose[8]
        sim.step(20)
        assert (sim.swarm_pose[8] == still).all()
        sim.set_keys(forward=True)  # the keyboard's keys: the user's robot's
        assert sim.swarm_keys[0].tolist() == [True, False, False, False]
        with pytest.raises(ValueError, match=r"^keys must have the shape \(21, 4\), not \(20, 4\)$"):
            sim.set_swarm_keys(np.zeros((20, 4), bool))

    def test_placing_one_or_many_robots(self):
        sim = swarm()
        sim.place_robot(50, 92, np.pi / 2, robot=4)
        assert sim.swarm_pose[4].tolist() == [50, 92, np.pi / 2]
        poses = sim.swarm_pose[[1, 2]]
        sim.place_robots(poses[::-1], robots=[1, 2])  # they trade places
        assert (sim.swarm_pose[[2, 1]] == poses).all()
        before = sim.get_state()
        with pytest.raises(ValueError, match=r"^robot 5 at \(50, 92\) touches robot 4 at \(50, 92\)$"):
            sim.place_robots([[10, 92, 0], [50, 92, 0]], robots=[3, 5])
        assert sim.get_state() == before
        with pytest.raises(ValueError, match=r"^poses must have the shape \(21, 3\)"):
            sim.place_robots(np.zeros((3, 3)))


class TestSnapshotsAndPicklesCarryEveryRobot:
    def test_a_swarm_restored_mid_way_runs_on_bit_for_bit(self):
        original = swarm()
        first = run(original, 50)
        state = original.get_state()
        rest = run(original, 50, start=50)

        restored = swarm(seed=99)
        restored.set_state(state)
        assert restored.swarm_control[3:5] == ["keyboard", "keyboard"]
        assert (run(restored, 50, start=50) == rest).all()
        twin = pickle.loads(pickle.dumps(restored))
        assert twin.get_state() == restored.get_state()
        assert first.shape == (50, 21, 3)

    def test_pickles_carry_each_robots_network(self):
        sim = swarm()
        sim.set_network(korvale.Network.load(example("DriveForward.xml")), robot=[2, 5])
        sim.step(20)
        twin = copy.deepcopy(sim)
        assert (twin.get_network(5).weights[0] == sim.get_network(5).weights[0]).all()
        assert (run(twin, 40, start=20) == run(sim, 40, start=20)).all()

    def test_a_pickle_runs_on_where_none_of_the_files_is(self, tmp_path, monkeypatch):
        folder = tmp_path / "swarm"
        folder.mkdir()
        for name in ("Swarm.xml", "Robot.xml", "AvoidObstacles.xml"):
            shutil.copy(example(name), folder)
        monkeypatch.chdir(folder)
        sim = korvale.Simulation("Swarm.xml", robot="Robot.xml", network="AvoidObstacles.xml", seed=4)
        sim.step(30)
        kept = pickle.dumps(sim)
        shutil.rmtree(folder)
        monkeypatch.chdir(tmp_path)
        twin = pickle.loads(kept)
        assert (run(twin, 30, start=30) == run(sim, 30, start=30)).all()

    def test_a_pickle_of_one_robot_made_before_the_swarm_loads_as_it_did(self):
        with open(SOURCE_DIR / "tests" / "run" / "data" / "avoider-crowded-90-frames.pickle", "rb") as kept:
            old = pickle.loads(kept.read())
        sim = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=AVOIDER, seed=3)
        sim.step(90)
        assert old.get_state() == sim.get_state()
        assert (old.trace(60) == sim.trace(60)).all()
        assert len(sim.__getstate__()) == 5  # the pickle's parts as before

    def test_several_threads_each_run_the_swarm_alone(self):
        alone = run(swarm(), 80)
        results = [None] * 3

        def one(k):
            results[k] = run(swarm(), 80)

        threads = [threading.Thread(target=one, args=(k,)) for k in range(3)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        assert all((result == alone).all() for result in results)


def test_the_environments_drive_robot_0_in_a_swarm():
    env = korvale.Env(SWARM, ROBOT, max_steps=50)
    observation, _ = env.reset(seed=3)
    sim = env.simulation
    assert np.array_equal(observation, sim.ir.astype(np.float32)) and sim.num_robots == 21
    start = sim.swarm_pose
    for _ in range(20):
        observation, reward, terminated, truncated, _ = env.step(np.array([1, 0, 0, 0], np.int8))
    assert np.array_equal(observation, sim.swarm_ir[0].astype(np.float32))
    moved = np.hypot(*(sim.swarm_pose - start)[:, :2].T)
    assert moved[0] > 1 and (moved[1:] > 0).all()  # the agent drives forward, the swarm avoids
    twin = pickle.loads(pickle.dumps(env))
    for _ in range(10):
        assert np.array_equal(env.step(np.array([1, 0, 1, 0], np.int8))[0],
                              twin.step(np.array([1, 0, 1, 0], np.int8))[0])
    assert np.array_equal(twin.simulation.swarm_pose, sim.swarm_pose)
    vector = korvale.VectorEnv(2, SWARM, ROBOT, max_steps=10)
    observations, _ = vector.reset(seed=1)
    assert observations.shape == (2, 8)
    vector.step(np.zeros((2, 4), np.int8))
