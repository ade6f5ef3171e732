"""korvale.Env: one arena as a Gymnasium environment.

The robot's four commands are the action, its infrared readings (and with
camera=True its camera pixels) the observation; an episode starts from the
scene as it loaded, without reading a file again, and is truncated after
max_steps steps. The stepping is Simulation's own, in C++: the same files,
seed and actions give the same observations and rewards, bit for bit.
"""

from __future__ import annotations

import math
import os
from typing import Any, Callable

import numpy as np

from . import spaces
from ._korvale import _REWARDS, Simulation, _Arena

try:  # pragma: no cover - Debian does not package gymnasium
    import gymnasium

    _Base = gymnasium.Env
except ImportError:
    _Base = object

REWARDS = _REWARDS


def quoted(names) -> str:
    """Names as messages list them: "a", "b", "c"."""
    return ", ".join(f'"{name}"' for name in names)


def reward_name(reward) -> str:
    """The C++ core's name of a reward: built in, or outside for a callable."""
    if callable(reward):
        return "outside"
    if reward not in REWARDS:
        raise ValueError(f"reward is {quoted(REWARDS)} or a callable, not {reward!r}")
    return reward


def max_steps_value(max_steps) -> int:
    if max_steps is None:
        return 0
    if isinstance(max_steps, bool) or not isinstance(max_steps, (int, np.integer)) or max_steps < 1:
        raise ValueError("max_steps must be a whole number of at least 1, or None for episodes without end")
    return int(max_steps)


def render_fps(dt: float, frame_skip: int = 1) -> int:
    return max(1, round(1 / (dt * frame_skip)))


def frame_skip_value(frame_skip) -> int:
    """A step's frames: a whole number of at least 1."""
    if isinstance(frame_skip, bool) or not isinstance(frame_skip, (int, np.integer)) or frame_skip < 1:
        raise ValueError(f"frame_skip must be a whole number of at least 1, not {frame_skip!r}")
    return int(frame_skip)


def seed_value(seed):
    """A reset's seed as Gymnasium takes it: None or a whole number from 0
    to 2**64 - 1."""
    if seed is None:
        return None
    if isinstance(seed, bool) or not isinstance(seed, (int, np.integer)):
        raise TypeError(f"seed must be a whole number from 0 to 2**64 - 1, or None, not {seed!r}")
    if not 0 <= int(seed) < 2**64:
        raise ValueError(f"seed must be a whole number from 0 to 2**64 - 1, or None, not {int(seed)}")
    return int(seed)


def reward_failed(error: BaseException, transition: tuple) -> None:
    """A reward callable raised after the step's frames: the step happened
    (the environment stands after it, ready for the next), and the error
    carries the transition without its reward."""
    error.transition = transition
    error.add_note("korvale: the step happened before the reward callable failed; the error's "
                   "transition holds (observation, None, terminated, truncated, info)")


def call_reward(reward: Callable, simulation: Simulation):
    """A callable reward's value and whether it ends the episode."""
    value = reward(simulation)
    if isinstance(value, tuple):
        value, terminated = value
        return float(value), bool(terminated)
    return float(value), False


class EnvironmentBase:
    """What Env and VectorEnv have alike: the learner's generator, the
    unwrapped environment, observations and the reset options."""

    _camera = False
    _np_random = None
    _np_random_seed = None
    _closed = False

    @property
    def unwrapped(self):
        return self

    @property
    def np_random(self) -> np.random.Generator:
        """A generator for the learner's own draws, seeded by reset(seed=...)."""
        if self._np_random is None:
            # As Gymnasium's: from fresh entropy, which is then its seed.
            sequence = np.random.SeedSequence()
            self._np_random, self._np_random_seed = np.random.default_rng(sequence), sequence.entropy
        return self._np_random

    @np_random.setter
    def np_random(self, generator):
        self._np_random = generator
        self._np_random_seed = -1

    @property
    def np_random_seed(self) -> int:
        """The seed np_random was made from, as Gymnasium's: made from fresh
        entropy when there was none yet, -1 once a generator was set from outside."""
        self.np_random
        return self._np_random_seed

    def _seed_generator(self, seed):
        if seed is not None:
            self._np_random = np.random.default_rng(seed)
            self._np_random_seed = seed

    def _check_open(self):
        if self._closed:
            raise RuntimeError(f"{type(self).__name__} is closed: make a new one to step or reset")

    def _observation(self, readings, pixels):
        return {"ir": readings, "camera": pixels} if self._camera else readings

    @staticmethod
    def _pose(options, known=("pose",)):
        options = options or {}
        unknown = set(options) - set(known)
        if unknown:
            names = ", ".join(repr(name) for name in known)
            raise ValueError(f"unknown reset option {sorted(unknown)[0]!r} (known: {names})")
        return options.get("pose")


