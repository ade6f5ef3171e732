"""korvale-evolve in one process: the configuration file, the genome's
layout, the strategy under its seed, checkpoints and the output files."""

import csv
import dataclasses
import os
import re
from pathlib import Path
from xml.etree import ElementTree

import numpy as np
import pytest

import korvale

from conftest import example
from korvale.evolve import checkpoint, cli, config as configs, outputs as outs
from korvale.evolve.checkpoint import CheckpointError, RunState
from korvale.evolve.config import ConfigError
from korvale.evolve.evaluation import Evaluation, evaluate_chunk
from korvale.evolve.genome import NetworkShape
from korvale.evolve.loop import evolve
from korvale.evolve.strategy import Evolution, default_population

GOOD = """
scenes = ["Default.xml", "Rooms.xml"]
robot = "Robot.xml"
seconds = 4
generations = 3
sigma = 0.5
seed = 7
"""


class TestConfigFile:
    def test_defaults_and_file_names_taken_from_the_files_folder(self):
        config = configs.parse(GOOD, "/models")
        assert config.scenes == ("/models/Default.xml", "/models/Rooms.xml")
        assert config.robot == "/models/Robot.xml"
        assert (config.fitness, config.seeds, config.population, config.dt) == (("avoid",), (1,), None, 1 / 60)
        assert (config.stuck_penalty, config.contact_penalty) == (1.0, 0.0)
        assert (config.generations, config.sigma, config.seed, config.frames) == (3, 0.5, 7, 240)
        assert config.network == configs.NetworkConfig(hidden=(4,), hidden_fcn="tansig", output_fcn="logsig",
                                                       input_scale=1000.0)
        assert config.identity()["scenes"] == ["Default.xml", "Rooms.xml"]  # as written: a run may move

    def test_every_key_given(self):
        config = configs.parse(GOOD + 'fitness = "coverage"\nstuck_penalty = 0\ncontact_penalty = 2.5\n'
                               'seeds = [5, -2]\npopulation = 6\ndt = 0.05\n'
                               '[network]\nhidden = []\noutput_fcn = "purelin"\ninput_scale = 500\n')
        assert (config.fitness, config.seeds, config.population, config.dt) == (("coverage",), (5, -2), 6, 0.05)
        assert configs.parse(GOOD + 'fitness = ["avoid", "coverage"]\n').fitness == ("avoid", "coverage")
        assert (config.stuck_penalty, config.contact_penalty) == (0.0, 2.5)
        assert config.network == configs.NetworkConfig(hidden=(), hidden_fcn="tansig", output_fcn="purelin",
                                                       input_scale=500.0)
        assert configs.parse(GOOD + "seeds = 3\n").seeds == (1, 2, 3)

    @pytest.mark.parametrize("change, key, problem", [
        ('scenes = []', "scenes", "must be a list of scene files"),
        ('scenes = ["a.xml", 3]', "scenes", "must be a list of scene files"),
        ('scenes = ["a.xml", "./a.xml"]', "scenes", "names a scene twice"),
        ('robot = ["Robot.xml"]', "robot", "must name the robot file"),
        ('fitness = "speed"', "fitness", "must be one of avoid, distance, coverage, or a list of them"),
        ('fitness = ["avoid", "avoid"]', "fitness", "must be one of"),
        ('stuck_penalty = -1', "stuck_penalty", "must be a number of at least 0"),
        ('contact_penalty = inf', "contact_penalty", "must be a number of at least 0"),
        ('seconds = 0', "seconds", "must be a number greater than 0"),
        ('seconds = 0.001', "seconds", "gives 0 frames"),
        ('seconds = 1e300', "seconds", "gives too many frames"),
        ('seconds = "30"', "seconds", "must be a number greater than 0"),
        ('seeds = 0', "seeds", "must count at least 1 noise seed"),
        ('seeds = [1, 1]', "seeds", "names a seed twice"),
        ('seeds = [1.5]', "seeds", "holds 1.5"),
        ('seeds = [18446744073709551616]', "seeds", "not a 64-bit whole number"),
        ('reseed = "yes"', "reseed", "must be true or false"),
        ('generations = 0', "generations", "must be a whole number of at least 1"),
        ('generations = 2.5', "generations", "must be a whole number of at least 1"),
        ('population = 1', "population", "must be a whole number of at least 2"),
        ('sigma = -1', "sigma", "must be a number greater than 0"),
        ('sigma = nan', "sigma", "must be a number greater than 0"),
        ('seed = true', "seed", "must be a 64-bit whole number"),
        ('dt = 2', "dt", "must be from 0.001 to 1 second"),
        ('network = 4', "network", "must be a table"),
        ('[network]\nhidden = [0]', "network.hidden", "must be a list of layer sizes"),
        ('[network]\nhidden_fcn = "relu"', "network.hidden_fcn", "must be one of tansig, logsig, purelin"),
        ('[network]\noutput_fcn = 1', "network.output_fcn", "must be one of"),
        ('[network]\ninput_scale = 0', "network.input_scale", "must be a number greater than 0"),
    ])
    def test_a_wrong_key_is_named_and_ends_the_program_with_status_two(self, tmp_path, capsys, change, key, problem):
        name = change.split("=")[0].strip().split("\n")[0]
        lines = [line for line in GOOD.splitlines() if not line.startswith(name + " ")]
        path = tmp_path / "evolve.toml"
        path.write_text("\n".join(lines) + "\n" + change + "\n", encoding="utf-8")
        with pytest.raises(ConfigError) as raised:
            configs.load(path)
        assert raised.value.key == key and problem in str(raised.value)
        assert cli.main([str(path), "-o", str(tmp_path / "best.xml")]) == 2
        assert capsys.readouterr().err == f"korvale-evolve: {path}: {raised.value}\n"
        assert sorted(os.listdir(tmp_path)) == ["evolve.toml"]

    @pytest.mark.parametrize("text, message", [
        (GOOD.replace("sigma = 0.5", ""), "'sigma' is required"),
        (GOOD.replace("seconds = 4", ""), "'seconds' is required"),
        (GOOD + "sigmas = 1\n", "unknown key 'sigmas'"),
        (GOOD + "[network]\nlayers = 2\n", "unknown key 'network.layers'"),
        ("scenes = [", "not a TOML file"),
    ])
    def test_missing_unknown_and_unreadable_keys(self, text, message):
        with pytest.raises(ConfigError, match=re.escape(message)):
            configs.parse(text)

    def test_the_example_configuration_is_valid(self):
        config = configs.load(example("Evolve.toml"))
        assert all(os.path.exists(path) for path in (*config.scenes, config.robot))
        # the arenas the network never trains in
        assert example("OpenArena.xml") not in config.scenes and example("Crowded10000.xml") not in config.scenes


