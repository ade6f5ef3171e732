#!/usr/bin/python3
"""Students of both kinds of teacher, judged by driving, over many seeds.

A network teacher: the obstacle avoider (examples/AvoidObstacles.xml) drives
5 minutes in each of two example scenes; korvale-train learns students from
the two logs, once per training seed and in three ways: plainly, selected by
driving among candidates (--validate in the two scenes), and by DAgger
(--dagger in the two scenes).

A person: the simulated person of the window tests (tests/e2e/person.py: a
2-second idle start, forward runs, arcs, turns, one reverse) drives a minute
in OpenArena with held arrow keys, once per seed (the seed of the
simulation's noise), and the student is trained as the window's Train
trains it: the default options, validated in the scene of the demonstration.

Every student then drives 60 s in every example scene, the scenes it never
saw included, on several simulation seeds. A network teacher's student
passes a scene when, on every simulation seed, it drives at least 80 % of
the teacher's mean distance there and never gets stuck: never stays within
0.5 units of one place for 5 s on end (standing), nor within 6 units for
10 s on end (circling on the spot); a person's student when it drives at
least 100 units on every seed and never gets stuck. The goal: every
selected, DAgger and person's student passes every scene.

    PYTHONPATH=build/python nice bench/bench_students.py [--seeds 10] [--runs 3] [--build build]

It trains 10 x (1 + 5 + 4 + 5) networks, two at a time by default.
"""

import argparse
import importlib.util
import os
import random
import subprocess
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
PERSON_SCENE = "OpenArena.xml"
PERSON_SECONDS = 60
PERSON_LEAST = 100.0  # units a person's student drives in every run
SECONDS = 60
SHARE_OF_TEACHER = 0.8
NETWORK_KINDS = {
    "plain": [],
    "selected": ["--validate", *(str(EXAMPLES / s) for s in TAUGHT)],
    "dagger": ["--teacher", str(TEACHER), "--dagger", "3", "--scenes", *(str(EXAMPLES / s) for s in TAUGHT),
               "--candidates", "1"],
}
PERSON_KIND = "person"
PERSON_OPTIONS = ["--validate", str(EXAMPLES / PERSON_SCENE)]  # as the window's Train


def teacher_logs(build, folder):
    logs = []
    for scene in TAUGHT:
        log = folder / f"{scene}.log"
        subprocess.run([str(build / "tools" / "korvale-sim"), "--scene", str(EXAMPLES / scene), "--robot", str(ROBOT),
                        "--network", str(TEACHER), "--seconds", str(TEACHER_SECONDS), "--log", str(log), "--quiet"],
                       check=True)
        logs.append(str(log))
    return logs


def person_log(korvale, seed, folder):
    """A minute of the simulated person's driving; the person looks at the
    robot about four times a simulated second, as in the window tests."""
    person = importlib.util.spec_from_file_location("person", SOURCE / "tests" / "e2e" / "person.py")
    module = importlib.util.module_from_spec(person)
    person.loader.exec_module(module)
    Arena, Person = module.Arena, module.Person

    simulation = korvale.Simulation(EXAMPLES / PERSON_SCENE, robot=ROBOT, control="keyboard", seed=seed)
    person = Person(Arena(EXAMPLES / PERSON_SCENE))
    glances = random.Random(seed)
    log = folder / f"person-{seed}.log"
    simulation.start_log(log)
    keys, look_at = set(), glances.randint(5, 20)
    for frame in range(PERSON_SECONDS * 60):
        if frame >= look_at:
            keys = person.keys(frame / 60, *simulation.pose)
            look_at = frame + glances.randint(10, 20)
        simulation.set_keys(forward="Up" in keys, backward="Down" in keys, left="Left" in keys,
                            right="Right" in keys)
        simulation.step(1)
    simulation.stop_log()
    return str(log)


def train(build, logs, kind, seed, folder):
    student = folder / f"{kind}-{seed}.xml"
    options = PERSON_OPTIONS if kind == PERSON_KIND else NETWORK_KINDS[kind]
    command = [str(build / "tools" / "korvale-train"), *logs, "-o", str(student), "--seed", str(seed),
               "--robot", str(ROBOT), "--threads", "1", "--quiet", *options]
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
    import korvale

    with tempfile.TemporaryDirectory(prefix="korvale-students-") as name:
        folder = Path(name) if args.keep is None else args.keep
        folder.mkdir(exist_ok=True)
        logs = teacher_logs(args.build, folder)
        person_logs = [person_log(korvale, seed, folder) for seed in range(args.seeds)]
        jobs = [(kind, seed) for seed in range(args.seeds) for kind in (*NETWORK_KINDS, PERSON_KIND)]
        with ThreadPoolExecutor(args.jobs) as pool:
            trained = dict(zip(jobs, pool.map(
                lambda job: train(args.build, [person_logs[job[1]]] if job[0] == PERSON_KIND else logs, *job, folder),
                jobs)))
        networks = [korvale.Network.load(str(path)) for path in [TEACHER] + [trained[job][0] for job in jobs]]
        result = korvale.evaluate(networks, [str(EXAMPLES / s) for s in SCENES], str(ROBOT), SECONDS,
                                  list(range(args.runs)))
        stood = stands(korvale, networks, args.runs)
        report(result.metrics, stood, jobs, {job: seconds for job, (_, seconds) in trained.items()}, args)


