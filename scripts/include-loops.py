#!/usr/bin/env python3
"""Lists include loops among a program's own files.

usage: include-loops.py FOLDER [APP_FOLDER]

Quoted includes are resolved against FOLDER (the include root of the program's core, where
"inputs/CInputIr.h" names FOLDER/inputs/CInputIr.h) and against the including file's folder.
Prints every header that is reached again from what it includes, and, with APP_FOLDER (relative
to FOLDER), every file outside it that includes a header of it other than those listed in
ALLOWED_APP_HEADERS. Exit status 1 when anything is printed.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# Settings and option lists live in the application folder but are handed to the modules as
# managers; only the application object and the start-up are out of reach.
ALLOWED_APP_HEADERS = {"CAppConfig.h", "CConfigManager.h", "CCommonManager.h"}


def own_files(root):
    for folder, _, names in os.walk(root):
        for name in names:
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(folder, name), root)


def edges(root, path):
    text = open(os.path.join(root, path), encoding="utf-8").read()
    for inc in INCLUDE.findall(text):
        for candidate in (inc, os.path.normpath(os.path.join(os.path.dirname(path), inc))):
            if os.path.isfile(os.path.join(root, candidate)):
                yield candidate
                break


def main():
    root = sys.argv[1]
    app = sys.argv[2].rstrip("/") + "/" if len(sys.argv) > 2 else None
    files = sorted(own_files(root))
    graph = {f: sorted(set(edges(root, f))) for f in files}
    bad = 0
    for header in (f for f in files if f.endswith(".h")):
        seen, stack = set(), list(graph[header])
        while stack:
            f = stack.pop()
            if f in seen:
                continue
            seen.add(f)
            stack.extend(graph.get(f, []))
        if header in seen:
            print(f"loop: {header} is reached again from what it includes")
            bad += 1
    if app:
        for f in files:
            if f.startswith(app):
                continue
            for inc in graph[f]:
                if inc.startswith(app) and os.path.basename(inc) not in ALLOWED_APP_HEADERS:
                    print(f"reach back: {f} includes {inc}")
                    bad += 1
    print(f"{len(files)} files, {bad} findings")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
