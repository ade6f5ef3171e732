"""korvale.VectorEnv: many arenas stepped at once in C++.

Every step steps each arena once on a pool of threads, without the
interpreter lock, and gives back single arrays: observations (n, k),
rewards, terminations and truncations (n,). Environment i takes seed
seed + i, and its results are those of an Env stepped alone, bit for bit.
"""

from __future__ import annotations

import numpy as np

from . import spaces
from ._korvale import Simulation, _ArenaBatch
from .env import Shared, call_reward, max_steps_value, render_fps, reward_name

try:  # pragma: no cover - Debian does not package gymnasium
    import gymnasium
    from gymnasium.vector import AutoresetMode

    _Base = gymnasium.vector.VectorEnv
    NEXT_STEP = AutoresetMode.NEXT_STEP
except ImportError:
    _Base = object
    NEXT_STEP = "NextStep"


class VectorEnv(Shared, _Base):
    """n arenas of the same files, stepped at once.

    VectorEnv(n, scene, robot, network=None, *, reward="avoid",
              max_steps=1000, start="scene", camera=False, render_mode=None,
              dt=1/60, threads=None, render_size=(480, 480))

    The rest as korvale.Env. threads: the pool's threads, one per core
    when None. Autoreset is Gymnasium's next-step mode: the step after an
    environment's episode ends resets it (its action unused) and gives its
    first observation with reward 0 and neither flag. step(None) lets every
    network drive. info holds the episode's run measures as arrays, each
    with its "_name" mask, as Gymnasium's vector infos do.
    """

    def __init__(self, n, scene, robot, network=None, *, reward="avoid", max_steps=1000, start="scene",
                 camera=False, render_mode=None, dt=1 / 60, threads=None, render_size=(480, 480)):
        if isinstance(n, bool) or not isinstance(n, (int, np.integer)) or n < 1:
            raise ValueError("n must be a whole number of at least 1")
        if render_mode not in (None, "rgb_array"):
            raise ValueError(f'render_mode is None or "rgb_array", not {render_mode!r}')
        self._reward = reward
        self._batch = _ArenaBatch(int(n), scene, robot, network, reward_name(reward), max_steps_value(max_steps),
                                  start, bool(camera), float(dt), threads)
        self._camera = bool(camera)
        self.num_envs = int(n)
        self.render_mode = render_mode
        self.render_size = tuple(render_size)
        self.metadata = {"render_modes": ["rgb_array"], "render_fps": render_fps(dt), "autoreset_mode": NEXT_STEP}
        readings, pixels = self._batch.readings, self._batch.pixels
        self.single_observation_space = spaces.observation_space(readings, pixels, self._camera)
        self.single_action_space = spaces.action_space()
        self.observation_space = spaces.observation_space(readings, pixels, self._camera, batch=self.num_envs)
        self.action_space = spaces.action_space(batch=self.num_envs)
        self.spec = None
        self.closed = False

    @property
    def simulations(self) -> list[Simulation]:
        """Each environment's simulation, in order."""
        return [self._batch.simulation(i) for i in range(self.num_envs)]

    @property
    def threads(self) -> int:
        return self._batch.threads

    def _seeds(self, seed):
        if seed is None:
            return [None] * self.num_envs
        if isinstance(seed, (int, np.integer)) and not isinstance(seed, bool):
            # Environment i takes seed + i; seeds count modulo 2**64.
            return [(int(seed) + i) % 2**64 for i in range(self.num_envs)]
        seeds = list(seed)
        if len(seeds) != self.num_envs:
            raise ValueError(f"seed is a whole number or a list of {self.num_envs}, one per environment")
        return seeds

    def _poses(self, options):
        pose = self._pose(options)
        if pose is None:
            return [None] * self.num_envs
        pose = np.asarray(pose, dtype=np.float64)
        if pose.shape == (3,):
            return [pose] * self.num_envs
        if pose.shape == (self.num_envs, 3):
            return list(pose)
        raise ValueError(f"the pose is (x, y, angle) for every environment, or one row of them each: "
                         f"shape (3,) or ({self.num_envs}, 3)")

    def reset(self, *, seed=None, options: dict | None = None):
        """Starts an episode in every environment; seed: a whole number
        (environment i takes seed + i) or one per environment.
        options={"pose": (x, y, angle)} places every robot, or one row each.
        Returns (observations, infos)."""
        if isinstance(seed, (int, np.integer)):
            self._seed_generator(seed)
        readings, pixels, infos = self._batch.reset(self._seeds(seed), self._poses(options))
        return self._observation(readings, pixels), infos

    def step(self, actions):
        """One frame in every environment: actions of shape (n, 4), or None
        for the networks to drive. Returns (observations, rewards,
        terminations, truncations, infos)."""
        readings, pixels, rewards, terminated, truncated, restarted, infos = self._batch.step(actions)
        if callable(self._reward):
            simulations = self.simulations
            for i in np.flatnonzero(~restarted):
                rewards[i], terminated[i] = call_reward(self._reward, simulations[i])
                if terminated[i]:
                    self._batch.end_episode(int(i))
        return self._observation(readings, pixels), rewards, terminated, truncated, infos

    def render(self):
        """With render_mode="rgb_array": each environment's picture, in order."""
        if self.render_mode != "rgb_array":
            return None
        width, height = self.render_size
        return tuple(simulation.render(width, height) for simulation in self.simulations)

    def close(self, **kwargs):
        self.closed = True

    def __repr__(self):
        return f"<korvale.VectorEnv: {self.num_envs} environments on {self.threads} threads>"
