"""Reading Korvale's Markdown pages: fenced blocks, headings and links.

The pages are README.md and docs/*.md. A fenced block's info string is a
language and, optionally, a title (```sh title="Run in examples/"): the title
says what the tests do with the block (see docs/index.md, "Blocks you can run").
"""

from __future__ import annotations

import re
import unicodedata
from dataclasses import dataclass
from pathlib import Path

RUN_TITLES = {"Run in the Korvale folder": ".", "Run in examples/": "examples"}
OUTPUT_TITLE = "Output"

_FENCE = re.compile(r'^```(?P<language>[\w+-]*)(?:\s+title="(?P<title>[^"]*)")?\s*$')
_HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
_LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
_INLINE_CODE = re.compile(r"(`+).*?\1")


@dataclass(frozen=True)
class Block:
    """One fenced block: its language, title (or ""), text and first line number."""

    language: str
    title: str
    text: str
    line: int

    @property
    def run_folder(self) -> str | None:
        """The folder, relative to the Korvale folder, a runnable block runs in; None if it is not runnable."""
        return RUN_TITLES.get(self.title)


def blocks(markdown: str) -> list[Block]:
    """The page's fenced blocks, in order."""
    found, current, lines = [], None, []
    for number, line in enumerate(markdown.split("\n"), start=1):
        if current is None:
            match = _FENCE.match(line)
            if match:
                current, lines = (match["language"], match["title"] or "", number), []
        elif line.rstrip() == "```":
            language, title, start = current
            found.append(Block(language, title, "".join(text + "\n" for text in lines), start))
            current = None
        else:
            lines.append(line)
    if current is not None:
        raise ValueError(f"the block that starts at line {current[2]} is never closed")
    return found


def prose_lines(markdown: str) -> list[tuple[int, str]]:
    """(line number, text) of every line outside fenced blocks, inline code removed."""
    out, fenced = [], False
    for number, line in enumerate(markdown.split("\n"), start=1):
        if line.startswith("```"):
            fenced = not fenced
            continue
        if not fenced:
            out.append((number, _INLINE_CODE.sub("", line)))
    return out


def slug(heading: str) -> str:
    """The anchor of a heading, as MkDocs (Python-Markdown's toc) and GitHub make it for ASCII text."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading).replace("`", "")
    text = unicodedata.normalize("NFKD", text).encode("ascii", "ignore").decode("ascii")
    text = re.sub(r"[^\w\s-]", "", text).strip().lower()
    return re.sub(r"[-\s]+", "-", text)


def anchors(markdown: str) -> list[str]:
    """The anchors of the page's headings, in order (duplicates kept, so that callers can find them)."""
    found = []
    for _, line in prose_lines_with_code(markdown):
        match = _HEADING.match(line)
        if match:
            found.append(slug(match[2]))
    return found


def prose_lines_with_code(markdown: str) -> list[tuple[int, str]]:
    """(line number, text) of every line outside fenced blocks, as written."""
    out, fenced = [], False
    for number, line in enumerate(markdown.split("\n"), start=1):
        if line.startswith("```"):
            fenced = not fenced
        elif not fenced:
            out.append((number, line))
    return out


def links(markdown: str) -> list[tuple[int, str]]:
    """(line number, target) of every link and image outside code."""
    return [(number, match[1]) for number, line in prose_lines(markdown) for match in _LINK.finditer(line)]


def pages(source_dir: Path) -> list[Path]:
    """README.md and every page of docs/."""
    return [source_dir / "README.md", *sorted((source_dir / "docs").glob("*.md"))]