class TestGenome:
    SHAPE = NetworkShape((3, 2, 4), ("tansig", "logsig"), 250.0)

    def test_a_genome_is_each_layers_weights_row_by_row_then_its_biases(self, tmp_path):
        assert self.SHAPE.dimension == 3 * 2 + 2 + 2 * 4 + 4
        genome = np.arange(self.SHAPE.dimension, dtype=np.float64) / 7
        path = tmp_path / "net.xml"
        self.SHAPE.network(genome).save(str(path))
        root = ElementTree.parse(path).getroot()

        def numbers(element):
            return [float(value) for value in element.text.split()]

        first = root.find("weights/inputlayer/matrix")
        assert (first.get("m"), first.get("n")) == ("2", "3")
        second = root.find("weights/hiddenlayer/matrix")
        assert (second.get("m"), second.get("n")) == ("4", "2")
        biases = root.findall("biases/bias/vector")
        file_order = numbers(first) + numbers(biases[0]) + numbers(second) + numbers(biases[1])
        assert file_order == list(genome)  # every number exact, in genome order
        assert numbers(root.find("std/vector")) == [250.0] * 3
        assert numbers(root.find("mean/vector")) == [0.0] * 3
        assert [layer.get("transferFcn") for layer in root.iter("layer")] == ["tansig", "logsig"]

    def test_a_genome_of_the_wrong_length_is_refused(self):
        with pytest.raises(ValueError, match="holds 20 numbers"):
            self.SHAPE.layers(np.zeros(19))

    def test_the_shape_from_the_configuration(self):
        shape = NetworkShape.of(8, configs.NetworkConfig(hidden=(), output_fcn="purelin"))
        assert (shape.sizes, shape.transfer, shape.dimension) == ((8, 4), ("purelin",), 36)
        assert shape.describe() == "8 readings -> 4 purelin outputs"


