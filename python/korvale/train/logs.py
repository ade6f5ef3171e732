"""Reading run logs.

A log line holds one field per infrared reading and then the four commands
forward, backward, left and right as 1.0 or 0.0, every field followed by a
blank. Readings are zero-padded on the left to eight characters, in front of
a sign too, so -0.25 is written 000-0.25.

Well-formed logs take a fast path through numpy's text reader; anything it
does not accept whole is read again line by line, which finds the first fault
and names its file and line.
"""

import io
import math
import re
from dataclasses import dataclass
from pathlib import Path

import numpy as np

COMMANDS = ("forward", "backward", "left", "right")

# Every byte a well-formed log can hold; a log with any other byte is left
# to the careful reader.
_LOG_BYTES = b"0123456789.eE+- \t\r\n"
# Zeros padding a signed number, at the start of a field.
_PADDED_SIGN = re.compile(r"(?<!\S)0+(?=[-+])")
_NUMBER = re.compile(rb"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?")


class LogError(Exception):
    """A log the trainer cannot use; str() is the one line the user sees."""

    def __init__(self, path, line, problem):
        super().__init__(f"{path}:{line}: {problem}" if line else f"{path}: {problem}")
        self.path = str(path)
        self.line = line
        self.problem = problem


@dataclass
class Demonstrations:
    """The lines of one or more logs: what the sensors read and what was commanded."""

    readings: np.ndarray  # lines x sensors
    commands: np.ndarray  # lines x 4, each 0.0 or 1.0
    lines_per_log: list  # (path, line count) in the order read
    weights: np.ndarray = None  # how many times each line counts in training; None: once each

    def __post_init__(self):
        if self.weights is None:
            self.weights = np.ones(len(self.readings), dtype=np.int64)

    @property
    def sensor_count(self):
        return self.readings.shape[1]


def read_logs(paths, weights=None):
    """Reads every log; all of them must come from robots with the same
    sensor count. weights: how many times each log's lines count (once)."""
    readings, commands, counts = [], [], []
    weights = list(weights) if weights is not None else [1] * len(paths)
    for path in paths:
        r, c = read_log(path)
        if readings and r.shape[1] != readings[0].shape[1]:
            raise LogError(path, 1, f"{r.shape[1]} readings per line, but {counts[0][0]} has {readings[0].shape[1]}")
        readings.append(r)
        commands.append(c)
        counts.append((str(path), r.shape[0]))
    if not readings:
        raise ValueError("no logs given")
    per_line = np.repeat(np.asarray(weights, dtype=np.int64), [count for _, count in counts])
    return Demonstrations(np.concatenate(readings), np.concatenate(commands), counts, per_line)


def readings_per_line(path):
    """How many readings the first line of a log holds, from that line alone;
    None when it cannot tell (read_log then names the fault)."""
    try:
        with open(path, "rb") as file:
            first = file.readline(1 << 20)
    except OSError:
        return None
    fields = len(first.split())
    return fields - len(COMMANDS) if fields > len(COMMANDS) else None


def read_log(path):
    """Returns (readings, commands) of one log, or raises LogError naming the first fault."""
    try:
        data = Path(path).read_bytes()
    except OSError as error:
        raise LogError(path, None, error.strerror or str(error)) from None
    if not data:
        raise LogError(path, None, "the log holds no lines")
    table = _read_fast(data)
    if table is None:
        table = _read_carefully(path, data)
    return table[:, :-4], table[:, -4:]


def _line_count(data):
    return data.count(b"\n") + (0 if data.endswith(b"\n") else 1)


def _read_fast(data):
    """The whole log as one table, or None when any check fails."""
    if data.translate(None, _LOG_BYTES):
        return None
    text = data.decode("ascii")
    if "0-" in text or "0+" in text:
        text = _PADDED_SIGN.sub("", text)
    try:
        table = np.loadtxt(io.StringIO(text), dtype=np.float64, comments=None, ndmin=2)
    except ValueError:
        return None
    # The reader skips blank lines and lets overflow through as infinity.
    if table.shape[0] != _line_count(data) or table.shape[1] < 5 or not np.isfinite(table).all():
        return None
    commands = table[:, -4:]
    if not ((commands == 0.0) | (commands == 1.0)).all():
        return None
    return table


def _read_carefully(path, data):
    lines = data.split(b"\n")
    if data.endswith(b"\n"):
        lines.pop()
    width = None
    rows = []
    for number, line in enumerate(lines, 1):
        fields = line.split()
        if width is None:
            if len(fields) < 5:
                raise LogError(path, number, f"{len(fields)} fields, but a line holds the readings and then 4 commands")
            width = len(fields)
        elif len(fields) != width:
            raise LogError(
                path, number, f"{len(fields)} fields where {width} were expected ({width - 4} readings and 4 commands)"
            )
        values = [_field_value(path, number, i, field) for i, field in enumerate(fields, 1)]
        for name, value, field in zip(COMMANDS, values[-4:], fields[-4:]):
            if value not in (0.0, 1.0):
                raise LogError(path, number, f"the {name} command is '{_shown(field)}', not 1.0 or 0.0")
        rows.append(values)
    return np.array(rows, dtype=np.float64)


def _field_value(path, number, index, field):
    unpadded = field.lstrip(b"0") if field.lstrip(b"0")[:1] in (b"-", b"+") else field
    if _NUMBER.fullmatch(unpadded):
        value = float(unpadded)
        if math.isfinite(value):
            return value
    raise LogError(path, number, f"field {index} is not a number: '{_shown(field)}'")


def _shown(field, limit=24):
    text = field.decode("ascii", errors="backslashreplace")
    return text if len(text) <= limit else text[:limit] + "..."
