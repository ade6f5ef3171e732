"""One run of a sweep, as a worker executes it.

Workers need not share a file system with the client: the task carries the
model files' contents, the worker writes them into a private folder and loads
them from there through the normal path. A row's error text is exactly what
korvale-sim prints for that combination: the last line, which names the file,
names it as the sweep does, not as the worker's copy.
"""

import dataclasses
import errno
import os
import tempfile
import time

import korvale

from . import scene_files

# The run measures of korvale.Simulation.metrics, computed as the module
# computes them everywhere (evaluate, the environments' info).
COLUMNS = ["scene", "robot", "network", "seed", "seconds", "distance", "stuck", "coverage", "contact_frames",
           "avoid", "x", "y", "angle", "wall_time", "error"]

# The swarm measures of korvale.Simulation.swarm_metrics, for runs of more
# than one robot (a scene with robots of its own). A sweep with such runs has
# these columns too, after angle; other sweeps' files stay as they were.
SWARM_COLUMNS = ["robots", "largest_cluster", "centre_distance", "nearest_neighbour", "cells_visited"]


def columns(rows):
    """The results file's columns for these rows."""
    if not any("robots" in row for row in rows):
        return COLUMNS
    at = COLUMNS.index("angle") + 1
    return COLUMNS[:at] + SWARM_COLUMNS + COLUMNS[at:]


KINDS = {"scene": "Scene", "robot": "Robot", "network": "Network"}


@dataclasses.dataclass(frozen=True)
class Unreadable:
    """A model file the client could not read, and why, in the load error's words."""

    reason: str


def file_error_words(error):
    """An OSError in the words of the line that names a file, as korvale-sim gives them."""
    special = {errno.ENOENT: "no such file", errno.EISDIR: "is a folder",
               errno.ENOTDIR: "a part of its path is not a folder"}
    if error.errno in special:
        return special[error.errno]
    text = os.strerror(error.errno) if error.errno else str(error)
    return text[:1].lower() + text[1:]


def named_as_in_sweep(text, run, paths, contents):
    """The load error with its last line naming the file as the sweep does
    (and, for a file the client could not read, saying why)."""
    *chain, last = text.split("\n")
    for kind, word in KINDS.items():
        copy = f"{word} file '{paths[kind]}': "
        if last.startswith(copy):
            reason = contents[kind].reason if isinstance(contents[kind], Unreadable) else last[len(copy):]
            last = f"{word} file '{getattr(run, kind)}': {reason}"
            break
    return "\n".join(chain + [last])


def row(run, **values):
    """A result row: the run's files and seed, then the given values."""
    result = dict.fromkeys(COLUMNS)
    result.update(scene=run.scene, robot=run.robot, network=run.network, seed=run.seed)
    result.update(values)
    return result


def write_model_file(folder, kind, name, content):
    """The model file's copy in the worker's folder, folder/kind/NAME; none
    when the client could not read it (content Unreadable or None). Returns
    its path."""
    path = os.path.join(folder, kind, os.path.basename(name) or kind)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(content, bytes):
        with open(path, "wb") as file:
            file.write(content)
    return path


def measure(simulation, run):
    """Runs the simulation for the run's frames; the row's measured values."""
    simulation.step(run.frames)
    metrics = simulation.metrics
    # A run shorter than the stuck window has no stuck share: its cell stays empty.
    stuck = metrics["stuck"] if simulation.stuck_measured else None
    x, y, angle = simulation.pose
    values = dict(seconds=simulation.simulated, distance=metrics["distance"], stuck=stuck,
                  coverage=metrics["coverage"], contact_frames=metrics["contact_frames"], avoid=metrics["avoid"],
                  x=x, y=y, angle=angle)
    swarm = simulation.swarm_metrics
    if swarm["robots"] > 1:
        values.update((column, swarm[column]) for column in SWARM_COLUMNS)
    return values


def write_scene_files(folder, files):
    """The scene's own robot files and networks (relative name to bytes),
    written where the scene's names find them from its copy; returns the
    folder to hand write_model_file for the scene, deep enough that names
    reaching above the scene's folder stay inside `folder`."""
    above = os.path.join(folder, *["s"] * scene_files.depth_above(files))
    for name, content in files.items():
        path = os.path.normpath(os.path.join(above, "scene", name))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(content)
    return above


def run(run, contents):
    """Executes one run; contents maps 'scene', 'robot', 'network' to the
    files' bytes (Unreadable, or None, for a file the client could not read),
    and 'scene_files', if there, to the files the scene names for its robots
    (relative name to bytes). Returns its row; a failed load gives the status
    line's text in the error column."""
    began = time.perf_counter()
    with tempfile.TemporaryDirectory(prefix="korvale-run-") as folder:
        scene_folder = write_scene_files(folder, contents.get("scene_files", {}))
        paths = {kind: write_model_file(folder, kind, getattr(run, kind), contents[kind])
                 for kind in ("robot", "network")}
        paths["scene"] = write_model_file(scene_folder, "scene", run.scene, contents["scene"])
        try:
            simulation = korvale.Simulation(paths["scene"], robot=paths["robot"], network=paths["network"],
                                            seed=run.seed, dt=run.dt)
        except korvale.LoadError as error:
            return row(run, wall_time=time.perf_counter() - began,
                       error=named_as_in_sweep(str(error), run, paths, contents))
        values = measure(simulation, run)
    return row(run, wall_time=time.perf_counter() - began, error="", **values)
