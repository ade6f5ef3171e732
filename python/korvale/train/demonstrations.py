"""What a demonstration teaches beyond its lines one by one.

Lines without any command teach a student to stand still, and a student
that stands still stays where it stopped: its readings no longer change. A
person pauses before the first key, after the last and in between to think;
a network teacher has states where none of its outputs passes 0.5, which its
sensor noise gets it out of, but a student learns them as places to stop.
Turns and reversing are rare beside driving forward, and a student trained
on the lines as they come gives them too seldom. All this is mended here,
on the command columns (forward, backward, left, right as 0.0 or 1.0).

Where nothing is in sight a person turns on the spot at one moment (to look
round at the start) and drives on at another: the readings are all 0 for
both, so the student learns a mixture, and one that turns on the spot in
open space circles there for good. So such lines are dropped where the logs
also drive on with nothing in sight, and the lines with nothing in sight
count several times, so that a student gets them right.

Corrections (the lines where a person took over from a student) show what
to do exactly where a student went wrong; they count twice.
"""

import numpy as np

from korvale.train.logs import Demonstrations


def moving(commands: np.ndarray) -> np.ndarray:
    """Per line: whether the commands turn a wheel. Forward (or else
    backward) drives both wheels; left adds to the right wheel, right to the
    left one, so only no command at all, or backward with both turns, leave
    the robot standing."""
    on = np.asarray(commands) > 0.5
    forward, backward, left, right = on.T
    base = np.where(forward, 1, np.where(backward, -1, 0))
    return (base + right != 0) | (base + left != 0)


def settle_idle(demonstrations: Demonstrations) -> tuple:
    """The demonstrations without the idle lines (no command at all) before
    each log's first command and after its last one, and with every idle
    line in between given the command that ended the pause: the robot stood
    still meanwhile, so what the demonstrator did next is the answer to the
    readings of the pause. Also how many lines that dropped and relabelled.
    A log without any command is kept as it is: there is nothing to go by."""
    keep, counts, commands = [], [], demonstrations.commands.copy()
    start, relabelled = 0, 0
    for path, count in demonstrations.lines_per_log:
        lines = commands[start:start + count]  # a view: relabelled in place
        commanded = np.flatnonzero(lines.any(axis=1))
        if len(commanded):
            first, last = commanded[0], commanded[-1]
            # Each line takes the command of the first commanded line at or after it.
            ending = commanded[np.searchsorted(commanded, np.arange(first, last + 1))]
            relabelled += int(np.sum(ending != np.arange(first, last + 1)))
            lines[first:last + 1] = lines[ending]
            keep.append(np.arange(start + first, start + last + 1))
            counts.append((path, int(last - first + 1)))
        else:
            keep.append(np.arange(start, start + count))
            counts.append((path, count))
        start += count
    rows = np.concatenate(keep)
    settled = Demonstrations(demonstrations.readings[rows], commands[rows], counts, demonstrations.weights[rows])
    return settled, len(demonstrations.readings) - len(rows), relabelled


# Lines with nothing in sight make at least this share of the training.
BLIND_SHARE = 0.25
# How many times a line of a corrections log counts.
CORRECTION_WEIGHT = 2


def nothing_in_sight(readings: np.ndarray) -> np.ndarray:
    """Per line: whether every infrared reading is 0."""
    return ~(np.asarray(readings) != 0).any(axis=1)


def turning_on_the_spot(commands: np.ndarray) -> np.ndarray:
    """Per line: a turn without forward (left or right alone, or with backward)."""
    forward, _, left, right = (np.asarray(commands) > 0.5).T
    return ~forward & (left ^ right)


def settle_blind(demonstrations: Demonstrations) -> tuple:
    """Where the logs both turn on the spot and drive forward with nothing
    in sight: the demonstrations without the turning lines, and the lines
    with nothing in sight counting `factor` times, the least whole number
    that makes them BLIND_SHARE of the training. Also how many lines that
    dropped and the factor (0 and 1 where the rule does not apply)."""
    blind = nothing_in_sight(demonstrations.readings)
    forward = np.asarray(demonstrations.commands)[:, 0] > 0.5
    turning = blind & turning_on_the_spot(demonstrations.commands)
    if not turning.any() or not (blind & forward).any():
        return demonstrations, 0, 1
    keep = np.flatnonzero(~turning)
    counts, start = [], 0
    for path, count in demonstrations.lines_per_log:
        counts.append((path, int(np.sum(~turning[start:start + count]))))
        start += count
    weights = demonstrations.weights[keep]
    blind = blind[keep]
    seen, unseen = int(weights[~blind].sum()), int(weights[blind].sum())
    factor = max(1, int(np.ceil(BLIND_SHARE * seen / ((1 - BLIND_SHARE) * unseen))))
    settled = Demonstrations(demonstrations.readings[keep], demonstrations.commands[keep], counts,
                             np.where(blind, weights * factor, weights))
    return settled, int(turning.sum()), factor


def balanced_rows(commands: np.ndarray, share: float, most: int = 10) -> np.ndarray:
    """Row indices in which every combination of commands that is rarer than
    `share` of the most common one is repeated until it comes near that share,
    at most `most` times over. A single line of a combination is left alone:
    a slip of the finger is not worth teaching. share 0 returns every row
    once. The result is in row order, so it depends on nothing but the data."""
    rows = np.arange(len(commands))
    if share <= 0 or len(commands) == 0:
        return rows
    patterns = (np.asarray(commands) > 0.5) @ np.array([8, 4, 2, 1])
    kinds, counts = np.unique(patterns, return_counts=True)
    target = share * counts.max()
    repeats = np.ones(len(kinds), dtype=int)
    rare = (counts < target) & (counts > 1)
    repeats[rare] = np.minimum(most, np.round(target / counts[rare]).astype(int))
    per_row = repeats[np.searchsorted(kinds, patterns)]
    return np.repeat(rows, per_row)


def standing_share(student_commands: np.ndarray, demonstrated: np.ndarray) -> float:
    """The share of the lines on which the demonstration moved the robot
    where the student's commands leave it standing; 0 when it never moved."""
    drove = moving(demonstrated)
    if not drove.any():
        return 0.0
    return float(np.mean(~moving(student_commands[drove])))
