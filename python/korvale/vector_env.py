"""korvale.VectorEnv: many arenas stepped at once in C++.

Every step steps each arena once on a pool of threads, without the
interpreter lock, and gives back single arrays: observations (n, k),
rewards, terminations and truncations (n,). Environment i takes seed
seed + i, and its results are those of an Env stepped alone, bit for bit.
"""

from __future__ import annotations

import os
import time
from typing import Any, Callable, Sequence

import numpy as np

from . import spaces
from ._korvale import Simulation, _ArenaBatch
from .env import (EnvironmentBase, call_reward, frame_skip_value, max_steps_value, render_fps, reward_failed,
                  reward_name, seed_value)

try:  # pragma: no cover - Debian does not package gymnasium
    import gymnasium
    from gymnasium.vector import AutoresetMode

    _Base = gymnasium.vector.VectorEnv
    NEXT_STEP = AutoresetMode.NEXT_STEP
except ImportError:
    _Base = object
    NEXT_STEP = "NextStep"

# The most environments one VectorEnv holds (each holds a whole scene).
MAX_ENVS = 65536


class Environment:
    """One environment of a VectorEnv, as call, get_attr and set_attr see
    it: its simulation, its episode's info, its picture, its single spaces,
    render_mode, metadata and spec; set_attr may give it attributes of the
    learner's own."""

    def __init__(self, vector: "VectorEnv", index: int):
        self._vector = vector
        self.index = index

    @property
    def simulation(self) -> Simulation:
        return self._vector._batch.simulation(self.index)

    @property
    def observation_space(self):
        return self._vector.single_observation_space

    @property
    def action_space(self):
        return self._vector.single_action_space

    @property
    def render_mode(self):
        return self._vector.render_mode

    @property
    def metadata(self) -> dict:
        return self._vector.metadata

    spec = None

    @property
    def info(self) -> dict[str, Any]:
        """The episode's run measures so far, its steps and its time."""
        return self._vector._batch.info(self.index)

    def render(self):
        """The arena as height x width x 3 uint8 at the VectorEnv's render_size."""
        width, height = self._vector.render_size
        return self.simulation.render(width, height)

    def __repr__(self):
        return f"<korvale.VectorEnv environment {self.index}>"


def scene_list(scene) -> list:
    """One scene file, or a list of them (environment i takes scene i mod len)."""
    if isinstance(scene, (str, os.PathLike)):
        return [scene]
    scenes = list(scene)
    if not scenes:
        raise ValueError("scene is a scene file or a non-empty list of them")
    return scenes


