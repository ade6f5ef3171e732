"""One run of a sweep, as a worker executes it.

Workers need not share a file system with the client: the task carries the
model files' contents, the worker writes them into a private folder and loads
them from there through the normal path. Model-file messages name no file, so
a row's error text is exactly what korvale-sim prints for that combination.
"""

import os
import tempfile
import time

import numpy as np

import korvale

from .sweep import round_half_away

# The robot counts as stuck at the end of a frame when it is less than
# STUCK_DISTANCE units from where it was STUCK_SECONDS earlier.
STUCK_DISTANCE = 0.5
STUCK_SECONDS = 5.0
# Frames traced at once: bounds the memory a long run needs.
CHUNK = 6000

COLUMNS = ["scene", "robot", "network", "seed", "seconds", "distance", "stuck",
           "x", "y", "angle", "wall_time", "error"]


def row(run, **values):
    """A result row: the run's files and seed, then the given values."""
    result = dict.fromkeys(COLUMNS)
    result.update(scene=run.scene, robot=run.robot, network=run.network, seed=run.seed)
    result.update(values)
    return result


def write_model_file(folder, kind, name, content):
    """The model file's copy in the worker's folder, folder/kind/NAME; none
    when the client could not read it (content None). Returns its path."""
    path = os.path.join(folder, kind, os.path.basename(name) or kind)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if content is not None:
        with open(path, "wb") as file:
            file.write(content)
    return path


def measure(simulation, run):
    """Runs the simulation for the run's frames; the row's measured values."""
    frames = run.frames
    start = simulation.pose
    xs, ys = [np.array([start[0]])], [np.array([start[1]])]
    pose = start
    done = 0
    while done < frames:
        rows = simulation.trace(min(CHUNK, frames - done))
        xs.append(rows[:, 1])
        ys.append(rows[:, 2])
        pose = tuple(float(v) for v in rows[-1, 1:4])
        done += len(rows)
    x, y = np.concatenate(xs), np.concatenate(ys)
    # Frame by frame and added in order, as korvale-sim adds it up.
    dx, dy = np.diff(x), np.diff(y)
    steps = np.sqrt(dx * dx + dy * dy)
    distance = float(np.add.accumulate(steps)[-1]) if frames else 0.0
    back = round_frames(STUCK_SECONDS, run.dt)
    stuck = None
    if frames >= back:
        ex, ey = x[back:] - x[:-back], y[back:] - y[:-back]
        stuck = float(np.mean(np.sqrt(ex * ex + ey * ey) < STUCK_DISTANCE))
    return dict(seconds=simulation.simulated, distance=distance, stuck=stuck, x=pose[0], y=pose[1], angle=pose[2])


def round_frames(seconds, dt):
    """Whole frames in that time, at least one."""
    return max(1, round_half_away(seconds / dt))


def run(run, contents):
    """Executes one run; contents maps 'scene', 'robot', 'network' to the
    files' bytes (None for a file the client could not read). Returns its row;
    a failed load gives the status line's text in the error column."""
    began = time.perf_counter()
    with tempfile.TemporaryDirectory(prefix="korvale-run-") as folder:
        paths = {kind: write_model_file(folder, kind, getattr(run, kind), contents[kind])
                 for kind in ("scene", "robot", "network")}
        try:
            simulation = korvale.Simulation(paths["scene"], robot=paths["robot"], network=paths["network"],
                                            seed=run.seed, dt=run.dt)
        except korvale.LoadError as error:
            return row(run, wall_time=time.perf_counter() - began, error=str(error))
        values = measure(simulation, run)
    return row(run, wall_time=time.perf_counter() - began, error="", **values)
