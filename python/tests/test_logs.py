"""Reading run logs: the log writer's forms, and one clear line per fault."""

import numpy as np
import pytest

from conftest import TRAIN, log_line, run, write_log
from korvale.train.logs import LogError, _read_carefully, _read_fast, read_log, read_logs

GOOD = "00000000 0000.125 000-0.25 1.23457e+06 1.0 0.0 0.0 1.0 \n" "01234.57 1e-05 00000001 000000.5 0.0 1.0 1.0 0.0 "


def test_reads_the_log_writers_number_forms_including_padding_before_a_sign(tmp_path):
    (tmp_path / "a.log").write_text(GOOD)  # the last line without its line end
    readings, commands = read_log(tmp_path / "a.log")
    assert readings.tolist() == [[0, 0.125, -0.25, 1.23457e6], [1234.57, 1e-05, 1, 0.5]]
    assert commands.tolist() == [[1, 0, 0, 1], [0, 1, 1, 0]]


def test_the_fast_and_the_careful_reader_agree_on_a_written_log(tmp_path):
    rng = np.random.RandomState(3)
    readings = np.round(rng.uniform(-2, 1100, size=(50, 6)), 3) * (rng.uniform(size=(50, 6)) < 0.5)
    path = write_log(tmp_path / "a.log", readings, rng.uniform(size=(50, 4)) < 0.5)
    data = path.read_bytes()
    fast = _read_fast(data)
    assert fast is not None
    np.testing.assert_array_equal(fast, _read_carefully(path, data))
    np.testing.assert_array_equal(fast[:, :6], np.array([[float(f"{v:g}") for v in row] for row in readings]))


LINE = "00000001 00000002 1.0 0.0 0.0 0.0 \n"

FAULTS = [
    ("one field too few", LINE + "00000001 1.0 0.0 0.0 0.0 \n", "a.log:2: 5 fields where 6 were expected (2 readings and 4 commands)"),
    ("one field too many", LINE * 2 + "1 2 3 1.0 0.0 0.0 0.0 \n", "a.log:3: 7 fields where 6 were expected (2 readings and 4 commands)"),
    ("a blank line", LINE + "\n" + LINE, "a.log:2: 0 fields where 6 were expected (2 readings and 4 commands)"),
    ("no readings", "1.0 0.0 0.0 0.0 \n", "a.log:1: 4 fields, but a line holds the readings and then 4 commands"),
    ("a word", LINE + "00000001 abc 1.0 0.0 0.0 0.0 \n", "a.log:2: field 2 is not a number: 'abc'"),
    ("not a number", LINE + "nan 1 1.0 0.0 0.0 0.0 \n", "a.log:2: field 1 is not a number: 'nan'"),
    ("infinity", "1 inf 1.0 0.0 0.0 0.0 \n", "a.log:1: field 2 is not a number: 'inf'"),
    ("too large for a double", "1 1e999 1.0 0.0 0.0 0.0 \n", "a.log:1: field 2 is not a number: '1e999'"),
    ("digit groups", "1_000 1 1.0 0.0 0.0 0.0 \n", "a.log:1: field 1 is not a number: '1_000'"),
    ("hexadecimal", "0x10 1 1.0 0.0 0.0 0.0 \n", "a.log:1: field 1 is not a number: '0x10'"),
    ("a decimal comma", "0,5 1 1.0 0.0 0.0 0.0 \n", "a.log:1: field 1 is not a number: '0,5'"),
    ("a byte that is not text", "1 \xe9 1.0 0.0 0.0 0.0 \n", "a.log:1: field 2 is not a number: '\\xc3\\xa9'"),
    ("a command of one half", LINE + "1 2 1.0 0.5 0.0 0.0 \n", "a.log:2: the backward command is '0.5', not 1.0 or 0.0"),
    ("a command of two", "1 2 1.0 0.0 0.0 2 \n", "a.log:1: the right command is '2', not 1.0 or 0.0"),
    ("a command that is a word", "1 2 yes 0.0 0.0 0.0 \n", "a.log:1: field 3 is not a number: 'yes'"),
    ("a long field is shortened", "1 " + "x" * 40 + " 1.0 0.0 0.0 0.0 \n", "a.log:1: field 2 is not a number: '" + "x" * 24 + "...'"),
    ("nothing at all", "", "a.log: the log holds no lines"),
]


@pytest.mark.parametrize("text,message", [f[1:] for f in FAULTS], ids=[f[0] for f in FAULTS])
def test_a_fault_is_one_line_naming_the_file_and_the_line(tmp_path, monkeypatch, text, message):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "a.log").write_bytes(text.encode("utf-8"))
    with pytest.raises(LogError) as raised:
        read_log("a.log")
    assert str(raised.value) == message


def test_logs_of_robots_with_different_sensor_counts_are_refused(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "eight.log").write_text(log_line([0] * 8, [1, 0, 0, 0]) * 3)
    (tmp_path / "six.log").write_text(log_line([0] * 6, [1, 0, 0, 0]))
    with pytest.raises(LogError) as raised:
        read_logs(["eight.log", "six.log"])
    assert str(raised.value) == "six.log:1: 6 readings per line, but eight.log has 8"


def test_several_logs_are_joined_in_order_and_counted(tmp_path):
    a = write_log(tmp_path / "a.log", [[1.0, 2.0]], [[1, 0, 0, 0]])
    b = write_log(tmp_path / "b.log", [[3.0, 4.0], [5.0, 6.0]], [[0, 0, 1, 0], [0, 0, 0, 1]])
    demonstrations = read_logs([a, b])
    assert demonstrations.readings.tolist() == [[1, 2], [3, 4], [5, 6]]
    assert demonstrations.commands[:, 2].tolist() == [0, 1, 0]
    assert demonstrations.lines_per_log == [(str(a), 1), (str(b), 2)]


def test_the_tool_reports_a_bad_log_in_one_line_and_exits_with_1(tmp_path):
    (tmp_path / "a.log").write_text(LINE + "1 2 1.0 0.0 0.0 \n")
    result = run(TRAIN, "a.log", "-o", "net.xml", cwd=tmp_path)
    assert (result.returncode, result.stdout) == (1, "")
    assert result.stderr == "korvale-train: a.log:2: 5 fields where 6 were expected (2 readings and 4 commands)\n"
    missing = run(TRAIN, "missing.log", "-o", "net.xml", cwd=tmp_path)
    assert (missing.returncode, missing.stderr) == (1, "korvale-train: missing.log: No such file or directory\n")
    assert not (tmp_path / "net.xml").exists()
