"""korvale-evolve on local Dask clusters, on loopback: one worker or two,
a worker killed in the middle of a generation, Ctrl-C and --resume all give
the same run; the network it writes drives in korvale-sim."""

import csv
import json
import os
import signal
import subprocess
import time
import tomllib

import numpy as np
import pytest
from distributed import Client

from conftest import BINARY_DIR, EXAMPLES, example, korvale_sim
from korvale.batch import runner
from korvale.evolve import config as configs
from korvale.evolve.evaluation import DaskEvaluator, Evaluation, LocalEvaluator
from korvale.evolve.genome import NetworkShape
from korvale.evolve.strategy import Evolution

EVOLVE = BINARY_DIR / "tools" / "korvale-evolve"
OUTPUTS = ("best.xml", "best.csv", "best.svg", "best.checkpoint")


def toml(table):
    """A TOML text of plain keys and one level of tables (JSON's strings,
    numbers and lists are TOML's too)."""
    plain = [f"{key} = {json.dumps(value)}" for key, value in table.items() if not isinstance(value, dict)]
    tables = [f"[{key}]\n" + toml(value) for key, value in table.items() if isinstance(value, dict)]
    return "\n".join(plain) + "\n" + "".join(tables)


def small_run(folder):
    """examples/Evolve.toml, shortened to a few generations of short runs."""
    with open(EXAMPLES / "Evolve.toml", "rb") as file:
        table = tomllib.load(file)
    table.update(scenes=[str(EXAMPLES / scene) for scene in table["scenes"]], robot=str(EXAMPLES / table["robot"]),
                 seconds=4, generations=4, population=8)
    path = folder / "small.toml"
    path.write_text(toml(table), encoding="utf-8")
    return path


def evolve(folder, *arguments, **options):
    return subprocess.run([EVOLVE, small_run(folder), "-o", folder / "best.xml", *map(str, arguments)],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=300, check=False, **options)


def statistics(folder):
    """The statistics file's rows, without the wall time."""
    with open(folder / "best.csv", newline="", encoding="ascii") as file:
        return [row[:-1] for row in csv.reader(file)]


@pytest.fixture(scope="module")
def reference(tmp_path_factory):
    """The small run, uninterrupted, on two workers with uneven chunks."""
    folder = tmp_path_factory.mktemp("reference")
    result = evolve(folder, "--workers", 2, "--chunks", 3)
    assert result.returncode == 0, result.stderr
    return folder


def test_one_worker_gives_the_network_and_statistics_of_two_and_the_network_drives(tmp_path, reference):
    result = evolve(tmp_path, "--workers", 1, "--chunks", 1)
    assert result.returncode == 0, result.stderr
    lines = result.stdout.splitlines()
    assert lines[0] == ("8 readings -> 4 tansig -> 4 logsig outputs: 56 weights, 8 individuals per generation, "
                        "each run in 4 scenes with 2 seeds for 4 s; 1 worker thread")
    assert [line.split(":")[0] for line in lines[1:5]] == [f"generation {g}/4" for g in range(1, 5)]
    assert (tmp_path / "best.xml").read_bytes() == (reference / "best.xml").read_bytes()
    assert statistics(tmp_path) == statistics(reference)
    assert len(statistics(tmp_path)) == 5

    # Loaded as users load it, in the arena it never trained in.
    drive = korvale_sim("--scene", example("OpenArena.xml"), "--robot", example("Robot.xml"),
                        "--network", tmp_path / "best.xml", "--seconds", 20)
    assert drive.status == 0, drive.err
    assert float(drive.out.split("travelled ")[1].split()[0]) > 50


def test_ctrl_c_stops_after_the_generation_and_resume_completes_the_same_run(tmp_path, reference):
    command = [EVOLVE, small_run(tmp_path), "-o", tmp_path / "best.xml", "--workers", "2"]
    # Its own process group, as a terminal's: Ctrl-C reaches the workers too.
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                               text=True, start_new_session=True)
    try:
        header = process.stdout.readline()
        assert header.startswith("8 readings"), process.stderr.read()
        os.killpg(process.pid, signal.SIGINT)
        _, err = process.communicate(timeout=120)
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
    assert process.returncode == 130, err
    done = len(statistics(tmp_path)) - 1
    assert 1 <= done < 4
    assert "stopping after this generation" in err
    assert err.endswith(f"stopped after generation {done} of 4; --resume continues from {tmp_path / 'best.checkpoint'}\n")

    again = evolve(tmp_path, "--workers", 2)
    assert again.returncode == 1 and "best.xml already exists; --force replaces it" in again.stderr
    resumed = evolve(tmp_path, "--resume", "--workers", 1)
    assert resumed.returncode == 0, resumed.stderr
    assert resumed.stdout.splitlines()[1] == f"resuming after generation {done}"
    assert (tmp_path / "best.xml").read_bytes() == (reference / "best.xml").read_bytes()
    assert statistics(tmp_path) == statistics(reference)
    assert sorted(os.listdir(tmp_path)) == sorted(OUTPUTS + ("small.toml",))


def test_a_worker_killed_during_a_generation_changes_nothing(tmp_path):
    config = configs.load(small_run(tmp_path))
    evaluation = Evaluation.of(config, NetworkShape.of(8, config.network))
    dimension = evaluation.shape.dimension

    cluster = runner.local_cluster(workers=2)
    client = Client(cluster)
    try:
        pids = client.run(os.getpid)
        killed = []

        def kill_a_busy_worker(done, total):
            """Once the first generation's tasks are out: a worker that holds one dies."""
            deadline = time.monotonic() + 30
            while done == 0 and not killed and time.monotonic() < deadline:
                busy = [worker for worker, tasks in client.processing().items() if tasks]
                if busy:
                    os.kill(pids[busy[0]], signal.SIGKILL)
                    killed.append(busy[0])
                time.sleep(0.001)

        on_cluster = Evolution(dimension, config.sigma, config.seed, 8)
        on_cluster.toolbox.register("evaluate", DaskEvaluator(client, evaluation, 4, kill_a_busy_worker))
        here = Evolution(dimension, config.sigma, config.seed, 8)
        here.toolbox.register("evaluate", LocalEvaluator(evaluation))
        for generation in (1, 2):
            genomes, results = on_cluster.generation(generation)
            expected_genomes, expected = here.generation(generation)
            assert np.array_equal(genomes, expected_genomes)
            for name in expected:
                assert np.array_equal(results[name], expected[name]), name
        assert killed
    finally:
        client.close()
        cluster.close()
