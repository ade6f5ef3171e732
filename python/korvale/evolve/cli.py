"""korvale-evolve's command line: a configuration in, the best network and
the run's statistics out, one progress line per generation on the way."""

import argparse
import contextlib
import hashlib
import os
import signal
import sys

from distributed import Client, WorkerPlugin
from threadpoolctl import threadpool_limits

import korvale
from korvale.batch import runner

from . import checkpoint, config as configs
from .evaluation import DaskEvaluator, Evaluation, EvaluationError
from .genome import NetworkShape
from .loop import evolve
from .outputs import Outputs, OutputError
from .strategy import Evolution

USAGE = (
    "korvale-evolve CONFIG.toml -o NETWORK.xml [--csv FILE.csv] [--plot FILE.svg] [--checkpoint FILE]\n"
    "                      [--resume] [--force] [--scheduler tcp://HOST:PORT | --workers N] [--chunks N]\n"
    "                      [--quiet]"
)


class UsageError(Exception):
    pass


class RunError(Exception):
    """The run cannot start or go on; the message (one or more lines) says why."""


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        raise UsageError(message)


def parse_arguments(arguments):
    parser = _Parser(
        prog="korvale-evolve", usage=USAGE,
        description="Evolves a network file from random weights with CMA-ES; each generation's population "
                    "is run in the configuration's scenes on Dask distributed.")
    parser.add_argument("config", metavar="CONFIG.toml", help="the evolution's configuration (TOML)")
    parser.add_argument("-o", "--output", required=True, metavar="NETWORK.xml",
                        help="the best network so far, rewritten after every generation")
    parser.add_argument("--csv", metavar="FILE.csv", help="statistics per generation (default: NETWORK.csv)")
    parser.add_argument("--plot", metavar="FILE.svg", help="fitness per generation (default: NETWORK.svg)")
    parser.add_argument("--checkpoint", metavar="FILE", help="where the run can be resumed from "
                                                             "(default: NETWORK.checkpoint)")
    parser.add_argument("--resume", action="store_true", help="continue the run the checkpoint holds")
    parser.add_argument("--force", action="store_true", help="start anew over existing output files")
    parser.add_argument("--scheduler", metavar="tcp://HOST:PORT",
                        help="a running Dask scheduler; without it a local cluster evaluates")
    parser.add_argument("--workers", type=int, metavar="N",
                        help="worker processes of the local cluster (default: one per core)")
    parser.add_argument("--chunks", type=int, metavar="N",
                        help="tasks per generation (default: two per worker thread)")
    parser.add_argument("--quiet", action="store_true", help="print nothing but errors")
    options = parser.parse_args(arguments)
    if options.workers is not None and options.workers < 1:
        raise UsageError("--workers must be at least 1")
    if options.chunks is not None and options.chunks < 1:
        raise UsageError("--chunks must be at least 1")
    if options.workers is not None and options.scheduler:
        raise UsageError("--workers is for the local cluster, not with --scheduler")
    if options.resume and options.force:
        raise UsageError("--resume continues a run and --force starts one anew: give one of them")
    return options


def main(arguments=None, out=None, err=None):
    """Runs the tool; returns the exit status: 0 done, 1 a file or the run
    failed, 2 a wrong command line or configuration, 130 stopped by Ctrl-C."""
    out, err = out or sys.stdout, err or sys.stderr
    try:
        options = parse_arguments(sys.argv[1:] if arguments is None else arguments)
    except UsageError as error:
        err.write(f"korvale-evolve: {error} (korvale-evolve --help shows the usage)\n")
        return 2
    try:
        config = configs.load(options.config)
    except configs.ConfigError as error:
        err.write(f"korvale-evolve: {options.config}: {error}\n")
        return 2
    try:
        with one_blas_thread():
            return run(options, config, out if not options.quiet else None, err)
    except (RunError, OutputError, EvaluationError) as error:
        err.write(f"korvale-evolve: {error}\n")
        return 1


BLAS_THREADS = ("OPENBLAS_NUM_THREADS", "OMP_NUM_THREADS", "MKL_NUM_THREADS", "BLIS_NUM_THREADS")


@contextlib.contextmanager
def one_blas_thread():
    """One BLAS thread here and in the worker processes started meanwhile,
    which inherit the environment: the strategy's linear algebra gives the
    same numbers on every run, and workers do not crowd each other's cores."""
    before = {variable: os.environ.get(variable) for variable in BLAS_THREADS}
    os.environ.update({variable: "1" for variable in BLAS_THREADS})
    try:
        with threadpool_limits(limits=1):
            yield
    finally:
        for variable, value in before.items():
            if value is None:
                os.environ.pop(variable, None)
            else:
                os.environ[variable] = value


def robot_inputs(config):
    """The robot's infrared sensors, the network's inputs; every scene is
    loaded with the robot first, so that a bad file stops the run before it starts."""
    inputs = None
    for scene in config.scenes:
        try:
            simulation = korvale.Simulation(scene, robot=config.robot)
        except korvale.LoadError as error:
            raise RunError(f"{config.names[scene]} with {config.names[config.robot]}:\n{error}") from None
        inputs = len(simulation.ir)
    if not inputs:
        raise RunError(f"{config.names[config.robot]}: the robot has no infrared sensors to drive by")
    return inputs


