#!/usr/bin/python3
"""Runs the blocks a page shows as runnable, and checks what they print.

    run_blocks.py PAGE.md

Every block titled "Run in the Korvale folder" or "Run in examples/" runs, in
the page's order, in one fresh copy of the Korvale folder: build/ and python/
linked to this build and its sources, examples/ copied, docs/ empty (a block
may write pictures there). Shell blocks run under bash -e; Python blocks as a
file given to /usr/bin/python3. A block titled "Output" right after one must
match what it printed on standard output (see matches), and a picture the
blocks write into docs/ must be the one docs/ holds. KORVALE_SOURCE_DIR and
KORVALE_BINARY_DIR name the folders, as CTest sets them.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from markdown_pages import OUTPUT_TITLE, Block, blocks

# What the clock measures: a wall time (a number with decimals before " s", or a
# whole number of seconds in brackets) or a real-time factor ("564.9x real time").
_WALL_TIME = re.compile(r"\d+\.\d+ s\b|\(\d+ s\)|\d+(?:\.\d+)?x real time")
_ELLIPSIS = {"…", "..."}
_BLOCK_SECONDS = 900


def _line_pattern(pinned: str) -> re.Pattern[str]:
    parts, last = [], 0
    for match in _WALL_TIME.finditer(pinned):
        parts.append(re.escape(pinned[last:match.start()]))
        if match[0].startswith("("):
            parts.append(r"\(\d+ s\)")
        elif match[0].endswith("real time"):
            parts.append(r"\d+(?:\.\d+)?x real time")
        else:
            parts.append(r"\d+(?:\.\d+)? s\b")
        last = match.end()
    parts.append(re.escape(pinned[last:]))
    return re.compile("".join(parts))


def matches(pinned: str, printed: str) -> bool:
    """Whether printed output is what the pinned output shows.

    Lines are compared without trailing blanks; wall times and real-time
    factors may differ; a pinned line "…" (or "...") stands for any number
    of printed lines.
    """
    want = [line.rstrip() for line in pinned.rstrip("\n").split("\n")]
    have = [line.rstrip() for line in printed.rstrip("\n").split("\n")]

    def match_from(i: int, j: int) -> bool:
        if i == len(want):
            return j == len(have)
        if want[i] in _ELLIPSIS:
            return any(match_from(i + 1, k) for k in range(j, len(have) + 1))
        return j < len(have) and _line_pattern(want[i]).fullmatch(have[j]) is not None and match_from(i + 1, j + 1)

    return match_from(0, 0)


def make_korvale_folder(root: Path, source_dir: Path, binary_dir: Path) -> Path:
    """A scratch Korvale folder in root, as a reader's clone with its build looks to the blocks."""
    folder = root / "korvale"
    folder.mkdir()
    (folder / "build").symlink_to(binary_dir)
    (folder / "python").symlink_to(source_dir / "python")
    shutil.copytree(source_dir / "examples", folder / "examples")
    (folder / "docs").mkdir()
    return folder


def run_block(block: Block, folder: Path, scratch: Path) -> subprocess.CompletedProcess[str]:
    """Runs one runnable block in its folder of the scratch Korvale folder."""
    where = folder / block.run_folder
    if block.language == "python":
        script = scratch / f"block_{block.line}.py"
        script.write_text(block.text, encoding="utf-8")
        command = ["/usr/bin/python3", str(script)]
    elif block.language == "sh":
        command = ["bash", "-e", "-o", "pipefail", "-c", block.text]
    else:
        raise ValueError(f"line {block.line}: a runnable block must be sh or python, not '{block.language}'")
    return subprocess.run(command, cwd=where, capture_output=True, text=True, timeout=_BLOCK_SECONDS,
                          stdin=subprocess.DEVNULL)


def run_page(page: Path, source_dir: Path, binary_dir: Path) -> list[str]:
    """Runs the page's runnable blocks; returns the failures, one text each."""
    failures = []
    page_blocks = blocks(page.read_text(encoding="utf-8"))
    if not any(block.run_folder for block in page_blocks):
        return [f"{page.name}: no runnable blocks"]
    with tempfile.TemporaryDirectory(prefix="korvale-docs-") as scratch_name:
        scratch = Path(scratch_name)
        folder = make_korvale_folder(scratch, source_dir, binary_dir)
        last_run: tuple[Block, subprocess.CompletedProcess[str]] | None = None
        for block in page_blocks:
            if block.run_folder is not None:
                result = run_block(block, folder, scratch)
                print(f"{page.name}:{block.line}: ran, status {result.returncode}", flush=True)
                if result.returncode != 0:
                    failures.append(f"{page.name}:{block.line}: status {result.returncode}\n"
                                    f"{result.stdout}{result.stderr}")
                last_run = (block, result)
            elif block.title == OUTPUT_TITLE:
                if last_run is None:
                    failures.append(f"{page.name}:{block.line}: an Output block that follows no runnable block")
                elif not matches(block.text, last_run[1].stdout):
                    failures.append(f"{page.name}:{block.line}: the block at line {last_run[0].line} printed\n"
                                    f"{last_run[1].stdout}(stderr:)\n{last_run[1].stderr}"
                                    f"where the page shows\n{block.text}")
                last_run = None
            else:
                last_run = None
        failures += pictures_that_differ(folder / "docs", source_dir / "docs", page.name)
    return failures


def pictures_that_differ(made: Path, shown: Path, page_name: str) -> list[str]:
    """The pictures the blocks wrote into docs/ must be those the pages show, byte for byte.

    Films are left out: the encoder's output depends on the machine's core count.
    """
    return [f"{page_name}: the blocks made a docs/{picture.name} that differs from the one in docs/"
            for picture in sorted(made.glob("*.png"))
            if (shown / picture.name).exists() and picture.read_bytes() != (shown / picture.name).read_bytes()]


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    source_dir = Path(os.environ["KORVALE_SOURCE_DIR"])
    binary_dir = Path(os.environ["KORVALE_BINARY_DIR"])
    failures = run_page(Path(sys.argv[1]).resolve(), source_dir, binary_dir)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
