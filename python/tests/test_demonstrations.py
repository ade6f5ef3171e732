"""What a demonstration teaches: idle lines settled, rare commands weighted,
and the warning when a student stands where the demonstration drove."""

import re

import numpy as np

import korvale

from conftest import TRAIN, demonstration, run, write_log
from korvale.train.demonstrations import balanced_rows, moving, settle_blind, settle_idle, standing_share
from korvale.train.logs import Demonstrations
from korvale.train.model import TrainOptions, train

F, B, L, R, IDLE = [1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1], [0, 0, 0, 0]


def test_only_no_command_or_reversing_with_both_turns_leave_the_robot_standing():
    commands = np.array([IDLE, F, B, L, R, [1, 1, 0, 0], [0, 0, 1, 1], [0, 1, 1, 1], [1, 1, 1, 1], [0, 1, 1, 0]])
    assert moving(commands).tolist() == [False, True, True, True, True, True, True, False, True, True]


def demonstrations(*logs):
    readings = np.concatenate([np.arange(len(c), dtype=float)[:, None] + 10 * i for i, c in enumerate(logs)])
    return Demonstrations(readings, np.concatenate([np.array(c, dtype=float) for c in logs]),
                          [(f"{i}.log", len(c)) for i, c in enumerate(logs)])


def test_idle_lines_at_a_logs_ends_go_and_a_pause_takes_the_command_that_ended_it():
    first = [IDLE, IDLE, F, IDLE, IDLE, L, F, IDLE]
    second = [R, IDLE, B]
    settled, dropped, relabelled = settle_idle(demonstrations(first, second))
    assert (dropped, relabelled) == (3, 3)
    assert settled.lines_per_log == [("0.log", 5), ("1.log", 3)]
    assert settled.readings[:, 0].tolist() == [2, 3, 4, 5, 6, 10, 11, 12]
    assert settled.commands.tolist() == [F, L, L, L, F, R, B, B]


def test_a_log_without_any_command_is_kept_as_it_is():
    settled, dropped, relabelled = settle_idle(demonstrations([IDLE, IDLE], [F]))
    assert (dropped, relabelled, len(settled.readings)) == (0, 0, 3)


def test_turning_on_the_spot_with_nothing_in_sight_goes_where_the_logs_also_drive_on_blind():
    blind, near = [0.0, 0.0], [0.0, 300.0]
    readings = np.array([blind, blind, near, near, near, near, blind, blind, near, near, near, blind])
    commands = np.array([L, F, F, L, F, F, [0, 1, 0, 1], R, F, F, F, F], dtype=float)
    lines = Demonstrations(readings, commands, [("a.log", 6), ("b.log", 6)], np.array([1] * 6 + [2] * 6))
    settled, dropped, factor = settle_blind(lines)
    # Left, backward-right and right with nothing in sight go; turning near a body stays.
    assert dropped == 3 and settled.lines_per_log == [("a.log", 5), ("b.log", 4)]
    assert settled.commands.tolist() == [F, F, L, F, F, F, F, F, F]
    # Seen: four lines once and three twice, 10; blind: 1 + 2 = 3. Counted
    # twice, 6 of 16 are a quarter or more; as they are, 3 of 13 are not.
    assert factor == 2
    assert settled.weights.tolist() == [2, 1, 1, 1, 1, 2, 2, 2, 4]
    # Logs that never drive on blind teach nothing else there: left alone.
    never = Demonstrations(readings[:1], commands[:1], [("c.log", 1)])
    settled, dropped, factor = settle_blind(never)
    assert settled is never and (dropped, factor) == (0, 1)


def test_a_student_of_a_person_who_looked_round_blind_drives_on_where_nothing_is_in_sight(tmp_path):
    readings, commands = demonstration(600, seed=7)
    commands[:] = F
    blind = np.flatnonzero(~readings.any(axis=1))
    readings[:100] = 0.0  # the start: the person turns on the spot, looking round, for longer than it drives blind
    commands[:100] = L
    log = write_log(tmp_path / "person.log", readings, commands)
    result = run(TRAIN, log, "-o", tmp_path / "student.xml", "--epochs", "30")
    assert result.returncode == 0, result.stderr
    (said,) = [line for line in result.stdout.splitlines() if line.startswith("dropped ")]
    assert re.fullmatch(r"dropped 100 lines turning on the spot with nothing in sight; lines with nothing in sight "
                        r"count \d+ times, to make a quarter of the training \(--keep-blind keeps them as they are\)",
                        said), said
    assert len(blind[blind >= 100]) > 10  # and the rest drove on blind
    student = korvale.Network.load(str(tmp_path / "student.xml"))
    assert (student.evaluate(np.zeros(8)) > 0.5).tolist() == [True, False, False, False]
    # As they are, the lines teach turning on the spot with nothing in sight.
    kept = run(TRAIN, log, "-o", tmp_path / "kept.xml", "--epochs", "30", "--keep-blind")
    assert kept.returncode == 0 and "dropped 100" not in kept.stdout
    turner = korvale.Network.load(str(tmp_path / "kept.xml"))
    assert (turner.evaluate(np.zeros(8)) > 0.5).tolist() == [False, False, True, False]