class VectorEnv(EnvironmentBase, _Base):
    """n arenas, stepped at once.

    VectorEnv(n, scene, robot, network=None, *, reward="avoid",
              max_steps=1000, start="scene", camera=False, render_mode=None,
              dt=1/60, threads=None, render_size=(480, 480), frame_skip=1)

    The rest as korvale.Env. n: 1 to 65,536 environments (each holds a
    whole scene; Ctrl-C stops a long construction). scene: a scene file, or
    a list of them, environment i taking scene i mod len (their robots must
    give the same readings). threads: the pool's threads, one per core when
    None, never more than the cores or the environments. Autoreset is
    Gymnasium's next-step mode: the step after an environment's episode ends
    resets it (its action unused) and gives its first observation with
    reward 0 and neither flag. step(None) lets every network drive. infos
    hold every key of Env's info as arrays, each with its "_name" mask, as
    Gymnasium's vector infos do, and at an episode's end "episode" {"r":
    return, "l": length, "t": seconds} with "_episode", as Gymnasium's
    RecordEpisodeStatistics puts them.
    """

    def __init__(self, n: int, scene: str | os.PathLike | Sequence[str | os.PathLike], robot: str | os.PathLike,
                 network=None, *, reward: str | Callable = "avoid", max_steps: int | None = 1000,
                 start: str = "scene", camera: bool = False, render_mode: str | None = None, dt: float = 1 / 60,
                 threads: int | None = None, render_size: tuple[int, int] = (480, 480), frame_skip: int = 1):
        """Loads n environments on the pool (scene i mod len of a list of
        scenes); the keywords as the class says."""
        if isinstance(n, bool) or not isinstance(n, (int, np.integer)) or not 1 <= n <= MAX_ENVS:
            raise ValueError(f"n must be a whole number from 1 to {MAX_ENVS}, not {n!r}")
        if render_mode not in (None, "rgb_array"):
            raise ValueError(f'render_mode is None or "rgb_array", not {render_mode!r}')
        self._reward = reward
        self.frame_skip = frame_skip_value(frame_skip)
        self.scenes = scene_list(scene)
        self._batch = _ArenaBatch(int(n), self.scenes, robot, network, reward_name(reward),
                                  max_steps_value(max_steps), start, bool(camera), float(dt), threads,
                                  self.frame_skip)
        self._camera = bool(camera)
        self.num_envs = int(n)
        self.render_mode = render_mode
        self.render_size = tuple(render_size)
        self.metadata = {"render_modes": ["rgb_array"], "render_fps": render_fps(dt, self.frame_skip),
                         "autoreset_mode": NEXT_STEP}
        readings, pixels = self._batch.readings, self._batch.pixels
        self.single_observation_space = spaces.observation_space(readings, pixels, self._camera)
        self.single_action_space = spaces.action_space()
        self.observation_space = spaces.observation_space(readings, pixels, self._camera, batch=self.num_envs)
        self.action_space = spaces.action_space(batch=self.num_envs)
        self.spec = None
        self.closed = False
        self.envs = tuple(Environment(self, i) for i in range(self.num_envs))
        self._returns = np.zeros(self.num_envs)
        self._lengths = np.zeros(self.num_envs, dtype=np.int64)
        self._started = np.full(self.num_envs, time.perf_counter())

    @property
    def _closed(self) -> bool:
        return self.closed

    @property
    def simulations(self) -> list[Simulation]:
        """Each environment's simulation, in order."""
        return [self._batch.simulation(i) for i in range(self.num_envs)]

    @property
    def threads(self) -> int:
        """The pool's threads."""
        return self._batch.threads

    def _seeds(self, seed) -> list:
        if seed is None:
            return [None] * self.num_envs
        if isinstance(seed, (int, np.integer)) and not isinstance(seed, bool):
            # Environment i takes seed + i; seeds count modulo 2**64.
            return [(seed_value(seed) + i) % 2**64 for i in range(self.num_envs)]
        seeds = list(seed)
        if len(seeds) != self.num_envs:
            raise ValueError(f"seed is a whole number or a list of {self.num_envs}, one per environment")
        return [seed_value(s) for s in seeds]

    def _poses(self, options) -> list:
        pose = self._pose(options, ("pose", "reset_mask"))
        if pose is None:
            return [None] * self.num_envs
        pose = np.asarray(pose, dtype=np.float64)
        if pose.shape == (3,):
            return [pose] * self.num_envs
        if pose.shape == (self.num_envs, 3):
            return list(pose)
        raise ValueError(f"the pose is (x, y, angle) for every environment, or one row of them each: "
                         f"shape (3,) or ({self.num_envs}, 3)")

    def _mask(self, options):
        mask = (options or {}).get("reset_mask")
        if mask is None:
            return None
        mask = np.asarray(mask)
        if mask.dtype != np.bool_ or mask.shape != (self.num_envs,):
            raise ValueError(f"reset_mask is a numpy array of {self.num_envs} booleans, one per environment, "
                             f"not {mask.dtype} of shape {mask.shape}")
        return mask

    def reset(self, *, seed=None, options: dict | None = None):
        """Starts an episode in every environment, or with
        options={"reset_mask": mask} (bool (n,)) in those of the mask only,
        the others going on untouched. seed: a whole number (environment i
        takes seed + i) or one per environment (None for none); 0 to
        2**64 - 1. options={"pose": (x, y, angle)} places every robot, or
        one row (n, 3) each. Returns (observations float32 (n, readings),
        infos)."""
        self._check_open()
        seeds, poses, mask = self._seeds(seed), self._poses(options), self._mask(options)
        if isinstance(seed, (int, np.integer)) and not isinstance(seed, bool):
            self._seed_generator(seed_value(seed))
        readings, pixels, infos = self._batch.reset(seeds, poses, None if mask is None else mask.tolist())
        fresh = np.ones(self.num_envs, dtype=bool) if mask is None else mask
        self._returns[fresh] = 0
        self._lengths[fresh] = 0
        self._started[fresh] = time.perf_counter()
        return self._observation(readings, pixels), infos

    def step(self, actions):
        """One step in every environment: actions (n, 4) of 0 and 1 (any
        integer or float dtype, or bool), or None for the networks to
        drive. Returns (observations, rewards float64 (n,), terminations
        bool (n,), truncations bool (n,), infos)."""
        self._check_open()
        if not callable(self._reward):
            readings, pixels, rewards, terminated, truncated, restarted, infos = self._batch.step(actions)
        else:
            _, _, rewards, terminated, truncated, restarted, infos = self._batch.step(actions, False)
            simulations = self.simulations
            try:
                for i in np.flatnonzero(~restarted):
                    rewards[i], terminated[i] = call_reward(self._reward, simulations[i])
                    if terminated[i]:
                        self._batch.end_episode(int(i))
            except Exception as error:
                readings, pixels, infos = self._batch.sense()
                reward_failed(error, (self._observation(readings, pixels), None, terminated, truncated, infos))
                raise
            readings, pixels, infos = self._batch.sense()
        self._record_episodes(rewards, terminated, truncated, restarted, infos)
        return self._observation(readings, pixels), rewards, terminated, truncated, infos

    def _record_episodes(self, rewards, terminated, truncated, restarted, infos) -> None:
        """Each episode's return, length and seconds, as Gymnasium's
        RecordEpisodeStatistics keeps them, given at its end."""
        now = time.perf_counter()
        if restarted.any():
            self._returns[restarted] = 0
            self._lengths[restarted] = 0
            self._started[restarted] = now
        stepped = ~restarted
        self._returns[stepped] += rewards[stepped]
        self._lengths[stepped] += 1
        ended = terminated | truncated
        if ended.any():
            infos["episode"] = {"r": np.where(ended, self._returns, 0.0),
                                "l": np.where(ended, self._lengths, 0),
                                "t": np.where(ended, np.round(now - self._started, 6), 0.0)}
            infos["_episode"] = ended.copy()

    def call(self, name: str, *args, **kwargs) -> tuple:
        """Each environment's attribute `name` (see Environment), called with
        the arguments when it is callable; one result per environment."""
        results = []
        for env in self.envs:
            value = getattr(env, name)
            results.append(value(*args, **kwargs) if callable(value) else value)
        return tuple(results)

    def get_attr(self, name: str) -> tuple:
        """Each environment's attribute `name`, in order."""
        return tuple(getattr(env, name) for env in self.envs)

    def set_attr(self, name: str, values: Any | Sequence[Any]) -> None:
        """Sets attribute `name` of every environment: values, one per
        environment, or a single value (not a list or tuple) for all."""
        if not isinstance(values, (list, tuple)):
            values = [values] * self.num_envs
        if len(values) != self.num_envs:
            raise ValueError(f"set_attr takes one value per environment ({self.num_envs}), not {len(values)}")
        for env, value in zip(self.envs, values):
            setattr(env, name, value)

    def render(self):
        """With render_mode="rgb_array": each environment's picture, in order."""
        if self.render_mode != "rgb_array":
            return None
        return tuple(env.render() for env in self.envs)

    def close(self, **kwargs) -> None:
        """Ends the environments: step and reset then say that they are closed."""
        self.closed = True

    def __getstate__(self):
        state = dict(self.__dict__)
        state.pop("envs")
        return state

    def __setstate__(self, state):
        self.__dict__.update(state)
        self.envs = tuple(Environment(self, i) for i in range(self.num_envs))

    def __repr__(self):
        return f"<korvale.VectorEnv: {self.num_envs} environments on {self.threads} threads>"
