#!/usr/bin/python3
"""What a frame costs through the korvale Python module on top of the step.

The reference scene: a 100 x 100 arena with 20 discs and 10 polygons, a robot
with 8 infrared sensors and a 50-pixel camera driven by AvoidObstacles.xml.
Two simulations with the same seed go through the same frames, one with a
single step(n) call (the frames looped in C++), one with n calls of step();
the difference per frame is what the call costs. Then what pictures cost in
a fresh process, the first one and later ones.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_module.py
"""

import math
import os
import random
import statistics
import sys
import tempfile
import threading
import time

import korvale

EXAMPLES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "examples")
FRAMES = 20000
BLOCK = 500
BLOCKS = 60


def reference_scene(folder):
    """Writes the scene and robot files; returns their paths."""
    rng = random.Random(12345)
    objects, side, placed = [], 6, 0
    cell = 100 / side
    for gy in range(side):
        for gx in range(side):
            cx, cy = (gx + 0.5) * cell, (gy + 0.5) * cell
            if placed == 30 or (abs(cx - 50) < cell and abs(cy - 50) < cell):
                continue
            size = min(0.4 + 0.8 * rng.random(), cell * 0.3)
            x, y = cx + (rng.random() - 0.5) * cell * 0.2, cy + (rng.random() - 0.5) * cell * 0.2
            mass = 1 + 2 * rng.random() if placed % 2 == 0 else -1
            color = "#%02x%02x%02x" % tuple(rng.randrange(256) for _ in range(3))
            common = f'x="{x!r}" y="{y!r}" height="1" mass="{mass!r}" color="{color}"'
            if placed < 20:
                objects.append(f'  <object {common} r="{size!r}"/>')
            else:
                n = 3 + placed % 4
                points = " ".join(f"{size * math.cos(2 * math.pi * k / n)!r} {size * math.sin(2 * math.pi * k / n)!r}"
                                  for k in range(n))
                objects.append(f'  <object {common} angle="{rng.random() * 180!r}">'
                               f'<polygone m="{n}">{points}</polygone></object>')
            placed += 1
    scene = os.path.join(folder, "Reference.xml")
    with open(scene, "w", encoding="utf-8") as file:
        file.write('<world width="100" height="100" startX="50" startY="50">\n' + "\n".join(objects) + "\n</world>\n")
    with open(os.path.join(EXAMPLES, "Robot.xml"), encoding="utf-8") as file:
        robot_text = file.read().replace('pixelCount="60"', 'pixelCount="50"')
    robot = os.path.join(folder, "Robot50.xml")
    with open(robot, "w", encoding="utf-8") as file:
        file.write(robot_text)
    return scene, robot


def per_frame(function, frames):
    """Nanoseconds of this thread's processor time per frame: other programs
    on a busy machine do not count."""
    began = time.thread_time_ns()
    function(frames)
    return (time.thread_time_ns() - began) / frames


# A fresh process's first pictures: numpy's import (which the module's
# arrays need, and most scripts do themselves), the first render (the
# offscreen rasteriser started, its drawing code compiled), the next one of
# that size, and the first one of a new size. Seconds, one line.
FIRST_RENDER = """
import sys, time
began = time.perf_counter(); import numpy; imported = time.perf_counter() - began
import korvale
simulation = korvale.Simulation(sys.argv[1], robot=sys.argv[2])
times = []
for size in ((800, 800), (800, 800), (400, 300)):
    began = time.perf_counter(); simulation.render(*size); times.append(time.perf_counter() - began)
print(imported, *times)
"""


def render_costs(runs=7):
    """Medians over fresh processes of what FIRST_RENDER measures."""
    import subprocess
    rows = []
    for _ in range(runs):
        out = subprocess.run([sys.executable, "-c", FIRST_RENDER, os.path.join(EXAMPLES, "Crowded.xml"),
                              os.path.join(EXAMPLES, "Robot.xml")], capture_output=True, text=True, check=True,
                             env=os.environ).stdout
        rows.append([float(value) for value in out.split()])
    return [statistics.median(column) for column in zip(*rows)]


def main():
    with tempfile.TemporaryDirectory() as folder:
        scene, robot = reference_scene(folder)
        network = os.path.join(EXAMPLES, "AvoidObstacles.xml")

        def make():
            return korvale.Simulation(scene, robot=robot, network=network, seed=1)

        # Blocks of frames, taken in turn by the two ways over the same
        # frames, so that whatever slows one slows the other; the median
        # block decides.
        inside, calls = make(), make()

        def looped_in_python(frames):
            step = calls.step
            for _ in range(frames):
                step()

        looped, called = [], []
        for _ in range(BLOCKS):
            looped.append(per_frame(inside.step, BLOCK))
            called.append(per_frame(looped_in_python, BLOCK))
        overhead = sorted(c - i for c, i in zip(called, looped))

        empty = korvale.Simulation(os.path.join(EXAMPLES, "Default.xml"))
        empty_looped = statistics.median(per_frame(empty.step, BLOCK) for _ in range(BLOCKS))

        def called_empty(frames):
            step = empty.step
            for _ in range(frames):
                step()
        empty_called = statistics.median(per_frame(called_empty, BLOCK) for _ in range(BLOCKS))

        def read_pose(count):
            for _ in range(count):
                inside.pose  # noqa: B018
        pose = statistics.median(per_frame(read_pose, BLOCK) for _ in range(BLOCKS))

        print(f"reference scene, {BLOCKS} blocks of {BLOCK} frames, medians")
        print(f"  step(n), frames looped in C++   {statistics.median(looped):8.0f} ns/frame")
        print(f"  step() called once per frame    {statistics.median(called):8.0f} ns/frame")
        print(f"  call overhead per frame         {statistics.median(overhead):8.0f} ns "
              f"(quartiles {overhead[len(overhead) // 4]:.0f} .. {overhead[3 * len(overhead) // 4]:.0f}; "
              "target < 2000)")
        print(f"  the same without a robot        {empty_called - empty_looped:8.0f} ns "
              f"({empty_called:.0f} called, {empty_looped:.0f} looped)")
        print(f"  reading pose                    {pose:8.0f} ns")

        # Two threads, two simulations: the GIL is released while stepping.
        sims = [make(), make()]
        began = time.perf_counter()
        for s in sims:
            s.step(FRAMES)
        serial = time.perf_counter() - began
        sims = [make(), make()]
        threads = [threading.Thread(target=s.step, args=(FRAMES,)) for s in sims]
        began = time.perf_counter()
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        parallel = time.perf_counter() - began
        print(f"  two simulations, one after the other {serial:.3f} s, in two threads {parallel:.3f} s "
              f"({serial / parallel:.2f}x on {os.cpu_count()} cores)")
    numpy_import, first, again, resized = render_costs()
    print("render, Crowded.xml, medians of 7 fresh processes (wall time)")
    print(f"  numpy's import                  {numpy_import * 1000:8.0f} ms (before the first array, if not done)")
    print(f"  first render 800x800            {first * 1000:8.0f} ms (rasteriser started, drawing code compiled)")
    print(f"  next render of that size        {again * 1000:8.0f} ms")
    print(f"  first render of another size    {resized * 1000:8.0f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
