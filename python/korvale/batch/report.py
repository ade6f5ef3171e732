"""The results file and the summary per network."""

import csv
import io
import math
import statistics

from korvale.files import write_whole

from .task import columns


def _text(value):
    if value is None:
        return ""
    if isinstance(value, float):
        return repr(value)
    return str(value)


def write_csv(rows, path):
    """Writes the rows, header first. The file appears whole or not at all."""
    header = columns(rows)
    text = io.StringIO(newline="")
    writer = csv.writer(text, lineterminator="\n")
    writer.writerow(header)
    for row in rows:
        writer.writerow([_text(row.get(column)) for column in header])
    write_whole(path, text.getvalue().encode("utf-8"), overwrite=True)


def summary(rows):
    """Per network, in sweep order: runs, failed runs, and the mean and
    spread (sample standard deviation) of the distance over the good runs."""
    networks = {}
    for row in rows:
        networks.setdefault(row["network"], []).append(row)
    lines = []
    for network, runs in networks.items():
        distances = [r["distance"] for r in runs if not r["error"]]
        mean = statistics.fmean(distances) if distances else math.nan
        spread = statistics.stdev(distances) if len(distances) > 1 else 0.0 if distances else math.nan
        lines.append((network, len(runs), len(runs) - len(distances), mean, spread))
    width = max([len("network")] + [len(line[0]) for line in lines])
    text = [f"{'network':<{width}}  {'runs':>5}  {'failed':>6}  {'mean distance':>13}  {'spread':>10}"]
    for network, count, failed, mean, spread in lines:
        text.append(f"{network:<{width}}  {count:>5}  {failed:>6}  {mean:>13.3f}  {spread:>10.3f}")
    return "\n".join(text) + "\n"
