"""A student gives only combinations of commands its demonstration held:
of those, the one its outputs agree with most; and the network file that
holds the rule is one Korvale reads like any other."""

import numpy as np
import pytest

import korvale
from conftest import TRAIN, demonstration, run, write_log
from korvale.train.combinations import chosen_outputs, demonstrated

F, B, L, R, IDLE = [1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1], [0, 0, 0, 0]
FL, BR, BL, BLR = [1, 0, 1, 0], [0, 1, 0, 1], [0, 1, 1, 0], [0, 1, 1, 1]


def test_the_demonstrated_combinations_are_the_distinct_ones_in_a_fixed_order():
    commands = np.array([L, F, FL, L, BR, F, IDLE, F], dtype=float)
    # As 4-bit numbers, forward the highest: idle 0, left 2, backward-right 5, forward 8, forward-left 10.
    assert demonstrated(commands).tolist() == [IDLE, L, BR, F, FL]
    assert demonstrated(commands[::-1]).tolist() == demonstrated(commands).tolist()


@pytest.mark.parametrize("lines, given", [
    ([F] * 9 + [B] * 3, [F]),  # backward undoes forward
    ([L] * 5 + [BR] * 2 + [R] * 2 + [BL] * 4, [L, BL]),  # right wheel back undoes left; left wheel back, right
    ([BL] * 2 + [R] * 2, [R]),  # as common: the later in the fixed order is left out
    ([IDLE] * 3 + [BLR] + [F], [IDLE, BLR, F]),  # standing still undoes nothing
], ids=["backward", "turns", "tie", "standing"])
def test_a_combination_that_undoes_a_commoner_one_is_left_out_unless_kept(lines, given):
    commands = np.array(lines, dtype=float)
    assert demonstrated(commands, keep_opposites=False).tolist() == given
    assert len(demonstrated(commands, keep_opposites=True)) == len({tuple(line) for line in lines})


def test_the_student_does_not_back_off_where_its_teacher_turned_and_says_so(tmp_path):
    readings, commands = demonstration(600, seed=5)
    commands[:] = F
    commands[readings[:, 0] > 0] = L
    commands[(readings[:, 0] > 0) & (readings[:, 1] > 0)] = BR  # the rarer: wheels opposite to left's
    log = write_log(tmp_path / "run.log", readings, commands)
    unseen, _ = demonstration(1000, seed=9)
    given = {}
    for name, options in (("default", []), ("kept", ["--keep-opposites"])):
        result = run(TRAIN, log, "-o", tmp_path / f"{name}.xml", "--epochs", "30", *options)
        assert result.returncode == 0, result.stderr
        network = korvale.Network.load(str(tmp_path / f"{name}.xml"))
        given[name] = {tuple(row) for row in (network.evaluate(unseen) > 0.5).astype(int).tolist()}
        left_out = "the student does not give backward and right: its wheels turn opposite to those of left"
        assert (left_out in result.stdout) == (name == "default"), result.stdout
    assert tuple(BR) not in given["default"] and tuple(L) in given["default"]
    assert tuple(BR) in given["kept"]


@pytest.mark.parametrize("held", [[F, L, R, FL, BR], [F, L], [R]], ids=["five", "two", "one"])
def test_of_the_demonstrated_combinations_the_one_the_margins_agree_with_most_is_given(held):
    combinations = demonstrated(np.array(held, dtype=float))
    margins = np.random.RandomState(3).normal(0.0, 2.0, size=(2000, 4))
    scores = margins @ (2 * combinations - 1).T
    ranked = np.sort(scores, axis=1)
    clear = ranked[:, -1] - (ranked[:, -2] if len(combinations) > 1 else -np.inf) > 0.1  # no near-tie
    outputs = chosen_outputs(margins, combinations)[clear]
    expected = combinations[np.argmax(scores[clear], axis=1)]
    np.testing.assert_allclose(outputs, expected, rtol=0, atol=1e-6)  # a sharp yes or no
    # Where the outputs on their own form a demonstrated combination, it is that one.
    own = (margins[clear] > 0).astype(float)
    shown = (own[:, None, :] == combinations[None]).all(axis=2).any(axis=1)
    assert shown.sum() > 50
    np.testing.assert_array_equal(outputs[shown] > 0.5, own[shown] > 0.5)


def test_the_students_file_gives_only_demonstrated_combinations_unless_any_is_asked_for(tmp_path):
    readings, commands = demonstration(600, seed=4)
    log = write_log(tmp_path / "run.log", readings, commands)
    held = {tuple(row) for row in commands.astype(int).tolist()}
    unseen, _ = demonstration(1000, seed=9)
    unseen = unseen * np.random.RandomState(9).uniform(0.0, 3.0, size=unseen.shape)  # far from the demonstration too
    given = {}
    for name, options in (("chosen", []), ("any", ["--any-combination"])):
        result = run(TRAIN, log, "-o", tmp_path / f"{name}.xml", "--epochs", "8", "--seed", "1", *options)
        assert result.returncode == 0, result.stderr
        # Read and evaluated by Korvale's own network code, as every program reads it.
        network = korvale.Network.load(str(tmp_path / f"{name}.xml"))
        given[name] = {tuple(row) for row in (network.evaluate(unseen) > 0.5).astype(int).tolist()}
    assert given["chosen"] <= held
    assert not given["any"] <= held  # thresholded one by one, an 8-epoch student gives others too
