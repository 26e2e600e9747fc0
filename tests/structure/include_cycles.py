#!/usr/bin/env python3
"""Fails when a module of the folders given (a .cpp with its .h) reaches itself through the
#include lines of the others: every layer includes only the ones below it."""
import os
import re
import sys

root, folders = sys.argv[1], sys.argv[2:]
include = re.compile(r'^\s*#\s*include\s*"([^"]+)\.(?:h|cpp)"', re.M)
edges = {}
for folder in folders:
    for directory, _, files in os.walk(os.path.join(root, folder)):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(directory, name)
            module = os.path.relpath(path, root).rsplit(".", 1)[0]
            with open(path, encoding="utf-8", errors="replace") as text:
                targets = set(include.findall(text.read()))
            edges.setdefault(module, set()).update(t for t in targets if t != module)


def reached(start):
    seen, todo = set(), [start]
    while todo:
        for target in edges.get(todo.pop(), ()):
            if target not in seen:
                seen.add(target)
                todo.append(target)
    return seen


reach = {module: reached(module) for module in edges}
cycles = sorted((a, b) for a in reach for b in reach[a] if a < b and a in reach.get(b, ()))
for a, b in cycles:
    print(f"{a} and {b} include each other, directly or through others")
sys.exit(1 if cycles else 0)
