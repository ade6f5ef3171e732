#!/usr/bin/python3
"""Checks that every source file includes only what its layer may use.

The layers are the folders' libraries and what each links, as the CMake files
declare them (korvale_library DEPENDS, target_link_libraries, korvale_tests
LIBS). A folder may include its own headers and those of every library its
targets link, directly or through others; anything else is reported as
FILE:LINE with what the folder may use. The links themselves must not run in
a circle.

Usage: scripts/check-includes.py [--order] [--root DIR]
  --order   prints the libraries lowest first with what each links
  --root    checks another tree than the one this script is in
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
if "--root" in sys.argv[1:-1]:
    ROOT = pathlib.Path(sys.argv[sys.argv.index("--root") + 1]).resolve()
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}
SKIPPED = {".git", "examples", "docs"}

CALL = re.compile(r"\b(korvale_library|korvale_tests|korvale_folder_includes|add_library|target_link_libraries)"
                  r"\s*\(([^)]*)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def cmake_words(text):
    text = re.sub(r"#[^\n]*", "", text)
    return [w for w in re.split(r"\s+", text) if w]


def keyword_values(words, keyword):
    """The words after keyword up to the next keyword (a word in capitals)."""
    if keyword not in words:
        return []
    values = []
    for word in words[words.index(keyword) + 1:]:
        if re.fullmatch(r"[A-Z_]+", word):
            break
        values.append(word)
    return values


def read_layers():
    """Library -> folder; library -> libraries it links, and which of them its
    users see too (public); folder -> libraries its own targets use."""
    folder_of, links, public, used_by_folder = {}, {}, {}, {}
    for cmake in sorted(ROOT.rglob("CMakeLists.txt")):
        relative = cmake.parent.relative_to(ROOT)
        if relative.parts and (relative.parts[0].startswith("build") or relative.parts[0] in SKIPPED):
            continue
        folder = relative.as_posix() if relative.parts else "."
        text = re.sub(r"#[^\n]*", "", cmake.read_text())
        for call, arguments in CALL.findall(text):
            words = cmake_words(arguments)
            if not words:
                continue
            if call == "korvale_library":
                name = words[0]
                folder_of[name] = folder
                links.setdefault(name, set()).update(keyword_values(words, "DEPENDS"))
                public.setdefault(name, set()).update(keyword_values(words, "DEPENDS"))
                used_by_folder.setdefault(folder, set()).add(name)
            elif call == "korvale_folder_includes":
                folder_of[words[0]] = words[1]
                used_by_folder.setdefault(words[1], set()).add(words[0])
            elif call == "korvale_tests":
                tested = f"{folder}/{words[0]}" if folder != "." else words[0]
                used_by_folder.setdefault(tested, set()).update(keyword_values(words, "LIBS"))
            elif call == "add_library":
                links.setdefault(words[0], set())
                public.setdefault(words[0], set())
            elif call == "target_link_libraries":
                target = words[0]
                if target not in links:
                    used_by_folder.setdefault(folder, set()).update(words[1:])
                    continue
                # Before any keyword, a link is public as well.
                scope = "PUBLIC"
                for word in words[1:]:
                    if word in ("PUBLIC", "PRIVATE", "INTERFACE"):
                        scope = word
                        continue
                    links[target].add(word)
                    if scope != "PRIVATE":
                        public[target].add(word)
    ours = set(folder_of)

    def only_ours(table):
        return {name: {d for d in deps if d in ours} for name, deps in table.items() if name in ours}

    used_by_folder = {f: {d for d in deps if d in ours} for f, deps in used_by_folder.items()}
    return folder_of, only_ours(links), only_ours(public), used_by_folder


def find_cycle(links):
    state, stack = {}, []

    def visit(name):
        state[name] = "open"
        stack.append(name)
        for dep in sorted(links.get(name, ())):
            if state.get(dep) == "open":
                return stack[stack.index(dep):] + [dep]
            if dep not in state:
                cycle = visit(dep)
                if cycle:
                    return cycle
        stack.pop()
        state[name] = "done"
        return None

    for name in sorted(links):
        if name not in state:
            cycle = visit(name)
            if cycle:
                return cycle
    return None


def closure(names, links):
    """The names and everything they reach through links."""
    seen, todo = set(), list(names)
    while todo:
        name = todo.pop()
        if name not in seen:
            seen.add(name)
            todo.extend(links.get(name, ()))
    return seen


def layer_order(links):
    """Libraries lowest first; each after everything it links."""
    order, placed = [], set()
    while len(order) < len(links):
        ready = sorted(n for n in links if n not in placed and links[n] <= placed)
        order.extend(ready)
        placed.update(ready)
    return order


def target_folder(include, including_file, folders):
    """The folder of ours that an include names, or None for a local or foreign file."""
    if "/" not in include:
        return None
    if include.startswith("."):
        resolved = (including_file.parent / include).resolve()
        try:
            include = resolved.relative_to(ROOT).as_posix()
        except ValueError:
            return None
    for folder in sorted(folders, key=len, reverse=True):
        if include.startswith(folder + "/"):
            return folder
    return None


def sources_of(folder, checked_folders):
    """The folder's source files, in sub-folders too, but for sub-folders
    checked on their own."""
    directory = ROOT / folder
    own = []
    for path in sorted(directory.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        parent = path.parent.relative_to(ROOT).as_posix()
        inner = [f for f in checked_folders if f != folder and (parent == f or parent.startswith(f + "/"))]
        if not inner and not any(part.startswith("build") for part in path.relative_to(ROOT).parts[:1]):
            own.append(path)
    return own


def main():
    folder_of, links, public, used_by_folder = read_layers()
    cycle = find_cycle(links)
    if cycle:
        print("check-includes: the libraries link in a circle: " + " -> ".join(cycle))
        return 1
    if "--order" in sys.argv[1:]:
        for name in layer_order(links):
            below = ", ".join(sorted(links[name])) or "nothing of ours"
            print(f"{name} ({folder_of[name]}/): links {below}")
        return 0

    folders = set(folder_of.values()) | set(used_by_folder)
    faults = 0
    for folder, used in sorted(used_by_folder.items()):
        # A folder sees the libraries it uses with what they show their users,
        # and its own libraries' private links as well.
        own = {name for name in used if folder_of[name] == folder}
        seen = closure(used | {d for name in own for d in links[name]}, public)
        allowed = {folder} | {folder_of[name] for name in seen}
        for path in sources_of(folder, set(used_by_folder)):
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), start=1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = target_folder(match.group(1), path, folders | {folder})
                if target is None or target in allowed:
                    continue
                faults += 1
                may = ", ".join(f + "/" for f in sorted(allowed))
                print(f"{path.relative_to(ROOT)}:{number}: includes \"{match.group(1)}\" from {target}/, which "
                      f"{folder}/ may not use (it may use {may})")
    if faults:
        print(f"check-includes: {faults} include(s) against the layer order (docs/architecture.md)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
