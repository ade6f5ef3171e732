"""examples/Evolve.toml's first generations, pinned: docs/evolution.md shows what
`korvale-evolve examples/Evolve.toml` prints, and a change that moves the
run (a fitness, an evaluation, the strategy) fails here instead of leaving
the page behind."""

import csv
import dataclasses
import re

from conftest import EXAMPLES, SOURCE_DIR
from korvale.evolve import cli, config as configs, outputs as outs
from korvale.evolve.evaluation import Evaluation, LocalEvaluator
from korvale.evolve.genome import NetworkShape
from korvale.evolve.loop import evolve
from korvale.evolve.strategy import Evolution

# The CSV's first two rows as korvale-evolve writes them, all but the wall time.
PINNED = [
    "1,0.014257403018027559,0.002629664218755024,0.0038498405928270234,0.014257403018027559,0.5,"
    "198.13190574042258,4.125,2394.5,0.6996364737958194,16",
    "2,0.2288064218607398,0.021755998516040334,0.054891155603400736,0.2288064218607398,0.4740300907230018,"
    "536.5620538422129,62.0,471.75,0.00022720387761284458,32",
]


def test_the_first_two_generations_are_the_documented_ones(tmp_path):
    config = dataclasses.replace(configs.load(EXAMPLES / "Evolve.toml"), generations=2)
    shape = NetworkShape.of(cli.robot_inputs(config), config.network)
    evolution = Evolution(shape.dimension, config.sigma, config.seed, config.population)
    evolution.toolbox.register("evaluate", LocalEvaluator(Evaluation.of(config, shape), chunks=2))
    lines = []
    evolve(config, evolution, shape, outs.Outputs.beside(tmp_path / "evolved.xml"), {},
           report=cli.Progress(type("Out", (), {"write": lines.append, "flush": lambda: None}), 100))

    with open(tmp_path / "evolved.csv", newline="") as file:
        rows = list(csv.reader(file))
    assert [",".join(row[:-1]) for row in rows[1:]] == PINNED

    # The page's lines, their times and counts aside, are the ones printed.
    readme = (SOURCE_DIR / "docs" / "evolution.md").read_text(encoding="utf-8")
    for printed in lines:
        head = re.sub(r"  \d+ evaluations  [\d.]+ s\n$", "", printed)
        assert re.search("^" + re.escape(head) + r"  \d+ evaluations  [\d.]+ s$", readme, re.MULTILINE), head
