#!/usr/bin/env python3
"""Checks that the product folders include one another only downwards.

Each folder has a layer; a file may include headers of its own folder and of
folders in lower layers only. A folder is the first path component, or the
first two under host/, window/ and tools/. Tests, fuzz targets and
benchmarks may include anything. Prints every include that goes sideways or
upwards and exits 1 when there is one."""
import os
import re
import subprocess
import sys

LAYERS = [
    ["include"],
    ["platform", "vorndll"],
    ["formats", "resources"],
    ["cmm", "window"],
    ["window/scripted", "window/win32", "window/gtk"],
    ["tonecurve"],
    ["stages"],
    ["ui"],
    ["filter"],
    ["host/core"],
    ["host/image"],
    ["host/print", "host/cups", "host/printer_app"],
    ["tools/colour_accuracy", "tools/default_profiles", "tools/profilegen", "tools/win32_resources"],
]
# The module's dialogs are the only code above the window layer that talks to
# it; the scripted and system windows stand beside each other, never on one
# another.
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(path):
    parts = path.split("/")
    if len(parts) > 2 and parts[0] in ("host", "window", "tools"):
        return parts[0] + "/" + parts[1]
    return parts[0] if len(parts) > 1 else "."


def product_files():
    """Moves to the top of the work tree and lists its product sources."""
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True).stdout.strip()
    os.chdir(root or ".")
    listed = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"],
                            capture_output=True, text=True).stdout.split()
    return [f for f in listed if re.search(r"\.(c|cc|cpp|h|hpp)$", f) and not re.match(r"(tests|fuzz|bench)/", f)]


def included_file(f, target, known):
    """The product file an include of target in f names, or None for a system header."""
    local = os.path.normpath(os.path.join(os.path.dirname(f), target))
    if local in known:
        return local
    if target in known:
        return target
    if os.path.exists(os.path.join("include", target)):
        return os.path.join("include", target)
    return None


def includes(f, known):
    """The product files f includes directly, with their line numbers."""
    with open(f, encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            m = INCLUDE.match(line)
            target = m and included_file(f, m.group(1), known)
            if target:
                yield number, m.group(1), target


def main():
    files = product_files()
    known = set(files)
    problems = []
    for f in files:
        here = folder_of(f)
        if here not in RANK:
            problems.append(f"{f}: folder {here} has no layer in scripts/check_layers.py")
            continue
        for number, target, path in includes(f, known):
            there = folder_of(path)
            if there != here and RANK.get(there, len(LAYERS)) >= RANK[here]:
                problems.append(f"{f}:{number}: {here} includes {target} of {there}, not below it")
    for p in problems:
        print(p)
    print(f"{len(files)} files, {len(problems)} includes out of layer")
    return 1 if problems else 0

if __name__ == "__main__":
    sys.exit(main())
