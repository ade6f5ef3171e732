"""The spaces of the environments, shaped as Gymnasium's: Gymnasium's own
classes when gymnasium can be imported, otherwise small ones with the same
attributes (shape, dtype, low, high, n, spaces, seed, sample, contains), so
that code written for Gymnasium runs unchanged."""

from __future__ import annotations

import numpy as np

from ._korvale import _TOP_READING

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

        def sample(self, mask=None, probability=None):
            if mask is not None or probability is not None:
                raise ValueError("Box.sample takes no mask or probability")
            if np.issubdtype(self.dtype, np.integer):
                return self.np_random.integers(self.low, self.high.astype(np.int64) + 1, size=self.shape,
                                               dtype=np.int64).astype(self.dtype)
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

        def sample(self, mask=None, probability=None):
            """Each value 0 or 1 evenly; mask (int8 of the shape) fixes the
            values where it holds 0 or 1 and draws them where it holds 2;
            probability (float64 of the shape) gives each value's chance of 1."""
            if mask is not None and probability is not None:
                raise ValueError("MultiBinary.sample takes a mask or a probability, not both")
            if mask is not None:
                mask = self._checked(mask, np.int8, "mask")
                if not np.all((mask == 0) | (mask == 1) | (mask == 2)):
                    raise ValueError(f"every value of the mask is 0, 1 or 2, not {mask}")
                drawn = self.np_random.integers(0, 2, size=self.shape, dtype=self.dtype)
                return np.where(mask == 2, drawn, mask).astype(self.dtype)
            if probability is not None:
                probability = self._checked(probability, np.float64, "probability")
                if not np.all((probability >= 0) & (probability <= 1)):
                    raise ValueError(f"every probability lies in [0, 1], not {probability}")
                return (self.np_random.random(size=self.shape) < probability).astype(self.dtype)
            return self.np_random.integers(0, 2, size=self.shape, dtype=self.dtype)

        def _checked(self, values, dtype, name):
            if not isinstance(values, np.ndarray) or values.dtype != dtype or values.shape != self.shape:
                raise ValueError(f"the {name} is a numpy array of {np.dtype(dtype)} and shape {self.shape}")
            return values

        def contains(self, x) -> bool:
            """An array (or a sequence, made one) of the space's shape whose
            every value is 0 or 1, of any dtype, as Gymnasium's."""
            if isinstance(x, (list, tuple)):
                x = np.array(x)
            return bool(isinstance(x, np.ndarray) and self.shape == x.shape
                        and np.all(np.logical_or(x == 0, x == 1)))

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

# The most an infrared sensor reads: 1100 at contact, times the noise factor's
# 1.07 (the run measures' avoid value is scaled by the same).
TOP_READING = _TOP_READING


def observation_space(readings: int, pixels: int, camera: bool, batch: int | None = None):
    """The infrared readings (float32), and with the camera its pixels' red,
    green and blue (float32 in [0, 1]); with batch, one row per environment."""
    lead = () if batch is None else (batch,)
    infrared = Box(0.0, TOP_READING, shape=lead + (readings,), dtype=np.float32)
    if not camera:
        return infrared
    return Dict({"ir": infrared, "camera": Box(0.0, 1.0, shape=lead + (pixels, 3), dtype=np.float32)})


def action_space(batch: int | None = None):
    """The robot's four commands: forward, backward, left, right, each 0 or
    1: MultiBinary(4); with batch, Box(0, 1, (batch, 4), int8), as
    Gymnasium's batch_space makes it of MultiBinary(4)."""
    if batch is None:
        return MultiBinary(4)
    return Box(0, 1, shape=(batch, 4), dtype=np.int8)
