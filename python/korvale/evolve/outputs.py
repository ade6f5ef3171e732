"""What a run writes: the best network, the statistics (CSV), their plot
(SVG) and the checkpoint. Every file is made anew and then takes the old
one's place, so a reader never sees half a file; a run refuses, before it
starts, to write over files that are not its own."""

import csv
import dataclasses
import io
import os
from pathlib import Path

from korvale.files import write_whole
from korvale.train.plot import line_chart

from . import checkpoint

# One row per generation. fitness_* are over the generation's population;
# best_so_far over the whole run; distance to stuck are the means, over its
# runs, of the generation's best individual; evaluations and wall_time
# count from the start of the run.
COLUMNS = ("generation", "fitness_best", "fitness_mean", "fitness_spread", "best_so_far", "sigma",
           "distance", "coverage", "contact_frames", "stuck", "evaluations", "wall_time")
WHOLE = {"generation", "evaluations"}


class OutputError(Exception):
    """An output file cannot be written; the message says which and why."""


@dataclasses.dataclass(frozen=True)
class Outputs:
    """Where the run writes. From the network's name by default:
    best.xml gives best.csv, best.svg and best.checkpoint."""

    network: Path
    csv: Path
    plot: Path
    checkpoint: Path

    @classmethod
    def beside(cls, network, csv=None, plot=None, checkpoint=None):
        network = Path(network)
        stem = network.with_suffix("") if network.suffix == ".xml" else network
        return cls(network, Path(csv or f"{stem}.csv"), Path(plot or f"{stem}.svg"),
                   Path(checkpoint or f"{stem}.checkpoint"))

    def files(self):
        return (self.network, self.csv, self.plot, self.checkpoint)

    def check(self, force, resume):
        """Refuses outputs that would destroy data, before any work: a folder,
        a folder that cannot be written, the same file twice, and an existing
        file unless it is the resumed run's own (resume) or force says so."""
        files = self.files()
        if len({path.resolve() for path in files}) != len(files):
            raise OutputError("the network, statistics, plot and checkpoint must be four different files")
        for path in files:
            if path.is_dir():
                raise OutputError(f"{path} is a folder")
            folder = path.parent
            if not folder.is_dir():
                raise OutputError(f"cannot write {path}: No such file or directory")
            if not os.access(folder, os.W_OK):
                raise OutputError(f"cannot write {path}: Permission denied")
        if resume:
            if not self.checkpoint.exists():
                raise OutputError(f"{self.checkpoint} does not exist; there is no run to resume")
            return
        for path in files:
            if path.exists() and not force:
                hint = "; --resume continues that run" if path == self.checkpoint else ""
                raise OutputError(f"{path} already exists; --force replaces it{hint}")

    def write_generation(self, shape, state, identity):
        """Everything after a generation: the best network, the statistics,
        the plot, and last the checkpoint, so that a checkpoint never runs
        ahead of the files it stands for."""
        network = shape.network(state.best_genome)
        _replace(self.network, lambda: network.save(self.network, overwrite=True))  # whole, as save writes
        _replace(self.csv, lambda: write_whole(self.csv, csv_text(state.rows).encode("ascii"), overwrite=True))
        _replace(self.plot, lambda: write_whole(self.plot, plot_svg(state.rows).encode("ascii"), overwrite=True))
        _replace(self.checkpoint, lambda: write_whole(self.checkpoint, checkpoint.to_bytes(identity, state),
                                                      overwrite=True))


def _replace(path, write):
    """write() makes path anew, whole; a failure becomes an OutputError."""
    try:
        write()
    except OSError as error:
        raise OutputError(f"cannot write {path}: {error.strerror or error}") from None


def _text(column, value):
    return str(int(value)) if column in WHOLE else repr(float(value))


def csv_text(rows):
    """The statistics file: a header, then one row per generation; numbers in
    the shortest form that reads back exactly."""
    buffer = io.StringIO()
    writer = csv.writer(buffer, lineterminator="\n")
    writer.writerow(COLUMNS)
    for row in rows:
        writer.writerow([_text(column, value) for column, value in zip(COLUMNS, row)])
    return buffer.getvalue()


def plot_svg(rows):
    """Fitness per generation: the generation's best and mean, and the best so far."""
    index = {name: COLUMNS.index(name) for name in ("fitness_best", "fitness_mean", "best_so_far")}
    series = [(label, [row[index[name]] for row in rows])
              for label, name in (("best so far", "best_so_far"), ("generation's best", "fitness_best"),
                                  ("generation's mean", "fitness_mean"))]
    return line_chart(series, "Fitness per generation", "generation", "fitness")
