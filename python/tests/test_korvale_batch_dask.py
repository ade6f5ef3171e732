"""Sweeps on a local Dask cluster of two worker processes, on loopback."""

import csv
import os
import signal
import subprocess

import pytest
from distributed import Client

from conftest import BINARY_DIR, example
from korvale.batch import runner, sweep, task

KORVALE_BATCH = os.path.join(BINARY_DIR, "tools", "korvale-batch")


def alone(runs):
    """Each run's row from a run of its own in this process."""
    rows = []
    for run in runs:
        files = {}
        for kind in ("scene", "robot", "network"):
            with open(getattr(run, kind), "rb") as file:
                files[kind] = file.read()
        rows.append(task.run(run, files))
    return rows


def without_wall_time(rows):
    return [{key: value for key, value in row.items() if key != "wall_time"} for row in rows]


def test_korvale_batch_on_two_workers_writes_the_rows_of_the_single_runs(tmp_path):
    sweep_file = tmp_path / "sweep.toml"
    sweep_file.write_text(
        f'scenes = ["{example("Default.xml")}", "{example("Crowded.xml")}"]\n'
        f'robots = ["{example("Robot.xml")}"]\n'
        f'networks = ["{example("AvoidObstacles.xml")}", "{example("DriveForward.xml")}"]\n'
        'seeds = [1, 2]\nduration = 20\n', encoding="utf-8")
    results = tmp_path / "results.csv"
    completed = subprocess.run([KORVALE_BATCH, str(sweep_file), "-o", str(results), "--workers", "2"],
                               capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=300, check=False)
    assert completed.returncode == 0, completed.stderr

    with open(results, newline="", encoding="utf-8") as file:
        rows = list(csv.DictReader(file))
    expected = alone(sweep.load(str(sweep_file)).runs)
    assert len(rows) == len(expected) == 8
    for got, want in zip(rows, expected):
        for column in task.COLUMNS:
            if column != "wall_time":
                assert got[column] == ("" if want[column] is None else str(want[column])), column
    summary = completed.stdout.splitlines()
    assert summary[1].split()[:3] == [example("AvoidObstacles.xml"), "4", "0"]
    assert summary[-1].startswith("8 runs (0 failed)")


def test_a_worker_killed_during_a_sweep_leaves_no_row_missing():
    runs = sweep.parse(
        f'scenes = ["{example("Crowded.xml")}", "{example("Rooms.xml")}"]\n'
        f'robots = ["{example("Robot.xml")}"]\nnetworks = ["{example("AvoidObstacles.xml")}"]\n'
        'seeds = {first = 1, count = 6}\nduration = 240\n').runs
    expected = without_wall_time(alone(runs))

    cluster = runner.local_cluster(workers=2)
    client = Client(cluster)
    try:
        pids = list(client.run(os.getpid).values())
        assert len(pids) == 2
        killed = []

        def kill_one_after_the_first_row(done, total, row):
            if not killed:
                os.kill(pids[0], signal.SIGKILL)
                killed.append(pids[0])

        rows = runner.run_sweep(sweep.Sweep(runs, "/"), client, kill_one_after_the_first_row)
    finally:
        client.close()
        cluster.close()
    assert killed
    assert [row["error"] for row in rows] == [""] * len(runs)
    assert without_wall_time(rows) == expected
