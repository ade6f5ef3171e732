"""korvale-train as a user runs it: the report, determinism, and never losing a file."""

import io
import re
import xml.etree.ElementTree as ElementTree

from conftest import TRAIN, run
from korvale.train.cli import main


def test_same_logs_options_and_seed_give_the_same_file_byte_for_byte(tmp_path, logs):
    for name in ("a.xml", "b.xml"):
        result = run(TRAIN, *logs, "-o", tmp_path / name, "--pca", "5", "--epochs", "20", "--seed", "7")
        assert result.returncode == 0, result.stderr
    first = (tmp_path / "a.xml").read_bytes()
    assert len(first) > 1000
    assert first == (tmp_path / "b.xml").read_bytes()
    other = run(TRAIN, *logs, "-o", tmp_path / "c.xml", "--pca", "5", "--epochs", "20", "--seed", "8")
    assert other.returncode == 0
    assert (tmp_path / "c.xml").read_bytes() != first


def test_the_report_counts_logs_and_lines_and_gives_each_commands_accuracy(tmp_path, logs):
    result = run(TRAIN, *logs, "-o", "net.xml", "--epochs", "30", "--holdout", "0.25", "--plot", "loss.svg", cwd=tmp_path)
    assert (result.returncode, result.stderr) == (0, "")
    lines = result.stdout.splitlines()
    assert lines[0] == "read 1200 lines from 2 logs, 8 readings per line"
    assert lines[1].split() == [str(logs[0]), "600", "lines"]
    assert lines[3] == "trained on 900 lines, 300 held out: 8 readings -> 8 tansig -> 4 logsig outputs"
    assert re.fullmatch(r"\d+ epochs in \d+\.\d s, final loss \d\.\d{5} \((epoch limit|the loss no longer fell)\)", lines[4])
    assert lines[5].split() == ["held-out", "lines", "accuracy", "on", "in", "the", "log", "on", "by", "the", "network"]
    for line, command in zip(lines[6:10], ("forward", "backward", "left", "right")):
        assert re.fullmatch(rf"  {command} +\d+\.\d % +\d+\.\d % +\d+\.\d %", line)
    assert re.fullmatch(r"  all four +\d+\.\d %", lines[10])
    assert lines[11:] == ["wrote net.xml and loss.svg"]

    epochs = int(lines[4].split()[0])
    svg = ElementTree.parse(tmp_path / "loss.svg").getroot()
    (curve,) = svg.iter("{http://www.w3.org/2000/svg}polyline")
    assert len(curve.get("points").split()) == epochs


def test_an_existing_network_is_kept_unless_forced(tmp_path, logs):
    network = tmp_path / "net.xml"
    network.write_text("precious")
    refused = run(TRAIN, *logs, "-o", network, "--epochs", "2")
    assert (refused.returncode, refused.stdout) == (1, "")
    assert refused.stderr == f"korvale-train: {network} already exists; --force replaces it\n"
    assert network.read_text() == "precious"

    forced = run(TRAIN, *logs, "-o", network, "--epochs", "2", "--force", "--quiet")
    assert (forced.returncode, forced.stdout, forced.stderr) == (0, "", "")
    assert network.read_text().startswith('<?xml version="1.0"?>\n<network inputDimensions="8"')
    assert [p.name for p in tmp_path.iterdir() if p.name.startswith(".")] == []  # no temporary file left

    nowhere = run(TRAIN, *logs, "-o", tmp_path / "missing" / "net.xml")
    assert nowhere.stderr == f"korvale-train: cannot write {tmp_path / 'missing' / 'net.xml'}: No such file or directory\n"

    log = logs[0].read_bytes()
    onto_log = run(TRAIN, *logs, "-o", logs[0], "--force")
    assert (onto_log.returncode, onto_log.stderr) == (1, f"korvale-train: {logs[0]} is one of the logs; write to another file\n")
    assert logs[0].read_bytes() == log


def test_a_wrong_command_line_gives_a_hint_and_status_2(tmp_path, logs):
    cases = {
        ("--epochs", "2"): "the following arguments are required: -o/--output",
        ("-o", "n.xml", "--hidden", "8,x"): "argument --hidden: '8,x' is not a list of layer sizes such as 8 or 8,4",
        ("-o", "n.xml", "--output-fcn", "tansig"): "argument --output-fcn: invalid choice: 'tansig' (choose from 'logsig', 'purelin')",
        # Values the trainer cannot use, found before the logs are read.
        ("-o", "n.xml", "--holdout", "1.5"): "argument --holdout: the held-out share must be at least 0 and below 1, not 1.5",
        ("-o", "n.xml", "--holdout", "nan"): "argument --holdout: the held-out share must be at least 0 and below 1, not nan",
        ("-o", "n.xml", "--epochs", "0"): "argument --epochs: training needs at least one epoch, not 0",
        ("-o", "n.xml", "--learning-rate", "-0.1"): "argument --learning-rate: the learning rate must be greater than 0, not -0.1",
        ("-o", "n.xml", "--pca", "-1"): "argument --pca: the number of components must not be negative, not -1",
        ("-o", "n.xml", "--pca", "20"): "argument --pca: 20 components, but the logs have 8 readings per line",
    }
    for arguments, message in cases.items():
        result = run(TRAIN, *logs, *arguments, cwd=tmp_path)
        assert (result.returncode, result.stderr) == (2, f"korvale-train: {message} (korvale-train --help shows the usage)\n")
    alone = run(TRAIN, "-o", "n.xml", cwd=tmp_path)
    assert (alone.returncode, alone.stderr) == (2, "korvale-train: the following arguments are required: LOG "
                                                   "(korvale-train --help shows the usage)\n")
    assert not (tmp_path / "n.xml").exists()


def test_option_values_are_checked_before_any_log_is_read(tmp_path, logs):
    # The second log is missing: a wrong option is still what the user hears of first.
    result = run(TRAIN, logs[0], tmp_path / "missing.log", "-o", tmp_path / "n.xml", "--epochs", "0")
    assert result.returncode == 2 and "--epochs" in result.stderr
    fine = run(TRAIN, logs[0], tmp_path / "missing.log", "-o", tmp_path / "n.xml", "--epochs", "1")
    assert fine.returncode == 1 and "missing.log" in fine.stderr


def test_a_terminal_sees_one_progress_line_rewritten_every_epoch(tmp_path, logs):
    out, err = io.StringIO(), io.StringIO()
    status = main([str(p) for p in logs] + ["-o", str(tmp_path / "n.xml"), "--epochs", "3"], out, err, terminal=True)
    assert status == 0
    progress = err.getvalue().split("\r")
    assert [re.sub(r"loss \d\.\d{5}", "loss L", p) for p in progress[1:4]] == [f"epoch {e}/3  loss L" for e in (1, 2, 3)]
    # The line is cleared before anything else is said (a short training may draw a warning).
    cleared, _, after = progress[-1].partition("\033[K")
    assert cleared == "" and all(line.startswith("korvale-train: warning: ") for line in after.splitlines())
