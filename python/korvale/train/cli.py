"""korvale-train's command line: run logs in, a network file out, a report on the way."""

import argparse
import io
import os
import sys
from dataclasses import replace
from pathlib import Path

import numpy as np
from threadpoolctl import threadpool_limits

from korvale.train.demonstrations import CORRECTION_WEIGHT
from korvale.train.driving import Course, DrivingError, crowded_scenes, load_teacher
from korvale.train.lesson import Lesson
from korvale.train.logs import LogError, read_logs, readings_per_line
from korvale.train.model import ACTIVATIONS, OUTPUT_FUNCTIONS, TrainingError, TrainOptions
from korvale.train.netfile import network_text, write_file
from korvale.train.plot import loss_svg
from korvale.train.progress import ProgressLines, TerminalProgress
from korvale.train.report import summary
from korvale.train.selection import candidate_options

# Candidates of different seeds that --validate trains unless told otherwise.
DEFAULT_CANDIDATES = 5

USAGE = (
    "korvale-train LOG... [--corrections LOG...] -o NETWORK.xml [--hidden N[,N...]] [--hidden-fcn tansig|logsig|purelin]\n"
    "                     [--output-fcn logsig|purelin] [--pca K] [--holdout SHARE] [--seed N]\n"
    "                     [--epochs N] [--learning-rate R] [--balance SHARE] [--noise SD] [--standing SHARE]\n"
    "                     [--any-combination] [--keep-opposites] [--keep-idle] [--keep-blind]\n"
    "                     [--robot ROBOT.xml --validate SCENE... [--candidates K]]\n"
    "                     [--robot ROBOT.xml --teacher TEACHER.xml --dagger ROUNDS --scenes SCENE...]\n"
    "                     [--seconds T] [--runs N] [--starts N] [--threads N] [--plot FILE.svg] [--force] [--quiet]\n"
    "                     [--progress-lines]"
)


class UsageError(Exception):
    pass


class OutputError(Exception):
    pass


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        raise UsageError(message)


