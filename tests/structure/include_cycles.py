#!/usr/bin/env python3
# Fails when a module (a .cpp with its .h) under the folders given reaches itself through
# #include lines: each layer includes only those below it. Usage: ROOT FOLDER...
import os, re, sys

root, include = sys.argv[1], re.compile(r'^\s*#\s*include\s*"([^"]+)\.(?:h|cpp)"', re.M)
edges = {}
for folder in sys.argv[2:]:
    for directory, _, names in os.walk(os.path.join(root, folder)):
        for name in (n for n in names if n.endswith((".h", ".cpp"))):
            path = os.path.join(directory, name)
            module = os.path.relpath(path, root).rsplit(".", 1)[0]
            with open(path, encoding="utf-8", errors="replace") as text:
                edges.setdefault(module, set()).update(set(include.findall(text.read())) - {module})

def reached(start):
    seen, todo = set(), [start]
    while todo:
        todo += [t for t in edges.get(todo.pop(), ()) if t not in seen and not seen.add(t)]
    return seen

reach = {module: reached(module) for module in edges}
cycles = sorted((a, b) for a in reach for b in reach[a] if a < b and a in reach.get(b, ()))
for a, b in cycles:
    print(f"{a} and {b} include each other, directly or through others")
sys.exit(1 if cycles else 0)
