"""korvale.Env: one arena as a Gymnasium environment.

The robot's four commands are the action, its infrared readings (and with
camera=True its camera pixels) the observation; an episode starts from the
scene as it loaded, without reading a file again, and is truncated after
max_steps steps. The stepping is Simulation's own, in C++: the same files,
seed and actions give the same observations and rewards, bit for bit.
"""

from __future__ import annotations

import math
from typing import Any, Callable

import numpy as np

from . import spaces
from ._korvale import Simulation, _Arena

try:  # pragma: no cover - Debian does not package gymnasium
    import gymnasium

    _Base = gymnasium.Env
except ImportError:
    _Base = object

REWARDS = ("avoid", "distance", "coverage")


def reward_name(reward) -> str:
    """The C++ core's name of a reward: built in, or outside for a callable."""
    if callable(reward):
        return "outside"
    if reward not in REWARDS:
        raise ValueError(f'reward is "avoid", "distance", "coverage" or a callable, not {reward!r}')
    return reward


def max_steps_value(max_steps) -> int:
    if max_steps is None:
        return 0
    if isinstance(max_steps, bool) or not isinstance(max_steps, (int, np.integer)) or max_steps < 1:
        raise ValueError("max_steps must be a whole number of at least 1, or None for episodes without end")
    return int(max_steps)


def render_fps(dt: float) -> int:
    return max(1, round(1 / dt))


def call_reward(reward: Callable, simulation: Simulation):
    """A callable reward's value and whether it ends the episode."""
    value = reward(simulation)
    if isinstance(value, tuple):
        value, terminated = value
        return float(value), bool(terminated)
    return float(value), False


class Shared:
    """What Env and VectorEnv have alike: the learner's generator, the
    unwrapped environment, observations and the reset options."""

    _camera = False
    _np_random = None

    @property
    def unwrapped(self):
        return self

    @property
    def np_random(self) -> np.random.Generator:
        """A generator for the learner's own draws, seeded by reset(seed=...)."""
        if self._np_random is None:
            self._np_random = np.random.default_rng()
        return self._np_random

    @np_random.setter
    def np_random(self, generator):
        self._np_random = generator

    def _seed_generator(self, seed):
        if seed is not None:
            self._np_random = np.random.default_rng(int(seed) % 2**64)

    def _observation(self, readings, pixels):
        return {"ir": readings, "camera": pixels} if self._camera else readings

    @staticmethod
    def _pose(options):
        options = options or {}
        unknown = set(options) - {"pose"}
        if unknown:
            raise ValueError(f"unknown reset option {sorted(unknown)[0]!r} (known: 'pose')")
        return options.get("pose")


class Env(Shared, _Base):
    """One arena as a Gymnasium environment.

    Env(scene, robot, network=None, *, reward="avoid", max_steps=1000,
        start="scene", camera=False, render_mode=None, dt=1/60,
        render_size=(480, 480))

    - action: MultiBinary(4), forward, backward, left, right held for one
      frame; step(None) lets the network (a file name or korvale.Network)
      drive instead.
    - observation: the infrared readings, float32 in the robot's sensor
      order; with camera=True a dict {"ir": ..., "camera": (pixels, 3)}.
    - reward: "avoid" (the frame's V(1 - sqrt(dV))(1 - i), in [0, 1]),
      "distance" (units travelled in the frame), "coverage" (1 for a frame
      that enters a new cell) or a callable given the Simulation after each
      step, returning the reward or (reward, terminated).
    - start: "scene" (where the scene puts the robot) or "random" (a free
      place and heading drawn from the episode's seed); reset(options={"pose":
      (x, y, angle)}) places the robot.
    - info: the episode's run measures (distance, coverage, contact_frames,
      stuck, avoid), steps and time.
    """

    def __init__(self, scene, robot, network=None, *, reward="avoid", max_steps=1000, start="scene",
                 camera=False, render_mode=None, dt=1 / 60, render_size=(480, 480)):
        if render_mode not in (None, "rgb_array"):
            raise ValueError(f'render_mode is None or "rgb_array", not {render_mode!r}')
        self._reward = reward
        self._arena = _Arena(scene, robot, network, reward_name(reward), max_steps_value(max_steps), start,
                             bool(camera), float(dt))
        self._camera = bool(camera)
        self.render_mode = render_mode
        self.render_size = tuple(render_size)
        self.metadata = {"render_modes": ["rgb_array"], "render_fps": render_fps(dt)}
        self.observation_space = spaces.observation_space(self._arena.readings, self._arena.pixels, self._camera)
        self.action_space = spaces.action_space()
        self.reward_range = (0.0, 1.0) if reward == "avoid" else (-math.inf, math.inf)
        self.spec = None
        self._closed = False

    @property
    def simulation(self) -> Simulation:
        """The simulation the environment runs (read it; stepping it by hand
        leaves the episode's step count behind)."""
        return self._arena.simulation

    def _info(self) -> dict[str, Any]:
        return self._arena.info()

    def reset(self, *, seed: int | None = None, options: dict | None = None):
        """Starts an episode from the scene as it loaded. A seed starts the
        noise (as Simulation(seed=...) does) and the random start places;
        without one both go on. options={"pose": (x, y, angle)} places the
        robot (angle in radians). Returns (observation, info)."""
        self._seed_generator(seed)
        readings, pixels = self._arena.reset(seed, self._pose(options))
        return self._observation(readings, pixels), self._info()

    def step(self, action):
        """One frame with the action's commands held (None: the network
        drives). Returns (observation, reward, terminated, truncated, info)."""
        readings, pixels, reward, terminated, truncated = self._arena.step(action)
        if callable(self._reward):
            reward, terminated = call_reward(self._reward, self.simulation)
        return self._observation(readings, pixels), reward, terminated, truncated, self._info()

    def render(self):
        """With render_mode="rgb_array": the whole arena as height x width x 3
        uint8, as Simulation.render draws it; otherwise None."""
        if self.render_mode != "rgb_array":
            return None
        width, height = self.render_size
        return self.simulation.render(width, height)

    def close(self):
        self._closed = True

    def __repr__(self):
        reward = self._reward if isinstance(self._reward, str) else "callable"
        return f"<korvale.Env: {self._arena.readings} readings, reward {reward}>"
