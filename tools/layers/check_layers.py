#!/usr/bin/env python3
"""Checks that every project include in src/ points down the layer order.

Each folder of src/ is a layer and may include only itself and the layers listed for it
below (the order of docs/architecture.md). Some layers are split once more: a unit (a
header and its .cpp) listed in ABOVE sits over the rest of its layer, which must not
include it. Prints every offending line and exits 1; prints a one-line summary and exits
0 when all is well.
"""
import os
import re
import sys

# layer -> the layers it may include besides itself
ALLOWED = {
    "device": set(),
    "base": set(),
    "capture": {"base", "device"},
    "xu": {"capture", "base", "device"},
    "engine": {"xu", "capture", "base", "device"},
    "widgets": {"base"},
    "firmware": {"engine", "xu", "capture", "base", "device"},
    "session": {"firmware", "engine", "xu", "capture", "base", "device"},
    "tabs": {"widgets", "firmware", "engine", "xu", "capture", "base", "device"},
    "app": {"session", "tabs", "widgets", "firmware", "engine", "xu", "capture", "base", "device"},
}
# units that sit above the rest of their layer
ABOVE = {
    "xu/uvc_xu_manager": "the vendor command set sits above the extension-unit channel",
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/([^"]+)"')


def unit(path):
    return os.path.splitext(path)[0]


def main(src):
    problems = []
    count = 0
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src)
            layer = rel.split(os.sep)[0]
            if layer not in ALLOWED:
                problems.append(f"{rel}: folder '{layer}' has no place in the layer order")
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    count += 1
                    target = m.group(1)
                    included = unit(f"{target}/{m.group(2)}")
                    if included in ABOVE and target == layer and unit(rel) != included:
                        problems.append(f"{rel}:{number}: includes {included} ({ABOVE[included]})")
                    elif target != layer and target not in ALLOWED[layer]:
                        problems.append(f"{rel}:{number}: {layer}/ includes {target}/ ({line.strip()})")
    for p in problems:
        print(p)
    if problems:
        return 1
    print(f"layers: {count} project includes, all pointing down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
