"""One run of korvale-train from the logs read to the student kept, with its
report: trimming, the candidates and their driving, the DAgger rounds, and
the warning when the student would stand where its teacher drove."""

import time

from korvale.train import dagger
from korvale.train.combinations import combination_name
from korvale.train.demonstrations import CORRECTION_WEIGHT, settle_blind, settle_idle, standing_share
from korvale.train.driving import drive
from korvale.train.netfile import as_korvale
from korvale.train.report import (accuracy_table, candidates_table, count, course_line, driving_table, percent)
from korvale.train.selection import choose, teach

# Standing still on this share of the lines where the demonstration moved is
# worth a warning: the student will stop somewhere its teacher drove on.
STANDING_WARNING = 0.05
# A DAgger round's student is kept over the one before unless it drives this
# much worse.
ROUND_TOLERANCE = 0.02


class Lesson:
    def __init__(self, candidates, course, swept, out, progress):
        self.candidates = candidates  # TrainOptions of each candidate
        self.course = course  # where candidates are judged by driving, or None
        self.swept = swept
        self.out = out
        self.progress = progress

    def read(self, paths, demonstrations, corrections=()):
        self.out.write(f"read {count(len(demonstrations.readings), 'line')} from {count(len(paths), 'log')}, "
                       f"{count(demonstrations.sensor_count, 'reading')} per line\n")
        if len(paths) > 1:
            width = max(len(path) for path, _ in demonstrations.lines_per_log)
            for path, lines in demonstrations.lines_per_log:
                note = f" (corrections: each line counts {CORRECTION_WEIGHT} times)" if path in corrections else ""
                self.out.write(f"  {path:<{width}}  {count(lines, 'line')}{note}\n")
        elif corrections:
            self.out.write(f"(corrections: each line counts {CORRECTION_WEIGHT} times)\n")

    def settle_idle(self, demonstrations):
        settled, dropped, relabelled = settle_idle(demonstrations)
        if dropped or relabelled:
            done = []
            if dropped:
                done.append(f"dropped {count(dropped, 'idle line')} before the first command and after the last")
            if relabelled:
                done.append(f"gave {count(relabelled, 'idle line')} in between the command that ended the pause")
            self.out.write("; ".join(done) + " (--keep-idle keeps them as they are)\n")
        return settled

    def settle_blind(self, demonstrations):
        settled, dropped, factor = settle_blind(demonstrations)
        if dropped:
            done = [f"dropped {count(dropped, 'line')} turning on the spot with nothing in sight"]
            if factor > 1:
                done.append(f"lines with nothing in sight count {factor} times, to make a quarter of the training")
            self.out.write("; ".join(done) + " (--keep-blind keeps them as they are)\n")
        return settled

    def fit(self, demonstrations, stage=""):
        """Trains every candidate, drives them when there is a course, and
        keeps the best; reports what it did."""
        started = time.monotonic()
        students = []
        for number, options in enumerate(self.candidates, 1):
            if self.progress:
                what = f"candidate {number} of {len(self.candidates)}" if len(self.candidates) > 1 else ""
                self.progress.stage(", ".join(part for part in (stage, what) if part), options.epochs)
            try:
                students.append(teach(demonstrations, options, self.progress))
            finally:
                if self.progress:
                    self.progress.close()
        trained = time.monotonic() - started

        driving = None
        if self.course is not None:
            if self.progress:
                self.progress.stage(", ".join(part for part in (stage, f"driving {count(len(students), 'student')}")
                                              if part))
            driving = drive([as_korvale(student.network) for student in students], self.course)
        selection = choose(students, driving)
        self._report(demonstrations, selection, trained)
        return selection

    def _report(self, demonstrations, selection, seconds):
        student = selection.student
        training = student.training
        shape = _shape(demonstrations.sensor_count, student.options)
        what = "" if len(selection.students) == 1 else f"{len(selection.students)} candidates "
        self.out.write(f"trained {what}on {count(len(training.train_rows), 'line')}, "
                       f"{len(training.holdout_rows)} held out: {shape}\n")
        if len(selection.students) == 1:
            self.out.write(f"{count(len(training.losses), 'epoch')} in {seconds:.1f} s, final loss "
                           f"{training.losses[-1]:.5f} "
                           f"({'the loss no longer fell' if training.converged else 'epoch limit'})\n")
        else:
            self.out.write(f"in {seconds:.1f} s; " + (course_line(self.course) if self.course else "") + "\n")
            self.out.write(candidates_table(selection, self.swept))
            how = "it drives best" if selection.driving is not None else "it agrees best"
            self.out.write(f"kept candidate {selection.chosen + 1} (seed {student.options.seed}): {how}; "
                           f"{count(len(training.losses), 'epoch')}, final loss {training.losses[-1]:.5f}\n")
        if selection.driving is not None:
            if len(selection.students) == 1:
                self.out.write(course_line(self.course) + "\n")
            self.out.write(driving_table(self.course, selection.driving, selection.chosen))
        self.out.write(_keeping_moving(training, student.options))
        self.out.write(_left_out(training))
        rows = training.holdout_rows if len(training.holdout_rows) else training.train_rows
        self.out.write(accuracy_table(student.network.commands(demonstrations.readings[rows]),
                                      demonstrations.commands[rows] > 0.5, student.checked))

    def dagger(self, demonstrations, selection, teacher, course, rounds, runs):
        """The DAgger rounds after the first student; returns the selection of
        the round whose student drives best, a later round winning unless an
        earlier one drives clearly better: a later student has met more."""
        kept, kept_round = selection, 0
        for step in dagger.rounds(demonstrations, selection, teacher, course, rounds, runs, self._fit_round,
                                  lambda student: as_korvale(student.network)):
            if _score(step.selection) >= (1 - ROUND_TOLERANCE) * _score(kept):
                kept, kept_round = step.selection, step.number
        self.out.write(f"\nkept the student of round {kept_round}\n")
        return kept

    def _fit_round(self, lines, step):
        silent = f" (it gave no command on {step.silent} more, left out)" if step.silent else ""
        self.out.write(f"\nround {step.number}: the teacher labelled {count(step.added, 'line')} the student met"
                       f"{silent}; {count(len(lines.readings), 'line')} in all\n")
        return self.fit(lines, stage=f"round {step.number}")

    def warn_if_standing(self, student, demonstrations, err):
        share = standing_share(student.network.commands(demonstrations.readings), demonstrations.commands)
        if share >= STANDING_WARNING:
            err.write(f"korvale-train: warning: the network stands still on {100 * share:.0f} % "
                      f"of the lines where you drove\n")
            err.flush()


