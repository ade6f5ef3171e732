"""Population evaluation: many networks over scenes and seeds in one call,
stepped in C++ on a pool of threads without the interpreter lock."""

from __future__ import annotations

import dataclasses
import os
from typing import Sequence

import numpy as np

from ._korvale import _REWARDS, Network, _evaluate
from .env import quoted

REWARDS = _REWARDS
STARTS = ("scene", "random")


@dataclasses.dataclass(frozen=True)
class Evaluation:
    """What evaluate gives.

    fitness: float64 (networks, scenes, seeds), the reward's run measure;
    mean: float64 (networks,), fitness averaged over scenes and seeds;
    metrics: dict of float64 (networks, scenes, seeds) arrays: "distance",
    "coverage", "contact_frames", "stuck" and "avoid".
    """

    fitness: np.ndarray
    mean: np.ndarray
    metrics: dict


def _network(network) -> Network:
    if isinstance(network, Network):
        return network
    if isinstance(network, (str, os.PathLike)):
        return Network.load(network)
    raise TypeError("networks must be korvale.Network objects or network file names")


def evaluate(networks: Sequence, scenes: Sequence, robot, seconds: float, seeds: Sequence[int],
             reward: str = "avoid", *, dt: float = 1 / 60, threads: int | None = None,
             start: str = "scene") -> Evaluation:
    """Runs every network in every scene with every seed and measures it.

    Run (i, j, k) is exactly Simulation(scenes[j], robot=robot,
    seed=seeds[k], dt=dt) with networks[i] driving, stepped round(seconds /
    dt) frames. reward picks the fitness: "avoid" (the mean per-frame avoid
    value, in [0, 1]), "distance" (units travelled) or "coverage" (cells
    visited). start="random" starts each run from a free place drawn from
    its seed instead of the scene's start, exactly where Env(...,
    start="random").reset(seed=seeds[k]) puts the robot (ValueError when
    a scene leaves no room). threads: the pool's threads, one per core when
    None, never more than the cores or the runs. Ctrl-C stops it within a
    fraction of a second.
    """
    if reward not in REWARDS:
        raise ValueError(f"reward is {quoted(REWARDS[:-1])} or {quoted(REWARDS[-1:])}, not {reward!r}")
    if start not in STARTS:
        raise ValueError(f'start is "scene" or "random", not {start!r}')
    if isinstance(scenes, (str, os.PathLike)):
        raise TypeError("scenes must be a sequence of scene file names")
    networks = [_network(network) for network in networks]
    seeds = [int(seed) if isinstance(seed, np.integer) else seed for seed in seeds]
    metrics = _evaluate(networks, list(scenes), robot, float(seconds), seeds, float(dt), threads, start)
    fitness = metrics[reward]
    mean = fitness.reshape(len(networks), -1).mean(axis=1) if fitness.size else np.zeros(len(networks))
    return Evaluation(fitness=fitness, mean=mean, metrics=metrics)
