"""korvale-evolve: a network evolved from random weights with DEAP's CMA-ES,
each generation evaluated by korvale.evaluate on Dask distributed.

`config` reads the TOML file, `genome` maps a flat vector of weights and
biases onto a network, `strategy` is the CMA-ES with its random numbers under
the run's seed, `evaluation` runs chunks of the population as Dask tasks,
`loop` is the generations, `outputs` and `checkpoint` the files a run
writes, and `cli` the command.
"""
