"""Snapshots: a run restored mid-way continues exactly as the uninterrupted
one, in crowded scenes too; pickle and deepcopy carry the model files."""

import copy
import os
import pickle
import shutil
import subprocess
import sys

import numpy as np
import pytest

import korvale
from conftest import example

ROBOT = example("Robot.xml")


def make(scene, network="AvoidObstacles.xml", seed=7, **options):
    return korvale.Simulation(example(scene), robot=ROBOT, network=network and example(network), seed=seed,
                              **options)


def everything(simulation):
    """What can be read of a simulation, for comparing two."""
    return (simulation.time, simulation.pose, simulation.ir.tolist(), simulation.commands,
            [c.tolist() for c in simulation.camera], simulation.bodies.tolist(), simulation.metrics)


class TestRestoredRunsContinueAsTheOriginal:
    @pytest.mark.parametrize("scene, network, frames, at", [
        ("Crowded.xml", "AvoidObstacles.xml", 1200, 700),
        ("Crowded1000.xml", "AvoidObstacles.xml", 600, 301),  # the broad phase
        ("Rooms.xml", None, 600, 250),  # the keyboard, keys held
    ])
    def test_a_state_taken_mid_way_continues_bit_for_bit(self, scene, network, frames, at):
        def drive(simulation, frame):
            if network is None and frame in (0, 200, 400):
                simulation.set_keys(forward=frame != 200, left=frame == 200, right=frame == 400)

        original = make(scene, network)
        rows = []
        for frame in range(frames):
            drive(original, frame)
            rows.append(original.trace(1)[0])
            if frame == at - 1:
                state = original.get_state()
                seen = everything(original)
        rows = np.array(rows)

        # Into a fresh simulation of the same files (another seed: the state carries the noise).
        restored = make(scene, network, seed=99)
        restored.set_state(state)
        assert everything(restored) == seen
        # And back into the original, which has run on meanwhile.
        original.set_state(state)
        for simulation in (restored, original):
            continued = []
            for frame in range(at, frames):
                drive(simulation, frame)
                continued.append(simulation.trace(1)[0])
            assert np.array_equal(np.array(continued), rows[at:])
        assert everything(restored) == everything(original)

    def test_the_logs_gathered_time_carries_so_the_restored_log_writes_the_same_lines(self, folder):
        logs = [os.path.join(folder, name) for name in ("a.log", "b.log")]
        original = make("Default.xml")
        original.start_log(logs[0])
        original.step(205)  # part of a record's time gathered
        state = original.get_state()
        with open(logs[0], encoding="ascii") as a:
            written = len(a.read().splitlines())
        original.step(300)
        original.stop_log()

        restored = make("Default.xml", seed=1)
        restored.start_log(logs[1])
        restored.set_state(state)
        restored.step(300)
        restored.stop_log()
        with open(logs[0], encoding="ascii") as a, open(logs[1], encoding="ascii") as b:
            assert a.read().splitlines()[written:] == b.read().splitlines()

    def test_the_network_controls_last_commands_and_the_selection_come_back(self):
        original = make("Crowded.xml")
        original.step(100)
        state = original.get_state()
        keyboard = make("Crowded.xml", control="keyboard")
        keyboard.set_state(state)
        assert keyboard.commands == original.commands != (False, False, False, False)
        assert np.array_equal(keyboard.trace(50), original.trace(50))


class TestStatesThatDoNotFit:
    @pytest.mark.parametrize("other, text", [
        (lambda: make("Default.xml"), "the state belongs to another simulation: the numbers of bodies differ"),
        (lambda: make("Crowded.xml", dt=0.02), "the state belongs to another simulation: the frame times differ"),
        (lambda: korvale.Simulation(example("Crowded.xml")), "the state belongs to another simulation: the numbers of bodies differ"),
    ])
    def test_a_state_of_another_simulation_is_refused_and_changes_nothing(self, other, text):
        state = make("Crowded.xml").get_state()
        simulation = other()
        simulation.step(20)
        before = everything(simulation)
        with pytest.raises(ValueError, match=f"^{text}$"):
            simulation.set_state(state)
        assert everything(simulation) == before

    def test_damaged_or_cut_bytes_are_refused(self):
        simulation = make("Crowded.xml")
        state = bytearray(simulation.get_state())
        state[100] ^= 1
        with pytest.raises(ValueError, match="^the state is damaged: its checksum differs$"):
            simulation.set_state(bytes(state))
        with pytest.raises(ValueError, match="^the state is cut short$"):
            simulation.set_state(b"abc")


class TestCopies:
    def test_deepcopy_and_pickle_continue_as_the_original_and_run_apart(self):
        original = make("Crowded.xml", network=None, control="network")
        original.set_network(korvale.Network.load(example("AvoidObstacles.xml")))
        original.set_keys(left=True)
        original.step(300)
        for duplicate in (copy.deepcopy(original), pickle.loads(pickle.dumps(original))):
            assert everything(duplicate) == everything(original)
            rows = duplicate.trace(200)
            assert duplicate.time != original.time
            assert np.array_equal(rows, copy.deepcopy(original).trace(200))

    def test_a_pickle_loads_in_another_process_after_the_files_are_gone(self, folder):
        for name in ("Rooms.xml", "Robot.xml", "AvoidObstacles.xml"):
            shutil.copy(example(name), folder)
        simulation = korvale.Simulation(os.path.join(folder, "Rooms.xml"), robot=os.path.join(folder, "Robot.xml"),
                                        network=os.path.join(folder, "AvoidObstacles.xml"), seed=3)
        simulation.step(100)
        pickled = os.path.join(folder, "run.pickle")
        with open(pickled, "wb") as file:
            pickle.dump(simulation, file)
        expected = simulation.trace(100)
        for name in ("Rooms.xml", "Robot.xml", "AvoidObstacles.xml"):
            os.unlink(os.path.join(folder, name))
        script = ("import pickle, sys, numpy\n"
                  "simulation = pickle.load(open(sys.argv[1], 'rb'))\n"
                  "numpy.save(sys.argv[2], simulation.trace(100))\n")
        subprocess.run([sys.executable, "-c", script, pickled, os.path.join(folder, "rows.npy")], check=True,
                       env=os.environ)
        assert np.array_equal(np.load(os.path.join(folder, "rows.npy")), expected)