class Env(EnvironmentBase, _Base):
    """One arena as a Gymnasium environment.

    Env(scene, robot, network=None, *, reward="avoid", max_steps=1000,
        start="scene", camera=False, render_mode=None, dt=1/60,
        render_size=(480, 480), frame_skip=1)

    - action: MultiBinary(4), forward, backward, left, right held for one
      frame (frame_skip frames); step(None) lets the network (a file name
      or korvale.Network) drive instead. Each value is 0 or 1 (any integer
      or float dtype, or bool); anything else is refused in one line.
    - observation: the infrared readings, float32 of shape (readings,) in
      the robot's sensor order; with camera=True a dict {"ir": ...,
      "camera": float32 (pixels, 3)}. It is what the network control reads
      before choosing the commands of the next frame: the readings sensed
      at the start of that frame, after the last action moved the robot,
      so a policy driving here and the same policy as a korvale.Network
      driving a Simulation, korvale-sim or the window make the same run.
    - reward: "avoid" (the frame's V(1 - sqrt(dV))(1 - i), in [0, 1]),
      "distance" (units travelled in the frame), "coverage" (1 for a frame
      that enters a new cell), summed over the step's frames; or a callable
      given the Simulation after each step's frames, returning the reward or
      (reward, terminated). When the callable raises, the step has happened:
      the error carries .transition, (observation, None, terminated,
      truncated, info), and the environment goes on from there.
    - start: "scene" (where the scene puts the robot) or "random" (a free
      place and heading drawn from the episode's seed); reset(options={"pose":
      (x, y, angle)}) places the robot.
    - info: the episode's run measures (distance, coverage, contact_frames,
      stuck, avoid), steps and time.
    """

    def __init__(self, scene: str | os.PathLike, robot: str | os.PathLike, network=None, *,
                 reward: str | Callable = "avoid", max_steps: int | None = 1000, start: str = "scene",
                 camera: bool = False, render_mode: str | None = None, dt: float = 1 / 60,
                 render_size: tuple[int, int] = (480, 480), frame_skip: int = 1):
        """Loads the scene, robot and network (file names; network also a
        korvale.Network) as Simulation does; the keywords as the class says."""
        if render_mode not in (None, "rgb_array"):
            raise ValueError(f'render_mode is None or "rgb_array", not {render_mode!r}')
        self._reward = reward
        self.frame_skip = frame_skip_value(frame_skip)
        self._arena = _Arena(scene, robot, network, reward_name(reward), max_steps_value(max_steps), start,
                             bool(camera), float(dt), self.frame_skip)
        self._camera = bool(camera)
        self.render_mode = render_mode
        self.render_size = tuple(render_size)
        self.metadata = {"render_modes": ["rgb_array"], "render_fps": render_fps(dt, self.frame_skip)}
        self.observation_space = spaces.observation_space(self._arena.readings, self._arena.pixels, self._camera)
        self.action_space = spaces.action_space()
        self.reward_range = (0.0, 1.0) if reward == "avoid" else (-math.inf, math.inf)
        self.spec = None
        self._closed = False

    @property
    def simulation(self) -> Simulation:
        """The simulation the environment runs. Between two steps it stands
        in a begun frame, where the network control would decide: its ir is
        the observation, its pose and measures those after the last step.
        Read it; stepping it by hand finishes that frame and leaves the
        episode's step count behind, and get_state needs it stepped on
        (copy the environment instead)."""
        return self._arena.simulation

    def _info(self) -> dict[str, Any]:
        return self._arena.info()

    def reset(self, *, seed: int | None = None, options: dict | None = None):
        """Starts an episode from the scene as it loaded. A seed (0 to
        2**64 - 1) starts the noise (as Simulation(seed=...) does) and the
        random start places; without one both go on. options={"pose": (x,
        y, angle)} places the robot (angle in radians). Returns
        (observation, info): the readings the control reads before the
        episode's first frame, float32 (readings,)."""
        self._check_open()
        seed = seed_value(seed)
        pose = self._pose(options)
        self._seed_generator(seed)
        readings, pixels = self._arena.reset(seed, pose)
        return self._observation(readings, pixels), self._info()

    def step(self, action):
        """The action's commands held for frame_skip frames (None: the
        network drives); action is MultiBinary(4): four values 0 or 1.
        Returns (observation, reward, terminated, truncated, info), the
        observation being what the control reads before the next frame."""
        self._check_open()
        if not callable(self._reward):
            readings, pixels, reward, terminated, truncated = self._arena.step(action)
            return self._observation(readings, pixels), reward, terminated, truncated, self._info()
        _, terminated, truncated = self._arena.act(action)
        try:
            reward, terminated = call_reward(self._reward, self.simulation)
        except Exception as error:
            readings, pixels = self._arena.sense()
            reward_failed(error, (self._observation(readings, pixels), None, terminated, truncated, self._info()))
            raise
        readings, pixels = self._arena.sense()
        return self._observation(readings, pixels), reward, terminated, truncated, self._info()

    def render(self):
        """With render_mode="rgb_array": the whole arena as height x width x 3
        uint8, as Simulation.render draws it; otherwise None."""
        if self.render_mode != "rgb_array":
            return None
        width, height = self.render_size
        return self.simulation.render(width, height)

    def close(self) -> None:
        """Ends the environment: step and reset then say that it is closed.
        Closing twice does nothing."""
        self._closed = True

    def __repr__(self):
        reward = self._reward if isinstance(self._reward, str) else "callable"
        return f"<korvale.Env: {self._arena.readings} readings, reward {reward}>"
