"""Students judged by driving: the korvale module runs them in scenes.

Held-out agreement does not tell whether a student drives: one that gives
its teacher's commands on 98 % of the lines may still stop at the first
obstacle, in a state its teacher never showed. So candidates are let loose
in scenes for a while, over a few seeds, and measured by what korvale
reports of every run: the distance travelled, the share of time stuck and
the cells of the arena visited.
"""

from dataclasses import dataclass
from pathlib import Path

import numpy as np

import korvale
from korvale import _korvale

FRAMES_PER_SECOND = 60
# A log writes a line once more than 0.1 s has passed: every 6th frame of
# 1/60 s, whose single-precision time makes six of them a little more.
FRAMES_PER_LOG_LINE = 6


class DrivingError(Exception):
    """A scene, robot or teacher that korvale cannot load; str() is one line."""


@dataclass(frozen=True)
class Course:
    """Where students drive and for how long: every scene, once per seed
    from the scene's start, and from `starts` free places drawn from seeds
    0 to starts-1. A student judged from one start alone is chosen for the
    way it happens to leave that start; one that drives on from anywhere
    drives in arenas it never saw."""

    robot: str
    scenes: tuple
    seconds: float = 60.0
    seeds: tuple = (0, 1, 2)
    threads: object = None  # the driving's worker threads; None: one per core
    starts: int = 5

    def names(self):
        return [Path(scene).name for scene in self.scenes]


@dataclass
class Driving:
    """What each network did in each scene on each seed: arrays of
    networks x scenes x seeds."""

    distance: np.ndarray  # runs from the scene's start first, then from the free places
    stuck: np.ndarray  # share of frames, from 5 s on, less than 0.5 units from where it was 5 s before;
    # 0 for drives shorter than 5 s, as the run measures give it
    coverage: np.ndarray  # distinct cells of the robot's diameter visited

    def score(self):
        """Per network: the distance it drove while not stuck, on average
        over scenes and seeds. A student that gets stuck half the time
        counts half its distance."""
        return (self.distance * (1.0 - self.stuck)).mean(axis=(1, 2))

    def row(self, network):
        """Per scene: mean distance, mean stuck share and mean coverage over the seeds."""
        return [
            (d, s, c)
            for d, s, c in zip(
                self.distance[network].mean(axis=1), self.stuck[network].mean(axis=1),
                self.coverage[network].mean(axis=1))
        ]


def drive(networks, course):
    """Every network through every scene of the course: once per seed from
    the start, then from each free place."""
    networks, scenes = list(networks), [str(scene) for scene in course.scenes]
    runs = [("scene", list(course.seeds))] + ([("random", list(range(course.starts)))] if course.starts else [])
    parts = []
    for start, seeds in runs:
        try:
            result = korvale.evaluate(networks, scenes, str(course.robot), course.seconds, seeds,
                                      threads=course.threads, start=start)
        except korvale.LoadError as error:
            raise DrivingError(_one_line(error)) from None
        except ValueError as error:
            raise DrivingError(_one_line(error)) from None
        parts.append(result.metrics)
    measure = {name: np.concatenate([part[name] for part in parts], axis=2)
               for name in ("distance", "stuck", "coverage")}
    return Driving(measure["distance"], measure["stuck"], measure["coverage"])


def crowded_scenes(course):
    """The scenes of the course that have no room for a free start, where
    korvale-train drives from the scene's start alone (a scene that was
    validated before free starts still is). Files that do not load are left
    for the drive to report."""
    crowded = []
    for scene in course.scenes:
        try:
            environment = korvale.Env(str(scene), str(course.robot), start="random")
            for seed in range(course.starts):
                environment.reset(seed=seed)
        except korvale.LoadError:
            continue
        except ValueError:
            crowded.append(scene)
    return crowded


def load_teacher(path, readings):
    """The teacher network, which must take one input per reading of the logs
    and give the four commands."""
    try:
        teacher = korvale.Network.load(str(path))
    except (korvale.LoadError, OSError) as error:
        raise DrivingError(_one_line(error, path)) from None
    if teacher.inputs != readings:
        raise DrivingError(f"{path} takes {teacher.inputs} inputs, but the logs have {readings} readings per line")
    if teacher.outputs != 4:
        raise DrivingError(f"{path} gives {teacher.outputs} outputs, not the 4 commands")
    return teacher


def readings_met(network, course):
    """The readings the network met driving the course, one row per log line
    it would have written: every scene, once per seed."""
    # Counted as every run counts them, so these are the frames drive() measures.
    frames = _korvale._frames_in(course.seconds, 1 / FRAMES_PER_SECOND)
    met = []
    for scene in course.scenes:
        for seed in course.seeds:
            try:
                simulation = korvale.Simulation(str(scene), robot=str(course.robot), control="network", seed=seed)
            except korvale.LoadError as error:
                raise DrivingError(_one_line(error)) from None
            simulation.set_network(network)
            rows = simulation.trace(frames)
            sensors = slice(4, rows.shape[1] - 4)  # after time, x, y, angle; before the four commands
            met.append(rows[FRAMES_PER_LOG_LINE - 1::FRAMES_PER_LOG_LINE, sensors])
    return np.concatenate(met)


def stood_still(positions, frames=5 * FRAMES_PER_SECOND, reach=0.5):
    """The first frame from which the robot stayed within `reach` of where
    it was for `frames` frames on end (by default 5 s within 0.5 units), or
    None. Unlike the run measures' stuck share, which compares each frame
    with the one 5 s before, a robot that drives off and comes back to the
    same place 5 s later has not stood still."""
    positions = np.asarray(positions, dtype=np.float64)
    if len(positions) <= frames:
        return None
    windows = np.lib.stride_tricks.sliding_window_view(positions, frames + 1, axis=0)  # (starts, 2, frames + 1)
    spread = np.hypot(*(windows - positions[:len(windows), :, None]).transpose(1, 0, 2)).max(axis=1)
    still = np.flatnonzero(spread < reach)
    return int(still[0]) if len(still) else None


def commands_of(network, readings):
    """The commands a network gives for each row of readings: each output
    strictly above 0.5, as the robot's control reads them."""
    return (np.asarray(network.evaluate(readings)) > 0.5).astype(np.float64)


def _one_line(error, path=None):
    """A load's report as one line: its last, which names the file and says
    what is wrong, or, where no line names it, the file and the first."""
    lines = [line for line in str(error).splitlines() if line.strip()] or [type(error).__name__]
    if path is not None and str(path) not in lines[-1]:
        return f"{path}: {lines[0]}"
    return lines[-1]
