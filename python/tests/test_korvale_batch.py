"""Sweep files, one run of a sweep against korvale-sim, and the results file."""

import csv
import math
import os
import re

import pytest

import korvale
from conftest import example, korvale_sim, sim_trace
from korvale.batch import cli, report, runner, sweep, task
from korvale.batch.sweep import Run, Sweep, SweepError

GOOD = """
scenes = ["Default.xml", "Rooms.xml"]
robots = ["Robot.xml"]
networks = ["AvoidObstacles.xml", "DriveForward.xml"]
seeds = {first = -1, count = 3}
duration = 1
dt = 0.3
"""


class TestSweepFile:
    def test_every_combination_in_order_with_frames_rounded_as_korvale_sim_does(self):
        runs = sweep.parse(GOOD, "/models").runs
        assert len(runs) == 2 * 1 * 2 * 3
        assert runs[0] == Run("Default.xml", "Robot.xml", "AvoidObstacles.xml", -1, 1.0, 0.3)
        assert [r.seed for r in runs[:3]] == [-1, 0, 1]
        assert runs[3].network == "DriveForward.xml" and runs[6].scene == "Rooms.xml"
        assert runs[0].frames == 3  # 1 / 0.3 = 3.33
        assert Run("s", "r", "n", None, 0.75, 0.5).frames == 2  # a half rounds up
        assert sweep.parse(GOOD, "/models").path("Robot.xml") == "/models/Robot.xml"

    def test_defaults_one_unseeded_run_per_combination_at_sixty_frames_a_second(self):
        runs = sweep.parse('scenes = ["a.xml"]\nrobots = ["r.xml"]\nnetworks = ["n.xml"]\nduration = 2\n').runs
        assert runs == [Run("a.xml", "r.xml", "n.xml", None, 2.0, 1 / 60)]
        assert runs[0].frames == 120

    @pytest.mark.parametrize("text, message", [
        ("scenes = [", "not a TOML file"),
        ('scene = ["a"]', "unknown key 'scene'"),
        ('robots = ["r"]\nnetworks = ["n"]\nduration = 1', "'scenes' is required: a list of file names"),
        ('scenes = []\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1', "'scenes' must name at least one file"),
        ('scenes = ["a", 3]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1', "'scenes' must hold file names only, not 3"),
        # The key that is wrong is the one named, whatever comes before or after it.
        ('scenes = "x"\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1',
         '''scenes' must be a list of file names, such as scenes = ["x"], not a text'''),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = []\nduration = 1', "'networks' must name at least one file"),
        ('scenes = ["a"]\nrobots = "r"\nnetworks = []\nduration = 1', "'robots' must be a list of file names"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = 5',
         "'dt' must be from 0.001 to 1 second, the steps the world takes"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = 0.00099',
         "'dt' must be from 0.001 to 1 second, the steps the world takes"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = 1e300',
         "'dt' must be from 0.001 to 1 second, the steps the world takes"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = "fast"', "'dt' must be a number"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]', "'duration' is required"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = -1', "'duration' must be a number greater"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = 0', "'dt' must be from 0.001 to 1"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\nseeds = [1.5]', "seed 1.5 is not"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\nseeds = []', "'seeds' must be a list"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\nseeds = {first = 1}',
         "needs exactly 'first' and 'count'"),
        ('scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1e300', "too many frames"),
    ])
    def test_unusable_sweep_files_say_why(self, text, message):
        with pytest.raises(SweepError, match=re.escape(message)):
            sweep.parse(text)

    @pytest.mark.parametrize("dt", [1, 0.001, 0.0009999999, 1.00000001, 0.5])
    def test_dt_is_refused_exactly_where_korvale_sim_refuses_it(self, dt):
        refused = korvale_sim("--scene", example("Default.xml"), "--dt", repr(dt), "--steps", 1).status == 2
        text = f'scenes = ["a"]\nrobots = ["r"]\nnetworks = ["n"]\nduration = 1\ndt = {dt!r}'
        if refused:
            with pytest.raises(SweepError, match="'dt' must be from 0.001 to 1 second"):
                sweep.parse(text)
        else:
            assert sweep.parse(text).runs[0].dt == dt

    def test_a_sweep_file_it_cannot_use_stops_before_any_cluster_starts(self, folder, monkeypatch, capsys):
        path = os.path.join(folder, "sweep.toml")
        with open(path, "w", encoding="utf-8") as file:
            file.write('scenes = ["a.xml"]\nrobots = ["r.xml"]\nnetworks = ["n.xml"]\nduration = 1\ndt = 5\n')
        monkeypatch.setattr(runner, "connect", lambda *arguments: pytest.fail("a cluster was started"))
        assert cli.main([path, "-o", os.path.join(folder, "out.csv")]) == 2
        assert capsys.readouterr().err == (f"korvale-batch: {path}: 'dt' must be from 0.001 to 1 second, "
                                           "the steps the world takes\n")

    def test_a_missing_sweep_file_is_a_sweep_error(self, folder):
        with pytest.raises(SweepError, match="cannot read the sweep file"):
            sweep.load(os.path.join(folder, "none.toml"))


def contents(run):
    """What the client sends a worker for the run, as runner.read_contents reads it."""
    sweep = Sweep([run], ".")
    files = runner.read_contents(sweep)
    return {kind: files[getattr(run, kind)] for kind in ("scene", "robot", "network")}


def stuck_share(trace, start, back):
    """The share of frames, from the first with `back` frames behind it, at
    which the robot is less than 0.5 units from where it was `back` frames before."""
    path = [start] + [(row[1], row[2]) for row in trace]
    judged = range(back, len(path))
    stuck = sum(1 for k in judged if math.hypot(path[k][0] - path[k - back][0], path[k][1] - path[k - back][1]) < 0.5)
    return stuck / len(judged)


