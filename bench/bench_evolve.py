#!/usr/bin/python3
"""The evolution goal: from random weights, examples/Evolve.toml evolves
within 10 minutes on this machine a network that drives, in every example
scene, at least 80 % of AvoidObstacles's distance over 120 s, and is never
stuck for 5 seconds (less than 0.5 units from where it was 5 s before).

For each evolution seed given it runs korvale-evolve on the example
configuration with that seed (on a local cluster, one worker per core) and
times it; then every example scene is driven for 120 s with noise seeds 1 to
5 by AvoidObstacles.xml, a student trained from AvoidObstacles's logs (as the
README makes it) and each evolved network, through korvale-batch. It prints
the table per scene and whether each evolved network meets the goal.

Usage: bench/bench_evolve.py [--seeds 1,2,3] [--no-student] [--keep FOLDER] [BUILD_FOLDER]
Take the measurement on a quiet machine: the 10 minutes are wall time.
"""

import argparse
import csv
import json
import os
import subprocess
import sys
import tempfile
import time
import tomllib
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
EXAMPLES = SOURCE / "examples"
SCENES = ("Default.xml", "OpenArena.xml", "Rooms.xml", "Crowded.xml", "Crowded1000.xml", "Crowded10000.xml")
SECONDS = 120
NOISE_SEEDS = {"first": 1, "count": 5}
LIMIT = 600  # seconds of wall time for one evolution
SHARE = 0.8  # of AvoidObstacles's distance


def run(*command, **options):
    return subprocess.run([str(part) for part in command], check=True, **options)


def evolve(build, seed, folder):
    """Runs the example configuration with this seed; returns the network,
    its wall time, and the generations and evaluations from its statistics."""
    with open(EXAMPLES / "Evolve.toml", "rb") as file:
        table = tomllib.load(file)
    table.update(seed=seed, scenes=[str(EXAMPLES / scene) for scene in table["scenes"]],
                 robot=str(EXAMPLES / table["robot"]))
    config = folder / f"evolve-{seed}.toml"
    plain = [f"{key} = {json.dumps(value)}" for key, value in table.items() if not isinstance(value, dict)]
    tables = [f"[{key}]\n" + "\n".join(f"{k} = {json.dumps(v)}" for k, v in value.items())
              for key, value in table.items() if isinstance(value, dict)]
    config.write_text("\n".join(plain + tables) + "\n", encoding="utf-8")
    network = folder / f"evolved-{seed}.xml"
    began = time.perf_counter()
    run(build / "tools" / "korvale-evolve", config, "-o", network, "--quiet")
    wall = time.perf_counter() - began
    with open(network.with_suffix(".csv"), newline="", encoding="ascii") as file:
        last = list(csv.DictReader(file))[-1]
    return network, wall, int(last["generation"]), int(last["evaluations"])


def student(build, folder):
    """The README's student: AvoidObstacles logged for 300 s in three scenes, korvale-train's defaults."""
    logs = []
    for scene in ("Default", "Rooms", "Crowded"):
        log = folder / f"{scene}.log"
        run(build / "tools" / "korvale-sim", "--scene", EXAMPLES / f"{scene}.xml", "--robot", EXAMPLES / "Robot.xml",
            "--network", EXAMPLES / "AvoidObstacles.xml", "--seconds", 300, "--log", log, "--quiet")
        logs.append(log)
    network = folder / "student.xml"
    run(build / "tools" / "korvale-train", *logs, "-o", network, "--quiet")
    return network


def drive(build, networks, folder):
    """Every network in every example scene; rows of korvale-batch by (network, scene)."""
    sweep = folder / "drive.toml"
    sweep.write_text(f"scenes = {json.dumps([str(EXAMPLES / s) for s in SCENES])}\n"
                     f"robots = {json.dumps([str(EXAMPLES / 'Robot.xml')])}\n"
                     f"networks = {json.dumps([str(n) for n in networks])}\n"
                     f"seeds = {{first = {NOISE_SEEDS['first']}, count = {NOISE_SEEDS['count']}}}\n"
                     f"duration = {SECONDS}\n", encoding="utf-8")
    results = folder / "drive.csv"
    run(build / "tools" / "korvale-batch", sweep, "-o", results, "--quiet", stderr=subprocess.DEVNULL)
    table = {}
    with open(results, newline="", encoding="utf-8") as file:
        for row in csv.DictReader(file):
            assert not row["error"], row["error"]
            table.setdefault((row["network"], Path(row["scene"]).name), []).append(
                (float(row["distance"]), float(row["stuck"])))
    return table


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default=SOURCE / "build", type=Path)
    parser.add_argument("--seeds", default="1,2,3", help="evolution seeds, e.g. 1,2,3")
    parser.add_argument("--no-student", action="store_true", help="leave the student out of the table")
    parser.add_argument("--keep", type=Path, help="keep the networks and statistics in this folder")
    options = parser.parse_args()
    seeds = [int(seed) for seed in options.seeds.split(",")]

    with tempfile.TemporaryDirectory() as temporary:
        folder = options.keep or Path(temporary)
        folder.mkdir(parents=True, exist_ok=True)
        evolved = []
        for seed in seeds:
            network, wall, generations, evaluations = evolve(options.build, seed, folder)
            evolved.append(network)
            print(f"seed {seed}: {generations} generations, {evaluations} evaluations in {wall:.0f} s of wall time "
                  f"({'within' if wall <= LIMIT else 'beyond'} {LIMIT // 60} minutes)", flush=True)
        teacher = EXAMPLES / "AvoidObstacles.xml"
        networks = [teacher] + ([] if options.no_student else [student(options.build, folder)]) + evolved
        table = drive(options.build, networks, folder)

    names = ["AvoidObstacles"] + ([] if options.no_student else ["student"]) + [f"evolved, seed {s}" for s in seeds]
    print(f"\nmean distance over {SECONDS} s and noise seeds {NOISE_SEEDS['first']} to "
          f"{NOISE_SEEDS['first'] + NOISE_SEEDS['count'] - 1} (share of AvoidObstacles's; "
          "the most frames stuck in any run)\n")
    print("| scene | " + " | ".join(names) + " |")
    print("|---|" + "---:|" * len(names))
    met = {network: True for network in evolved}
    for scene in SCENES:
        reference = sum(d for d, _ in table[(str(teacher), scene)]) / NOISE_SEEDS["count"]
        cells = []
        for network in networks:
            runs = table[(str(network), scene)]
            mean = sum(d for d, _ in runs) / len(runs)
            stuck = max(s for _, s in runs)
            cells.append(f"{mean:.0f} ({100 * mean / reference:.0f} %{f', stuck {100 * stuck:.1f} %' if stuck else ''})")
            if network in met and (min(d for d, _ in runs) < SHARE * reference or stuck > 0):
                met[network] = False
        print(f"| {scene} | " + " | ".join(cells) + " |")
    print()
    for seed, network in zip(seeds, evolved):
        print(f"seed {seed}: goal {'met' if met[network] else 'NOT met'}")
    return 0 if all(met.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