def run_identity(config, evaluation):
    """The configuration's identity and the digests of its files' contents."""
    identity = config.identity()
    identity["files"] = {config.names[path]: hashlib.sha256(evaluation.contents[path]).hexdigest()
                         for path in (*config.scenes, config.robot)}
    return identity


def run(options, config, out, err):
    outputs = Outputs.beside(options.output, options.csv, options.plot, options.checkpoint)
    outputs.check(options.force, options.resume)
    shape = NetworkShape.of(robot_inputs(config), config.network)
    evaluation = Evaluation.of(config, shape)
    identity = run_identity(config, evaluation)
    state = None
    if options.resume:
        try:
            state = checkpoint.from_bytes(outputs.checkpoint.read_bytes(), identity)
        except (OSError, checkpoint.CheckpointError) as error:
            raise RunError(f"cannot resume from {outputs.checkpoint}: {error}") from None
        if state.generation >= config.generations:
            _say(out, f"the run has done {state.generation} generations already; "
                      f"raise 'generations' in {options.config} to go on")
            return 0
    evolution = Evolution(shape.dimension, config.sigma, config.seed, config.population)

    stop = StopRequest(err)
    with contextlib.ExitStack() as stack:
        client = stack.enter_context(connect(options.scheduler, options.workers))
        threads = sum(client.nthreads().values())
        chunks = options.chunks or 2 * max(threads, 1)
        evolution.toolbox.register("evaluate", DaskEvaluator(client, evaluation, chunks))
        stack.enter_context(stop.installed())  # before the first line: Ctrl-C from then on stops gently
        _say(out, f"{shape.describe()}: {shape.dimension} weights, {evolution.population_size} individuals per "
                  f"generation, each run in {len(config.scenes)} scene{_s(config.scenes)} with "
                  f"{len(config.seeds)} seed{_s(config.seeds)} for {config.seconds:g} s; "
                  f"{threads} worker thread{_s(range(threads))}")
        if state is not None:
            _say(out, f"resuming after generation {state.generation}")
        try:
            state = evolve(config, evolution, shape, outputs, identity, state, Progress(out, config.generations),
                           stop.requested)
        except KeyboardInterrupt:
            err.write(f"korvale-evolve: interrupted; {outputs.checkpoint} holds the last whole generation\n")
            return 130
    _say(out, f"best fitness {state.best_fitness:.6g} (generation {state.best_generation}) in {outputs.network}; "
              f"statistics in {outputs.csv}, plot in {outputs.plot}")
    if state.generation < config.generations:
        err.write(f"korvale-evolve: stopped after generation {state.generation} of {config.generations}; "
                  f"--resume continues from {outputs.checkpoint}\n")
        return 130
    return 0


def _s(items):
    return "" if len(items) == 1 else "s"


def _say(out, line):
    if out is not None:
        out.write(line + "\n")
        out.flush()


class Progress:
    """One line per generation."""

    def __init__(self, out, generations):
        self.out, self.generations = out, generations

    def __call__(self, state):
        row = dict(zip(("generation", "best", "mean", "spread", "so_far", "sigma"), state.rows[-1]))
        _say(self.out, f"generation {state.generation}/{self.generations}: best {row['best']:.4f}  "
                       f"mean {row['mean']:.4f}  spread {row['spread']:.4f}  best so far {row['so_far']:.4f}  "
                       f"sigma {row['sigma']:.4g}  {state.evaluations} evaluations  {state.elapsed:.1f} s")


class StopRequest:
    """Ctrl-C once: the run ends after the current generation, its checkpoint
    written. Ctrl-C twice: at once."""

    def __init__(self, err):
        self.err, self.asked = err, False

    def requested(self):
        return self.asked

    def __call__(self, signum, frame):
        if self.asked:
            raise KeyboardInterrupt
        self.asked = True
        self.err.write("\nkorvale-evolve: stopping after this generation (Ctrl-C again stops at once)\n")
        self.err.flush()

    @contextlib.contextmanager
    def installed(self):
        previous = signal.signal(signal.SIGINT, self)
        try:
            yield
        finally:
            signal.signal(signal.SIGINT, previous)


class IgnoreInterrupts(WorkerPlugin):
    """Local workers share the terminal's process group, so Ctrl-C reaches
    them too; they leave it to the client, which stops after the generation."""

    name = "korvale-evolve-ignore-interrupts"

    def setup(self, worker):
        with contextlib.suppress(ValueError):  # not the worker process's main thread
            signal.signal(signal.SIGINT, signal.SIG_IGN)


@contextlib.contextmanager
def connect(scheduler, workers):
    """A client of the scheduler, or of a local cluster that Ctrl-C leaves running."""
    if scheduler:
        try:
            client = Client(scheduler, timeout="20s")
        except (OSError, TimeoutError) as error:
            raise RunError(f"cannot reach the scheduler at {scheduler}: {error}") from None
        with client:
            yield client
        return
    # Worker processes started while SIGINT is ignored keep ignoring it.
    previous = signal.signal(signal.SIGINT, signal.SIG_IGN)
    try:
        cluster = runner.local_cluster(workers)
    finally:
        signal.signal(signal.SIGINT, previous)
    try:
        with Client(cluster) as client:
            client.register_worker_plugin(IgnoreInterrupts())
            yield client
    finally:
        cluster.close()
