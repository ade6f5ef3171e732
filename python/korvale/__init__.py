"""Korvale's simulation from Python.

    import korvale
    sim = korvale.Simulation("Crowded.xml", robot="Robot.xml",
                             network="AvoidObstacles.xml", seed=1)
    rows = sim.trace(600)    # ten seconds: the columns of korvale-sim --trace

Simulation loads through the same commands as the panel buttons; a file that
fails raises LoadError with the status line's text, one fault a line.
In a scene with robots of its own, Simulation numbers every robot (the one
robot= loads first) and gives them as arrays: swarm_pose (n, 3), swarm_ir
(n, k), swarm_commands (n, 4); set_network, set_keys and place_robot take
robot= for any of them.
Network holds a feed-forward network made from arrays or read from a file;
evaluate runs many networks over scenes and seeds at once; Env and VectorEnv
are learning environments with Gymnasium's conventions.
"""

import os as _os

from ._korvale import LoadError, Network, Simulation
from .env import Env
from .evaluation import Evaluation, evaluate
from .vector_env import VectorEnv
from .files import write_whole as _write_whole


def _save(self, path, *, overwrite: bool = False) -> None:
    """Writes the network file Korvale reads, every number in the shortest
    text that reads back as the same double. An existing file is never
    replaced without overwrite (FileExistsError); the file is written whole
    under another name and then renamed into place."""
    if not overwrite and _os.path.lexists(path):
        raise FileExistsError(f"{_os.fspath(path)} already exists; overwrite=True replaces it")
    _write_whole(path, self._text(), overwrite=overwrite)


Network.save = _save

for _name in ("LoadError", "Network", "Simulation"):
    globals()[_name].__module__ = __name__

__all__ = ["Env", "Evaluation", "LoadError", "Network", "Simulation", "VectorEnv", "evaluate"]
