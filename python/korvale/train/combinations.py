"""A student that gives only the combinations of commands its teacher gave.

Each output of a network is thresholded on its own, so a student can give
combinations no demonstration ever held: none at all (it stands still, its
readings no longer change, and it stands there for good, where the
teacher's own sensor noise soon moves the teacher on), left and right
together (both wheels forward: it drives into what it meant to turn from),
backward alone where its teacher backed off turning (it rocks to and fro).
They come where the demonstration mixed commands for like readings, and in
places it never showed.

So the student gives, of the combinations in its demonstration, the one its
outputs agree with most: the one with the largest score

    score(c) = sum over the four commands of (+1 if c has it, else -1) * margin,

a command's margin being how far its output lies above its threshold (the
weighted sum before the logsig; for purelin outputs, the output less 0.5).
Where a student's outputs form a demonstrated combination, that is the one.

The network file holds this as layers after the last learnt one: the scores
(purelin), one unit per ordered pair of combinations that says whether the
first scores higher (logsig of a steep multiple of the difference; ties go
to the earlier combination), one unit per combination that says whether it
beats all others, and the four commands, each on where a winner has it.
Within a few hundredths of a tie the steep units are not quite 0 or 1;
everywhere else the commands are exactly those of the rule.

A combination whose wheel steps are exactly opposite to those of a commoner
one is left out unless asked for: backward where forward was given, backward
and right (right wheel back) where left (right wheel forward) was, backward
and left where right was. A person backs out of a corner once or twice in a
minute of driving; a student that may do it too undoes, where it is unsure,
the turn it has just made, and rocks to and fro on the spot for good.
"""

import itertools

import numpy as np

from korvale.train.logs import COMMANDS

SHARPNESS = 50.0  # the steep units: logsig(SHARPNESS x difference)
TIE = 1e-3  # the earlier of two combinations wins a tie by this much


def logsig(values):
    with np.errstate(over="ignore"):  # far from a tie: exactly 0 or 1
        return 1.0 / (1.0 + np.exp(-values))


def _kinds(commands):
    """The distinct combinations of the lines in the fixed order, and how
    many lines give each."""
    bits = (np.asarray(commands) > 0.5) @ np.array([8, 4, 2, 1])
    values, counts = np.unique(bits, return_counts=True)
    rows = np.array([[(value >> shift) & 1 for shift in (3, 2, 1, 0)] for value in values], dtype=float)
    return rows, counts


def demonstrated(commands, keep_opposites=True):
    """The distinct combinations of commands of the lines, in a fixed order
    (as 4-bit numbers, forward the highest), as rows of 0.0 and 1.0; without
    keep_opposites, less those that undo a commoner one (see undoing)."""
    rows, counts = _kinds(commands)
    if keep_opposites:
        return rows
    return np.delete(rows, sorted({rare for rare, _ in undoing(rows, counts)}), axis=0)


def undone(commands):
    """The combinations the student leaves out, each with the commoner one
    it undoes: pairs of rows of 0.0 and 1.0."""
    rows, counts = _kinds(commands)
    return tuple((rows[rare], rows[common]) for rare, common in undoing(rows, counts))


def combination_name(combination):
    """A combination in words: "backward and right", "no command"."""
    names = [name for name, value in zip(COMMANDS, combination) if value > 0.5]
    if not names:
        return "no command"
    return " and ".join(names) if len(names) < 3 else ", ".join(names[:-1]) + " and " + names[-1]


def wheel_steps(combination):
    """The left and right wheel steps (in robotSpeed) a combination gives:
    forward, or else backward, drives both wheels; left adds to the right
    wheel, right to the left one."""
    forward, backward, left, right = (value > 0.5 for value in combination)
    base = 1 if forward else -1 if backward else 0
    return (base + right, base + left)


def undoing(rows, counts):
    """Pairs (rarer, commoner) of row indices whose wheel steps are exactly
    opposite, neither standing still; of two as common, the later in the
    fixed order counts as rarer."""
    steps = [wheel_steps(row) for row in rows]
    pairs = []
    for rare, (left, right) in enumerate(steps):
        for common, other in enumerate(steps):
            if (left, right) != (0, 0) and other == (-left, -right) and \
                    (counts[common], -common) > (counts[rare], -rare):
                pairs.append((rare, common))
    return pairs


def margins(function, weighted):
    """Each command's margin from the last layer's weighted sums."""
    return weighted - 0.5 if function == "purelin" else weighted


def choice_layers(layers, combinations):
    """The network file's layers (function, weights, bias) with those of the
    rule in place of the learnt outputs' transfer function."""
    *hidden, (function, weights, bias) = layers
    signs = 2.0 * combinations - 1.0
    count = len(combinations)
    shift = 0.5 if function == "purelin" else 0.0
    scores = ("purelin", signs @ weights, signs @ (bias - shift))
    if count == 1:  # one combination: always that one
        return hidden + [scores, ("logsig", np.zeros((4, 1)), SHARPNESS * (combinations[0] - 0.5))]
    pairs = list(itertools.permutations(range(count), 2))
    compare = np.zeros((len(pairs), count))
    for row, (first, second) in enumerate(pairs):
        compare[row, first], compare[row, second] = 1.0, -1.0
    ties = np.array([TIE if first < second else -TIE for first, second in pairs])
    wins = np.array([[1.0 if first == k else 0.0 for first, _ in pairs] for k in range(count)])
    return hidden + [
        scores,
        ("logsig", SHARPNESS * compare, SHARPNESS * ties),
        ("logsig", SHARPNESS * wins, np.full(count, SHARPNESS * (1.5 - count))),
        ("logsig", SHARPNESS * combinations.T, np.full(4, -0.5 * SHARPNESS)),
    ]


def chosen_outputs(margin_rows, combinations):
    """What those layers give for each row of margins."""
    scores = margin_rows @ (2.0 * combinations - 1.0).T
    count = len(combinations)
    if count == 1:
        return np.tile(logsig(SHARPNESS * (combinations[0] - 0.5)), (len(margin_rows), 1))
    pairs = list(itertools.permutations(range(count), 2))
    beats = np.stack([logsig(SHARPNESS * (scores[:, first] - scores[:, second] + (TIE if first < second else -TIE)))
                      for first, second in pairs], axis=1)
    wins = np.stack([beats[:, [row for row, (first, _) in enumerate(pairs) if first == k]].sum(axis=1)
                     for k in range(count)], axis=1)
    winners = logsig(SHARPNESS * (wins + 1.5 - count))
    return logsig(SHARPNESS * (winners @ combinations - 0.5))
