"""The programs in a build's tools/ run with that build's korvale module,
wherever the build folder is: the window's Train runs korvale-train from
there, and a second build folder must not train with the first one's module."""

import os
import shutil

import pytest

from conftest import BINARY_DIR, EXAMPLES, run, write_log, demonstration

DRIVES = "; drives "  # in the summary once the candidates have driven


def without_pythonpath():
    return {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}


def train_and_drive(program, folder, env):
    """A small training whose candidates drive (that needs the module)."""
    readings, commands = demonstration(300, 3)
    log = write_log(folder / "demo.log", readings, commands)
    return run(program, log, "-o", folder / "student.xml", "--epochs", "3", "--robot", EXAMPLES / "Robot.xml",
               "--validate", EXAMPLES / "OpenArena.xml", "--candidates", "1", "--seconds", "2",
               "--progress-lines", cwd=folder, env=env)


@pytest.mark.parametrize("program", ["korvale-train", "korvale-batch", "korvale-evolve"])
def test_the_builds_launchers_are_its_own_not_links_into_the_sources(program):
    launcher = BINARY_DIR / "tools" / program
    assert not launcher.is_symlink()
    assert os.access(launcher, os.X_OK)
    help_text = run(launcher, "--help", env=without_pythonpath())
    assert help_text.returncode == 0, help_text.stderr
    assert "usage" in help_text.stdout.lower()


def test_a_copy_of_the_builds_korvale_train_elsewhere_drives_with_the_builds_module(tmp_path):
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    shutil.copy(BINARY_DIR / "tools" / "korvale-train", elsewhere / "korvale-train")
    result = train_and_drive(elsewhere / "korvale-train", tmp_path, without_pythonpath())
    assert result.returncode == 0, result.stderr
    assert DRIVES in result.stderr
    assert (tmp_path / "student.xml").exists()


def test_the_builds_own_module_wins_over_another_one_named_by_pythonpath(tmp_path):
    """PYTHONPATH naming another build's package (here one that cannot be
    imported) changes nothing: the launcher puts its own build's first."""
    other = tmp_path / "other-build" / "python" / "korvale"
    other.mkdir(parents=True)
    (other / "__init__.py").write_text('raise ImportError("the korvale module of another build")\n')
    env = dict(without_pythonpath(), PYTHONPATH=str(other.parent))
    own = train_and_drive(BINARY_DIR / "tools" / "korvale-train", tmp_path, env)
    assert own.returncode == 0, own.stderr
    assert DRIVES in own.stderr
