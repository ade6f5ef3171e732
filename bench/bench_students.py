#!/usr/bin/python3
"""Students of a network teacher, judged by driving, over many training seeds.

The obstacle avoider (examples/AvoidObstacles.xml) drives 5 minutes in each of
two example scenes; korvale-train learns students from the two logs, once per
training seed and in three ways: plainly, selected by driving among
candidates (--validate in the two scenes), and by DAgger (--dagger in the two
scenes). Every student then drives 60 s in every example scene, the scenes it
never saw included, on several simulation seeds, beside the teacher.

A student passes a scene when, on every simulation seed, it drives at least
80 % of the teacher's mean distance there and never stays within 0.5 units
of where it was 5 s before. The goal: every selected and every DAgger
student passes every scene.

    bench/bench_students.py [--seeds 10] [--runs 3] [--build build]

Run it with nice: it trains 10 x (1 + 5 + 4) networks on one core each.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np

SOURCE = Path(__file__).resolve().parents[1]
EXAMPLES = SOURCE / "examples"
TAUGHT = ("Crowded.xml", "Crowded1000.xml")
SCENES = ("Default.xml", "OpenArena.xml", "Rooms.xml", "Crowded.xml", "Crowded1000.xml")
TEACHER = EXAMPLES / "AvoidObstacles.xml"
ROBOT = EXAMPLES / "Robot.xml"
TEACHER_SECONDS = 300
SECONDS = 60
SHARE_OF_TEACHER = 0.8
KINDS = {
    "plain": [],
    "selected": ["--validate", *(str(EXAMPLES / s) for s in TAUGHT)],
    "dagger": ["--teacher", str(TEACHER), "--dagger", "3", "--scenes", *(str(EXAMPLES / s) for s in TAUGHT),
               "--candidates", "1"],
}


def teacher_logs(build, folder):
    logs = []
    for scene in TAUGHT:
        log = folder / f"{scene}.log"
        subprocess.run([str(build / "tools" / "korvale-sim"), "--scene", str(EXAMPLES / scene), "--robot", str(ROBOT),
                        "--network", str(TEACHER), "--seconds", str(TEACHER_SECONDS), "--log", str(log), "--quiet"],
                       check=True)
        logs.append(str(log))
    return logs


def train(build, logs, kind, seed, folder):
    student = folder / f"{kind}-{seed}.xml"
    command = [str(build / "tools" / "korvale-train"), *logs, "-o", str(student), "--seed", str(seed),
               "--robot", str(ROBOT), "--threads", "1", "--quiet", *KINDS[kind]]
    started = time.monotonic()
    subprocess.run(command, check=True)
    return student, time.monotonic() - started


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seeds", type=int, default=10, help="training seeds 0 to N-1 (default 10)")
    parser.add_argument("--runs", type=int, default=3, help="simulation seeds per scene (default 3)")
    parser.add_argument("--build", type=Path, default=SOURCE / "build")
    parser.add_argument("--jobs", type=int, default=os.cpu_count(), help="trainings at once (default: one per core)")
    parser.add_argument("--keep", type=Path, metavar="FOLDER", help="keep the logs and students in this new folder")
    args = parser.parse_args()
    sys.path.insert(0, str(args.build / "python"))
    import korvale

    with tempfile.TemporaryDirectory(prefix="korvale-students-") as name:
        folder = Path(name) if args.keep is None else args.keep
        folder.mkdir(exist_ok=True)
        logs = teacher_logs(args.build, folder)
        jobs = [(kind, seed) for seed in range(args.seeds) for kind in KINDS]
        with ThreadPoolExecutor(args.jobs) as pool:
            trained = dict(zip(jobs, pool.map(lambda job: train(args.build, logs, *job, folder), jobs)))
        networks = [korvale.Network.load(str(path)) for path in [TEACHER] + [trained[job][0] for job in jobs]]
        result = korvale.evaluate(networks, [str(EXAMPLES / s) for s in SCENES], str(ROBOT), SECONDS,
                                  list(range(args.runs)))
        report(result.metrics, jobs, {job: seconds for job, (_, seconds) in trained.items()}, args)


def report(metrics, jobs, seconds, args):
    distance, stuck = np.asarray(metrics["distance"]), np.asarray(metrics["stuck"])
    teacher = distance[0].mean(axis=1)
    print(f"teacher logs: {TEACHER.name}, {TEACHER_SECONDS} s in each of {', '.join(TAUGHT)}; "
          f"every network drives {SECONDS} s per scene on seeds 0 to {args.runs - 1}")
    print("each cell: the least distance over the seeds as a share of the teacher's mean, "
          "and the most time stuck ('-' for none)")
    width = 16
    print(f"{'network':<20}" + "".join(f"{s[:-4]:>{width}}" for s in SCENES) + f"{'passes':>8}{'train s':>9}")
    print(f"{'teacher':<20}" + "".join(_cell(d.min() / t, s.max(), width) for d, s, t in zip(distance[0], stuck[0], teacher)))
    passed = {kind: 0 for kind in KINDS}
    for index, (kind, seed) in enumerate(jobs, 1):
        shares = distance[index].min(axis=1) / teacher
        worst = stuck[index].max(axis=1)
        ok = (shares >= SHARE_OF_TEACHER) & (worst == 0)
        passed[kind] += bool(ok.all())
        print(f"{kind + ' ' + str(seed):<20}" + "".join(_cell(d, s, width) for d, s in zip(shares, worst))
              + f"{int(ok.sum())}/{len(SCENES):>6}{seconds[(kind, seed)]:>9.1f}")
    print("students that pass every scene: "
          + ", ".join(f"{kind} {count} of {args.seeds}" for kind, count in passed.items()))


def _cell(share, stuck, width):
    text = f"{100 * share:.0f} % " + ("-" if stuck == 0 else f"{100 * stuck:.1f} %")
    return f"{text:>{width}}"


if __name__ == "__main__":
    main()
