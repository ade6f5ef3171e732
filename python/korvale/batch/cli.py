"""korvale-batch SWEEP.toml -o results.csv [--scheduler tcp://HOST:PORT] [--workers N] [--quiet]"""

import argparse
import os
import sys
import time

from . import report, runner, sweep as sweeps


class ProgressBar:
    """One line on a terminal, redrawn as runs finish; nothing elsewhere."""

    def __init__(self, stream, shown):
        self.stream, self.shown = stream, shown

    def __call__(self, done, total, row):
        if not self.shown:
            return
        filled = 30 * done // total
        self.stream.write(f"\r[{'#' * filled}{'.' * (30 - filled)}] {done}/{total} runs")
        if done == total:
            self.stream.write("\n")
        self.stream.flush()


def parse_arguments(arguments):
    parser = argparse.ArgumentParser(
        prog="korvale-batch",
        description="Runs every combination of a sweep file's scenes, robots, networks and seeds on Dask.")
    parser.add_argument("sweep", help="the sweep file (TOML)")
    parser.add_argument("-o", "--output", required=True, help="the results file (CSV), replaced when it exists")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, e.g. tcp://HOST:8786; "
                                            "without it a local cluster runs the sweep")
    parser.add_argument("--workers", type=int, help="worker processes of the local cluster (default: one per core)")
    parser.add_argument("--quiet", action="store_true", help="no progress bar and no summary")
    options = parser.parse_args(arguments)
    if options.workers is not None and options.workers < 1:
        parser.error("--workers must be at least 1")
    if options.workers is not None and options.scheduler:
        parser.error("--workers is for the local cluster, not with --scheduler")
    return options


def main(arguments=None):
    options = parse_arguments(sys.argv[1:] if arguments is None else arguments)
    try:
        sweep = sweeps.load(options.sweep)
    except sweeps.SweepError as error:
        print(f"korvale-batch: {options.sweep}: {error}", file=sys.stderr)
        return 2
    folder = os.path.dirname(os.path.abspath(options.output))
    if os.path.isdir(options.output):
        print(f"korvale-batch: the results file '{options.output}' is a folder", file=sys.stderr)
        return 2
    if not os.access(folder, os.W_OK):
        print(f"korvale-batch: cannot write the results into '{folder}'", file=sys.stderr)
        return 2

    began = time.perf_counter()
    client, cluster = runner.connect(options.scheduler, options.workers)
    try:
        progress = ProgressBar(sys.stderr, not options.quiet and sys.stderr.isatty())
        rows = runner.run_sweep(sweep, client, progress)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    report.write_csv(rows, options.output)
    if not options.quiet:
        sys.stdout.write(report.summary(rows))
        failed = sum(1 for row in rows if row["error"])
        print(f"{len(rows)} runs ({failed} failed) in {time.perf_counter() - began:.1f} s; rows in {options.output}")
    return 1 if any(row["error"] for row in rows) else 0
