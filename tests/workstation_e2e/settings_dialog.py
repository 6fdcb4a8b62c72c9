#!/usr/bin/env python3
"""SettingsDialog: the settings dialog of Calorvue, driven from outside with the camera live.

settings_dialog.py <source root> <Calorvue> <ostrel-camsim> <address>; run under xvfb-run.

The copy starts from a settings file written here with Python's struct (every field set), so the
file after Save can be compared field by field. Steps: the cog, then "Settings"; "abc" in
DisplayFpsMax draws the red validity frame over its value panel, and Return leaves the letters
there, marked; the folder dialog answered with a new leaf folder, then other letters typed and
Save clicked at once (no Return): the dialog stays open and says why, the field still marked, and
the file is byte-identical with the same modification time. Then "30" typed and Save clicked at
once: the file holds 30 and the folder, the rest as before. Then another language and folder,
Cancel: the file is byte-identical with the same modification time. Last, AppInfo shows the
program's name and version.
"""
import filecmp
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402

RECORD = struct.Struct("<ii1024s1024siii")   # "AppConfig.bin": 2068 bytes
MAGIC = 20240101
DIALOG_HEAD = (0x22, 0x22, 0x22)
BORDER = (0x3a, 0x3a, 0x3a)


def pack(language, save_dir, workspace_last, file_mode, workspace_mode, fps):
    return RECORD.pack(MAGIC, language, save_dir.encode(), workspace_last.encode(), file_mode, workspace_mode, fps)


def unpack(data):
    assert len(data) == RECORD.size, f"AppConfig.bin has {len(data)} bytes"
    magic, language, save_dir, last, file_mode, ws_mode, fps = RECORD.unpack(data)
    return dict(magic=magic, language=language, saveDir=save_dir.rstrip(b"\0").decode(),
                workspaceLast=last.rstrip(b"\0").decode(), fileSaveMode=file_mode, workspaceSaveMode=ws_mode,
                displayFpsMax=fps)


def frame_columns(s):
    """Columns around DisplayFpsMax's value panel that are red over the row's whole height."""
    return s.columns(g.FPS_FRAME_LEFT - 6, g.FPS_FRAME_RIGHT + 6, g.FPS_FRAME_TOP, g.FPS_FRAME_BOTTOM, e2e.is_red)


def error_pixels(s):
    """Pixels of the save error's text ("color_danger", #F56C6C) under the settings."""
    x0, y0, w, h = g.SAVE_ERROR_BOX
    reddish = lambda c: c[0] >= 160 and c[0] - c[1] >= 60 and c[0] - c[2] >= 60  # noqa: E731
    return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if reddish(s.at(x, y)))


def settings_shown(s):
    return s.at(*g.SETTINGS_HEAD) == DIALOG_HEAD


def bright_pixels(s, x0, y0, w, h):
    """Pixels of text drawn in the theme's text colour (#E5EAF3) on a dark panel."""
    return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if min(s.at(x, y)) >= 200)