class TestEvaluation:
    SHAPE = NetworkShape((8, 4), ("logsig",), 1000.0)

    def evaluation(self, **changes):
        config = configs.parse(f'scenes = ["{example("Default.xml")}"]\nrobot = "{example("Robot.xml")}"\n'
                               'seconds = 20\nseeds = 2\ngenerations = 1\nsigma = 1\n')
        return dataclasses.replace(Evaluation.of(config, self.SHAPE), **changes)

    def test_a_genome_scores_the_same_in_any_chunk_and_the_penalties_cost_a_stuck_robot(self):
        forward = np.concatenate([np.zeros(32), [10.0, -10.0, -10.0, -10.0]])  # forward, whatever it reads
        searching = np.concatenate([np.full(32, 0.5), [10.0, -10.0, -10.0, 0.0]])
        together = evaluate_chunk(self.evaluation(), np.array([searching, forward]))
        alone = evaluate_chunk(self.evaluation(), np.array([forward]))
        for name, values in alone.items():
            assert values[0] == together[name][1], name

        # Straight into the arena's wall, then pushing against it, now and then stuck.
        assert alone["stuck"][0] > 0.05 and alone["contact_frames"][0] > 600

        def fitness(**penalties):
            return evaluate_chunk(self.evaluation(**penalties), np.array([forward]))["fitness"][0]

        plain = fitness(stuck_penalty=0.0)
        assert plain > alone["fitness"][0] > fitness(stuck_penalty=10.0) > 0
        assert 0 < fitness(stuck_penalty=0.0, contact_penalty=1.0) < plain
        assert fitness(stuck_penalty=0.0, contact_penalty=2.0) == 0  # in contact for more than half the run

    def test_runs_without_the_robots_cameras_are_the_runs_with_them(self):
        evaluation = self.evaluation()
        assert b"<camera" in open(example("Robot.xml"), "rb").read()
        assert b"<camera" not in evaluation.contents[example("Robot.xml")]
        genomes = np.random.default_rng(5).normal(0.0, 1.0, (3, self.SHAPE.dimension))
        chunk = evaluate_chunk(dataclasses.replace(evaluation, stuck_penalty=0.0), genomes)
        direct = korvale.evaluate([self.SHAPE.network(genome) for genome in genomes], [example("Default.xml")],
                                  example("Robot.xml"), 20, [1, 2], threads=1)
        assert np.array_equal(chunk["fitness"], direct.mean)
        assert np.array_equal(chunk["distance"], direct.metrics["distance"].mean(axis=(1, 2)))

    def test_with_reseed_each_generation_draws_its_own_noise_seeds(self):
        fixed = self.evaluation()
        assert fixed.for_generation(7) is fixed
        changing = self.evaluation(reseed=12)
        first, again, other = (changing.for_generation(g).seeds for g in (1, 1, 2))
        assert first == again and len(first) == 2 and first != other and first != fixed.seeds


def sphere(target):
    """A stand-in evaluation: fitness is highest at target."""
    def evaluate(genomes, generation):
        fitness = -np.sum((genomes - target) ** 2, axis=1)
        return {"fitness": fitness, **{name: np.zeros(len(genomes)) for name in outs.COLUMNS[6:10]}}
    return evaluate


def evolution(seed=3, dimension=6, population=None):
    result = Evolution(dimension, 0.5, seed, population)
    result.toolbox.register("evaluate", sphere(np.linspace(-1, 1, dimension)))
    return result


class TestStrategy:
    def test_the_seed_alone_decides_the_populations_whatever_numpys_global_generator_did(self):
        first, second = evolution(), evolution()
        for generation in (1, 2, 3):
            np.random.seed(generation * 1000)  # other users of the global generator change nothing
            a, _ = first.generation(generation)
            b, _ = second.generation(generation)
            assert np.array_equal(a, b)
        other, _ = evolution(seed=4).generation(1)
        assert not np.array_equal(other, evolution().generation(1)[0])

    def test_the_strategy_maximises_the_fitness(self):
        run = evolution()
        results = [run.generation(generation)[1]["fitness"].max() for generation in range(1, 41)]
        assert results[-1] > 0.2 * results[0] and max(results[-5:]) > -0.05

    def test_a_restored_state_draws_what_the_original_draws(self):
        original = evolution()
        for generation in (1, 2):
            original.generation(generation)
        saved = RunState(generation=2, strategy=original.state(), best_genome=np.zeros(6))
        identity = {"a": 1}
        restored = evolution()
        restored.restore(checkpoint.from_bytes(checkpoint.to_bytes(identity, saved), identity).strategy)
        for generation in (3, 4):
            a, fa = original.generation(generation)
            b, fb = restored.generation(generation)
            assert np.array_equal(a, b) and np.array_equal(fa["fitness"], fb["fitness"])
        assert original.sigma == restored.sigma

    def test_population_size_is_deaps_default_unless_given(self):
        assert evolution(dimension=56).population_size == default_population(56) == 16
        assert evolution(population=10).population_size == 10


