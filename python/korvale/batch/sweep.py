"""Sweep files: TOML naming scenes, robots, networks, seeds, duration and dt.

    scenes = ["Default.xml", "Crowded.xml"]
    robots = ["Robot.xml"]
    networks = ["AvoidObstacles.xml", "DriveForward.xml"]
    seeds = [1, 2, 3]            # or {first = 1, count = 10}; none: no seed
    duration = 60                # simulated seconds per run
    dt = 0.016666666666666666    # frame time, 1/60 s when left out

Relative file names are taken from the sweep file's folder. Every
combination is one run, in the order scene, robot, network, seed.
"""

import dataclasses
import json
import math
import os
import tomllib

from korvale import _korvale

DEFAULT_DT = 1 / 60
SEED_RANGE = _korvale._SEED_RANGE


class SweepError(Exception):
    """The sweep file cannot be used; the message says why."""


@dataclasses.dataclass(frozen=True)
class Run:
    """One combination. Files are named as the sweep file names them."""

    scene: str
    robot: str
    network: str
    seed: int | None
    duration: float
    dt: float

    @property
    def frames(self):
        """round(duration / dt), halves away from zero, as korvale-sim counts."""
        return _korvale._frames_in(self.duration, self.dt)


@dataclasses.dataclass(frozen=True)
class Sweep:
    runs: list
    folder: str

    def path(self, name):
        """Where a file named in the sweep file lies."""
        return os.path.join(self.folder, name)


def _files(table, key):
    if key not in table:
        raise SweepError(f"'{key}' is required: a list of file names, such as {key} = [\"a.xml\"]")
    value = table[key]
    if isinstance(value, str):
        raise SweepError(f"'{key}' must be a list of file names, such as {key} = [{json.dumps(value)}], not a text")
    if not isinstance(value, list):
        raise SweepError(f"'{key}' must be a list of file names, not {value!r}")
    if not value:
        raise SweepError(f"'{key}' must name at least one file")
    for name in value:
        if not isinstance(name, str) or not name:
            raise SweepError(f"'{key}' must hold file names only, not {name!r}")
    return value


def finite(value) -> bool:
    """Whether a file's number is a finite double (a whole number beyond
    every double is not one)."""
    try:
        return math.isfinite(value)
    except OverflowError:
        return False


def _number(table, key, default=None):
    value = table.get(key, default)
    if value is None:
        raise SweepError(f"'{key}' is required")
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not finite(value) or value <= 0:
        raise SweepError(f"'{key}' must be a number greater than 0")
    return float(value)


def _frame_time(table):
    """dt as korvale-sim takes it: a step the world takes unchanged."""
    value = table.get("dt", DEFAULT_DT)
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise SweepError("'dt' must be a number")
    try:
        value = float(value)
    except OverflowError:  # a whole number beyond any double
        value = math.inf
    if not _korvale._takes_frame_time(value):
        raise SweepError(f"'dt' must be {_korvale._FRAME_TIME_RANGE_TEXT}")
    return value


def _seeds(table):
    value = table.get("seeds")
    if value is None:
        return [None]
    if isinstance(value, dict):
        if set(value) != {"first", "count"}:
            raise SweepError("'seeds' as a table needs exactly 'first' and 'count'")
        first, count = value["first"], value["count"]
        if not all(isinstance(v, int) and not isinstance(v, bool) for v in (first, count)) or count < 1:
            raise SweepError("'seeds' needs a whole 'first' and a 'count' of at least 1")
        value = list(range(first, first + count))
    if not isinstance(value, list) or not value:
        raise SweepError("'seeds' must be a list of whole numbers or {first = N, count = M}")
    for seed in value:
        if isinstance(seed, bool) or not isinstance(seed, int) or not SEED_RANGE[0] <= seed <= SEED_RANGE[1]:
            raise SweepError(f"seed {seed!r} is not a 64-bit whole number")
    return value


KEYS = {"scenes", "robots", "networks", "seeds", "duration", "dt"}


def parse(text, folder="."):
    """The sweep that a sweep file's text describes."""
    try:
        table = tomllib.loads(text)
    except tomllib.TOMLDecodeError as error:
        raise SweepError(f"not a TOML file: {error}") from None
    unknown = sorted(set(table) - KEYS)
    if unknown:
        raise SweepError(f"unknown key '{unknown[0]}' (known: {', '.join(sorted(KEYS))})")
    scenes, robots, networks = (_files(table, key) for key in ("scenes", "robots", "networks"))
    seeds = _seeds(table)
    duration = _number(table, "duration")
    dt = _frame_time(table)
    try:
        _korvale._frames_in(duration, dt)
    except ValueError:
        raise SweepError("'duration' / 'dt' gives too many frames") from None
    runs = [Run(scene, robot, network, seed, duration, dt)
            for scene in scenes for robot in robots for network in networks for seed in seeds]
    return Sweep(runs, folder)


def load(path):
    """Reads a sweep file; SweepError when it cannot be read or used."""
    try:
        with open(path, "rb") as file:
            text = file.read().decode("utf-8")
    except (OSError, UnicodeDecodeError) as error:
        raise SweepError(f"cannot read the sweep file: {error}") from None
    return parse(text, os.path.dirname(os.path.abspath(path)))
