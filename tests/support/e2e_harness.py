"""Drives a program of the suite from outside, the way a person does, for end-to-end scenarios.

A scenario runs under `xvfb-run` (one private X display each) and, through this module:

- starts its own copy of the program with `Program`: the executable is copied into a fresh
  folder, so its settings ("<name>-Config") and log folders are the scenario's own, and run
  through the program's run script (scripts/run-calorvue.sh, scripts/run-calorset.sh, ...),
  which starts the camera simulator on the scenario's own loopback address;
- finds the program's window with `Window.wait` (xwininfo) and works in window coordinates;
- clicks, types and presses keys with xdotool (`Window.click`, `type_text`, `key`);
- takes screen shots (`Window.shot`, ImageMagick's `import`) and reads their pixels with Pillow
  (`Shot.at`, `Shot.near`, `red_columns`);
- answers the toolkit's own file and folder dialogs by typing a path (`type_path_into_dialog`);
- waits for events (a window, a log line, a pixel) under a deadline with `wait_until`, never for
  a fixed time.

Positions are the caller's: each program keeps its own geometry module worked out from its QML.
"""
import glob
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time

from PIL import Image


# How long a program may take from its start to its first frame: a sanitizer build on a loaded
# machine loads its views for a minute and more. A wait ends as soon as the frame is there.
START_TIMEOUT = 180.0


def observed(path):
    """(type, bytes) of every message the simulator received (its --observe file), in order."""
    out = []
    if not os.path.exists(path):
        return out
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line:
                data = bytes.fromhex(line)
                out.append((struct.unpack_from("<H", data)[0], data))
    return out


def wait_until(what, predicate, timeout=30.0, interval=0.1):
    """Polls `predicate` until it returns something true and returns that; raises after
    `timeout` seconds naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


class Program:
    """One copy of a program, run through its run script on its own loopback address.

    `name` is the program's name ("Calorvue"); its folders are formed from it beside the copy.
    The run script is called as `<script> <program copy> <address> <args...>` and must stop its
    simulator when the program ends. `env` adds variables (OSTREL_CAMSIM for the simulator's path,
    ...); `args` are the run script's further arguments (Calorvue's simulator scene).
    """

    def __init__(self, root, program, address, run_script, name, env=None, args=()):
        self.root = root
        self.name = name
        self.address = address
        self.work = tempfile.mkdtemp(prefix=name.lower() + "-e2e-")
        self.copy = os.path.join(self.work, name)
        shutil.copy2(program, self.copy)
        # The translations travel with the program, as the build puts them beside it.
        built_config = os.path.join(os.path.dirname(os.path.abspath(program)), name + "-Config")
        os.makedirs(self.config_dir)
        for qm in glob.glob(os.path.join(built_config, name + ".*.qm")):
            shutil.copy2(qm, self.config_dir)
        self.run_script = os.path.join(root, "scripts", run_script)
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", **(env or {}))
        self.args = list(args)
        self.process = None
        self.output = ""

    @property
    def config_dir(self):
        return os.path.join(self.work, self.name + "-Config")

    @property
    def log_dir(self):
        return os.path.join(self.work, self.name + "-Log")

    def start(self):
        # The program works in its own folder: a file dialog opened before any other shows the
        # working folder, and its width follows the length of that folder's path.
        self.process = subprocess.Popen(["bash", self.run_script, self.copy, self.address, *self.args],
                                        env=self.env, cwd=self.work,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                        start_new_session=True)
        return self

    def check_running(self):
        if self.process.poll() is not None:
            raise AssertionError(os.path.basename(self.run_script) + " ended early: " + self.process.stdout.read())

    def log_text(self):
        """The program's day logs, oldest first, as one text ("" before the first is written)."""
        if not os.path.isdir(self.log_dir):
            return ""
        text = ""
        for name in sorted(os.listdir(self.log_dir)):
            with open(os.path.join(self.log_dir, name), errors="replace") as f:
                text += f.read()
        return text

    def log_contains(self, text):
        """Whether a day log of the program holds `text` (raises when the program ended)."""
        self.check_running()
        return text in self.log_text()

    def stop(self, timeout=30):
        """Ends the program the normal way (SIGTERM to the run script) and returns the script's
        exit code; its output is kept in `output`."""
        os.kill(self.process.pid, signal.SIGTERM)
        self.output, _ = self.process.communicate(timeout=timeout)
        return self.process.returncode

    def finish(self):
        """Ends the program the normal way and checks that it and its run script ended cleanly,
        the script's simulator stopped included (the run script's closing lines)."""
        rc = self.stop()
        print(self.output)
        assert rc == 0, f"{os.path.basename(self.run_script)} ended with {rc}"
        assert f"{self.name} exited with 0" in self.output, f"{self.name} did not exit with 0"
        assert "simulator stopped" in self.output, "the simulator was not stopped"

    def close(self, ok):
        """After a scenario: a program still running is killed; a passed scenario's folder goes,
        a failed one's is kept and named."""
        self.kill()
        if ok:
            self.remove()
        else:
            print("kept for inspection: " + self.work)

    def kill(self):
        if self.process is not None and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()

    def remove(self):
        shutil.rmtree(self.work, ignore_errors=True)


