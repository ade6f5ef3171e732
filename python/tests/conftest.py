"""Shared helpers: where the built programs are, running them, writing logs."""

import os
import signal
import subprocess
import sys
import time
from pathlib import Path

import numpy as np
import pytest

PYTHON_DIR = Path(__file__).resolve().parents[1]
SOURCE_DIR = Path(os.environ.get("KORVALE_SOURCE_DIR", PYTHON_DIR.parent))
BINARY_DIR = Path(os.environ.get("KORVALE_BINARY_DIR", SOURCE_DIR / "build"))
EXAMPLES = SOURCE_DIR / "examples"
TRAIN = BINARY_DIR / "tools" / "korvale-train"
SIM = BINARY_DIR / "tools" / "korvale-sim"
NET = BINARY_DIR / "tools" / "korvale-net"


def run(*command, **options):
    return subprocess.run([str(part) for part in command], capture_output=True, text=True, **options)


def log_line(readings, commands):
    """One line as the window's log writes it: %g readings zero-padded to 8
    characters, then the commands as 1.0 or 0.0, each field followed by a blank."""
    fields = [format(value, "g").rjust(8, "0") for value in readings]
    fields += ["1.0" if on else "0.0" for on in commands]
    return "".join(field + " " for field in fields) + "\n"


def demonstration(lines, seed=0, sensors=8):
    """Readings that look like infrared readings (mostly 0, up to about 1100
    near a body) and commands from a fixed rule of them."""
    rng = np.random.RandomState(seed)
    near = rng.uniform(size=(lines, sensors)) < 0.3
    readings = np.where(near, np.round(rng.uniform(20, 1100, size=(lines, sensors)), 2), 0.0)
    front = readings[:, 1:sensors - 1].sum(axis=1) if sensors > 2 else readings.sum(axis=1)
    left, right = readings[:, : sensors // 2].sum(axis=1), readings[:, sensors // 2:].sum(axis=1)
    commands = np.stack([front < 900, front > 2500, (front >= 900) | (right > left + 300), left > right + 300], axis=1)
    return readings, commands.astype(np.float64)


def write_log(path, readings, commands):
    Path(path).write_text("".join(log_line(r, c) for r, c in zip(readings, commands)))
    return path


@pytest.fixture
def logs(tmp_path):
    """Two logs of a robot with 8 sensors; the last sensor never sees anything."""
    paths = []
    for seed in (1, 2):
        readings, commands = demonstration(600, seed)
        readings[:, 7] = 0.0
        paths.append(write_log(tmp_path / f"run{seed}.log", readings, commands))
    return paths


# ---- the korvale module and korvale-batch beside korvale-sim

def example(name):
    return str(EXAMPLES / name)


class SimResult:
    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr


def korvale_sim(*arguments, cwd=None):
    """Runs the built korvale-sim as a user would."""
    return SimResult(run(SIM, *arguments, cwd=cwd, stdin=subprocess.DEVNULL, check=False))


def read_trace(path):
    """A korvale-sim trace as numbers, header dropped."""
    lines = Path(path).read_text(encoding="ascii").splitlines()[1:]
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


# Put before a child script that a test interrupts with SIGINT: the child
# notes its CPU time when the signal arrives (the interpreter's handler writes
# to the wakeup pipe at once, while the module works without the lock), so
# `cpu_since_signal()` tells how much work the child did before it stopped.
# Unlike the wall time, that does not grow when a busy machine starves it.
SIGNAL_CLOCK = """
import os, signal, threading, time
_read, _write = os.pipe()
os.set_blocking(_write, False)
signal.set_wakeup_fd(_write)
_arrived = []
_watcher = threading.Thread(target=lambda: (os.read(_read, 1), _arrived.append(time.process_time())), daemon=True)
_watcher.start()


def cpu_since_signal():
    now = time.process_time()
    _watcher.join(5)
    return max(0.0, now - _arrived[0])
"""


def interrupt_child(script, *arguments, wait=0.5):
    """Runs SIGNAL_CLOCK + script, which prints "running" once under way;
    sends SIGINT after `wait` seconds and returns what it printed then."""
    process = subprocess.Popen([sys.executable, "-c", SIGNAL_CLOCK + script, *map(str, arguments)],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=os.environ)
    try:
        assert process.stdout.readline() == "running\n", process.stderr.read()
        time.sleep(wait)
        process.send_signal(signal.SIGINT)
        out, err = process.communicate(timeout=60)
    finally:
        process.kill()
    assert process.returncode == 0, err
    return out