def stands(korvale, networks, runs):
    """Per network, scene and seed: whether the robot stood still for 5 s or
    circled within 6 units for 10 s."""
    from korvale.train.driving import stood_still

    def run(network, scene, seed):
        simulation = korvale.Simulation(str(EXAMPLES / scene), robot=str(ROBOT), control="network", seed=seed)
        simulation.set_network(network)
        places = simulation.trace(SECONDS * 60)[:, 1:3]
        return stood_still(places) is not None or stood_still(places, frames=10 * 60, reach=6.0) is not None

    with ThreadPoolExecutor(os.cpu_count()) as pool:
        jobs = [(n, s, k) for n in networks for s in SCENES for k in range(runs)]
        results = list(pool.map(lambda job: run(*job), jobs))
    return np.array(results).reshape(len(networks), len(SCENES), runs)


def passes(kind, distance, stood, teacher):
    """Per scene: whether a student of this kind passes it (every run)."""
    least = PERSON_LEAST if kind == PERSON_KIND else SHARE_OF_TEACHER * teacher
    return (distance.min(axis=1) >= least) & ~stood.any(axis=1)


def report(metrics, stood, jobs, seconds, args):
    distance, stuck, coverage = (np.asarray(metrics[name]) for name in ("distance", "stuck", "coverage"))
    teacher = distance[0].mean(axis=1)
    kinds = list(dict.fromkeys(kind for kind, _ in jobs))
    print(f"network teacher: {TEACHER.name}, {TEACHER_SECONDS} s in each of {', '.join(TAUGHT)}; person: "
          f"{PERSON_SECONDS} s in {PERSON_SCENE}; every network drives {SECONDS} s per scene on seeds 0 to "
          f"{args.runs - 1}; students of training seeds 0 to {args.seeds - 1}")
    print("means over the students and runs; a student passes a scene when it drives, in every run, at least "
          f"{100 * SHARE_OF_TEACHER:.0f} % of the teacher's distance (a person's student: {PERSON_LEAST:.0f} units) "
          "and never gets stuck (stands still for 5 s, or circles within 6 units for 10 s: 'stuck' below is the "
          "run measure, 'stood' the students that got stuck)")
    print()
    print(f"{'students':<10}{'scene':<16}{'distance':>9}{'stuck':>8}{'coverage':>10}{'stood':>7}{'passes':>8}")
    for name, (d, s, c) in zip(SCENES, zip(distance[0], stuck[0], coverage[0])):
        print(f"{'teacher':<10}{name[:-4]:<16}{d.mean():>9.1f}{_percent(s.mean()):>8}{c.mean():>10.1f}"
              f"{int(stood[0, SCENES.index(name)].any()):>7}{'':>8}")
    totals = {}
    for kind in kinds:
        rows = [index for index, job in enumerate(jobs, 1) if job[0] == kind]
        passed = np.array([passes(kind, distance[i], stood[i], teacher) for i in rows])
        totals[kind] = int(passed.all(axis=1).sum()), len(rows)
        for scene_index, name in enumerate(SCENES):
            print(f"{kind:<10}{name[:-4]:<16}{distance[rows, scene_index].mean():>9.1f}"
                  f"{_percent(stuck[rows, scene_index].mean()):>8}{coverage[rows, scene_index].mean():>10.1f}"
                  f"{int(stood[rows, scene_index].any(axis=1).sum()):>7}"
                  f"{int(passed[:, scene_index].sum()):>5}/{len(rows)}")
        print(f"{'':<10}{'training s':<16}{np.mean([seconds[jobs[i - 1]] for i in rows]):>9.1f}")
    print()
    print("students that pass every scene: " + ", ".join(f"{kind} {n} of {m}" for kind, (n, m) in totals.items()))
    failing = [f"{kind} {seed}" for index, (kind, seed) in enumerate(jobs, 1)
               if not passes(kind, distance[index], stood[index], teacher).all()]
    if failing:
        print("failing: " + ", ".join(failing))


def _percent(share):
    return f"{100 * share:.1f} %"


if __name__ == "__main__":
    main()
