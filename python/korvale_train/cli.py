"""korvale-train's command line: run logs in, a network file out, a report on the way."""

import argparse
import io
import os
import sys
import time
from pathlib import Path

import numpy as np
from threadpoolctl import threadpool_limits

from korvale_train.logs import COMMANDS, LogError, read_logs, readings_per_line
from korvale_train.model import ACTIVATIONS, OUTPUT_FUNCTIONS, TrainingError, TrainOptions, train
from korvale_train.netfile import network_text, write_file
from korvale_train.plot import loss_svg

USAGE = (
    "korvale-train LOG... -o NETWORK.xml [--hidden N[,N...]] [--hidden-fcn tansig|logsig|purelin]\n"
    "                     [--output-fcn logsig|purelin] [--pca K] [--holdout SHARE] [--seed N]\n"
    "                     [--epochs N] [--learning-rate R] [--plot FILE.svg] [--force] [--quiet]"
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


def parse_arguments(arguments):
    defaults = TrainOptions()
    parser = _Parser(
        prog="korvale-train",
        usage=USAGE,
        description="Learns a network file from run logs: the readings of each line are the inputs, "
        "its four commands the yes/no targets.",
    )
    parser.add_argument("logs", nargs="+", metavar="LOG", help="run logs (Start Log in the window, or korvale-sim --log)")
    parser.add_argument("-o", "--output", required=True, metavar="NETWORK.xml", help="the network file to write")
    parser.add_argument("--hidden", type=_hidden_sizes, default=defaults.hidden, metavar="N[,N...]",
                        help="neurons of each hidden layer; 0 for none (default 8)")
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
    parser.add_argument("--plot", metavar="FILE.svg", help="draw the loss per epoch into an SVG file")
    parser.add_argument("--force", action="store_true", help="replace NETWORK.xml if it exists")
    parser.add_argument("--quiet", action="store_true", help="print nothing but errors")
    args = parser.parse_args(arguments)
    check_option_values(args, parser)
    return args


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
    readings = readings_per_line(args.logs[0])
    if readings is not None and args.pca > readings:
        parser.error(f"argument --pca: {args.pca} components, but the logs have {readings} readings per line")


def main(arguments, out=sys.stdout, err=sys.stderr, terminal=None):
    """Runs the tool; returns the exit status (0 done, 1 bad input or output, 2 bad command line)."""
    try:
        args = parse_arguments(arguments)
    except UsageError as error:
        err.write(f"korvale-train: {error} (korvale-train --help shows the usage)\n")
        return 2
    if terminal is None:
        terminal = err.isatty()
    try:
        # One thread: the same logs, options and seed give the same file.
        with threadpool_limits(limits=1):
            run(args, _Silent() if args.quiet else _Report(out), err, terminal and not args.quiet)
    except (LogError, TrainingError, OutputError) as error:
        err.write(f"korvale-train: {error}\n")
        return 1
    except KeyboardInterrupt:
        err.write("\nkorvale-train: interrupted; no network written\n")
        return 130
    return 0


def run(args, out, err, terminal):
    options = TrainOptions(
        hidden=args.hidden,
        hidden_fcn=args.hidden_fcn,
        output_fcn=args.output_fcn,
        pca=args.pca,
        holdout=args.holdout,
        seed=args.seed,
        epochs=args.epochs,
        learning_rate=args.learning_rate,
    )
    check_outputs(args)

    demonstrations = read_logs(args.logs)
    lines = len(demonstrations.readings)
    out.write(f"read {_count(lines, 'line')} from {_count(len(args.logs), 'log')}, "
              f"{_count(demonstrations.sensor_count, 'reading')} per line\n")
    if len(args.logs) > 1:
        width = max(len(path) for path, _ in demonstrations.lines_per_log)
        for path, count in demonstrations.lines_per_log:
            out.write(f"  {path:<{width}}  {_count(count, 'line')}\n")

    started = time.monotonic()
    progress = _Progress(err, options.epochs) if terminal else None
    try:
        training = train(demonstrations.readings, demonstrations.commands, options, progress)
    finally:
        if progress:
            progress.close()
    network = training.network
    out.write(f"trained on {_count(len(training.train_rows), 'line')}, {len(training.holdout_rows)} held out: "
              f"{_shape(demonstrations.sensor_count, options)}\n")
    out.write(f"{_count(len(training.losses), 'epoch')} in {time.monotonic() - started:.1f} s, final loss "
              f"{training.losses[-1]:.5f} ({'the loss no longer fell' if training.converged else 'epoch limit'})\n")

    rows = training.holdout_rows if len(training.holdout_rows) else training.train_rows
    out.write(_accuracy_table(network.commands(demonstrations.readings[rows]), demonstrations.commands[rows] > 0.5,
                              "held-out lines" if len(training.holdout_rows) else "training lines"))

    try:
        text = network_text(network)
    except ValueError as error:
        raise TrainingError(f"training gave an unusable network: {error}") from None
    _write(args.output, text, args.force)
    if args.plot:
        _write(args.plot, loss_svg(training.losses), force=True)
    out.write(f"wrote {args.output}" + (f" and {args.plot}" if args.plot else "") + "\n")


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
    for log in args.logs:
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


def _count(number, thing):
    return f"{number} {thing}{'' if number == 1 else 's'}"


def _shape(sensors, options):
    parts = [f"{sensors} readings"]
    if options.pca:
        parts.append(f"{options.pca} principal components")
    parts += [f"{size} {options.hidden_fcn}" for size in options.hidden]
    parts.append(f"4 {options.output_fcn} outputs")
    return " -> ".join(parts)


def _accuracy_table(predicted, wanted, label):
    rows = [f"{label:<16}{'accuracy':>10}{'on in the log':>16}{'on by the network':>20}"]
    for i, name in enumerate(COMMANDS):
        rows.append(f"  {name:<14}{_percent(np.mean(predicted[:, i] == wanted[:, i])):>10}"
                    f"{_percent(np.mean(wanted[:, i])):>16}{_percent(np.mean(predicted[:, i])):>20}")
    rows.append(f"  {'all four':<14}{_percent(np.mean((predicted == wanted).all(axis=1))):>10}")
    return "\n".join(rows) + "\n"


def _percent(share):
    return f"{100 * share:.1f} %"


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


class _Progress:
    """One line on the terminal, rewritten after every epoch."""

    def __init__(self, stream, epochs):
        self.stream, self.epochs = stream, epochs

    def __call__(self, epoch, loss):
        self.stream.write(f"\repoch {epoch}/{self.epochs}  loss {loss:.5f}")
        self.stream.flush()

    def close(self):
        self.stream.write("\r\033[K")
        self.stream.flush()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
