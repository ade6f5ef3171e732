"""The checkpoint: everything a run needs to go on exactly where it stopped.

A numpy .npz file (read without pickle): the configuration's identity as
JSON, the generations done, the strategy's state, the best genome so far and
the statistics rows. It is written after every generation to a new file that
then replaces the old one, so a run stopped at any moment leaves the last
whole generation's checkpoint.
"""

import dataclasses
import io
import json

import numpy as np

from .strategy import STATE

FORMAT = "korvale-evolve checkpoint 1"


class CheckpointError(Exception):
    """The file is not a checkpoint this program can continue from."""


@dataclasses.dataclass
class RunState:
    """Where a run stands after `generation` generations (0: not started).

    rows: the statistics of each generation done, as floats in the order of
    outputs.COLUMNS; elapsed: the wall time spent so far, in seconds."""

    generation: int = 0
    strategy: dict | None = None
    best_genome: np.ndarray | None = None
    best_fitness: float = -np.inf
    best_generation: int = 0
    evaluations: int = 0
    elapsed: float = 0.0
    rows: list = dataclasses.field(default_factory=list)


def to_bytes(identity, state):
    """The checkpoint file's contents."""
    header = {"format": FORMAT, "config": identity, "generation": state.generation,
              "best_fitness": state.best_fitness, "best_generation": state.best_generation,
              "evaluations": state.evaluations, "elapsed": state.elapsed}
    arrays = {f"strategy_{name}": state.strategy[name] for name in STATE}
    arrays["best_genome"] = state.best_genome
    arrays["rows"] = np.array(state.rows, dtype=np.float64)
    buffer = io.BytesIO()
    np.savez(buffer, header=np.array(json.dumps(header)), **arrays)
    return buffer.getvalue()


def from_bytes(data, identity):
    """The RunState a checkpoint holds; CheckpointError unless it is a
    checkpoint of a run with this identity."""
    try:
        with np.load(io.BytesIO(data), allow_pickle=False) as archive:
            header = json.loads(str(archive["header"]))
            if header.get("format") != FORMAT:
                raise CheckpointError("it is not a korvale-evolve checkpoint")
            arrays = {name: archive[name] for name in archive.files}
    except CheckpointError:
        raise
    except Exception as error:  # a damaged or foreign file, whatever numpy makes of it
        raise CheckpointError(f"it is not a korvale-evolve checkpoint ({type(error).__name__})") from None
    saved = header["config"]
    for key in identity:
        if saved.get(key) != identity[key]:
            raise CheckpointError(f"it was made with another '{key}' ({json.dumps(saved.get(key))})")
    rows = arrays["rows"]
    return RunState(
        generation=header["generation"],
        strategy={name: arrays[f"strategy_{name}"] for name in STATE},
        best_genome=arrays["best_genome"],
        best_fitness=header["best_fitness"],
        best_generation=header["best_generation"],
        evaluations=header["evaluations"],
        elapsed=header["elapsed"],
        rows=[list(row) for row in rows] if rows.ndim == 2 else [])
