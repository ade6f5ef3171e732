"""Shared helpers: the built korvale-sim, the example files, traces read back."""

import os
import subprocess

import numpy as np
import pytest

SOURCE_DIR = os.environ.get("KORVALE_SOURCE_DIR",
                            os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
KORVALE_SIM = os.environ.get("KORVALE_SIM", os.path.join(SOURCE_DIR, "build", "tools", "korvale-sim"))


def example(name):
    return os.path.join(SOURCE_DIR, "examples", name)


class SimResult:
    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr


def korvale_sim(*arguments, cwd=None):
    """Runs the built korvale-sim as a user would."""
    completed = subprocess.run([KORVALE_SIM, *map(str, arguments)], capture_output=True, text=True, cwd=cwd,
                               stdin=subprocess.DEVNULL, check=False)
    return SimResult(completed)


def read_trace(path):
    """A korvale-sim trace as numbers, header dropped."""
    with open(path, encoding="ascii") as file:
        lines = file.read().splitlines()[1:]
    return np.array([[float(field) for field in line.split(",")] for line in lines], dtype=np.float64)


def sim_trace(folder, *arguments):
    """korvale-sim's trace of a run with these arguments."""
    path = os.path.join(folder, "trace.csv")
    result = korvale_sim(*arguments, "--trace", path, "--quiet")
    assert result.status == 0, result.err
    return read_trace(path)


@pytest.fixture
def folder(tmp_path):
    return str(tmp_path)
