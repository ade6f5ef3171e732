"""Korvale's simulation from Python.

    import korvale
    sim = korvale.Simulation("Crowded.xml", robot="Robot.xml",
                             network="AvoidObstacles.xml", seed=1)
    rows = sim.trace(600)    # ten seconds: the columns of korvale-sim --trace

Simulation loads through the same commands as the panel buttons; a file that
fails raises LoadError with the status line's text, one fault a line.
"""

from ._korvale import LoadError, Simulation

LoadError.__module__ = __name__
Simulation.__module__ = __name__

__all__ = ["LoadError", "Simulation"]
