#!/usr/bin/env python3
"""TypedAtOnce: Calorvue takes what was just typed when a button is clicked right after it, with
no Return and no Tab, and a click that closes a dialog does nothing else.

typed_at_once.py <source root> <Calorvue> <ostrel-camsim> <address>; run under xvfb-run.

1. Layout r1c2, as in DialogsAndPrompts.
2. Recorder settings: prefix on, "once" typed, and the record button clicked at once: that click
   only closes the settings (the button stays grey). The next click records, the one after stops:
   exactly one new recording, named with the typed prefix, complete (its settings block read with
   struct), and the button grey again.
3. The rectangle's measurement dialog: Escape right after it opens closes it; opened again,
   "typed-once" typed as its name and OK clicked at once.
4. The workspace menu's "SaveWorkspaceAs": an absolute path in another folder typed as the name
   and the dialog's Save clicked at once: the workspace is written there (`xmllint`), and nothing
   in the folder the dialog showed.
5. The frame's close button, "Save": the camera's file holds "typed-once" as the rectangle's name
   (the item's 64-byte name field, read with struct).
6. AppInfo from the cog menu: Escape right after it opens closes it.
"""
import glob
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import dialogs_and_prompts  # noqa: E402
import e2e_harness as e2e  # noqa: E402
import walkthrough  # noqa: E402

# ConfigMea's name row (y 235): its value panel from x 652, 250 wide.
MEA_NAME_FIELD = (652 + 100, 235 + 16)
NAME = "typed-once"


def recording(s):
    return s.near(*g.LIVE_RECORD, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60, tol=8)


