#!/usr/bin/env python3
"""Checks the include graph of the source folders.

Reads every `#include "..."` line of the program's own folders and fails when
  - a folder includes a folder that is above it in LAYERS (includes point down only),
  - a folder includes a folder that is not in LAYERS,
  - two folders reach each other (a circle between folders), or
  - units (a header and its source, x.h + x.cpp) reach each other (a circle between files).
Prints the folder graph. Usage: scripts/check_layers.py [--graph]
"""
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

# Bottom first. A folder may include itself and folders earlier in this list.
LAYERS = [
    "platform/os",
    "platform/graphics",
    "platform/window",
    "platform/shell",
    "platform/toolkit",
    "imaging",
    "resources",
    "core",
    "browser",
    "slideshow",
    "sharing",
    "dialogs",
    "app",
    "hosts",
]
# Folders outside the program: they may include anything, and nothing includes them.
OUTSIDE = ["tests", "bench", "fuzz"]
# Headers implemented by another unit's source: they belong to that unit.
SECOND_HEADERS = {
    "platform/graphics/font_face": "platform/graphics/font",  # font.cpp loads the faces
}
# Pairs of units inside one folder that are one mechanism written in two files and use each
# other; reported, not failed. Anything else that forms a circle fails.
KNOWN_CIRCLES = [
    {"platform/window/window", "platform/window/window_system"},  # windows live in the system
    {"platform/shell/menu", "platform/shell/shell"},  # softkey bars open the popups
    {"slideshow/effects", "slideshow/slide_show_player"},  # effects draw with the player
]
SOURCE_EXTENSIONS = (".h", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    """The layer a repository path belongs to (the longest matching prefix)."""
    best = None
    for layer in LAYERS + OUTSIDE:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def unit_of(path):
    unit = os.path.splitext(path)[0]
    return SECOND_HEADERS.get(unit, unit)


def source_files():
    for top in LAYERS + OUTSIDE:
        base = os.path.join(ROOT, top)
        if not os.path.isdir(base):
            continue
        for dirpath, _, names in os.walk(base):
            for name in names:
                if name.endswith(SOURCE_EXTENSIONS):
                    yield os.path.relpath(os.path.join(dirpath, name), ROOT)


def circles(graph):
    """The groups of nodes of `graph` that reach each other (strongly connected, size > 1)."""
    index = {}
    low = {}
    stack = []
    on_stack = set()
    groups = []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def main():
    errors = []
    folder_graph = {}
    unit_graph = {}
    rank = {layer: i for i, layer in enumerate(LAYERS)}
    for path in sorted(set(source_files())):
        src_folder = folder_of(path)
        with open(os.path.join(ROOT, path), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                if not os.path.exists(os.path.join(ROOT, target)):
                    # Relative includes (a helper next to a test) stay in their own folder.
                    target = os.path.normpath(os.path.join(os.path.dirname(path), target))
                dst_folder = folder_of(target)
                where = f"{path}:{number}: includes {m.group(1)}"
                if dst_folder is None:
                    errors.append(f"{where}: not in a known folder")
                    continue
                if dst_folder in OUTSIDE and src_folder != dst_folder:
                    errors.append(f"{where}: the program includes {dst_folder}/")
                if unit_of(path) != unit_of(target):
                    unit_graph.setdefault(unit_of(path), set()).add(unit_of(target))
                if src_folder == dst_folder or src_folder in OUTSIDE:
                    continue
                folder_graph.setdefault(src_folder, set()).add(dst_folder)
                if rank[dst_folder] > rank[src_folder]:
                    errors.append(f"{where}: {src_folder}/ reaches up to {dst_folder}/")

    for group in circles(folder_graph):
        errors.append("circle between folders: " + " ".join(group))
    notes = []
    for group in circles(unit_graph):
        if set(group) in KNOWN_CIRCLES:
            notes.append("known pair (one mechanism in two files): " + " ".join(group))
        else:
            errors.append("circle between files: " + " ".join(group))

    if "--graph" in sys.argv[1:]:
        for layer in reversed(LAYERS):
            below = sorted(folder_graph.get(layer, ()), key=lambda d: -rank[d])
            print(f"{layer:18} -> {' '.join(below) if below else '(nothing)'}")
    for n in notes:
        print(n)
    for e in errors:
        print(e, file=sys.stderr)
    if errors:
        print(f"{len(errors)} layering problem(s)", file=sys.stderr)
        return 1
    print("includes point down only; no circles but the known pairs" if notes else
          "includes point down only; no circles")
    return 0


if __name__ == "__main__":
    sys.exit(main())
