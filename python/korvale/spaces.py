"""The spaces of the environments, shaped as Gymnasium's: Gymnasium's own
classes when gymnasium can be imported, otherwise small ones with the same
attributes (shape, dtype, low, high, n, spaces, seed, sample, contains), so
that code written for Gymnasium runs unchanged."""

from __future__ import annotations

import numpy as np

try:  # pragma: no cover - Debian does not package gymnasium
    from gymnasium.spaces import Box, Dict, MultiBinary, Space

    GYMNASIUM = True
except ImportError:
    GYMNASIUM = False

    class Space:
        """What every space has: a shape, a dtype and its own generator."""

        def __init__(self, shape, dtype, seed=None):
            self.shape = None if shape is None else tuple(shape)
            self.dtype = None if dtype is None else np.dtype(dtype)
            self._np_random = None
            if seed is not None:
                self.seed(seed)

        @property
        def np_random(self) -> np.random.Generator:
            if self._np_random is None:
                self.seed()
            return self._np_random

        def seed(self, seed=None):
            self._np_random = np.random.default_rng(seed)
            return [seed]

        def __contains__(self, x) -> bool:
            return self.contains(x)

    class Box(Space):
        """Arrays of `shape` with every value within [low, high]."""

        def __init__(self, low, high, shape=None, dtype=np.float32, seed=None):
            shape = tuple(shape) if shape is not None else np.shape(low)
            super().__init__(shape, dtype, seed)
            self.low = np.full(shape, low, dtype=self.dtype)
            self.high = np.full(shape, high, dtype=self.dtype)

        def sample(self, mask=None):
            return self.np_random.uniform(self.low, self.high, size=self.shape).astype(self.dtype)

        def contains(self, x) -> bool:
            if not isinstance(x, np.ndarray):
                try:
                    x = np.asarray(x, dtype=self.dtype)
                except (TypeError, ValueError):
                    return False
            return (bool(np.can_cast(x.dtype, self.dtype)) and x.shape == self.shape
                    and bool(np.all(x >= self.low)) and bool(np.all(x <= self.high)))

        def __repr__(self):
            return f"Box({self.low.min()}, {self.high.max()}, {self.shape}, {self.dtype})"

        def __eq__(self, other):
            return (isinstance(other, Box) and self.shape == other.shape and self.dtype == other.dtype
                    and np.array_equal(self.low, other.low) and np.array_equal(self.high, other.high))

    class MultiBinary(Space):
        """Arrays of n (or of shape n) values, each 0 or 1."""

        def __init__(self, n, seed=None):
            self.n = n
            super().__init__((n,) if np.isscalar(n) else n, np.int8, seed)

        def sample(self, mask=None):
            return self.np_random.integers(0, 2, size=self.shape, dtype=self.dtype)

        def contains(self, x) -> bool:
            if not isinstance(x, np.ndarray):
                try:
                    x = np.asarray(x)
                except (TypeError, ValueError):
                    return False
            return (np.issubdtype(x.dtype, np.integer) or x.dtype == np.bool_) and x.shape == self.shape \
                and bool(np.all((x == 0) | (x == 1)))

        def __repr__(self):
            return f"MultiBinary({self.n})"

        def __eq__(self, other):
            return isinstance(other, MultiBinary) and self.shape == other.shape

    class Dict(Space):
        """A dict of spaces: samples and members are dicts with the same keys."""

        def __init__(self, spaces, seed=None):
            self.spaces = dict(spaces)
            super().__init__(None, None, seed)

        def seed(self, seed=None):
            super().seed(seed)
            seeds = self._np_random.integers(0, 2**32, size=len(self.spaces))
            for space, s in zip(self.spaces.values(), seeds):
                space.seed(int(s))
            return [seed]

        def sample(self, mask=None):
            return {key: space.sample() for key, space in self.spaces.items()}

        def contains(self, x) -> bool:
            return isinstance(x, dict) and x.keys() == self.spaces.keys() \
                and all(space.contains(x[key]) for key, space in self.spaces.items())

        def __getitem__(self, key):
            return self.spaces[key]

        def keys(self):
            return self.spaces.keys()

        def __repr__(self):
            return "Dict(" + ", ".join(f"{key!r}: {space}" for key, space in self.spaces.items()) + ")"

        def __eq__(self, other):
            return isinstance(other, Dict) and self.spaces == other.spaces

# The most an infrared sensor reads: 1100 at contact, times the noise factor's 1.07.
TOP_READING = 1100 * 1.07


def observation_space(readings: int, pixels: int, camera: bool, batch: int | None = None):
    """The infrared readings (float32), and with the camera its pixels' red,
    green and blue (float32 in [0, 1]); with batch, one row per environment."""
    lead = () if batch is None else (batch,)
    infrared = Box(0.0, TOP_READING, shape=lead + (readings,), dtype=np.float32)
    if not camera:
        return infrared
    return Dict({"ir": infrared, "camera": Box(0.0, 1.0, shape=lead + (pixels, 3), dtype=np.float32)})


def action_space(batch: int | None = None):
    """The robot's four commands: forward, backward, left, right, each 0 or 1."""
    return MultiBinary(4 if batch is None else (batch, 4))