class TestCheckpoint:
    def test_a_checkpoint_continues_only_the_same_run(self):
        state = RunState(generation=1, strategy=evolution().state(), best_genome=np.ones(6), best_fitness=0.5,
                         rows=[[1.0] * len(outs.COLUMNS)])
        data = checkpoint.to_bytes({"sigma": 0.5, "seed": 1}, state)
        back = checkpoint.from_bytes(data, {"sigma": 0.5, "seed": 1})
        assert (back.generation, back.best_fitness, back.rows) == (1, 0.5, state.rows)
        with pytest.raises(CheckpointError, match=r"another 'seed' \(1\)"):
            checkpoint.from_bytes(data, {"sigma": 0.5, "seed": 2})
        for damaged in (b"", b"not a zip file", data[:100], data[:-30]):
            with pytest.raises(CheckpointError, match="not a korvale-evolve checkpoint"):
                checkpoint.from_bytes(damaged, {})


class TestOutputs:
    def test_existing_files_are_refused_unless_forced_or_the_resumed_runs_own(self, tmp_path):
        files = outs.Outputs.beside(tmp_path / "best.xml")
        assert [path.name for path in files.files()] == ["best.xml", "best.csv", "best.svg", "best.checkpoint"]
        files.check(force=False, resume=False)
        with pytest.raises(outs.OutputError, match="best.checkpoint does not exist; there is no run to resume"):
            files.check(force=False, resume=True)
        (tmp_path / "best.csv").write_text("keep me")
        with pytest.raises(outs.OutputError, match="best.csv already exists; --force replaces it$"):
            files.check(force=False, resume=False)
        (tmp_path / "best.checkpoint").write_text("")
        files.check(force=False, resume=True)
        files.check(force=True, resume=False)
        assert (tmp_path / "best.csv").read_text() == "keep me"
        with pytest.raises(outs.OutputError, match="four different files"):
            outs.Outputs.beside(tmp_path / "best.xml", csv=tmp_path / "best.xml").check(True, False)
        with pytest.raises(outs.OutputError, match="is a folder"):
            outs.Outputs.beside(tmp_path).check(True, False)

    def test_a_run_writes_every_file_whole_and_resumes_to_the_same_files(self, tmp_path):
        config = configs.parse(GOOD.replace("generations = 3", "generations = 4"))
        shape = NetworkShape((2, 4), ("logsig",), 1000.0)

        def run(folder, stop_after=None, resume=False):
            files = outs.Outputs.beside(folder / "best.xml")
            state = checkpoint.from_bytes(files.checkpoint.read_bytes(), {}) if resume else None
            return evolve(config, evolution(dimension=shape.dimension), shape, files, {}, state,
                          should_stop=lambda: stop_after is not None)

        whole, parts = tmp_path / "whole", tmp_path / "parts"
        whole.mkdir()
        parts.mkdir()
        run(whole)
        assert run(parts, stop_after=1).generation == 1
        assert run(parts, resume=True).generation == 4
        for name in ("best.xml", "best.svg"):
            assert (whole / name).read_bytes() == (parts / name).read_bytes(), name
        rows = [list(csv.reader(open(folder / "best.csv"))) for folder in (whole, parts)]
        assert rows[0][0] == list(outs.COLUMNS) and len(rows[0]) == 5
        assert [row[:-1] for row in rows[0]] == [row[:-1] for row in rows[1]]  # all but the wall time
        assert sorted(os.listdir(parts)) == ["best.checkpoint", "best.csv", "best.svg", "best.xml"]

    def test_statistics_read_back_exactly(self):
        row = [3, 0.1, 1 / 3, 2e-17, 0.5, 0.25, 12.5, 7.0, 0.0, 0.125, 48, 1.75]
        text = outs.csv_text([row])
        assert text.splitlines()[1] == "3,0.1,0.3333333333333333,2e-17,0.5,0.25,12.5,7.0,0.0,0.125,48,1.75"
        svg = ElementTree.fromstring(outs.plot_svg([row, row]))
        assert len(svg.findall("{http://www.w3.org/2000/svg}polyline")) == 3
