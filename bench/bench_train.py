#!/usr/bin/python3
"""Benchmark of korvale-train on one core: reading logs (lines per second)
and training on 100,000 lines with 8 readings and 8 hidden units.

The lines are real: the obstacle avoider driving through the four example
scenes, logged by korvale-sim. Usage:
PYTHONPATH=build/python bench/bench_train.py [BUILD_FOLDER]
"""

import os

for variable in ("OPENBLAS_NUM_THREADS", "OMP_NUM_THREADS", "MKL_NUM_THREADS", "BLIS_NUM_THREADS"):
    os.environ[variable] = "1"

import subprocess  # noqa: E402
import sys  # noqa: E402
import tempfile  # noqa: E402
import time  # noqa: E402
from pathlib import Path  # noqa: E402

SOURCE = Path(__file__).resolve().parents[1]

from threadpoolctl import threadpool_limits  # noqa: E402

from korvale.train.logs import read_logs  # noqa: E402
from korvale.train.model import TrainOptions, train  # noqa: E402

LINES = 100_000
SCENES = ("Default", "OpenArena", "Rooms", "Crowded")
# A line every 7 frames of 1/60 s; a little more than a quarter of the lines from each scene.
SECONDS_PER_SCENE = 3000


def make_logs(build, folder):
    examples = SOURCE / "examples"
    paths = []
    for scene in SCENES:
        path = folder / f"{scene}.log"
        subprocess.run([str(build / "tools" / "korvale-sim"), "--scene", str(examples / f"{scene}.xml"),
                        "--robot", str(examples / "Robot.xml"), "--network", str(examples / "AvoidObstacles.xml"),
                        "--seconds", str(SECONDS_PER_SCENE), "--log", str(path), "--quiet"], check=True)
        paths.append(path)
    # Exactly LINES lines in all, taken evenly from the scenes.
    for path in paths:
        lines = path.read_text().splitlines(keepends=True)
        path.write_text("".join(lines[: LINES // len(paths)]))
    return paths


def best_of(runs, work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        result = work()
        times.append(time.perf_counter() - start)
    return min(times), result


def main():
    build = Path(sys.argv[1]) if len(sys.argv) > 1 else SOURCE / "build"
    os.sched_setaffinity(0, {min(os.sched_getaffinity(0))})  # one core
    with tempfile.TemporaryDirectory() as folder, threadpool_limits(limits=1):
        paths = make_logs(build, Path(folder))
        seconds, demonstrations = best_of(5, lambda: read_logs(paths))
        lines = len(demonstrations.readings)
        print(f"reading logs:   {lines} lines in {seconds:.3f} s = {lines / seconds:,.0f} lines/s "
              f"(target at least 200,000 lines/s)")

        options = TrainOptions(hidden=(8,))
        cpu = time.process_time()
        seconds, training = best_of(1, lambda: train(demonstrations.readings, demonstrations.commands, options))
        cpu = time.process_time() - cpu
        epochs = len(training.losses)
        print(f"training:       {lines} lines, 8 readings, 8 hidden units, one core: {seconds:.1f} s "
              f"({cpu:.1f} s of processor time), {epochs} epochs "
              f"({'the loss no longer fell' if training.converged else 'epoch limit'}), "
              f"{seconds / epochs * 1000:.0f} ms per epoch (target under 30 s)")


if __name__ == "__main__":
    main()