class TestOneRun:
    @pytest.mark.parametrize("scene, network, seed, duration", [
        ("Crowded.xml", "AvoidObstacles.xml", 3, 40),
        ("Rooms.xml", "DriveForward.xml", None, 25),
    ])
    def test_a_row_equals_what_korvale_sim_gives_for_the_combination(self, folder, scene, network, seed, duration):
        run = Run(example(scene), example("Robot.xml"), example(network), seed, float(duration), 1 / 60)
        row = task.run(run, contents(run))
        assert row["error"] == ""

        arguments = ["--scene", run.scene, "--robot", run.robot, "--network", run.network, "--seconds", duration]
        if seed is not None:
            arguments += ["--seed", seed]
        trace = sim_trace(folder, *arguments)
        summary = korvale_sim(*arguments).out
        simulated, travelled = re.match(r"simulated (\S+) s in .* robot travelled (\S+) units", summary).groups()

        assert (row["x"], row["y"], row["angle"]) == tuple(trace[-1, 1:4])
        assert f"{row['seconds']:.3f}" == simulated
        assert f"{row['distance']:.3f}" == travelled
        assert row["stuck"] == pytest.approx(stuck_share(trace, korvale_start(run), 300), abs=1e-15)
        alone = korvale.Simulation(run.scene, robot=run.robot, network=run.network, seed=seed)
        alone.step(len(trace))
        assert {name: row[name] for name in alone.metrics} == alone.metrics
        assert (row["scene"], row["seed"]) == (run.scene, seed)
        assert row["wall_time"] > 0

    def test_a_bad_or_unreadable_file_gives_korvale_sims_message_in_the_row(self, folder):
        bad = os.path.join(folder, "bad.xml")
        with open(bad, "w", encoding="utf-8") as file:
            file.write('<world width="100"><object x="1"/></world>')
        os.mkdir(os.path.join(folder, "scenes"))
        # The worker loads its own copies; the last line names each file as the sweep does.
        for scene in (bad, os.path.join(folder, "missing.xml"), os.path.join(folder, "scenes")):
            run = Run(scene, example("Robot.xml"), example("DriveForward.xml"), 1, 1.0, 1 / 60)
            row = task.run(run, contents(run))
            expected = korvale_sim("--scene", scene, "--robot", run.robot, "--steps", 1).err
            assert row["error"] + "\n" == expected
            assert row["distance"] is None and row["x"] is None


def korvale_start(run):
    """Where the robot stands before the first frame."""
    return korvale.Simulation(run.scene, robot=run.robot).pose[:2]


class TestReport:
    ROWS = [
        dict(task.row(Run("a.xml", "r.xml", "n1.xml", 1, 1.0, 0.1)), seconds=1.0, distance=2.0, stuck=0.0, x=1.5,
             y=2.5, angle=0.1, wall_time=0.01, error=""),
        dict(task.row(Run("a.xml", "r.xml", "n1.xml", 2, 1.0, 0.1)), seconds=1.0, distance=4.0, stuck=None, x=1.0,
             y=2.0, angle=-0.2, wall_time=0.01, error=""),
        dict(task.row(Run("b.xml", "r.xml", "n2.xml", None, 1.0, 0.1)), wall_time=0.001,
             error="Error in CFenIOStruct: cannot open the file\nsecond line"),
    ]

    def test_the_csv_reads_back_with_every_value_exact(self, folder):
        path = os.path.join(folder, "results.csv")
        with open(path, "w", encoding="ascii") as file:
            file.write("an older sweep\n")
        report.write_csv(self.ROWS, path)
        with open(path, newline="", encoding="utf-8") as file:
            rows = list(csv.DictReader(file))
        assert list(rows[0]) == task.COLUMNS
        assert rows[0]["distance"] == "2.0" and float(rows[0]["angle"]) == 0.1
        assert rows[1]["stuck"] == "" and rows[2]["seed"] == ""
        assert rows[2]["error"] == "Error in CFenIOStruct: cannot open the file\nsecond line"
        assert sorted(os.listdir(folder)) == ["results.csv"]  # no temporary file left
        # Made as any new file is, not private to its writer as a temporary file is.
        umask = os.umask(0)
        os.umask(umask)
        assert os.stat(path).st_mode & 0o777 == 0o666 & ~umask

    def test_summary_gives_each_networks_mean_and_spread(self):
        lines = report.summary(self.ROWS).splitlines()
        assert lines[0].split() == ["network", "runs", "failed", "mean", "distance", "spread"]
        assert lines[1].split() == ["n1.xml", "2", "0", "3.000", "1.414"]
        assert lines[2].split() == ["n2.xml", "1", "1", "nan", "nan"]


class TestCommandLine:
    def test_what_cannot_be_used_ends_with_status_two_before_any_run(self, folder, capsys):
        good = os.path.join(folder, "good.toml")
        with open(good, "w", encoding="utf-8") as file:
            file.write(GOOD)
        bad = os.path.join(folder, "bad.toml")
        with open(bad, "w", encoding="utf-8") as file:
            file.write("duration = 1\n")
        assert cli.main([bad, "-o", os.path.join(folder, "r.csv")]) == 2
        assert capsys.readouterr().err == (f"korvale-batch: {bad}: 'scenes' is required: a list of file names, "
                                           'such as scenes = ["a.xml"]\n')
        assert cli.main([good, "-o", folder]) == 2
        assert "is a folder" in capsys.readouterr().err
        with pytest.raises(SystemExit):
            cli.main([good, "-o", os.path.join(folder, "r.csv"), "--workers", "0"])
        assert sorted(os.listdir(folder)) == ["bad.toml", "good.toml"]
