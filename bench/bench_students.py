#!/usr/bin/python3
"""Students of a network teacher, judged by driving, over many training seeds.

The obstacle avoider (examples/AvoidObstacles.xml) drives 5 minutes in each of
two example scenes; korvale-train learns students from the two logs, once per
training seed and in three ways: plainly, selected by driving among
candidates (--validate in the two scenes), and by DAgger (--dagger in the two
scenes). Every student then drives 60 s in every example scene, the scenes it
never saw included, on several simulation seeds, beside the teacher.

A student passes a scene when, on every simulation seed, it drives at least
80 % of the teacher's mean distance there and never stands still: never
stays within 0.5 units of one place for 5 s on end. (The run measures'
stuck share, also shown, counts as well the moments a robot comes back to
where it was 5 s before; the teacher itself does so in some runs.) The
goal: every selected and every DAgger student passes every scene.

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
    sys.path.insert(0, str(SOURCE / "python"))
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
        stood = stands(korvale, networks, args.runs)
        report(result.metrics, stood, jobs, {job: seconds for job, (_, seconds) in trained.items()}, args)


def stands(korvale, networks, runs):
    """Per network, scene and seed: whether the robot stood still for 5 s."""
    from korvale_train.driving import stood_still

    def run(network, scene, seed):
        simulation = korvale.Simulation(str(EXAMPLES / scene), robot=str(ROBOT), control="network", seed=seed)
        simulation.set_network(network)
        return stood_still(simulation.trace(SECONDS * 60)[:, 1:3]) is not None

    with ThreadPoolExecutor(os.cpu_count()) as pool:
        jobs = [(n, s, k) for n in networks for s in SCENES for k in range(runs)]
        results = list(pool.map(lambda job: run(*job), jobs))
    return np.array(results).reshape(len(networks), len(SCENES), runs)


def report(metrics, stood, jobs, seconds, args):
    distance, stuck = np.asarray(metrics["distance"]), np.asarray(metrics["stuck"])
    teacher = distance[0].mean(axis=1)
    print(f"teacher logs: {TEACHER.name}, {TEACHER_SECONDS} s in each of {', '.join(TAUGHT)}; "
          f"every network drives {SECONDS} s per scene on seeds 0 to {args.runs - 1}")
    print("each cell: the least distance over the seeds as a share of the teacher's mean; the most stuck share "
          "of the run measures; STOOD where the robot stood still for 5 s in a run")
    width = 20
    print(f"{'network':<14}" + "".join(f"{s[:-4]:>{width}}" for s in SCENES) + f"{'passes':>8}{'train s':>9}")
    print(f"{'teacher':<14}" + "".join(_cell(d.min() / t, s.max(), o.any(), width)
                                      for d, s, o, t in zip(distance[0], stuck[0], stood[0], teacher)))
    passed = {kind: 0 for kind in KINDS}
    for index, (kind, seed) in enumerate(jobs, 1):
        shares = distance[index].min(axis=1) / teacher
        still = stood[index].any(axis=1)
        ok = (shares >= SHARE_OF_TEACHER) & ~still
        passed[kind] += bool(ok.all())
        print(f"{kind + ' ' + str(seed):<14}"
              + "".join(_cell(d, s, o, width) for d, s, o in zip(shares, stuck[index].max(axis=1), still))
              + f"{int(ok.sum()):>6}/{len(SCENES)}{seconds[(kind, seed)]:>9.1f}")
    print("students that pass every scene: "
          + ", ".join(f"{kind} {count} of {args.seeds}" for kind, count in passed.items()))


def _cell(share, stuck, stood, width):
    text = f"{100 * share:.0f} % {100 * stuck:.1f} %" + (" STOOD" if stood else "")
    return f"{text:>{width}}"


if __name__ == "__main__":
    main()
