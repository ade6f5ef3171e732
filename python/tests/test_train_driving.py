"""korvale-train's driving options as a user meets them: candidates judged by
driving, DAgger rounds with a teacher network, progress lines for the window,
and one clear line for every option or file it cannot use."""

import io
import re

import pytest

from conftest import EXAMPLES, SIM, TRAIN, run
from korvale.train.cli import main

ROBOT = EXAMPLES / "Robot.xml"
TEACHER = EXAMPLES / "AvoidObstacles.xml"
SHORT = ["--seconds", "6", "--runs", "1", "--epochs", "15", "--threads", "1"]


@pytest.fixture(scope="module")
def teacher_log(tmp_path_factory):
    log = tmp_path_factory.mktemp("teacher") / "teacher.log"
    result = run(SIM, "--scene", EXAMPLES / "Default.xml", "--robot", ROBOT, "--network", TEACHER,
                 "--seconds", 40, "--log", log, "--quiet")
    assert result.returncode == 0, result.stderr
    return log


USAGE = {
    ("--validate", "A.xml"): "--validate needs --robot ROBOT.xml",
    ("--dagger", "2", "--robot", "R.xml"): "--dagger ROUNDS needs --teacher TEACHER.xml and --scenes SCENE...",
    ("--teacher", "T.xml", "--dagger", "1", "--scenes", "A.xml"): "--dagger needs --robot ROBOT.xml",
    ("--candidates", "3"): "--candidates needs --validate SCENE... (or --dagger) to choose among them by driving",
    ("--hidden", "4", "--hidden", "8"): "options given several times need --validate SCENE... to choose among "
                                        "them by driving",
    ("--candidates", "0", "--validate", "A.xml", "--robot", "R.xml"): "argument --candidates: '0' is less than 1",
    ("--seconds", "0"): "argument --seconds: '0' is not greater than 0",
    ("--noise", "-1"): "argument --noise: '-1' is negative",
    ("--balance", "x"): "argument --balance: 'x' is not a number",
}


@pytest.mark.parametrize("arguments", USAGE, ids=[" ".join(a) for a in USAGE])
def test_options_that_do_not_go_together_are_refused_with_a_hint_and_status_2(arguments):
    out, err = io.StringIO(), io.StringIO()
    assert main(["a.log", "-o", "n.xml", *arguments], out, err) == 2
    assert err.getvalue() == f"korvale-train: {USAGE[arguments]} (korvale-train --help shows the usage)\n"
    assert out.getvalue() == ""


def test_candidates_are_judged_by_driving_and_the_same_options_keep_the_same_file(tmp_path, teacher_log):
    arguments = [teacher_log, "--robot", ROBOT, "--validate", EXAMPLES / "Default.xml", EXAMPLES / "Rooms.xml",
                 "--candidates", "3", "--seed", "2", "--starts", "2", *SHORT]
    first = run(TRAIN, *arguments, "-o", tmp_path / "a.xml")
    assert (first.returncode, first.stderr) == (0, ""), first.stderr
    lines = first.stdout.splitlines()
    at = lines.index("  candidate        seed  agreement  distance    stuck  coverage")
    assert lines[at - 1].endswith(f"driving 6 s in 2 scenes, seed 0 from the start and 2 free places (seeds 0 to 1), "
                                  f"with {ROBOT}")
    rows = [line.split() for line in lines[at + 1:at + 4]]
    # Seed 2 of three candidates: seeds 6, 7 and 8; one of them is kept.
    assert [row[0] for row in rows] == ["1", "2", "3"]
    assert [row[-7] for row in rows] == ["6", "7", "8"]
    kept = [row for row in rows if row[1] == "*"]
    assert len(kept) == 1
    (summary,) = [line for line in lines if line.startswith("kept candidate")]
    assert summary.startswith(f"kept candidate {kept[0][0]} (seed {kept[0][2]}): it drives best")
    assert [line.split()[0] for line in lines[at + 5:at + 8]] == ["scene", "Default.xml", "Rooms.xml"]
    assert re.fullmatch(r"  Default.xml +\d+\.\d +\d+\.\d % +\d+\.\d", lines[at + 6])

    again = run(TRAIN, *arguments, "-o", tmp_path / "b.xml", "--quiet")
    assert (again.returncode, again.stdout, again.stderr) == (0, "", "")
    assert (tmp_path / "a.xml").read_bytes() == (tmp_path / "b.xml").read_bytes()
    # The kept candidate alone, from its own seed, is the same network.
    alone = run(TRAIN, teacher_log, "--seed", kept[0][2], "--epochs", "15", "--quiet", "-o", tmp_path / "c.xml")
    assert alone.returncode == 0
    assert (tmp_path / "c.xml").read_bytes() == (tmp_path / "a.xml").read_bytes()