def window_geometry(title):
    """(x, y, width, height) of the window named `title` on the display, or None."""
    out = subprocess.run(["xwininfo", "-name", title], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    fields = {}
    for key, pattern in (("x", r"Absolute upper-left X:\s+(-?\d+)"), ("y", r"Absolute upper-left Y:\s+(-?\d+)"),
                         ("w", r"Width:\s+(\d+)"), ("h", r"Height:\s+(\d+)")):
        m = re.search(pattern, out.stdout)
        if not m:
            return None
        fields[key] = int(m.group(1))
    return fields["x"], fields["y"], fields["w"], fields["h"]


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True, capture_output=True)


def key(*keys):
    """Presses keys by their X names ("Return", "ctrl+a", "Escape")."""
    xdotool("key", "--clearmodifiers", *keys)


def type_text(text):
    xdotool("type", "--clearmodifiers", "--delay", "15", text)


class Shot:
    """A screen shot read in window coordinates."""

    def __init__(self, image, origin):
        self.image = image
        self.ox, self.oy = origin

    def at(self, x, y):
        return self.image.getpixel((self.ox + x, self.oy + y))

    def near(self, x, y, predicate, tol=3):
        """The first position within `tol` pixels of (x, y) whose colour satisfies `predicate`."""
        for dy in range(-tol, tol + 1):
            for dx in range(-tol, tol + 1):
                if predicate(self.at(x + dx, y + dy)):
                    return (x + dx, y + dy)
        return None

    def columns(self, x0, x1, y0, y1, predicate):
        """Columns x0..x1 whose every pixel from y0 to y1 satisfies `predicate`."""
        return [x for x in range(x0, x1 + 1) if all(predicate(self.at(x, y)) for y in range(y0, y1 + 1))]


def close(a, b, limit=24):
    return all(abs(int(p) - int(q)) <= limit for p, q in zip(a[:3], b[:3]))


def is_red(c):
    """The validity frame's pure red, allowing for nothing but exact drawing."""
    return c[0] >= 240 and c[1] <= 20 and c[2] <= 20


def close_button_shown(shot, xy):
    """Whether the device tool's red close button (a light red face, a white cross) is at `xy`:
    at least 20 pixels of its face within 6 pixels. Text below it, drawn with coloured edges, has
    a reddish pixel here and there, never a patch of them."""
    x, y = xy

    def face(c):
        return c[0] >= 235 and c[1] <= 150 and abs(c[1] - c[2]) <= 12

    return sum(face(shot.at(x + dx, y + dy)) for dx in range(-6, 7) for dy in range(-6, 7)) >= 20


