"""The evolution's TOML file, checked whole before anything starts.

    scenes = ["Default.xml", "Rooms.xml"]   # the arenas fitness is measured in
    robot = "Robot.xml"
    fitness = "avoid"          # "avoid" (default), "distance", "coverage", or a list: their product
    stuck_penalty = 1          # each run's fitness times max(0, 1 - this x its stuck share)
    contact_penalty = 0        # ... and times max(0, 1 - this x its share of frames in contact)
    seconds = 30               # simulated seconds of each run
    seeds = 2                  # noise seeds per evaluation: a count (1..N) or a list
    generations = 100
    population = 16            # DEAP's 4 + 3 ln(N) for N weights when left out
    sigma = 0.5                # initial step size of the strategy
    seed = 1                   # the strategy's random numbers
    dt = 0.016666666666666666  # frame time, 1/60 s when left out

    [network]
    hidden = [4]               # sizes of the hidden layers; [] for none
    hidden_fcn = "tansig"      # "tansig", "logsig" or "purelin"
    output_fcn = "logsig"
    input_scale = 1000         # each reading is divided by this before the first layer

Relative file names are taken from the file's folder. A ConfigError names
the key it is about.
"""

import dataclasses
import json
import os
import tomllib

from korvale import _korvale
from korvale.batch.sweep import SEED_RANGE, finite

FITNESSES = _korvale._REWARDS
TRANSFER_FUNCTIONS = ("tansig", "logsig", "purelin")


class ConfigError(Exception):
    """The file cannot be used; `key` is the key at fault (None for the file itself)."""

    def __init__(self, key, problem):
        super().__init__(f"'{key}' {problem}" if key else problem)
        self.key = key


@dataclasses.dataclass(frozen=True)
class NetworkConfig:
    hidden: tuple = (4,)
    hidden_fcn: str = "tansig"
    output_fcn: str = "logsig"
    input_scale: float = 1000.0


@dataclasses.dataclass(frozen=True)
class Config:
    """A checked configuration. Files are absolute paths; `names` keeps them
    as the file wrote them, for messages."""

    scenes: tuple
    robot: str
    seconds: float
    generations: int
    sigma: float
    seed: int
    fitness: tuple = ("avoid",)
    stuck_penalty: float = 1.0
    contact_penalty: float = 0.0
    seeds: tuple = (1,)
    reseed: bool = False
    population: int | None = None
    dt: float = 1 / 60
    network: NetworkConfig = NetworkConfig()
    names: dict = dataclasses.field(default_factory=dict, compare=False)

    @property
    def frames(self):
        """Frames of each run: round(seconds / dt), as korvale-sim counts."""
        return _korvale._frames_in(self.seconds, self.dt)

    def identity(self):
        """Everything that decides the run's result except its length: a
        checkpoint continues only a run whose identity is the same."""
        values = dataclasses.asdict(self)
        del values["generations"], values["names"]
        # Files as the configuration names them: a run may move with its folder.
        values["scenes"] = [self.names[path] for path in self.scenes]
        values["robot"] = self.names[self.robot]
        return json.loads(json.dumps(values))


KEYS = ("scenes", "robot", "fitness", "stuck_penalty", "contact_penalty", "seconds", "seeds", "reseed",
        "generations", "population", "sigma", "seed", "dt", "network")
NETWORK_KEYS = ("hidden", "hidden_fcn", "output_fcn", "input_scale")


def _whole(value):
    return isinstance(value, int) and not isinstance(value, bool)


def _real(value):
    return (_whole(value) or isinstance(value, float)) and finite(value)


def _positive(table, key, default=None, prefix=""):
    value = table.get(key, default)
    if value is None:
        raise ConfigError(prefix + key, "is required")
    if not _real(value) or value <= 0:
        raise ConfigError(prefix + key, "must be a number greater than 0")
    return float(value)


def _weight(table, key, default):
    value = table.get(key, default)
    if not _real(value) or value < 0:
        raise ConfigError(key, "must be a number of at least 0")
    return float(value)


def _count(table, key, least, default=None):
    value = table.get(key, default)
    if value is None:
        raise ConfigError(key, "is required")
    if not _whole(value) or value < least:
        raise ConfigError(key, f"must be a whole number of at least {least}")
    return value


def _choice(table, key, choices, default, prefix=""):
    value = table.get(key, default)
    if value not in choices:
        raise ConfigError(prefix + key, f"must be one of {', '.join(choices)}")
    return value


def _fitness(table):
    value = table.get("fitness", "avoid")
    names = [value] if isinstance(value, str) else value
    if not isinstance(names, list) or not names or any(name not in FITNESSES for name in names) \
            or len(set(names)) != len(names):
        raise ConfigError("fitness", f"must be one of {', '.join(FITNESSES)}, or a list of them")
    return tuple(names)


