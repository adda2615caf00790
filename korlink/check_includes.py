#!/usr/bin/env python3
"""Checks the include graph between the folders of korlink/src.

Every `#include "folder/..."` in korlink/src/<folder>/* is an edge from its
folder to the named one. The check fails, naming each offending include, when
a protocol folder includes another protocol folder, or when the folder graph
has a cycle (layers must depend one way only).

    check_includes.py [SRC]    SRC defaults to the src folder beside this file
"""
import re
import sys
from pathlib import Path

# Folders holding one transfer protocol each. They may use transfer/ and the
# layers below it, never one another.
PROTOCOLS = {"ascii", "kermit", "xmodem", "zmodem"}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/')


def edges_of(src):
    """{(from, to): first 'file:line' that makes the edge}."""
    folders = {p.name for p in src.iterdir() if p.is_dir()}
    edges = {}
    for folder in sorted(folders):
        for path in sorted((src / folder).rglob("*")):
            if not path.is_file():
                continue
            for number, text in enumerate(path.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(text)
                if not match or match.group(1) not in folders or match.group(1) == folder:
                    continue
                key = (folder, match.group(1))
                edges.setdefault(key, f"{path.relative_to(src)}:{number}: {text.strip()}")
    return folders, edges


def find_cycle(folders, edges):
    """One cycle as a list of folders (first repeated at the end), or None."""
    targets = {f: sorted(t for (s, t) in edges if s == f) for f in folders}
    state = {}  # 1 on the current path, 2 done
    path = []

    def visit(folder):
        state[folder] = 1
        path.append(folder)
        for target in targets[folder]:
            if state.get(target) == 1:
                return path[path.index(target):] + [target]
            if target not in state:
                found = visit(target)
                if found:
                    return found
        path.pop()
        state[folder] = 2
        return None

    for folder in sorted(folders):
        if folder not in state:
            found = visit(folder)
            if found:
                return found
    return None


def main():
    src = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "src"
    folders, edges = edges_of(src)
    problems = []
    for (source, target), where in sorted(edges.items()):
        if source in PROTOCOLS and target in PROTOCOLS:
            problems.append(f"protocol folder {source}/ includes protocol folder {target}/: {where}")
    cycle = find_cycle(folders, edges)
    if cycle:
        problems.append("folder cycle " + " -> ".join(cycle) + ":")
        for source, target in zip(cycle, cycle[1:]):
            problems.append(f"  {edges[(source, target)]}")
    for line in problems:
        print(line, file=sys.stderr)
    if problems:
        return 1
    print(f"{len(folders)} folders, {len(edges)} folder edges, no cycle, no protocol includes another")
    return 0


if __name__ == "__main__":
    sys.exit(main())
