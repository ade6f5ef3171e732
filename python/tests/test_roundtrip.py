"""The written network file, evaluated by Korvale's own reader and network
code (korvale-net), computes what the trained model computes; its text is
the one korvale-train has always written."""

import re
from types import SimpleNamespace

import numpy as np
import pytest

from conftest import NET, demonstration, run
from korvale.train.model import TrainOptions, train
from korvale.train.netfile import network_text


def korvale_outputs(network_file, rows):
    text = "".join(" ".join(repr(float(v)) for v in row) + "\n" for row in rows)
    result = run(NET, network_file, input=text)
    assert (result.returncode, result.stderr) == (0, "")
    return np.array([[float(v) for v in line.split()] for line in result.stdout.splitlines()])


SHAPES = {
    "default": TrainOptions(epochs=15),
    "pca": TrainOptions(epochs=15, pca=3),
    "two logsig layers, purelin outputs": TrainOptions(epochs=15, hidden=(6, 5), hidden_fcn="logsig", output_fcn="purelin"),
    "purelin hidden layer with pca": TrainOptions(epochs=15, hidden=(4,), hidden_fcn="purelin", pca=8),
    "no hidden layer": TrainOptions(epochs=15, hidden=()),
}


@pytest.mark.parametrize("options", SHAPES.values(), ids=SHAPES.keys())
def test_the_file_gives_the_models_outputs_on_the_training_lines_and_beyond(tmp_path, options):
    readings, commands = demonstration(400, seed=5)
    readings[:, 6] = 17.0  # a reading that never changes: its deviation is 0
    training = train(readings, commands, options)
    path = tmp_path / "net.xml"
    path.write_text(network_text(training.network))

    lines = readings[training.train_rows]
    np.testing.assert_allclose(korvale_outputs(path, lines), training.network.outputs(lines), rtol=0, atol=1e-12)
    # Unseen readings, the constant one moving too: Korvale turns it into 0,
    # and so does the model.
    unseen, _ = demonstration(100, seed=6)
    np.testing.assert_allclose(korvale_outputs(path, unseen), training.network.outputs(unseen), rtol=0, atol=1e-12)


def test_numbers_written_read_back_to_the_same_doubles(tmp_path):
    # A network that outputs 0 - mean, exactly, for a zero input.
    awkward = np.array([0.1, 1 / 3, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, -123456789.12345679,
                        6.02214076e23, 1e-7, np.nextafter(1.0, 2.0), -2.5])
    size = len(awkward)
    network = SimpleNamespace(
        scaler=SimpleNamespace(mean_=awkward, scale_=np.ones(size)),
        pca=None,
        mlp=SimpleNamespace(coefs_=[np.eye(size)], intercepts_=[np.zeros(size)]),
        hidden_fcn="tansig",
        output_fcn="purelin",
    )
    path = tmp_path / "net.xml"
    path.write_text(network_text(network))
    assert korvale_outputs(path, [np.zeros(size)])[0].tolist() == (0.0 - awkward).tolist()


def test_a_file_the_reader_refuses_gives_its_messages_and_status_1(tmp_path):
    readings, commands = demonstration(50)
    text = network_text(train(readings, commands, TrainOptions(epochs=1)).network)
    path = tmp_path / "net.xml"
    path.write_text(text.replace('transferFcn="logsig"', 'transferFcn="Logsig"'))
    result = run(NET, path, input="")
    assert result.returncode == 1
    assert result.stderr == (
        "Error in CFeedForwardReader: bad transferFcn\n"
        "Error in CFeedForwardReader: unable to read layers\n"
        "Error in CFeedForwardReader: unable to read network\n"
        "Error in CFeedForwardReader: inconsistent network\n"
        f"Network file '{path}': a transfer function that is not purelin, tansig or logsig\n"
    )


