"""The tables korvale-train prints: agreement per command, driving per scene,
and the candidates side by side."""

import numpy as np

from korvale.train.logs import COMMANDS


def count(number, thing):
    return f"{number} {thing}{'' if number == 1 else 's'}"


def percent(share):
    return f"{100 * share:.1f} %" if np.isfinite(share) else "-"


def accuracy_table(predicted, wanted, label):
    rows = [f"{label:<16}{'accuracy':>10}{'on in the log':>16}{'on by the network':>20}"]
    for i, name in enumerate(COMMANDS):
        rows.append(f"  {name:<14}{percent(np.mean(predicted[:, i] == wanted[:, i])):>10}"
                    f"{percent(np.mean(wanted[:, i])):>16}{percent(np.mean(predicted[:, i])):>20}")
    rows.append(f"  {'all four':<14}{percent(np.mean((predicted == wanted).all(axis=1))):>10}")
    return "\n".join(rows) + "\n"


def _seconds(value):
    return f"{value:g} s"


def _seed_range(seeds):
    return f"seed {seeds[0]}" if len(seeds) == 1 else f"seeds {seeds[0]} to {seeds[-1]}"


def course_line(course):
    runs = _seed_range(course.seeds)
    if course.starts:
        runs += (f" from the start and {count(course.starts, 'free place')} "
                 f"({_seed_range(range(course.starts))})")
    return f"driving {_seconds(course.seconds)} in {count(len(course.scenes), 'scene')}, {runs}, with {course.robot}"


def driving_table(course, driving, network):
    """Per scene the network's means over the seeds."""
    width = max(len("scene"), *(len(name) for name in course.names()))
    rows = [f"  {'scene':<{width}}{'distance':>10}{'stuck':>9}{'coverage':>10}"]
    for name, (distance, stuck, coverage) in zip(course.names(), driving.row(network)):
        rows.append(f"  {name:<{width}}{distance:>10.1f}{percent(stuck):>9}{coverage:>10.1f}")
    return "\n".join(rows) + "\n"


def candidates_table(selection, swept):
    """One row per candidate: its seed and swept options, agreement and the
    driving means over every scene and seed; the kept one marked."""
    driving = selection.driving
    header = f"  {'candidate':<11}" + "".join(f"{name:>10}" for name in ("seed", *swept)) + f"{'agreement':>11}"
    if driving is not None:
        header += f"{'distance':>10}{'stuck':>9}{'coverage':>10}"
    rows = [header]
    for index, student in enumerate(selection.students):
        mark = "*" if index == selection.chosen else " "
        row = f"  {index + 1:>3} {mark}      " + "".join(
            f"{_option_text(getattr(student.options, name)):>10}" for name in ("seed", *swept))
        row += f"{percent(student.agreement):>11}"
        if driving is not None:
            row += (f"{driving.distance[index].mean():>10.1f}{percent(driving.stuck[index].mean()):>9}"
                    f"{driving.coverage[index].mean():>10.1f}")
        rows.append(row)
    return "\n".join(rows) + "\n"


def _option_text(value):
    if isinstance(value, tuple):
        return ",".join(map(str, value)) or "0"
    return f"{value:g}" if isinstance(value, float) else str(value)


def summary(student, driving, network, course):
    """One line for a status line: agreement, and driving when judged."""
    text = f"{percent(student.agreement)} agreement on the {student.checked}"
    if driving is not None:
        text += (f"; drives {driving.distance[network].mean():.0f} units in {_seconds(course.seconds)}, "
                 f"stuck {percent(driving.stuck[network].mean())}, {driving.coverage[network].mean():.0f} cells")
    return text