def test_a_scene_without_room_for_free_starts_is_driven_from_its_start_alone(tmp_path, teacher_log):
    full = tmp_path / "full.xml"
    full.write_text('<world width="10" height="10"><object x="5" y="5" r="4.5" mass="-1"/></world>')
    result = run(TRAIN, teacher_log, "--robot", ROBOT, "--validate", full, EXAMPLES / "Default.xml",
                 "--candidates", "2", *SHORT, "-o", tmp_path / "a.xml")
    assert (result.returncode, result.stderr) == (0, "")
    assert "no free place for the robot in full.xml: driving from the scenes' starts only\n" in result.stdout
    assert f"driving 6 s in 2 scenes, seed 0, with {ROBOT}" in result.stdout


def test_dagger_reports_every_round_and_the_window_reads_its_progress_line_by_line(tmp_path, teacher_log):
    result = run(TRAIN, teacher_log, "-o", tmp_path / "s.xml", "--robot", ROBOT, "--teacher", TEACHER,
                 "--dagger", "2", "--scenes", EXAMPLES / "Default.xml", "--candidates", "1", "--progress-lines",
                 *SHORT)
    assert result.returncode == 0, result.stderr
    rounds = [line for line in result.stdout.splitlines() if line.startswith("round ")]
    assert len(rounds) == 2
    for number, line in enumerate(rounds, 1):
        assert re.fullmatch(rf"round {number}: the teacher labelled \d+ lines the student met"
                            rf"( \(it gave no command on \d+ more, left out\))?; \d+ lines in all", line), line
    assert re.search(r"\nkept the student of round [012]\n", result.stdout)
    progress = result.stderr.splitlines()
    assert progress[0] == "progress: epoch 1 of 15"
    assert "progress: driving 1 student" in progress
    assert "progress: round 2, epoch 10 of 15" in progress
    assert re.fullmatch(rf"done: {re.escape(str(tmp_path / 's.xml'))}: \d+\.\d % agreement on the held-out lines; "
                        r"drives \d+ units in 6 s, stuck \d+\.\d %, \d+ cells", progress[-1])


def test_a_teacher_or_scene_it_cannot_use_is_named_in_one_line_and_nothing_is_written(tmp_path, teacher_log):
    seven = tmp_path / "seven.xml"
    seven.write_text('<network inputDimensions="7" outputDimensions="4" numLayers="1">'
                     '<layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>'
                     '<weights><inputlayer from="0" to="1"><matrix m="4" n="7">' + "0 " * 28 + '</matrix>'
                     '</inputlayer></weights><biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>'
                     '</network>')
    cases = {
        (TEACHER.parent / "Missing.xml", EXAMPLES / "Default.xml"): "Missing.xml",
        (seven, EXAMPLES / "Default.xml"): f"{seven} takes 7 inputs, but the logs have 8 readings per line",
        (TEACHER, tmp_path / "NoScene.xml"): "NoScene.xml",
    }
    for (teacher, scene), message in cases.items():
        output = tmp_path / "student.xml"
        result = run(TRAIN, teacher_log, "-o", output, "--robot", ROBOT, "--teacher", teacher, "--dagger", "1",
                     "--scenes", scene, "--candidates", "1", *SHORT)
        assert result.returncode == 1, result.stderr
        (line,) = result.stderr.splitlines()
        assert line.startswith("korvale-train: ") and message in line, line
        assert not output.exists()
