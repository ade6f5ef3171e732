"""DEAP's CMA-ES on genomes, with its random numbers under the run's seed.

`deap.cma.Strategy.generate` draws from numpy's global generator; this module
seeds that generator before each generation from the run's seed and the
generation's number, in the process that runs the strategy (workers draw
nothing). A generation's population therefore follows from the strategy's
state alone, which a checkpoint keeps: a resumed run draws what an
uninterrupted one draws.
"""

import numpy as np
from deap import base, cma, creator

# DEAP makes its individual classes at run time; they stay in this process
# (tasks carry plain arrays).
if not hasattr(creator, "KorvaleFitness"):
    creator.create("KorvaleFitness", base.Fitness, weights=(1.0,))
    creator.create("KorvaleIndividual", list, fitness=creator.KorvaleFitness)

# What Strategy.update changes; everything else follows from the dimension
# and the population size.
STATE = ("centroid", "sigma", "pc", "ps", "C", "diagD", "B", "BD", "cond", "update_count")


def seed_sequence(seed, stream):
    """The numbers of one stream of a run: 0 for the starting point, g for
    generation g."""
    return np.random.SeedSequence(seed % 2**64, spawn_key=(stream,))


def starting_point(seed, dimension, sigma):
    """The first centroid: random weights, normal with deviation sigma."""
    return np.random.default_rng(seed_sequence(seed, 0)).normal(0.0, sigma, dimension)


def default_population(dimension):
    """DEAP's default number of individuals for a genome of that length, 4 + 3 ln N."""
    return cma.Strategy(np.zeros(dimension), 1.0).lambda_


class Evolution:
    """CMA-ES over genomes of `dimension` numbers, started from random weights.

    toolbox.generate(generation) gives the generation's population (a list of
    DEAP individuals), toolbox.evaluate(array of shape (n, dimension)) its
    results (a dict of arrays of shape (n,) with "fitness"), and
    toolbox.update(population) moves the strategy; `evaluate` is registered
    by the caller, so evaluation can run anywhere.
    """

    def __init__(self, dimension, sigma, seed, population=None):
        self.seed = seed
        options = {"lambda_": population} if population else {}
        self.strategy = cma.Strategy(starting_point(seed, dimension, sigma), sigma, **options)
        self.toolbox = base.Toolbox()
        self.toolbox.register("generate", self._generate)
        self.toolbox.register("update", self.strategy.update)

    @property
    def population_size(self):
        return self.strategy.lambda_

    @property
    def sigma(self):
        return float(self.strategy.sigma)

    @property
    def centroid(self):
        return np.array(self.strategy.centroid, dtype=np.float64)

    def _generate(self, generation):
        np.random.seed(seed_sequence(self.seed, generation).generate_state(8))
        return self.strategy.generate(creator.KorvaleIndividual)

    def generation(self, generation):
        """Draws, evaluates and selects one generation. Returns the population
        as an array of shape (n, dimension), in the order drawn, and its results."""
        population = self.toolbox.generate(generation)
        genomes = np.array(population, dtype=np.float64)
        results = self.toolbox.evaluate(genomes, generation)
        for individual, fitness in zip(population, results["fitness"]):
            individual.fitness.values = (float(fitness),)
        self.toolbox.update(population)
        return genomes, results

    def state(self):
        """The strategy's changing parts, as arrays (for a checkpoint)."""
        return {name: np.array(getattr(self.strategy, name)) for name in STATE}

    def restore(self, state):
        """Continues from a state that state() gave."""
        for name in STATE:
            value = state[name]
            setattr(self.strategy, name, value.item() if value.ndim == 0 else np.array(value))
