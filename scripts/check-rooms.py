#!/usr/bin/env python3
"""Checks the order of the source folders ("rooms"): a file may include files
of its own room and of the rooms below it, never of a room above, and no two
units (a header with its source file) include each other, directly or round
a circle.  Prints every breach and exits 1 when there is one.

Usage: check-rooms.py [SOURCE_ROOT]
"""
import os
import re
import sys

# Bottom to top.  Each room may use the rooms before it in this list.
ROOMS = [
    "res",        # resource identifiers
    "framework",  # the program's own thin window, dialog, profile, archive and text layer
    "util",       # registry, path pieces, extension filter, file I/O, version test
    "list",       # entries, display styles, the list and its file
    "settings",   # the settings record and where DeskCal is found
    "plugin",     # the Susie plug-in host and its own dialogs
    "image",      # bitmap, picture cache, a picture drawn in a style, preview drawing
    "context",    # settings, list and cache together, given to every dialog
    "ui",         # the dialogs and the tray's preview window
    "desktop",    # putting pictures on the desktop: applier, monitors, own layouts, effect
    "changer",    # next, the automatic change and what holds it back
    "remote",     # one Tavrin per log-on, the command line, commands from other processes
    "app",        # start-up, the tray window, the command after a change
]
# Separate programs and what only checks or measures the program: they may use every room.
ABOVE_ALL = {"spi", "tools", "tests", "bench"}
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def sources(root):
    for top in ROOMS + sorted(ABOVE_ALL):
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if d != "fixtures" or top != "tests"]
            for name in files:
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.join(folder, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/")


def unit(path):
    return os.path.splitext(path)[0]


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    rank = {room: i for i, room in enumerate(ROOMS)}
    breaches = []
    graph = {}
    for path in sources(root):
        room = path.split("/", 1)[0]
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            target_room = target.split("/", 1)[0]
            if target_room not in rank:
                continue  # a file beside the includer, or not a room's
            if room in rank and rank[target_room] > rank[room]:
                breaches.append(f"{path}: includes {target} of the room '{target_room}', above '{room}'")
            if room in rank and unit(target) != unit(path):
                graph.setdefault(unit(path), set()).add(unit(target))

    # Circles between units: depth-first search, reporting each circle once.
    state, stack, circles = {}, [], set()

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                circle = stack[stack.index(nxt):]
                first = circle.index(min(circle))
                circles.add(tuple(circle[first:] + circle[:first]))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in state:
            visit(node)
    for circle in sorted(circles):
        breaches.append("circle of includes: " + " -> ".join(circle + (circle[0],)))

    for line in breaches:
        print(line)
    print(f"rooms: {len(ROOMS)} in order, {sum(len(v) for v in graph.values())} includes between units, "
          f"{len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