def item_name(conf, index):
    with open(conf, "rb") as f:
        data = f.read()
    raw = struct.unpack_from("<64s", data, dialogs_and_prompts.ITEMS_AT + index * dialogs_and_prompts.ITEM_SIZE)[0]
    return raw.split(b"\0", 1)[0].decode("utf-8")


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    conf = os.path.join(p.config_dir, "Device-CAMSIM-0001.conf")
    data_dir = os.path.join(p.work, "Calorvue-Data")
    typed_dir = os.path.join(p.work, "typed dir")
    os.makedirs(typed_dir)
    ok = False
    p.start()
    try:
        sc = dialogs_and_prompts.Scenario.start(p, shots)
        w = sc.w

        # 1. Layout r1c2.
        w.click(*g.TAB_GRID_BUTTON)
        sc.wait("layout-dialog", lambda s: s.at(*g.LAYOUT_HEAD) == g.DIALOG_HEAD)
        w.click(*g.LAYOUT_R1C2)
        w.click(*g.LAYOUT_OK)
        sc.wait("r1c2", lambda s: s.at(*g.LAYOUT_HEAD) != g.DIALOG_HEAD and sc.live_in_frame0(s))

        # 2. The prefix typed, then the record button clicked while the settings are open.
        w.click(*g.LIVE_RECORDER_CONFIG)
        sc.wait("recorder-dialog", lambda s: s.at(*g.RECORDER_HEAD) == g.DIALOG_HEAD)
        w.click(*g.PREFIX_ENABLE)
        sc.wait("prefix-on", lambda s: s.near(*g.PREFIX_ENABLE, lambda c: e2e.close(c, g.CHECKED_BLUE, 8), tol=4))
        w.click(*g.PREFIX_FIELD)
        e2e.key("ctrl+a")
        e2e.type_text("once")
        before = set(glob.glob(os.path.join(data_dir, "*.stream")))
        w.click(*g.LIVE_RECORD)
        s = sc.wait("recorder-closed", lambda s: s.at(*g.RECORDER_HEAD) != g.DIALOG_HEAD)
        w.move_to(g.LIVE_RECORD[0], g.LIVE_RECORD[1] - 10)
        s = sc.shot("not-recording")
        assert not recording(s), "the click that closed the recorder settings started a recording"
        assert set(glob.glob(os.path.join(data_dir, "*.stream"))) == before, "a recording file appeared"
        w.click(*g.LIVE_RECORD)
        sc.wait("recording", recording)
        e2e.wait_until("the recording's file", lambda: set(glob.glob(os.path.join(data_dir, "*.stream"))) - before)
        w.move_to(g.LIVE_RECORD[0], g.LIVE_RECORD[1] - 10)
        w.click(*g.LIVE_RECORD)
        sc.wait("stopped", lambda s: not recording(s))
        new = sorted(set(glob.glob(os.path.join(data_dir, "*.stream"))) - before)
        assert len(new) == 1, f"recordings {new}"
        assert os.path.basename(new[0]).startswith("once-"), f"the recording {new[0]} lacks the typed prefix"
        e2e.wait_until("the recording to end",
                       lambda: dialogs_and_prompts.read_stream(new[0])[3] == dialogs_and_prompts.CONF_BLOCK)
        assert not recording(sc.shot("still-stopped")), "a recording runs again"

        # 3. The measurement dialog: Escape right after it opens closes it. Opened again, the
        # rectangle's name typed and OK clicked at once.
        for attempt in ("escape", "edit"):
            w.click(*g.MEA_LIST_BOX)
            sc.wait("mea-list", lambda s: s.at(*g.mea_list_row(1)) in g.MEA_LIST_ROW_COLOURS)
            w.click(*g.mea_list_row(1))
            w.click(*g.MEA_LIST_EDIT)
            sc.wait("mea-dialog", lambda s: s.at(*g.MEA_HEAD) == g.DIALOG_HEAD)
            if attempt == "escape":
                e2e.key("Escape")
                sc.wait("mea-escaped", lambda s: s.at(*g.MEA_HEAD) != g.DIALOG_HEAD)
        w.click(*MEA_NAME_FIELD)
        e2e.key("ctrl+a")
        e2e.type_text(NAME)
        w.click(*g.MEA_OK)
        sc.wait("mea-closed", lambda s: s.at(*g.MEA_HEAD) != g.DIALOG_HEAD)

        # 4. The workspace saved under a typed absolute path, Save clicked at once.
        w.click(*walkthrough.WORKSPACE_BUTTON)
        sc.wait("workspace-menu", lambda s: s.at(599, g.MENU_H + 200) == walkthrough.BORDER)
        w.click(*walkthrough.SAVE_WORKSPACE_AS)
        x0, y0, dw, dh = g.TOOLKIT_DIALOG
        sc.wait("save-dialog", lambda s: s.at(x0, y0 + dh // 2) == g.TOOLKIT_BORDER and
                s.at(x0 + dw - 1, y0 + dh // 2) == g.TOOLKIT_BORDER)
        w.click(*g.TOOLKIT_FILE_NAME)
        e2e.key("ctrl+a")
        e2e.type_text(os.path.join(typed_dir, "typed"))
        w.click(*g.TOOLKIT_OPEN)
        sc.wait("save-closed", lambda s: s.at(x0, y0 + dh // 2) != g.TOOLKIT_BORDER)
        ws = os.path.join(typed_dir, "typed.workspace")
        e2e.wait_until("typed.workspace", lambda: os.path.exists(ws))
        subprocess.run(["xmllint", "--noout", ws], check=True)
        stray = glob.glob(os.path.join(p.work, "**", "*typed*.workspace"), recursive=True)
        assert stray == [ws], f"workspaces written: {stray}"

        # 5. Closed with Save: the typed name in the camera's file.
        sc.close_module(g.MODULE_PROMPT_SAVE)
        name = e2e.wait_until("the camera's file to hold the name",
                              lambda: os.path.exists(conf) and item_name(conf, 1) == NAME and NAME)
        assert name == NAME

        # 6. AppInfo from the cog menu: Escape right after it opens closes it.
        shown = lambda s: s.at(g.INFO_X + 300, g.INFO_Y + 24) == g.DIALOG_HEAD
        sc.open_menu_entry(1, shown)
        e2e.key("Escape")
        sc.wait("info-escaped", lambda s: not shown(s))
        print(f"TypedAtOnce passed; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