def test_rows_may_be_log_lines_and_a_bad_row_is_named(tmp_path):
    readings, commands = demonstration(50)
    path = tmp_path / "net.xml"
    training = train(readings, commands, TrainOptions(epochs=1))
    path.write_text(network_text(training.network))
    log_line = "000-0.25 00000000 00000001 0000.125 00000000 00000000 00000000 00000000 1.0 0.0 0.0 1.0 \n"
    result = run(NET, path, input=log_line)
    assert result.returncode == 0
    expected = training.network.outputs(np.array([[-0.25, 0, 1, 0.125, 0, 0, 0, 0]]))[0]
    np.testing.assert_allclose([float(v) for v in result.stdout.split()], expected, rtol=0, atol=1e-12)

    bad = run(NET, path, input=log_line + "1 2 x 4 5 6 7 8\n")
    assert (bad.returncode, bad.stderr) == (1, "korvale-net: <stdin>:2: field 3 is not a number: 'x'\n")
    short = run(NET, path, input="1 2 3\n")
    assert short.stderr == "korvale-net: <stdin>:1: 3 fields where 8 inputs (or 12 with a log line's commands) were expected\n"


def identity_network(values):
    """A model whose file holds `values` as its mean, and little else."""
    size = len(values)
    return SimpleNamespace(scaler=SimpleNamespace(mean_=np.asarray(values, dtype=np.float64), scale_=np.ones(size)),
                           pca=None, mlp=SimpleNamespace(coefs_=[np.ones((size, 1))], intercepts_=[np.zeros(1)]),
                           hidden_fcn="tansig", output_fcn="purelin")


def test_every_number_is_written_as_python_writes_the_float():
    rng = np.random.default_rng(3)
    any_bits = rng.integers(0, 2**63, 3000, dtype=np.uint64).view(np.float64)
    any_scale = rng.normal(size=3000) * 10.0 ** rng.integers(-9, 20, 3000)
    edges = [0.0, -0.0, 1.0, -17.0, 0.0001, 0.0002, 1e-05, 1e15, 1e16, 9999999999999998.0, 123456789012345680.0,
             5e-324, 1.7976931348623157e308]
    values = np.concatenate([any_bits[np.isfinite(any_bits)], -any_scale, edges])
    mean = re.search(r"<mean><vector m=\"\d+\">([^<]*)</vector>", network_text(identity_network(values))).group(1)
    assert mean.split(" ") == [repr(float(value)) for value in values]


def test_the_whole_file_is_laid_out_as_korvale_train_has_always_written_it():
    network = SimpleNamespace(
        scaler=SimpleNamespace(mean_=np.array([17.0, 0.25, 1e-05]), scale_=np.array([np.inf, 2.0, 0.0001])),
        pca=SimpleNamespace(components_=np.array([[1.0, 0.0, -0.0], [0.5, 1e16, 3.0]]), mean_=np.array([0.0, 1.0, 2.0])),
        mlp=SimpleNamespace(coefs_=[np.array([[1.0, -2.0], [0.125, 4.0]]), np.array([[1.5], [-1.0]])],
                            intercepts_=[np.array([0.0, 1.0]), np.array([-0.5])]),
        hidden_fcn="tansig", output_fcn="logsig")
    assert network_text(network) == """<?xml version="1.0"?>
<network inputDimensions="3" outputDimensions="1" numLayers="2">
  <mean><vector m="3">17.0 0.25 1e-05</vector></mean>
  <std><vector m="3">0.0 2.0 0.0001</vector></std>
  <PCAmatrix><matrix m="2" n="3">
      1.0 0.0 -0.0
      0.5 1e+16 3.0
    </matrix></PCAmatrix>
  <layers>
    <layer index="1" dimensions="2" transferFcn="tansig"/>
    <layer index="2" dimensions="1" transferFcn="logsig"/>
  </layers>
  <weights>
    <inputlayer from="0" to="1"><matrix m="2" n="2">
        1.0 0.125
        -2.0 4.0
      </matrix></inputlayer>
    <hiddenlayer from="1" to="2"><matrix m="1" n="2">
        1.5 -1.0
      </matrix></hiddenlayer>
  </weights>
  <biases>
    <bias to="1"><vector m="2">-1250000000000000.8 -4.0000000000000024e+16</vector></bias>
    <bias to="2"><vector m="1">-0.5</vector></bias>
  </biases>
</network>
"""
    with pytest.raises(ValueError, match="not finite"):
        network_text(identity_network([1.0, np.nan]))
