"""Learning from the student's own mistakes, with a network for a teacher.

A student trained on its teacher's runs meets, as soon as it drives alone,
states its teacher never showed it: a wall behind, an obstacle at an angle
the teacher always turned away from earlier. It has learnt nothing there,
and often stops. So each round the student drives, the teacher says what it
would have commanded for every reading the student met (it only labels; the
student drives), those lines join the demonstrations, and the next student
is trained on all of them.

Where the teacher gives no command at all the line is left out: a teacher
that stands still there teaches standing still, and a student that stands
still stays put, where the teacher's own sensor noise soon moves it on.
"""

from dataclasses import dataclass, replace

import numpy as np

from korvale.train.driving import commands_of, readings_met
from korvale.train.logs import Demonstrations


@dataclass(frozen=True)
class Round:
    number: int
    selection: object  # selection.Selection, once trained
    added: int  # lines the teacher labelled for this round's training
    silent: int  # lines left out because the teacher gave no command


def labelled_lines(student_network, teacher, course):
    """The readings the student met on the course with the teacher's
    commands, where the teacher gave any; and how many it gave none for."""
    readings = readings_met(student_network, course)
    commands = commands_of(teacher, readings)
    commanded = commands.any(axis=1)
    return readings[commanded], commands[commanded], int(np.sum(~commanded))


def with_lines(demonstrations: Demonstrations, readings, commands, name):
    return Demonstrations(
        np.concatenate([demonstrations.readings, readings]),
        np.concatenate([demonstrations.commands, commands]),
        demonstrations.lines_per_log + [(name, len(readings))],
        np.concatenate([demonstrations.weights, np.ones(len(readings), dtype=np.int64)]),
    )


def rounds(demonstrations, first, teacher, course, count, seeds_per_round, fit, as_network):
    """Yields each round after the first. fit(demonstrations, round) trains
    and chooses a student (a Selection); as_network(student) is what drives.
    Round r drives on seeds of its own, so that every round meets fresh noise."""
    selection = first
    for number in range(1, count + 1):
        seeds = tuple(range(number * seeds_per_round, (number + 1) * seeds_per_round))
        readings, commands, silent = labelled_lines(as_network(selection.student), teacher,
                                                    replace(course, seeds=seeds))
        demonstrations = with_lines(demonstrations, readings, commands, f"round {number}")
        step = Round(number, None, len(readings), silent)
        selection = fit(demonstrations, step)
        yield replace(step, selection=selection)