class Window:
    """A program's top-level window: positions are given relative to its top-left corner."""

    def __init__(self, title, geometry):
        self.title = title
        self.x, self.y, self.width, self.height = geometry

    @classmethod
    def wait(cls, title, timeout=30.0, program=None):
        def found():
            if program is not None:
                program.check_running()
            return window_geometry(title)
        return cls(title, wait_until("the window " + title, found, timeout))

    def click(self, x, y, button=1):
        xdotool("mousemove", "--sync", self.x + x, self.y + y)
        xdotool("click", button)

    def move_to(self, x, y):
        xdotool("mousemove", "--sync", self.x + x, self.y + y)

    def shot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True, capture_output=True)
        return Shot(Image.open(path).convert("RGB"), (self.x, self.y))

    def wait_shot(self, what, path, predicate, timeout=15.0):
        """Takes shots until `predicate(shot)` holds; returns that shot."""
        return wait_until(what, lambda: (lambda s: s if predicate(s) else None)(self.shot(path)), timeout)

    def escape_until(self, what, path, predicate, attempts=3, timeout=10.0):
        """Presses Escape until `predicate(shot)` holds; returns that shot. A notice of the last
        action takes the keyboard while it shows, so the first Escape may close the notice and
        the next one the view below it, as for a user pressing it twice."""
        for attempt in range(attempts):
            key("Escape")
            try:
                return self.wait_shot(what, path, predicate, timeout)
            except AssertionError:
                if attempt == attempts - 1:
                    raise


def type_path_into_dialog(path, shown=None, attempts=3, timeout=20.0):
    """Takes the toolkit's own (non-native) file or folder dialog to `path`: Ctrl+L opens the
    dialog's location field, the path is typed and Return goes there. The dialog is not accepted
    yet: its Open button needs a chosen entry (Return on an entry opens it instead), so the caller
    clicks an entry and Open at the positions of its geometry module.

    On a loaded machine the keys can be spent before the dialog's location field takes them, and
    the dialog stays where it started. With `shown` (no arguments, true once the dialog lists
    `path`) the path is typed again until the dialog shows it; its last value is returned."""
    for attempt in range(attempts):
        key("ctrl+l")
        key("ctrl+a")
        type_text(path)
        key("Return")
        if shown is None:
            return None
        try:
            return wait_until("the dialog to show " + path, shown, timeout)
        except AssertionError:
            if attempt == attempts - 1:
                raise


# What a program logs, once, when its display goes away (Qt's own words, then the program's).
DISPLAY_LOST_LINE = "The X11 connection broke"


def kill_display():
    """Ends this scenario's X server the way a crashed or closed server goes: SIGTERM to the Xvfb
    whose pid its lock file holds (the server then removes its own lock and socket). Returns the
    server's pid once it has gone."""
    number = os.environ["DISPLAY"].lstrip(":").split(".")[0]
    with open(f"/tmp/.X{number}-lock") as f:
        pid = int(f.read().strip())
    os.kill(pid, signal.SIGTERM)

    def gone():
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return True
        # A server that has ended but is not reaped yet is gone too.
        try:
            with open(f"/proc/{pid}/stat") as f:
                return f.read().split(") ")[1].startswith("Z")
        except (OSError, IndexError):
            # Reaped meanwhile: its /proc entry is gone, or reading it fails with ESRCH.
            return True
    wait_until("the X server to end", gone, 30)
    return pid


def check_ends_on_lost_display(program, timeout=60.0):
    """After the display went away: the program's run script ends within `timeout` with the
    program's own non-zero status (no signal: a crash shows as 128 + n) and the log holds exactly
    one display-lost line. Returns the log text."""
    try:
        output, _ = program.process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise AssertionError(f"{program.name} still runs {timeout:.0f} s after its display went away")
    print(output)
    rc = program.process.returncode
    assert 0 < rc < 128, f"{program.name}'s run script ended with {rc}, not a plain failure status"
    m = re.search(re.escape(program.name) + r" exited with (\d+)", output)
    assert m and int(m.group(1)) == rc, f"{program.name}'s own exit status is not {rc}: {output[-400:]}"
    text = program.log_text()
    lines = [line for line in text.splitlines() if DISPLAY_LOST_LINE in line]
    assert len(lines) == 1, f"{len(lines)} display-lost lines in the log: {lines}"
    # The program's own line, not only Qt's warning before its exit(1).
    assert f"then ending with {rc}" in lines[0], f"the display-lost line is not the program's: {lines[0]}"
    return text