def _score(selection):
    return float(selection.driving.score()[selection.chosen])


def _keeping_moving(training, options):
    """What was done so that the student does not stand where its
    demonstration moved, in words; nothing where nothing was needed."""
    done = []
    if training.threshold < 0.5:
        done.append(f"forward, left and right turn on above {training.threshold:.2f}, not 0.5")
    if options.demonstrated:
        done.append("the student gives the demonstrated combination of commands its outputs agree with most")
    if training.stood < STANDING_WARNING or not done:
        return ""
    return (f"the network as learnt gave no command on {percent(training.stood)} of the lines where the "
            f"demonstration moved: {'; '.join(done)}\n")


def _left_out(training):
    """The demonstrated combinations the student does not give, in words."""
    if not training.left_out:
        return ""
    undone = [f"{combination_name(rare)}: its wheels turn opposite to those of {combination_name(common)}"
              for rare, common in training.left_out]
    return f"the student does not give {'; nor '.join(undone)} (--keep-opposites gives them)\n"


def _shape(sensors, options):
    parts = [f"{sensors} readings"]
    if options.pca:
        parts.append(f"{options.pca} principal components")
    parts += [f"{size} {options.hidden_fcn}" for size in options.hidden]
    parts.append(f"4 {options.output_fcn} outputs")
    return " -> ".join(parts)