class Scenario:
    def __init__(self, program, window, shots):
        self.p, self.w, self.shots = program, window, shots
        self.n = 0

    @classmethod
    def start(cls, program, shots):
        """The started program's window once it draws through OpenGL and shows the live camera."""
        e2e.wait_until("the day log to name OpenGL", lambda: program.log_contains("OpenGL"), e2e.START_TIMEOUT)
        w = e2e.Window.wait(g.TITLE, program=program)
        assert (w.width, w.height) == (g.WINDOW_W, g.WINDOW_H), f"window size {w.width} x {w.height}"
        sc = cls(program, w, shots)
        sc.wait("live", lambda s: g.live_image_shown(s, e2e.close), timeout=e2e.START_TIMEOUT)
        return sc

    def shot(self, name):
        self.n += 1
        return self.w.shot(os.path.join(self.shots, f"{self.n:02d}-{name}.png"))

    def shows(self, name, predicate):
        """A check for `e2e.type_path_into_dialog`: one shot, returned when `predicate` holds."""
        return lambda: (lambda s: s if predicate(s) else None)(self.shot(name))

    def wait(self, name, predicate, timeout=15.0):
        self.n += 1
        return self.w.wait_shot(name, os.path.join(self.shots, f"{self.n:02d}-{name}.png"), predicate, timeout)

    def open_menu_entry(self, i, shown):
        self.w.click(*g.COG)
        # The popup's border "#3a3a3a" on its left (x 1270) and right (x 1399) edges.
        self.wait("config-menu", lambda s: s.at(g.CONFIG_POPUP_X, 60) == BORDER and s.at(g.WINDOW_W - 1, 60) == BORDER)
        self.w.click(*g.config_entry(i))
        return self.wait("dialog", shown)

    def choose_folder(self, folder):
        """The toolkit's folder dialog: the path of `folder`'s parent typed into its location
        field (Ctrl+L), Return goes there; `folder`, the parent's only entry and a leaf, is chosen
        and Open accepts, answering with the folder chosen, not the one shown."""
        self.w.click(*g.FOLDER_BUTTON)
        x0, y0, w, h = g.TOOLKIT_DIALOG
        self.wait("folder-dialog", lambda s: s.at(x0, y0 + h // 2) == g.TOOLKIT_BORDER and
                  s.at(x0 + w - 1, y0 + h // 2) == g.TOOLKIT_BORDER)
        # The parent's only entry, `folder`, appears highlighted once the dialog shows the parent.
        e2e.type_path_into_dialog(os.path.dirname(folder), self.shows("folder-shown", lambda s: s.at(*g.TOOLKIT_FIRST_ENTRY)[2] > 150
                                                     and s.at(*g.TOOLKIT_FIRST_ENTRY)[0] < 120))
        self.w.click(*g.TOOLKIT_FIRST_ENTRY)
        self.w.click(*g.TOOLKIT_OPEN)
        self.wait("folder-chosen", settings_shown)

    def replace_fps_text(self, text):
        self.w.click(*g.FPS_FIELD)
        e2e.key("ctrl+a")
        e2e.type_text(text)


def program_and_shots(argv):
    """The scenario's copy of Calorvue (not started) for `<root> <Calorvue> <camsim> <address>`
    with the simulator's "spots" scene, and its shots folder."""
    root, program, camsim, address = argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    return p, shots


def main():
    p, shots = program_and_shots(sys.argv)
    conf = os.path.join(p.config_dir, "AppConfig.bin")
    os.makedirs(p.config_dir, exist_ok=True)
    first_dir = os.path.join(p.work, "first data")
    before = dict(language=0, saveDir=first_dir, workspaceLast="/e2e/last one.workspace", fileSaveMode=1,
                  workspaceSaveMode=2, displayFpsMax=25)
    with open(conf, "wb") as f:
        f.write(pack(before["language"], before["saveDir"], before["workspaceLast"], before["fileSaveMode"],
                     before["workspaceSaveMode"], before["displayFpsMax"]))
    # Each a leaf, the only entry of its parent.
    chosen = os.path.join(p.work, "chosen parent", "chosen folder")
    other = os.path.join(p.work, "other parent", "other folder")
    for d in (chosen, other):
        os.makedirs(d)
    ok = False
    p.start()
    try:
        sc = Scenario.start(p, shots)
        w = sc.w

        # Settings; a text that is no number marks DisplayFpsMax.
        sc.open_menu_entry(0, settings_shown)
        sc.replace_fps_text("abc")
        s = sc.wait("abc-red-frame", lambda s: frame_columns(s) == [g.FPS_FRAME_LEFT, g.FPS_FRAME_RIGHT])
        for x in range(g.FPS_FRAME_LEFT, g.FPS_FRAME_RIGHT + 1):
            assert e2e.is_red(s.at(x, g.FPS_FRAME_TOP)) and e2e.is_red(s.at(x, g.FPS_FRAME_BOTTOM)), f"frame edge at x {x}"
        assert not e2e.is_red(s.at(g.FPS_FRAME_LEFT + 1, g.FPS_FRAME_TOP + 16)), "the frame is one pixel wide"
        # Return takes no text that is no number: the letters stay, marked (seen once the folder
        # dialog has come and gone).
        e2e.key("Return")

        # A new folder, then letters typed and Save clicked at once: nothing is written, not even
        # the folder, and the dialog stays open saying why.
        sc.choose_folder(chosen)
        assert frame_columns(sc.shot("abc-kept")) == [g.FPS_FRAME_LEFT, g.FPS_FRAME_RIGHT], \
            "Return took the letters out of DisplayFpsMax"
        stat = os.stat(conf)
        with open(conf, "rb") as f:
            kept = f.read()
        sc.replace_fps_text("xyz")
        w.click(*g.SAVE)
        s = sc.wait("letters-refused", lambda s: settings_shown(s) and error_pixels(s) > 20)
        assert frame_columns(s) == [g.FPS_FRAME_LEFT, g.FPS_FRAME_RIGHT], "DisplayFpsMax lost its mark"
        with open(conf, "rb") as f:
            now = f.read()
        assert now == kept, f"Save with letters in DisplayFpsMax wrote {unpack(now)}"
        assert os.stat(conf).st_mtime_ns == stat.st_mtime_ns, "Save with letters touched AppConfig.bin"

        # "30" typed and Save clicked at once: no Return, the field still in its edit.
        mtime = os.stat(conf).st_mtime_ns
        sc.replace_fps_text("30")
        w.click(*g.SAVE)
        sc.wait("saved", lambda s: not settings_shown(s))
        e2e.wait_until("the settings file to be replaced", lambda: os.stat(conf).st_mtime_ns != mtime)
        with open(conf, "rb") as f:
            after = unpack(f.read())
        expected = dict(before, magic=MAGIC, displayFpsMax=30, saveDir=chosen)
        assert after == expected, f"AppConfig.bin holds {after}, expected {expected}"

        # Another language and folder, then Cancel: the file stays as it is.
        stat = os.stat(conf)
        keep = conf + ".kept"
        with open(conf, "rb") as src, open(keep, "wb") as dst:
            dst.write(src.read())
        sc.open_menu_entry(0, settings_shown)
        w.click(*g.LANGUAGE_BOX)
        sc.wait("language-list", lambda s: min(s.at(*g.language_entry(1))) < 120)
        w.click(*g.language_entry(1))
        sc.choose_folder(other)
        sc.shot("changed-before-cancel")
        w.click(*g.CANCEL)
        sc.wait("cancelled", lambda s: not settings_shown(s))
        assert filecmp.cmp(conf, keep, shallow=False), "Cancel changed AppConfig.bin"
        assert os.stat(conf).st_mtime_ns == stat.st_mtime_ns, "Cancel touched AppConfig.bin"
        assert os.stat(conf).st_ino == stat.st_ino, "Cancel replaced AppConfig.bin"

        # AppInfo: text in both value panels.
        s = sc.open_menu_entry(1, lambda s: s.at(g.INFO_X + 300, g.INFO_Y + 24) == DIALOG_HEAD)
        name_px = bright_pixels(s, g.INFO_VALUE_X, g.INFO_NAME_Y, g.INFO_VALUE_W, 32)
        version_px = bright_pixels(s, g.INFO_VALUE_X, g.INFO_VERSION_Y, g.INFO_VALUE_W, 32)
        assert name_px > 30 and version_px > 30, f"AppInfo text pixels: name {name_px}, version {version_px}"
        e2e.key("Escape")

        p.finish()
        print(f"SettingsDialog passed; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
