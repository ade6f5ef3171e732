"""The learning script of docs/environments.md: what it learns drives in scenes it never saw."""

import importlib.util
import re

import korvale
from conftest import EXAMPLES, SOURCE_DIR, example

# The script as a module, read from examples/ where the docs show it.
_spec = importlib.util.spec_from_file_location("learn_avoid", EXAMPLES / "learn_avoid.py")
learn_avoid = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(learn_avoid)


def test_the_docs_show_the_example_script_as_it_is():
    page = (SOURCE_DIR / "docs" / "environments.md").read_text(encoding="utf-8")
    blocks = re.findall(r"```python[^\n]*\n(.*?)```", page, flags=re.S)
    script = (EXAMPLES / "learn_avoid.py").read_text(encoding="utf-8")
    assert script in blocks


def test_a_short_run_learns_to_drive_without_getting_stuck_or_touching_much(monkeypatch):
    monkeypatch.chdir(EXAMPLES)
    learned = learn_avoid.learn(generations=10, population=32, seconds=15, report=lambda line: None)
    check = korvale.evaluate([learned, example("DriveForward.xml")], learn_avoid.UNSEEN, learn_avoid.ROBOT, 60,
                             [1, 2])
    m = {name: values.mean(axis=(1, 2)) for name, values in check.metrics.items()}
    touching = m["contact_frames"] / 3600
    assert m["stuck"][0] < 0.05 and touching[0] < 0.15, (m, touching)
    assert m["coverage"][0] > 3 * m["coverage"][1] and m["avoid"][0] > 5 * m["avoid"][1]
