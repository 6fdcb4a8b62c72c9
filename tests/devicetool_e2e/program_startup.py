#!/usr/bin/env python3
"""ProgramStartup: both programs, started from a copy of the program in a folder of its own on an
X display, against hostile start-up files. A start that cannot show its main window (a "Kiv"
plug-in beside the program that is not one, a Qt Quick Controls style that does not exist) ends
within seconds with a non-zero exit and one line on standard error saying why; Calorset with
"debug.json" as a named pipe nobody writes to shows its window as usual.

    program_startup.py CALORSET CALORVUE
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import e2e_harness as e2e  # noqa: E402

FAILED_START_S = 20.0  # a refused start: the view is loaded within the first seconds


def copy_of(program, name):
    work = tempfile.mkdtemp(prefix=name.lower() + "-startup-")
    copy = os.path.join(work, name)
    shutil.copy2(program, copy)
    os.makedirs(os.path.join(work, name + "-Config"))
    return work, copy


def start(copy):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    return subprocess.Popen([copy], cwd=os.path.dirname(copy), env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, start_new_session=True)


def expect_refused(what, copy, needle):
    p = start(copy)
    try:
        _, err = p.communicate(timeout=FAILED_START_S)
    except subprocess.TimeoutExpired:
        p.kill()
        p.communicate()
        raise AssertionError(f"{what}: still running after {FAILED_START_S:.0f} s")
    lines = err.strip().splitlines()
    assert p.returncode != 0, f"{what}: exit code 0, stderr {err!r}"
    assert len(lines) == 1, f"{what}: stderr is not one line: {err!r}"
    assert needle in lines[0], f"{what}: stderr does not say why ({needle!r}): {lines[0]!r}"
    print(f"{what}: exit {p.returncode}, {lines[0]}")


def check_program(program, name):
    # A "Kiv" beside the program that is no plug-in: the copy beside the program is searched first.
    work, copy = copy_of(program, name)
    kiv = os.path.join(work, "qml", "Kiv")
    os.makedirs(kiv)
    with open(os.path.join(kiv, "qmldir"), "w") as f:
        f.write("module Kiv\n")
    expect_refused(f"{name} with a broken Kiv", copy, "Kiv")
    shutil.rmtree(os.path.join(work, "qml"))

    conf = os.path.join(work, name + "-Config", "qtquickcontrols2.conf")
    for style, needle in (("NoSuchStyleAnywhere", "NoSuchStyleAnywhere"), ("../../../../etc/passwd", "passwd")):
        with open(conf, "w") as f:
            f.write(f"[Controls]\nStyle={style}\n")
        expect_refused(f"{name} with style {style}", copy, needle)
    shutil.rmtree(work)


def check_fifo_debug_settings(program):
    work, copy = copy_of(program, "Calorset")
    os.mkfifo(os.path.join(work, "Calorset-Config", "debug.json"))
    p = start(copy)
    try:
        e2e.wait_until("Calorset's window with debug.json a named pipe",
                       lambda: p.poll() is None and e2e.window_geometry("Calorset v1.6.0.0330") is not None, timeout=60.0)
        p.send_signal(signal.SIGTERM)
        p.communicate(timeout=30)
        assert p.returncode == 0, f"exit code {p.returncode} after SIGTERM"
    finally:
        if p.poll() is None:
            p.kill()
            p.communicate()
    print("Calorset with debug.json a named pipe: window shown, exit 0")
    shutil.rmtree(work)


def main():
    calorset, calorvue = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    check_program(calorset, "Calorset")
    check_program(calorvue, "Calorvue")
    check_fifo_debug_settings(calorset)
    print(f"program start-up checks passed in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    main()
