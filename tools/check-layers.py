#!/usr/bin/env python3
"""Checks the program's link graph (build/<platform>/layers.txt, written by
cmake/layers.cmake) and draws it.

  check-layers.py --order basic,gfx,... [--sources DIR] layers.txt
                                        check: exit 1 on a fault
  check-layers.py --diagram layers.txt  the folders, top layer first

A fault is a cycle of links between targets, a target that links a target of
a folder later in the order, or (with --sources, the source tree) a file that
includes a header of a later folder: every folder depends only on folders
below it. "sfx" stands apart: it uses only itself, and nothing uses it.
"""
import argparse
import pathlib
import re
import sys


def read_graph(path):
    folder_of, deps = {}, {}
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 2:
                folder_of[fields[0]] = fields[1]
                deps[fields[0]] = fields[2:]
    return folder_of, deps


def find_cycle(deps):
    """A list of targets forming a cycle, or None."""
    state, stack = {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in deps.get(node, []):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(deps):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def goes_up(rank, mine, theirs):
    """Whether folder `mine` using folder `theirs` breaks the layering."""
    if theirs == mine or theirs not in rank:
        return False
    return "sfx" in (mine, theirs) or rank[theirs] > rank[mine]


def layering_faults(order, folder_of, deps):
    rank = {folder: i for i, folder in enumerate(order)}
    faults = []
    for target, targets in sorted(deps.items()):
        mine = folder_of[target]
        for dep in targets:
            theirs = folder_of.get(dep)
            if goes_up(rank, mine, theirs):
                faults.append(f"{target} ({mine}/) links {dep} ({theirs}/), "
                              f"a folder that is not below {mine}/")
    return faults


def include_faults(order, root):
    rank = {folder: i for i, folder in enumerate(order)}
    include = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/', re.M)
    faults = []
    for folder in order:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".c"):
                continue
            for theirs in set(include.findall(path.read_text(errors="replace"))):
                if goes_up(rank, folder, theirs):
                    faults.append(f"{path.relative_to(root)} includes a header of {theirs}/, "
                                  f"a folder that is not below {folder}/")
    return faults


def diagram(folder_of, deps):
    folders = []
    for target in folder_of.values():
        if target not in folders:
            folders.append(target)
    lines = []
    for folder in reversed(folders):
        targets = sorted(t for t, f in folder_of.items() if f == folder)
        below = []
        for t in targets:
            for dep in deps[t]:
                other = folder_of.get(dep)
                if other and other != folder and other not in below:
                    below.append(other)
        below.sort(key=folders.index, reverse=True)
        uses = ("uses " + ", ".join(b + "/" for b in below)) if below else "uses nothing of ours"
        lines.append(f"{folder + '/':<12}{' '.join(targets)}\n{'':<12}  {uses}")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--order", help="the folders, bottom layer first, comma-separated")
    parser.add_argument("--sources", help="the source tree, to check its includes as well")
    parser.add_argument("--diagram", action="store_true")
    parser.add_argument("graph")
    args = parser.parse_args()
    folder_of, deps = read_graph(args.graph)
    if args.diagram:
        print(diagram(folder_of, deps))
        return 0
    faults = []
    cycle = find_cycle(deps)
    if cycle:
        faults.append("a cycle of links: " + " -> ".join(cycle))
    order = args.order.split(",")
    faults += layering_faults(order, folder_of, deps)
    if args.sources:
        faults += include_faults(order, pathlib.Path(args.sources))
    for fault in faults:
        print("check-layers: " + fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
