"""Several students of the same demonstrations, and the one that drives best.

Students that differ only in their seed agree with their teacher on nearly
the same share of lines, yet some drive and some stop at the first obstacle
they meet. Which is which only driving shows, so candidates are trained and
then judged by a course; ties go to the held-out agreement, then to the
earlier candidate. Training and driving are deterministic, and so is the
choice.
"""

import itertools
from dataclasses import dataclass, replace

import numpy as np

from korvale.train.model import TrainOptions, train

# Scores closer than this (units of distance) count as a tie.
SCORE_RESOLUTION = 0.1


@dataclass
class Student:
    options: TrainOptions
    training: object  # model.Training
    agreement: float  # share of the checked lines on which all four commands agree
    checked: str  # "held-out lines" or "training lines"

    @property
    def network(self):
        return self.training.network


def candidate_options(options: TrainOptions, seeds: int, sweeps: dict) -> list:
    """Every combination of the swept values (a name of TrainOptions -> values),
    each with `seeds` seeds: seed N gives seeds N*K to N*K+K-1 for K seeds,
    so that no two seeds share a candidate and one seed is N itself. A kept
    candidate of seed S is made again by --seed S alone."""
    names = list(sweeps)
    combinations = itertools.product(*(sweeps[name] for name in names)) if names else [()]
    return [
        replace(options, seed=options.seed * seeds + k, **dict(zip(names, values)))
        for values in combinations
        for k in range(seeds)
    ]


def teach(demonstrations, options: TrainOptions, progress=None) -> Student:
    """One student of the demonstrations, with its agreement on the lines it did not learn."""
    training = train(demonstrations.readings, demonstrations.commands, options, progress, demonstrations.weights)
    rows = training.holdout_rows if len(training.holdout_rows) else training.train_rows
    predicted = training.network.commands(demonstrations.readings[rows])
    wanted = demonstrations.commands[rows] > 0.5
    agreement = float(np.mean((predicted == wanted).all(axis=1)))
    return Student(options, training, agreement, "held-out lines" if len(training.holdout_rows) else "training lines")


@dataclass
class Selection:
    students: list
    driving: object  # driving.Driving of every student, or None when not judged
    chosen: int

    @property
    def student(self):
        return self.students[self.chosen]


def choose(students: list, driving) -> Selection:
    """The student that drives best; without driving figures, the one with
    the best agreement."""
    scores = driving.score() if driving is not None else np.zeros(len(students))

    def rank(index):
        return (-round(float(scores[index]) / SCORE_RESOLUTION), -students[index].agreement, index)

    return Selection(students, driving, min(range(len(students)), key=rank))
