"""Fitness of a population: chunks of genomes as tasks on Dask distributed.

A task carries plain data only: the genomes as an array and the model files'
contents (workers need no shared file system, as korvale-batch's do not).
DEAP's individuals, whose classes exist only in the process that made them,
never leave the client. Each run of korvale.evaluate has its own noise
generator started from its seed, so a genome's fitness does not depend on the
chunk it travels in, on the worker or on when it finishes; results are put
back in population order.
"""

import dataclasses
import tempfile
from xml.etree import ElementTree

import numpy as np
from distributed import as_completed

import korvale
from korvale.batch.runner import read_files
from korvale.batch.task import write_model_file

from .genome import NetworkShape

class EvaluationError(Exception):
    """An evaluation gave no usable fitness; the message says why."""


# What each individual's result holds, averaged over its runs: the fitness
# and the run metrics, in this order in the statistics file.
METRICS = ("distance", "coverage", "contact_frames", "stuck")


@dataclasses.dataclass(frozen=True)
class Evaluation:
    """What every task of a run shares: the network shape, the files by name
    with their contents, and how each genome is run."""

    shape: NetworkShape
    scenes: tuple  # names, keys of contents
    robot: str
    contents: dict  # name -> bytes
    seconds: float
    seeds: tuple
    fitness: tuple  # the measures whose product a run earns
    stuck_penalty: float
    contact_penalty: float
    dt: float
    frames: int  # of each run
    reseed: int | None = None  # the run's seed when each generation draws new noise seeds

    def for_generation(self, generation):
        """The evaluation of that generation: with new noise seeds when reseeding."""
        if self.reseed is None:
            return self
        state = np.random.SeedSequence(self.reseed % 2**64, spawn_key=(generation, 1)).generate_state(
            len(self.seeds), np.uint64)
        return dataclasses.replace(self, seeds=tuple(int(seed) for seed in state))

    @classmethod
    def of(cls, config, shape):
        contents = read_files([*config.scenes, config.robot])
        contents[config.robot] = without_cameras(contents[config.robot])
        return cls(shape, tuple(config.scenes), config.robot, contents, config.seconds, tuple(config.seeds),
                   config.fitness, config.stuck_penalty, config.contact_penalty, config.dt, config.frames,
                   config.seed if config.reseed else None)


def without_cameras(robot):
    """The robot file's text without its cameras. The network reads the
    infrared sensors only, and a camera draws no noise and moves nothing, so
    runs are the same without them, to the bit; in a crowded arena they would
    take most of the time, as a camera sees every body."""
    root = ElementTree.fromstring(robot)
    sensors = root.find("sensors")
    cameras = [] if sensors is None else sensors.findall("camera")
    if not cameras:
        return robot
    for camera in cameras:
        sensors.remove(camera)
    return ElementTree.tostring(root, encoding="utf-8")


def evaluate_chunk(evaluation, genomes):
    """Runs each genome (rows of an array of shape (n, dimension)) in every
    scene with every noise seed, on one thread. Returns a dict of float64
    arrays of shape (n,): "fitness" and each of METRICS, the means over the
    scenes and seeds. A run's fitness is the reward's, times
    max(0, 1 - stuck_penalty x its stuck share) and
    max(0, 1 - contact_penalty x its share of frames in contact)."""
    genomes = np.asarray(genomes, dtype=np.float64)
    with tempfile.TemporaryDirectory(prefix="korvale-evolve-") as folder:
        scenes = [write_model_file(folder, f"scene{index}", name, evaluation.contents[name])
                  for index, name in enumerate(evaluation.scenes)]
        robot = write_model_file(folder, "robot", evaluation.robot, evaluation.contents[evaluation.robot])
        networks = [evaluation.shape.network(genome) for genome in genomes]
        result = korvale.evaluate(networks, scenes, robot, evaluation.seconds, list(evaluation.seeds),
                                  reward=evaluation.fitness[0], dt=evaluation.dt, threads=1)
    # Standing, spinning or rocking in place, and pushing against what the
    # sensors do not see, earn little however the reward sees them.
    stuck, contact = result.metrics["stuck"], result.metrics["contact_frames"] / evaluation.frames
    reward = np.prod([result.metrics[name] for name in evaluation.fitness], axis=0)
    fitness = (reward * np.maximum(0.0, 1.0 - evaluation.stuck_penalty * stuck)
               * np.maximum(0.0, 1.0 - evaluation.contact_penalty * contact))
    values = {"fitness": fitness}
    values.update((name, result.metrics[name]) for name in METRICS)
    # Each genome's mean over its own runs alone, whatever else shares the chunk.
    return {name: np.array([np.mean(runs) for runs in array.reshape(len(genomes), -1)], dtype=np.float64)
            for name, array in values.items()}


def split(count, chunks):
    """Bounds of `chunks` contiguous, nearly equal parts of range(count)."""
    chunks = max(1, min(chunks, count))
    edges = [count * k // chunks for k in range(chunks + 1)]
    return list(zip(edges, edges[1:]))


def join(parts):
    """The chunks' results, in order, as one dict of arrays."""
    return {name: np.concatenate([part[name] for part in parts]) for name in parts[0]}


class LocalEvaluator:
    """Evaluates in this process, one chunk at a time (for tests and small runs)."""

    def __init__(self, evaluation, chunks=1):
        self.evaluation, self.chunks = evaluation, chunks

    def __call__(self, genomes, generation=0):
        genomes = np.asarray(genomes)
        evaluation = self.evaluation.for_generation(generation)
        return join([evaluate_chunk(evaluation, genomes[a:b]) for a, b in split(len(genomes), self.chunks)])


class DaskEvaluator:
    """Evaluates on a Dask cluster: one task per chunk of the population.

    on_chunk(done, total), when given, is called once the chunks are
    submitted (done 0) and as each comes back (tests use it to lose a worker
    in the middle of a generation). A worker lost
    during a generation takes its tasks with it: the scheduler runs them
    again on the others."""

    def __init__(self, client, evaluation, chunks, on_chunk=None):
        self.client, self.evaluation, self.chunks, self.on_chunk = client, evaluation, chunks, on_chunk

    def __call__(self, genomes, generation=0):
        genomes = np.asarray(genomes)
        evaluation = self.evaluation.for_generation(generation)
        bounds = split(len(genomes), self.chunks)
        futures = {self.client.submit(evaluate_chunk, evaluation, genomes[a:b], pure=False): index
                   for index, (a, b) in enumerate(bounds)}
        parts = [None] * len(bounds)
        if self.on_chunk is not None:
            self.on_chunk(0, len(bounds))
        try:
            for done, future in enumerate(as_completed(futures), start=1):
                parts[futures[future]] = future.result()
                if self.on_chunk is not None:
                    self.on_chunk(done, len(bounds))
        except Exception as error:  # a task that raised, or that killed every worker it ran on
            self.client.cancel(list(futures))
            raise EvaluationError(f"an evaluation task failed: {type(error).__name__}: {error}") from None
        return join(parts)
