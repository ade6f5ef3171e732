"""Every robot's run measures and the swarm's: the module beside korvale-sim,
and korvale-batch's rows for swarm scenes."""

import csv
import math
import os
import re

import pytest

import korvale
from conftest import example, korvale_sim
from korvale.batch import report, runner, task
from korvale.batch.sweep import Run, Sweep

SWARM_SUMMARY = re.compile(r"(\d+) robots travelled (\S+) units in all \((\S+) on average\); largest cluster (\d+) "
                           r"of \d+, mean distance to the centre (\S+) units, to the nearest neighbour (\S+) units, "
                           r"(\d+) cells visited")


class TestModule:
    def test_the_swarm_measures_are_korvale_sims(self):
        arguments = ["--scene", example("Swarm.xml"), "--robot", example("Robot.xml"), "--network",
                     example("AvoidObstacles.xml"), "--seed", "4", "--steps", "150", "--per-robot"]
        result = korvale_sim(*arguments)
        assert result.status == 0, result.err
        summary, *lines = result.out.splitlines()
        robots, total, _, cluster, centre, nearest, cells = SWARM_SUMMARY.search(summary).groups()

        simulation = korvale.Simulation(example("Swarm.xml"), robot=example("Robot.xml"),
                                        network=example("AvoidObstacles.xml"), seed=4)
        simulation.step(150)
        swarm = simulation.swarm_metrics
        assert swarm["robots"] == int(robots) == 21
        assert round(swarm["largest_cluster"] * 21) == int(cluster)
        assert f"{swarm['centre_distance']:.3f}" == centre
        assert f"{swarm['nearest_neighbour']:.3f}" == nearest
        assert swarm["cells_visited"] == int(cells)
        distances = [simulation.robot_metrics(i)["distance"] for i in range(21)]
        assert [f"robot {i} travelled {d:.3f} units" for i, d in enumerate(distances)] == lines
        assert f"{sum(distances):.3f}" == total
        # Robot 0 is the user's robot, whose measures `metrics` always gave.
        assert simulation.robot_metrics(0) == simulation.metrics
        assert all(simulation.robot_metrics(i)["coverage"] >= 1 for i in range(21))

    def test_robots_beyond_the_swarm_and_a_lone_robot(self):
        simulation = korvale.Simulation(example("Default.xml"), robot=example("Robot.xml"))
        with pytest.raises(IndexError, match="robot 1 is not in the swarm of 1"):
            simulation.robot_metrics(1)
        with pytest.raises(IndexError):
            simulation.robot_metrics(-1)
        swarm = simulation.swarm_metrics
        assert (swarm["robots"], swarm["largest_cluster"], swarm["centre_distance"]) == (1, 1.0, 0.0)
        assert math.isnan(swarm["nearest_neighbour"])
        assert swarm["cells_visited"] == simulation.metrics["coverage"]


def swarm_in(folder):
    """Swarm.xml in folder/scenes, naming its robot file and network in
    folders above and beside it, as a user's files may lie."""
    for sub in ("scenes", "robots"):
        os.makedirs(os.path.join(folder, sub))
    with open(example("Swarm.xml"), encoding="utf-8") as file:
        text = file.read().replace('file="Robot.xml"', 'file="../robots/Robot.xml"')
    for name, path in (("scenes/Swarm.xml", None), ("robots/Robot.xml", "Robot.xml"),
                       ("scenes/AvoidObstacles.xml", "AvoidObstacles.xml")):
        with open(os.path.join(folder, name), "w", encoding="utf-8") as file:
            file.write(text if path is None else open(example(path), encoding="utf-8").read())
    return os.path.join(folder, "scenes", "Swarm.xml")


class TestBatch:
    def test_a_swarm_scenes_row_carries_the_swarm_measures_and_its_files(self, folder):
        scene = swarm_in(folder)
        swarm_run = Run(scene, example("Robot.xml"), example("AvoidObstacles.xml"), 2, 1.0, 1 / 60)
        lone_run = Run(example("Default.xml"), example("Robot.xml"), example("AvoidObstacles.xml"), 2, 1.0, 1 / 60)
        sweep = Sweep([swarm_run, lone_run], ".")
        contents = runner.read_contents(sweep)
        named = runner.read_scene_files(sweep, contents)
        assert sorted(named[scene]) == ["../robots/Robot.xml", "AvoidObstacles.xml"]

        rows = []
        for run in sweep.runs:
            files = {kind: contents[getattr(run, kind)] for kind in ("scene", "robot", "network")}
            rows.append(task.run(run, dict(files, scene_files=named.get(run.scene, {}))))
        assert [row["error"] for row in rows] == ["", ""]
        simulation = korvale.Simulation(scene, robot=swarm_run.robot, network=swarm_run.network, seed=2)
        simulation.step(swarm_run.frames)
        assert {column: rows[0][column] for column in task.SWARM_COLUMNS} == simulation.swarm_metrics
        assert "robots" not in rows[1]

        path = os.path.join(folder, "results.csv")
        report.write_csv(rows, path)
        with open(path, newline="", encoding="utf-8") as file:
            read = list(csv.DictReader(file))
        header = list(read[0])
        assert header[header.index("angle") + 1:header.index("wall_time")] == task.SWARM_COLUMNS
        assert read[0]["robots"] == "21" and read[1]["robots"] == ""
        # A sweep without swarm runs keeps the columns it always had.
        report.write_csv(rows[1:], path)
        with open(path, newline="", encoding="utf-8") as file:
            assert next(csv.reader(file)) == task.COLUMNS

    def test_without_its_files_a_swarm_scene_fails_with_the_loads_message(self, folder):
        scene = swarm_in(folder)
        run = Run(scene, example("Robot.xml"), example("AvoidObstacles.xml"), 2, 1.0, 1 / 60)
        contents = runner.read_contents(Sweep([run], "."))
        files = {kind: contents[getattr(run, kind)] for kind in ("scene", "robot", "network")}
        row = task.run(run, files)
        assert "robot file '../robots/Robot.xml' of the robots element at line" in row["error"]
