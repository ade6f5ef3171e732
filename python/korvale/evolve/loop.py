"""The generations: draw, evaluate, select, keep the best, write, report."""

import time

import numpy as np

from .checkpoint import RunState
from .evaluation import METRICS, EvaluationError


def evolve(config, evolution, shape, outputs, identity, state=None, report=None, should_stop=None):
    """Runs generations from state (a new run without it) up to
    config.generations, writing the outputs after each one. report(state)
    follows each generation; should_stop() is asked after each one, and a
    true answer ends the run there (the checkpoint is written by then).
    Returns the state reached."""
    state = state or RunState()
    if state.generation:
        evolution.restore(state.strategy)
    for generation in range(state.generation + 1, config.generations + 1):
        began = time.perf_counter()
        sigma = evolution.sigma
        genomes, results = evolution.generation(generation)
        fitness = results["fitness"]
        if not np.all(np.isfinite(fitness)):
            raise EvaluationError(f"generation {generation} gave a fitness that is not a finite number")
        best = int(np.argmax(fitness))  # the first of equals: the same choice on every run
        if fitness[best] > state.best_fitness:
            state.best_genome = genomes[best].copy()
            state.best_fitness = float(fitness[best])
            state.best_generation = generation
        state.generation = generation
        state.evaluations += len(genomes)
        state.strategy = evolution.state()
        state.elapsed += time.perf_counter() - began
        state.rows.append([generation, fitness[best], np.mean(fitness), np.std(fitness), state.best_fitness, sigma,
                           *(results[name][best] for name in METRICS), state.evaluations, state.elapsed])
        outputs.write_generation(shape, state, identity)
        if report is not None:
            report(state)
        if should_stop is not None and should_stop():
            break
    return state