def test_corrections_count_twice_and_outweigh_what_they_correct(tmp_path):
    readings, _ = demonstration(200, seed=6)
    forward = write_log(tmp_path / "drive.log", np.tile(readings, (3, 1)), np.tile(F, (600, 1)))
    left = write_log(tmp_path / "corrections-0001.log", np.tile(readings, (2, 1)), np.tile(L, (400, 1)))
    given = {}
    for name, arguments in (("plain", [forward, left]), ("corrected", [forward, "--corrections", left])):
        result = run(TRAIN, *arguments, "-o", tmp_path / f"{name}.xml", "--epochs", "40", "--keep-blind")
        assert result.returncode == 0, result.stderr
        given[name] = korvale.Network.load(str(tmp_path / f"{name}.xml")).evaluate(readings) > 0.5
        noted = f"  {left}  400 lines (corrections: each line counts 2 times)"
        assert (noted in result.stdout.splitlines()) == (name == "corrected"), result.stdout
    # Three lines forward to two left, but the two count twice.
    assert given["plain"][:, 0].mean() > 0.9 and given["corrected"][:, 2].mean() > 0.9


def test_rarer_combinations_are_repeated_towards_a_share_of_the_commonest_and_no_further():
    commands = np.array([F] * 80 + [L] * 10 + [R] * 2 + [B] * 1 + [[1, 0, 1, 0]] * 30, dtype=float)
    rows = balanced_rows(commands, 0.25)
    counts = {tuple(c): int(np.sum((commands[rows] == c).all(axis=1))) for c in (F, L, R, B, [1, 0, 1, 0])}
    # A quarter of 80 is 20: left twice over, right ten times at most, a
    # single reversing line left alone, the common ones as they were.
    assert counts == {tuple(F): 80, tuple(L): 20, tuple(R): 20, tuple(B): 1, (1, 0, 1, 0): 30}
    assert np.all(np.diff(rows) >= 0)  # in line order
    assert balanced_rows(commands, 0.0).tolist() == list(range(len(commands)))


def test_the_standing_share_counts_only_lines_where_the_demonstration_moved():
    demonstrated = np.array([F, F, L, IDLE, R], dtype=float)
    student = np.array([F, IDLE, [0, 1, 1, 1], R, R], dtype=float)
    assert standing_share(student, demonstrated) == 0.5
    assert standing_share(student, np.zeros((5, 4))) == 0.0


def test_a_student_that_stands_where_the_person_drove_is_warned_about_in_words(tmp_path):
    # Lines that drove forward, each followed by an idle line with the same
    # readings that --keep-idle keeps: the student cannot tell them apart.
    readings, commands = demonstration(300, seed=4)
    commands[:] = F
    twice = np.repeat(readings, 2, axis=0)
    halves = np.tile(np.array([F, IDLE], dtype=float), (300, 1))
    log = write_log(tmp_path / "person.log", twice, halves)
    kept = run(TRAIN, log, "-o", tmp_path / "kept.xml", "--keep-idle", "--standing", "1", "--any-combination",
               "--epochs", "20")
    assert kept.returncode == 0, kept.stderr
    (warning,) = kept.stderr.splitlines()
    share = int(warning.split("on ")[1].split(" %")[0])
    assert warning == f"korvale-train: warning: the network stands still on {share} % of the lines where you drove"
    assert share >= 5
    # By default the same student moves on there, and the report says how.
    moving = run(TRAIN, log, "-o", tmp_path / "moving.xml", "--keep-idle", "--epochs", "20")
    assert (moving.returncode, moving.stderr) == (0, "")
    (said,) = [line for line in moving.stdout.splitlines() if line.startswith("the network as learnt")]
    assert re.fullmatch(r"the network as learnt gave no command on \d+\.\d % of the lines where the demonstration "
                        r"moved: forward, left and right turn on above 0\.\d\d, not 0\.5; the student gives the "
                        r"demonstrated combination of commands its outputs agree with most", said), said
    # Settled, the pauses teach driving on: no warning.
    settled = run(TRAIN, log, "-o", tmp_path / "settled.xml", "--epochs", "20")
    assert (settled.returncode, settled.stderr) == (0, "")
    assert "gave 299 idle lines in between the command that ended the pause" in settled.stdout


def test_balance_and_noise_give_the_same_network_again_from_the_same_seed():
    readings, commands = demonstration(400, seed=5)

    def network(**options):
        trained = train(readings, commands, TrainOptions(epochs=5, **options)).network
        return [layer.copy() for layer in trained.mlp.coefs_]

    plain = network()
    for options in ({"balance": 0.5}, {"noise": 0.3}, {"balance": 0.5, "noise": 0.3}):
        first, again = network(**options), network(**options)
        assert all(np.array_equal(a, b) for a, b in zip(first, again)), options
        assert not all(np.array_equal(a, b) for a, b in zip(first, plain)), options
