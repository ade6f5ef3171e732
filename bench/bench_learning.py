#!/usr/bin/python3
"""The learning environments and population evaluation, timed.

- Env.reset in the reference scene (the bench_module scene: 100 x 100,
  20 discs and 10 polygons, a robot with 8 infrared sensors and a 50-pixel
  camera), and Env.step against the bare frame (step(n), looped in C++).
- VectorEnv with n = 64, 256 and 1024 (--sizes) on 1 and on 2 threads,
  timed in turns (one thread, two threads, again), so that other work on
  the machine falls on both alike: the time per environment step against
  the bare frame, and the speed-up of 2 threads over 1; beside it, 64
  Simulations stepped in turn from Python, a frame each: 64 arenas do not
  all stay in a core's cache, which costs alike either way.
- --busy keeps one core busy with another process while the VectorEnv
  figures are taken: a machine shared with other work.
- evaluate of 64 networks for 60 simulated seconds each in the reference
  scene: the wall time and the frames per second per core.

Threading figures mean something only on a machine with nothing else to
do; the load average is printed before and after.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_learning.py [--quick] [--busy] [--sizes 64,256,1024]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import korvale

from bench_module import EXAMPLES, reference_scene

QUICK = "--quick" in sys.argv
BUSY = "--busy" in sys.argv
SIZES = [int(n) for n in sys.argv[sys.argv.index("--sizes") + 1].split(",")] if "--sizes" in sys.argv \
    else [64, 256, 1024]


def best_of(rounds, function):
    """The fastest of several timings (seconds of wall time): the least
    disturbed by other work."""
    times = []
    for _ in range(rounds):
        began = time.perf_counter()
        function()
        times.append(time.perf_counter() - began)
    return min(times)


def in_turns(rounds, functions):
    """The fastest timing of each function, the functions timed one after
    the other in every round."""
    times = [[] for _ in functions]
    for _ in range(rounds):
        for function, kept in zip(functions, times):
            began = time.perf_counter()
            function()
            kept.append(time.perf_counter() - began)
    return [min(kept) for kept in times]


def load():
    return "load average " + ", ".join(f"{value:.2f}" for value in os.getloadavg())


def main():
    print(load(), "at the start")
    with tempfile.TemporaryDirectory() as folder:
        scene, robot = reference_scene(folder)
        network = korvale.Network.load(os.path.join(EXAMPLES, "AvoidObstacles.xml"))
        rounds = 3 if QUICK else 7

        # The bare frame: the simulation stepping itself in C++.
        frames = 2000 if QUICK else 20000
        simulation = korvale.Simulation(scene, robot=robot, network=network, seed=1)
        simulation.step(200)
        bare = best_of(rounds, lambda: simulation.step(frames)) / frames

        env = korvale.Env(scene, robot, network, max_steps=None)
        env.reset(seed=1)
        resets = 1000
        reset = best_of(rounds, lambda: [env.reset() for _ in range(resets)]) / resets
        env.reset(seed=1)
        steps = frames // 4
        step = best_of(rounds, lambda: [env.step(None) for _ in range(steps)]) / steps
        print("reference scene (30 bodies, 8 infrared sensors, a 50-pixel camera), best of", rounds)
        print(f"  bare frame, step(n) in C++          {bare * 1e6:8.2f} us")
        print(f"  Env.reset                           {reset * 1e6:8.2f} us (target well under 100)")
        print(f"  Env.step(None), info included       {step * 1e6:8.2f} us")

        n = 64
        batches = 50 if QUICK else 300
        # The same 64 arenas as Simulations stepped in turn, a frame each:
        # what the arenas cost once they no longer all stay in the cache.
        simulations = [korvale.Simulation(scene, robot=robot, network=network, seed=1 + i) for i in range(n)]
        in_turn = best_of(rounds, lambda: [s.step(1) for _ in range(batches // 10) for s in simulations])
        in_turn /= batches // 10 * n
        print(f"  {n} Simulations in turn, step(1)    {in_turn * 1e6:8.2f} us "
              f"({in_turn / bare:.2f} x the bare frame)")
        busy = subprocess.Popen([sys.executable, "-c", "while True: pass"]) if BUSY else None
        try:
            if busy:
                print("  (another process keeps one core busy)")
            for n in SIZES:
                batches = max(10, (50 if QUICK else 300) * 64 // n)
                vectors = [korvale.VectorEnv(n, scene, robot, network, max_steps=None, threads=threads)
                           for threads in (1, 2)]
                for vector in vectors:
                    vector.reset(seed=1)
                    for _ in range(20):
                        vector.step(None)
                steppers = [lambda v=vector: [v.step(None) for _ in range(batches)] for vector in vectors]
                one, two = (t / batches / n for t in in_turns(rounds, steppers))
                for threads, per_env in ((1, one), (2, two)):
                    print(f"  VectorEnv n={n:4d}, {threads} thread(s), per env step {per_env * 1e6:8.2f} us "
                          f"({per_env / bare:.2f} x the bare frame)")
                print(f"  n={n:4d}: 2 threads against 1          {one / two:8.2f} x the steps per second")
        finally:
            if busy:
                busy.kill()
                busy.wait()

        networks = [network] * 64
        seconds = 10 if QUICK else 60
        began = time.perf_counter()
        result = korvale.evaluate(networks, [scene], robot, seconds, [1])
        wall = time.perf_counter() - began
        total = len(networks) * round(seconds * 60)
        cores = min(os.cpu_count() or 1, 2)
        print(f"  evaluate 64 networks x {seconds} s            {wall:8.2f} s wall, "
              f"{total / wall / cores:,.0f} frames per second per core ({cores} cores), "
              f"mean avoid {statistics.fmean(result.mean):.3f}")
    print(load(), "at the end")
    return 0


if __name__ == "__main__":
    sys.exit(main())
