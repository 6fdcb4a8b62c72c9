#!/usr/bin/env python3
"""Checks the include map of the two programs: no loops, and nothing reaching back up.

usage: include-loops.py [REPOSITORY_ROOT]

Each program's folders stand in a fixed order of levels (PROGRAMS below, top first). A file may
include files of its own folder and of every folder on a lower level, never one on a higher level
(a "reach back"). Quoted includes are resolved against the program's include folders and the
including file's folder; includes that name nothing of the program (Qt, the SDK, the shared
libraries) are not followed. Also printed: every header that is reached again from what it
includes (a loop among headers), and every loop among folders. Exit status 1 when anything is
printed.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

# Top level first. Folders on one level (one list) must not include each other.
PROGRAMS = {
    "workstation": {
        # Headers are named by their folder ("inputs/CInputIr.h"); the recorder's Qt-free core
        # names its own headers "recordcore/...".
        "include": [".", "recorder/recordcore/include"],
        "levels": [
            ["program"],    # main, CApp, AppStartup, the views
            ["workspace"],  # the tab manager, the module factory, the workspace file
            ["charts"],     # chart modules, bound to the camera and picture modules
            ["modules"],    # the module base, tabs and frames, the camera and list modules
            ["recorder"],   # owned by the live module, reaches it through RecordSource
            ["exporter"],
            ["inputs"],
            ["settings"],   # the settings record and the option lists every module is handed
        ],
    },
    "devicetool": {
        # Headers are named without their folder ("CDevice.h").
        "include": [".", "program", "app", "device", "settings", "calib", "calibration", "base/include"],
        "levels": [
            ["program"],      # main, CApp, AppStartup, the views
            ["device"],       # the live device, discovery, the configurer
            ["calibration"],  # the XCali block and its editor
            ["calib"],        # the older calibration blocks' editors
            ["app"],          # folders, the settings record, the option lists, QML list access
            ["settings"],     # the channel records' models
            ["base"],         # the Qt-free core
        ],
    },
}


def own_files(root):
    for folder, _, names in os.walk(root):
        for name in names:
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(folder, name), root)


def edges(root, include_dirs, path, files):
    text = open(os.path.join(root, path), encoding="utf-8").read()
    for inc in INCLUDE.findall(text):
        candidates = [os.path.normpath(os.path.join(os.path.dirname(path), inc))]
        candidates += [os.path.normpath(os.path.join(d, inc)) for d in include_dirs]
        for candidate in candidates:
            if candidate in files:
                yield candidate
                break


def folder_of(path):
    return path.split(os.sep)[0]


def check(root, config):
    level = {}
    for n, folders in enumerate(config["levels"]):
        for folder in folders:
            level[folder] = n
    files = sorted(own_files(root))
    file_set = set(files)
    graph = {f: sorted(set(edges(root, config["include"], f, file_set))) for f in files}
    bad = 0
    for f in files:
        if folder_of(f) not in level and os.sep in f:
            print(f"unplaced: {f} is in a folder without a level")
            bad += 1
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
    folder_graph = {}
    for f in files:
        for inc in graph[f]:
            a, b = folder_of(f), folder_of(inc)
            if a == b or a not in level or b not in level:
                continue
            folder_graph.setdefault(a, set()).add(b)
            if level[b] <= level[a]:
                print(f"reach back: {f} includes {inc}")
                bad += 1
    reach = {}
    for start in folder_graph:
        seen, stack = set(), list(folder_graph[start])
        while stack:
            f = stack.pop()
            if f in seen:
                continue
            seen.add(f)
            stack.extend(folder_graph.get(f, []))
        reach[start] = seen
    loops = {tuple(sorted(f for f in reach if f in reach[start] and start in reach[f]))
             for start in reach if start in reach[start]}
    for loop in sorted(loops):
        print("loop: folders " + ", ".join(f + "/" for f in loop) + " include each other")
        bad += 1
    return len(files), bad


def main():
    repo = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    total = 0
    for name, config in PROGRAMS.items():
        count, bad = check(os.path.join(repo, name), config)
        print(f"{name}: {count} files, {bad} findings")
        total += bad
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main())