def _unknown(table, known, prefix=""):
    for key in table:
        if key not in known:
            raise ConfigError(None, f"unknown key '{prefix}{key}' (known: {', '.join(known)})")


def _scenes(table):
    value = table.get("scenes")
    if isinstance(value, str):
        value = [value]
    if not isinstance(value, list) or not value or not all(isinstance(v, str) and v for v in value):
        raise ConfigError("scenes", "must be a list of scene files")
    return value


def _robot(table):
    value = table.get("robot")
    if not isinstance(value, str) or not value:
        raise ConfigError("robot", "must name the robot file")
    return value


def _seeds(table):
    value = table.get("seeds", 1)
    if _whole(value):
        if value < 1:
            raise ConfigError("seeds", "must count at least 1 noise seed")
        return tuple(range(1, value + 1))
    if not isinstance(value, list) or not value:
        raise ConfigError("seeds", "must be a count of noise seeds or a list of them")
    for seed in value:
        if not _whole(seed) or not SEED_RANGE[0] <= seed <= SEED_RANGE[1]:
            raise ConfigError("seeds", f"holds {seed!r}, which is not a 64-bit whole number")
    if len(set(value)) != len(value):
        raise ConfigError("seeds", "names a seed twice")
    return tuple(value)


def _network(table):
    value = table.get("network", {})
    if not isinstance(value, dict):
        raise ConfigError("network", "must be a table ([network])")
    _unknown(value, NETWORK_KEYS, "network.")
    defaults = NetworkConfig()
    hidden = value.get("hidden", list(defaults.hidden))
    if _whole(hidden):
        hidden = [hidden]
    if not isinstance(hidden, list) or not all(_whole(size) and size >= 1 for size in hidden):
        raise ConfigError("network.hidden", "must be a list of layer sizes of at least 1, [] for none")
    return NetworkConfig(
        hidden=tuple(hidden),
        hidden_fcn=_choice(value, "hidden_fcn", TRANSFER_FUNCTIONS, defaults.hidden_fcn, "network."),
        output_fcn=_choice(value, "output_fcn", TRANSFER_FUNCTIONS, defaults.output_fcn, "network."),
        input_scale=_positive(value, "input_scale", defaults.input_scale, "network."))


def parse(text, folder="."):
    """The configuration that a file's text describes; ConfigError otherwise."""
    try:
        table = tomllib.loads(text)
    except tomllib.TOMLDecodeError as error:
        raise ConfigError(None, f"not a TOML file: {error}") from None
    _unknown(table, KEYS)
    scenes, robot = _scenes(table), _robot(table)
    fitness = _fitness(table)
    stuck_penalty, contact_penalty = (_weight(table, key, default)
                                      for key, default in (("stuck_penalty", 1.0), ("contact_penalty", 0.0)))
    seconds = _positive(table, "seconds")
    seeds = _seeds(table)
    reseed = table.get("reseed", False)
    if not isinstance(reseed, bool):
        raise ConfigError("reseed", "must be true or false")
    generations = _count(table, "generations", 1)
    # CMA-ES recombines the better half: it needs two individuals at least.
    population = _count(table, "population", 2) if "population" in table else None
    sigma = _positive(table, "sigma")
    seed = table.get("seed", 0)
    if not _whole(seed) or not SEED_RANGE[0] <= seed <= SEED_RANGE[1]:
        raise ConfigError("seed", "must be a 64-bit whole number")
    dt = _positive(table, "dt", 1 / 60)
    if not _korvale._takes_frame_time(dt):
        raise ConfigError("dt", f"must be {_korvale._FRAME_TIME_RANGE_TEXT}")
    try:
        frames = _korvale._frames_in(seconds, dt)
    except ValueError:
        raise ConfigError("seconds", f"gives too many frames of {dt!r} s") from None
    if frames < 1:
        raise ConfigError("seconds", f"gives 0 frames of {dt!r} s; a run needs 1 at least")
    network = _network(table)

    def path(name):
        return os.path.normpath(os.path.join(folder, name))

    names = {path(name): name for name in scenes + [robot]}
    if len(set(map(path, scenes))) != len(scenes):
        raise ConfigError("scenes", "names a scene twice")
    return Config(scenes=tuple(map(path, scenes)), robot=path(robot), fitness=fitness, stuck_penalty=stuck_penalty,
                  contact_penalty=contact_penalty, seconds=seconds, seeds=seeds, reseed=reseed,
                  generations=generations, population=population, sigma=sigma, seed=seed, dt=dt, network=network,
                  names=names)


def load(path):
    """Reads and checks a configuration file; ConfigError when it cannot be used."""
    try:
        with open(path, "rb") as file:
            text = file.read().decode("utf-8")
    except (OSError, UnicodeDecodeError) as error:
        raise ConfigError(None, f"cannot read the file: {error}") from None
    return parse(text, os.path.dirname(os.path.abspath(path)))