def _hidden_sizes(text):
    try:
        sizes = tuple(int(part) for part in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError(f"'{text}' is not a list of layer sizes such as 8 or 8,4") from None
    if sizes == (0,):
        return ()
    if any(size < 1 for size in sizes):
        raise argparse.ArgumentTypeError(f"'{text}': every hidden layer needs at least one neuron")
    return sizes


def _non_negative(text):
    value = _number(text)
    if value < 0:
        raise argparse.ArgumentTypeError(f"'{text}' is negative")
    return value


def _positive(text):
    value = _number(text)
    if not value > 0:
        raise argparse.ArgumentTypeError(f"'{text}' is not greater than 0")
    return value


def _number(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"'{text}' is not a number") from None
    if not np.isfinite(value):
        raise argparse.ArgumentTypeError(f"'{text}' is not a finite number")
    return value


def _at_least(least):
    def whole(text):
        try:
            value = int(text)
        except ValueError:
            raise argparse.ArgumentTypeError(f"'{text}' is not a whole number") from None
        if value < least:
            raise argparse.ArgumentTypeError(f"'{text}' is less than {least}")
        return value
    return whole


# Options that may be given several times: each value makes candidates of its own.
SWEPT = {"hidden": "hidden", "noise": "noise", "balance": "balance"}


def parse_arguments(arguments):
    defaults = TrainOptions()
    parser = _Parser(
        prog="korvale-train",
        usage=USAGE,
        description="Learns a network file from run logs: the readings of each line are the inputs, "
        "its four commands the yes/no targets. With --validate the candidates drive, and the one that "
        "drives best is kept; with --dagger a teacher network labels what the student meets.",
    )
    parser.add_argument("logs", nargs="*", metavar="LOG", help="run logs (Start Log in the window, or korvale-sim --log)")
    parser.add_argument("--corrections", nargs="+", default=[], metavar="LOG",
                        help=f"corrections logs (Log Corrections in the window: the lines where a person took over "
                        f"from a network); each of their lines counts {CORRECTION_WEIGHT} times")
    parser.add_argument("-o", "--output", required=True, metavar="NETWORK.xml", help="the network file to write")
    parser.add_argument("--hidden", type=_hidden_sizes, action="append", metavar="N[,N...]",
                        help="neurons of each hidden layer; 0 for none (default 8); given several times, "
                        "each makes candidates")
    parser.add_argument("--hidden-fcn", choices=sorted(ACTIVATIONS), default=defaults.hidden_fcn,
                        help="transfer function of the hidden layers (default tansig)")
    parser.add_argument("--output-fcn", choices=OUTPUT_FUNCTIONS, default=defaults.output_fcn,
                        help="transfer function of the four outputs: logsig (yes/no probabilities, default) or "
                        "purelin (least squares on 0 and 1)")
    parser.add_argument("--pca", type=int, default=defaults.pca, metavar="K",
                        help="project the normalised readings onto K principal components (default: no projection)")
    parser.add_argument("--holdout", type=float, default=defaults.holdout, metavar="SHARE",
                        help="share of the lines kept out of training to measure accuracy (default 0.2)")
    parser.add_argument("--seed", type=int, default=defaults.seed, metavar="N",
                        help="seed of the split, the initial weights and the shuffling (default 0)")
    parser.add_argument("--epochs", type=int, default=defaults.epochs, metavar="N",
                        help="most passes over the training lines; training stops earlier once the loss "
                        "no longer falls (default 200)")
    parser.add_argument("--learning-rate", type=float, default=defaults.learning_rate, metavar="R",
                        help="initial step of the Adam optimiser (default 0.01)")
    parser.add_argument("--balance", type=_non_negative, action="append", metavar="SHARE",
                        help=f"repeat the lines of every rarer combination of commands until it comes near this "
                        f"share of the commonest one, at most 10 times (default {defaults.balance:g}; 0: off)")
    parser.add_argument("--noise", type=_non_negative, action="append", metavar="SD",
                        help=f"add noise of this deviation to the normalised readings in every epoch "
                        f"(default {defaults.noise:g})")
    parser.add_argument("--standing", type=_non_negative, default=defaults.standing, metavar="SHARE",
                        help="turn forward, left and right on below an output of 0.5 (down to 0.25) until the "
                        "student stands still on at most this share of the lines where the demonstration moved "
                        f"(default {defaults.standing:g}; 1: leave 0.5)")
    parser.add_argument("--any-combination", action="store_true",
                        help="threshold each output on its own (by default the student gives, of the combinations "
                        "of commands in the logs, the one its outputs agree with most)")
    parser.add_argument("--keep-opposites", action="store_true",
                        help="also give a combination whose wheels turn opposite to those of a commoner one, such "
                        "as backward where forward was given (by default the student leaves it out: where unsure, "
                        "it would undo what it has just done and rock to and fro)")
    parser.add_argument("--keep-idle", action="store_true",
                        help="keep the lines without any command as they are (by default those before a log's first "
                        "command and after its last are dropped, the others take the command that ended the pause)")
    parser.add_argument("--keep-blind", action="store_true",
                        help="keep the lines with nothing in sight as they are (by default, where the logs drive "
                        "forward with nothing in sight, the lines turning on the spot there are dropped, and those "
                        "with nothing in sight count enough times to make a quarter of the training)")
    parser.add_argument("--robot", metavar="ROBOT.xml", help="the robot that drives in --validate and --dagger")
    parser.add_argument("--validate", nargs="+", metavar="SCENE", help="drive every candidate in these scenes "
                        "and keep the one that drives best")
    parser.add_argument("--candidates", type=_at_least(1), metavar="K",
                        help=f"candidates of different seeds (default {DEFAULT_CANDIDATES} with --validate, "
                        "1 when options are swept)")
    parser.add_argument("--teacher", metavar="TEACHER.xml", help="the network that labels the readings the "
                        "student meets in --dagger")
    parser.add_argument("--dagger", type=_at_least(1), metavar="ROUNDS",
                        help="rounds of driving in --scenes, labelling by --teacher and training again")
    parser.add_argument("--scenes", nargs="+", metavar="SCENE", help="where the student drives in --dagger")
    parser.add_argument("--seconds", type=_positive, default=Course.seconds, metavar="T",
                        help=f"seconds of each drive (default {Course.seconds:g})")
    parser.add_argument("--runs", type=_at_least(1), default=len(Course.seeds), metavar="N",
                        help=f"drives in each scene, with seeds 0 to N-1 (default {len(Course.seeds)})")
    parser.add_argument("--starts", type=_at_least(0), default=Course.starts, metavar="N",
                        help=f"drives in each scene from free places drawn from seeds 0 to N-1, besides those from "
                        f"the scene's start (default {Course.starts}; 0: from the start only)")
    parser.add_argument("--threads", type=_at_least(1), metavar="N", help="threads that drive (default: one per core)")
    parser.add_argument("--plot", metavar="FILE.svg", help="draw the loss per epoch into an SVG file")
    parser.add_argument("--force", action="store_true", help="replace NETWORK.xml if it exists")
    parser.add_argument("--quiet", action="store_true", help="print nothing but errors")
    parser.add_argument("--progress-lines", action="store_true",
                        help="report progress as whole lines on standard error, for a program that shows them")
    args = parser.parse_args(arguments)
    if not args.logs and not args.corrections:
        parser.error("the following arguments are required: LOG")
    check_option_values(args, parser)
    check_combination(args, parser)
    return args


def check_combination(args, parser):
    """Options that need each other, refused before any work."""
    if args.validate and not args.robot:
        parser.error("--validate needs --robot ROBOT.xml")
    dagger = [name for name in ("teacher", "dagger", "scenes") if getattr(args, name)]
    if dagger and len(dagger) < 3:
        parser.error("--dagger ROUNDS needs --teacher TEACHER.xml and --scenes SCENE...")
    if dagger and not args.robot:
        parser.error("--dagger needs --robot ROBOT.xml")
    if args.candidates and args.candidates > 1 and not args.validate and not dagger:
        parser.error("--candidates needs --validate SCENE... (or --dagger) to choose among them by driving")
    if any(len(getattr(args, name) or ()) > 1 for name in SWEPT) and not args.validate and not dagger:
        parser.error("options given several times need --validate SCENE... to choose among them by driving")


def check_option_values(args, parser):
    """Values the trainer cannot use are a wrong command line, found before
    any log is read (the first line of the first log tells the readings)."""
    if not 0 <= args.holdout < 1:
        parser.error(f"argument --holdout: the held-out share must be at least 0 and below 1, not {args.holdout:g}")
    if args.epochs < 1:
        parser.error(f"argument --epochs: training needs at least one epoch, not {args.epochs}")
    if not args.learning_rate > 0:
        parser.error(f"argument --learning-rate: the learning rate must be greater than 0, not {args.learning_rate:g}")
    if args.pca < 0:
        parser.error(f"argument --pca: the number of components must not be negative, not {args.pca}")
    readings = readings_per_line((args.logs + args.corrections)[0])
    if readings is not None and args.pca > readings:
        parser.error(f"argument --pca: {args.pca} components, but the logs have {readings} readings per line")


def main(arguments=None, out=sys.stdout, err=sys.stderr, terminal=None):
    """Runs the tool on arguments (the command line's without them); returns
    the exit status (0 done, 1 bad input or output, 2 bad command line)."""
    try:
        args = parse_arguments(sys.argv[1:] if arguments is None else arguments)
    except UsageError as error:
        err.write(f"korvale-train: {error} (korvale-train --help shows the usage)\n")
        return 2
    if terminal is None:
        terminal = err.isatty()
    if args.progress_lines:
        progress = ProgressLines(err)
    elif terminal and not args.quiet:
        progress = TerminalProgress(err)
    else:
        progress = None
    try:
        # One thread: the same logs, options and seed give the same file.
        with threadpool_limits(limits=1):
            run(args, _Silent() if args.quiet else _Report(out), err, progress)
    except (LogError, TrainingError, OutputError, DrivingError) as error:
        err.write(f"korvale-train: {error}\n")
        return 1
    except KeyboardInterrupt:
        err.write("\nkorvale-train: interrupted; no network written\n")
        return 130
    return 0


def training_options(args):
    """The options of the first candidate, and the swept ones' values."""
    sweeps = {name: getattr(args, name) for name in SWEPT if getattr(args, name) and len(getattr(args, name)) > 1}
    chosen = {name: getattr(args, name)[0] for name in SWEPT if getattr(args, name)}
    options = TrainOptions(hidden_fcn=args.hidden_fcn, output_fcn=args.output_fcn, pca=args.pca,
                           holdout=args.holdout, seed=args.seed, epochs=args.epochs,
                           learning_rate=args.learning_rate, standing=args.standing,
                           demonstrated=not args.any_combination,
                           keep_opposites=args.keep_opposites, **chosen)
    return options, sweeps


def run(args, out, err, progress):
    options, sweeps = training_options(args)
    check_outputs(args)
    judged = bool(args.validate or args.dagger)
    seeds = args.candidates or (1 if sweeps or not judged else DEFAULT_CANDIDATES)
    seeds_per_scene = tuple(range(args.runs))
    course = dagger_course = None
    if args.validate:
        course = Course(args.robot, tuple(args.validate), args.seconds, seeds_per_scene, args.threads, args.starts)
    if args.dagger:
        dagger_course = Course(args.robot, tuple(args.scenes), args.seconds, seeds_per_scene, args.threads,
                               args.starts)
    course, dagger_course = (_with_room(c, out) if c else c for c in (course, dagger_course))
    lesson = Lesson(candidate_options(options, seeds, sweeps), course or dagger_course, list(sweeps), out, progress)

    paths = args.logs + args.corrections
    demonstrations = read_logs(paths, [1] * len(args.logs) + [CORRECTION_WEIGHT] * len(args.corrections))
    teacher = load_teacher(args.teacher, demonstrations.sensor_count) if args.dagger else None
    lesson.read(paths, demonstrations, set(args.corrections))
    if not args.keep_idle:
        demonstrations = lesson.settle_idle(demonstrations)
    if not args.keep_blind:
        demonstrations = lesson.settle_blind(demonstrations)

    selection = lesson.fit(demonstrations)
    if args.dagger:
        selection = lesson.dagger(demonstrations, selection, teacher, dagger_course, args.dagger, args.runs)
    student = selection.student
    if not args.quiet:
        lesson.warn_if_standing(student, demonstrations, err)

    try:
        text = network_text(student.network)
    except ValueError as error:
        raise TrainingError(f"training gave an unusable network: {error}") from None
    _write(args.output, text, args.force)
    if args.plot:
        _write(args.plot, loss_svg(student.training.losses), force=True)
    out.write(f"wrote {args.output}" + (f" and {args.plot}" if args.plot else "") + "\n")
    if progress:
        progress.finish(f"{args.output}: " + summary(student, selection.driving, selection.chosen, lesson.course))


def _with_room(course, out):
    """The course, from the scenes' starts alone where a scene has no room
    for free starts; says so."""
    crowded = crowded_scenes(course) if course.starts else []
    if not crowded:
        return course
    out.write(f"no free place for the robot in {', '.join(Path(scene).name for scene in crowded)}: "
              "driving from the scenes' starts only\n")
    return replace(course, starts=0)


def check_outputs(args):
    """Refuses, before any work, outputs that would destroy data."""
    output = Path(args.output)
    if output.is_dir():
        raise OutputError(f"{output} is a folder")
    if output.exists() and not args.force:
        raise OutputError(f"{output} already exists; --force replaces it")
    written = [output] + ([Path(args.plot)] if args.plot else [])
    for path in written:
        folder = path.parent
        if not folder.is_dir() or not os.access(folder, os.W_OK):
            problem = "No such file or directory" if not folder.is_dir() else "Permission denied"
            raise OutputError(f"cannot write {path}: {problem}")
    for log in args.logs + args.corrections:
        for path in written:
            if path.exists() and Path(log).exists() and path.samefile(log):
                raise OutputError(f"{path} is one of the logs; write to another file")
    if args.plot and output.resolve() == Path(args.plot).resolve():
        raise OutputError("the network and the plot would be the same file")


def _write(path, text, force):
    try:
        write_file(path, text, force)
    except FileExistsError:
        raise OutputError(f"{path} already exists; --force replaces it") from None
    except OSError as error:
        raise OutputError(f"cannot write {path}: {error.strerror or error}") from None


class _Silent:
    def write(self, text):
        pass


class _Report:
    """Standard output that a reader going away (a closed pipe) does not stop:
    the network is still written."""

    def __init__(self, stream):
        self.stream, self.open = stream, True

    def write(self, text):
        if not self.open:
            return
        try:
            self.stream.write(text)
            self.stream.flush()
        except BrokenPipeError:
            self.open = False
            try:  # so that the interpreter's last flush finds nothing to complain about
                os.dup2(os.open(os.devnull, os.O_WRONLY), self.stream.fileno())
            except (OSError, ValueError, io.UnsupportedOperation):
                pass

