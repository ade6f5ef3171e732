"""The README and docs/: short README, links that resolve, blocks that say what they are."""

import os
import re
import tomllib
from pathlib import Path

import pytest

from markdown_pages import OUTPUT_TITLE, RUN_TITLES, anchors, blocks, links, pages
from run_blocks import pictures_that_differ, matches

SOURCE_DIR = Path(os.environ.get("KORVALE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
DOCS = SOURCE_DIR / "docs"
PAGES = pages(SOURCE_DIR)


def text(page: Path) -> str:
    return page.read_text(encoding="utf-8")


def test_the_readme_fits_on_a_few_screens():
    assert len(text(SOURCE_DIR / "README.md").split("\n")) <= 250


def test_the_readme_names_every_package_the_set_up_installs():
    deps = (SOURCE_DIR / "scripts" / "deps.sh").read_text(encoding="utf-8")
    packages = re.search(r"^packages=\((.*?)^\)", deps, flags=re.S | re.M)[1].split()
    readme = text(SOURCE_DIR / "README.md")
    missing = [name for name in packages if not re.search(rf"(?<![\w-]){re.escape(name)}(?![\w-])", readme)]
    assert not missing, f"README.md does not name {missing}"


@pytest.mark.parametrize("page", PAGES, ids=lambda page: page.name)
def test_every_link_is_relative_and_reaches_its_file_and_anchor(page):
    faults = []
    own = anchors(text(page))
    duplicates = {anchor for anchor in own if own.count(anchor) > 1}
    if duplicates:
        faults.append(f"headings with the same anchor: {sorted(duplicates)}")
    for line, target in links(text(page)):
        if re.match(r"[a-z]+:", target):
            continue                                   # a web address
        path, _, anchor = target.partition("#")
        where = f"{page.name}:{line}: {target}"
        if path.startswith("/"):
            faults.append(f"{where}: not relative")
            continue
        file = (page.parent / path).resolve() if path else page
        if not file.exists():
            faults.append(f"{where}: no such file")
            continue
        if page.parent == DOCS and not file.is_relative_to(DOCS):
            faults.append(f"{where}: leaves docs/, which the site does not hold")
        if target.startswith("!") or file.suffix.lower() in {".png", ".mp4"}:
            if not file.is_relative_to(DOCS):
                faults.append(f"{where}: pictures and films belong in docs/")
        if anchor and (file.suffix != ".md" or anchor not in anchors(text(file))):
            faults.append(f"{where}: no heading with the anchor '{anchor}'")
    assert not faults, "\n".join(faults)


@pytest.mark.parametrize("page", PAGES, ids=lambda page: page.name)
def test_every_titled_block_says_what_it_is_and_shows_files_as_they_are(page):
    faults, previous = [], None
    for block in blocks(text(page)):
        where = f"{page.name}:{block.line}"
        if block.title in RUN_TITLES:
            if block.language not in {"sh", "python"}:
                faults.append(f"{where}: a runnable block must be sh or python")
        elif block.title == OUTPUT_TITLE:
            if previous is None or previous.title not in RUN_TITLES:
                faults.append(f"{where}: an Output block must follow a runnable block")
        elif block.title:
            file = SOURCE_DIR / block.title
            if not file.is_file():
                faults.append(f"{where}: title '{block.title}' is neither a run, Output nor a file")
            elif block.language == "toml":
                if tomllib.loads(block.text) != tomllib.loads(file.read_text(encoding="utf-8")):
                    faults.append(f"{where}: the settings differ from {block.title}'s")
            elif block.text != file.read_text(encoding="utf-8"):
                faults.append(f"{where}: the text differs from {block.title}")
        previous = block
    assert not faults, "\n".join(faults)


def test_pinned_output_matches_only_what_was_printed():
    pinned = "generation  1: best 0.232 (1 s)\n...\nbest 0.3747 in 121.3 s\n"
    assert matches(pinned, "generation  1: best 0.232 (13 s)\nmore\nlines\nbest 0.3747 in 9.0 s\n")
    assert matches(pinned, "generation  1: best 0.232 (1 s)   \nbest 0.3747 in 121.3 s")
    assert not matches(pinned, "generation  1: best 0.233 (1 s)\nbest 0.3747 in 121.3 s\n")
    assert not matches(pinned, "generation  1: best 0.232 (1 s)\nbest 0.3747 in 121.3 s\nextra\n")
    assert matches("in 0.1 s wall time (564.9x real time), 499.562 units", "in 2.5 s wall time (24x real time), 499.562 units")
    assert not matches("driving 60 s in 3 scenes\n", "driving 61 s in 3 scenes\n")


def test_a_picture_the_blocks_make_must_be_the_one_the_pages_show(tmp_path):
    made, shown = tmp_path / "made", tmp_path / "shown"
    made.mkdir(), shown.mkdir()
    for folder, pixels in ((made, b"same"), (shown, b"same")):
        (folder / "snapshot.png").write_bytes(pixels)
    (made / "new.png").write_bytes(b"not shown anywhere")
    assert pictures_that_differ(made, shown, "page.md") == []
    (shown / "snapshot.png").write_bytes(b"other")
    assert pictures_that_differ(made, shown, "page.md") == [
        "page.md: the blocks made a docs/snapshot.png that differs from the one in docs/"]
