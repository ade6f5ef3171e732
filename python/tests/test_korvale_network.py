"""korvale.Network: networks from arrays against network files, saving,
Korvale's own evaluation, and a simulation driven by a network no file holds."""

import os
import pickle

import numpy as np
import pytest

import korvale
from conftest import example, sim_trace

ROBOT = example("Robot.xml")


def random_network(seed, inputs=8, hidden=(5, 3), outputs=4, normalised=True, pca=None):
    rng = np.random.default_rng(seed)
    sizes = [pca or inputs, *hidden, outputs]
    weights = [rng.normal(size=(sizes[k + 1], sizes[k])) for k in range(len(sizes) - 1)]
    biases = [rng.normal(size=sizes[k + 1]) for k in range(len(sizes) - 1)]
    transfer = ["tansig", "logsig", "purelin"][: len(weights) - 1] + ["logsig"]
    extra = {}
    if normalised:
        extra = dict(mean=rng.uniform(0, 100, inputs), std=np.r_[rng.uniform(100, 300, inputs - 1), 0.0])
    if pca:
        extra["pca"] = rng.normal(size=(pca, inputs))
    return korvale.Network(weights, biases, transfer, **extra)


def korvale_evaluation(x, weights, biases, transfer, mean=None, std=None, pca=None):
    """The network file's formulas, step by step: mean, std (0 where it is
    near 0), PCA, then each layer."""
    if mean is not None:
        x = x - mean
    if std is not None:
        x = np.where(np.abs(std) < 1e-10, 0.0, x / np.where(np.abs(std) < 1e-10, 1.0, std))
    if pca is not None:
        x = pca @ x
    functions = {"purelin": lambda v: v, "tansig": lambda v: 2 / (np.exp(-2 * v) + 1) - 1,
                 "logsig": lambda v: 1 / (np.exp(-v) + 1)}
    for w, b, f in zip(weights, biases, transfer):
        x = functions[f](w @ x + b)
    return x


class TestNetworksFromArraysAgainstFiles:
    def test_a_loaded_file_gives_back_its_arrays_and_rebuilt_from_them_evaluates_the_same(self):
        loaded = korvale.Network.load(example("AvoidObstacles.xml"))
        assert (loaded.inputs, loaded.outputs, loaded.transfer) == (8, 4, ("tansig", "logsig"))
        assert loaded.weights[0].shape == (3, 8) and loaded.weights[1][3].tolist() == [-8, -10, 0]
        assert loaded.biases[1].tolist() == [0, 0, 6, -10]
        assert loaded.mean.tolist() == [50] * 8 and loaded.std.tolist() == [250] * 8 and loaded.pca is None
        rebuilt = korvale.Network(loaded.weights, loaded.biases, loaded.transfer, mean=loaded.mean, std=loaded.std)
        readings = np.random.default_rng(1).uniform(0, 1200, size=(500, 8))
        assert np.array_equal(rebuilt.evaluate(readings), loaded.evaluate(readings))
        assert np.array_equal(loaded.evaluate(readings[7]), loaded.evaluate(readings)[7])

    @pytest.mark.parametrize("pca", [None, 5])
    def test_evaluation_follows_the_file_formulas_and_save_then_load_keeps_every_bit(self, folder, pca):
        network = random_network(3, pca=pca)
        x = np.random.default_rng(4).uniform(0, 1100, size=(200, 8))
        expected = np.array([korvale_evaluation(row, network.weights, network.biases, network.transfer,
                                                network.mean, network.std, network.pca) for row in x])
        assert np.allclose(network.evaluate(x), expected, rtol=1e-12, atol=1e-12)
        path = os.path.join(folder, "net.xml")
        network.save(path)
        again = korvale.Network.load(path)
        for name in ("weights", "biases"):
            assert all(np.array_equal(a, b) for a, b in zip(getattr(again, name), getattr(network, name)))
        for name in ("mean", "std", "pca"):
            assert np.array_equal(getattr(again, name), getattr(network, name)) or getattr(network, name) is None
        assert np.array_equal(again.evaluate(x), network.evaluate(x))
        copied = pickle.loads(pickle.dumps(network))
        assert np.array_equal(copied.evaluate(x), network.evaluate(x))

    def test_a_simulation_driven_by_an_array_network_runs_as_korvale_sim_with_its_saved_file(self, folder):
        network = random_network(11)
        path = os.path.join(folder, "student.xml")
        network.save(path)
        expected = sim_trace(folder, "--scene", example("Crowded.xml"), "--robot", ROBOT, "--network", path,
                             "--seed", 5, "--steps", 600)
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=network, seed=5)
        assert np.array_equal(simulation.trace(600), expected)
        # The same with the network handed over after loading, no file involved.
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, control="network", seed=5)
        simulation.set_network(network)
        assert np.array_equal(simulation.trace(600), expected)


class TestSetNetwork:
    def test_the_network_control_stands_until_it_gets_a_network_and_the_selection_stays(self):
        simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, control="network", seed=1)
        simulation.step(30)
        assert simulation.metrics["distance"] == 0.0
        assert simulation.network is None
        simulation.set_network(korvale.Network.load(example("DriveForward.xml")))
        simulation.step(30)
        assert simulation.commands == (True, False, False, False)
        assert simulation.metrics["distance"] > 3  # half a second at about 8 units a second

        keyboard = korvale.Simulation(example("Default.xml"), robot=ROBOT, seed=1)
        keyboard.set_network(korvale.Network.load(example("DriveForward.xml")))
        keyboard.step(30)
        assert keyboard.commands == (False, False, False, False)
        assert keyboard.network.transfer == ("logsig",)

    def test_a_network_that_does_not_fit_the_robot_is_refused_and_changes_nothing(self):
        simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, network=example("DriveForward.xml"))
        with pytest.raises(ValueError, match="^the network takes 7 inputs, but the robot has 8 infrared sensors$"):
            simulation.set_network(random_network(1, inputs=7))
        with pytest.raises(TypeError, match="korvale.Network"):
            simulation.set_network(example("DriveForward.xml"))
        simulation.step(10)
        assert simulation.commands == (True, False, False, False)

    def test_a_network_without_four_outputs_is_taken_with_a_warning_and_never_drives(self):
        simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, control="network")
        with pytest.warns(UserWarning, match="the network has 2 outputs, not 4"):
            simulation.set_network(korvale.Network([np.ones((2, 8))], [np.ones(2)], ["logsig"]))
        simulation.step(30)
        assert simulation.commands == (False, False, False, False) and simulation.metrics["distance"] == 0


class TestRefusals:
    W, B = [np.zeros((4, 8))], [np.zeros(4)]

    @pytest.mark.parametrize("arguments, error, text", [
        (([], [], []), ValueError, "^a network needs at least one layer$"),
        (([np.zeros((4, 8))], [], ["logsig"]), ValueError,
         r"^weights, biases and transfer need one entry per layer \(1, 0 and 1 given\)$"),
        ((W, B, ["relu"]), ValueError, "^transfer\\[0\\] is 'relu', not purelin, tansig or logsig$"),
        (([np.zeros((3, 8)), np.zeros((4, 2))], [np.zeros(3), np.zeros(4)], ["tansig", "logsig"]), ValueError,
         r"^weights\[1\] has 2 columns, but layer 0 has 3 neurons$"),
        ((W, [np.zeros(3)], ["logsig"]), ValueError, r"^biases\[0\] has 3 values, but weights\[0\] has 4 rows$"),
        (([np.zeros(8)], B, ["logsig"]), ValueError, r"^weights\[0\] must be 2-D, not 1-D$"),
        (([np.zeros((0, 8))], [np.zeros(0)], ["logsig"]), ValueError, r"^weights\[0\]'s rows is empty$"),
        (([np.full((4, 8), np.nan)], B, ["logsig"]), ValueError, r"^weights\[0\] holds a number that is not finite$"),
        ((W, B, "logsig"), TypeError, "^transfer must be a sequence with one entry per layer$"),
    ])
    def test_inconsistent_parts_are_refused_with_a_one_line_reason(self, arguments, error, text):
        with pytest.raises(error, match=text):
            korvale.Network(*arguments)

    @pytest.mark.parametrize("extra, text", [
        (dict(mean=np.zeros(7)), "^mean has 7 values, but the network has 8 inputs$"),
        (dict(std=np.zeros(9)), "^std has 9 values, but the network has 8 inputs$"),
        (dict(pca=np.zeros((5, 8))), r"^pca has 5 rows \(components\), but weights\[0\] has 8 columns$"),
        (dict(pca=np.zeros((8, 6)), mean=np.zeros(8)), "^mean has 8 values, but the network has 6 inputs$"),
    ])
    def test_normalisation_must_fit_the_inputs(self, extra, text):
        with pytest.raises(ValueError, match=text):
            korvale.Network([np.zeros((4, 8))], [np.zeros(4)], ["logsig"], **extra)

    def test_evaluate_wants_rows_of_the_inputs(self):
        network = korvale.Network.load(example("AvoidObstacles.xml"))
        with pytest.raises(ValueError, match="^x has 7 values per input, but the network takes 8$"):
            network.evaluate(np.zeros(7))
        with pytest.raises(ValueError, match="^x must be 1-D"):
            network.evaluate(np.zeros((2, 2, 8)))

    def test_load_gives_the_readers_lines_and_save_never_replaces_a_file_unasked(self, folder):
        with pytest.raises(korvale.LoadError, match="^Error in CFenIOStruct: cannot open the file"):
            korvale.Network.load(os.path.join(folder, "missing.xml"))
        path = os.path.join(folder, "net.xml")
        with open(path, "w", encoding="ascii") as file:
            file.write("keep me")
        network = korvale.Network.load(example("DriveForward.xml"))
        with pytest.raises(FileExistsError):
            network.save(path)
        with open(path, encoding="ascii") as file:
            assert file.read() == "keep me"
        network.save(path, overwrite=True)
        assert korvale.Network.load(path).biases[0].tolist() == network.biases[0].tolist()
        assert sorted(os.listdir(folder)) == ["net.xml"]

    def test_save_on_a_file_system_without_hard_links_still_never_replaces_a_file(self, folder, monkeypatch):
        def no_links(source, target):
            raise PermissionError(1, "Operation not permitted")  # as on FAT

        monkeypatch.setattr(os, "link", no_links)
        network = korvale.Network.load(example("DriveForward.xml"))
        path = os.path.join(folder, "net.xml")
        network.save(path)
        assert korvale.Network.load(path).biases[0].tolist() == network.biases[0].tolist()
        with pytest.raises(FileExistsError):
            network.save(path)
        assert sorted(os.listdir(folder)) == ["net.xml"]
