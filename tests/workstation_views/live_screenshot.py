#!/usr/bin/env python3
"""Runs a copy of Calorvue from a temporary folder through scripts/run-calorvue.sh against the
camera simulator and checks two screen shots of its live camera view with Pillow.

The canvas, palette bar and image positions are worked out in tests/workstation_e2e's
calorvue_geometry; program start, window, shot and wait helpers are tests/support's e2e_harness.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "workstation_e2e"))
import calorvue_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from calorvue_geometry import IMG_W, PALETTE_BOTTOM, PALETTE_TOP, PALETTE_X, view_x, view_y  # noqa: E402
from e2e_harness import close  # noqa: E402

TOL = 3
GREEN = (0, 255, 0)
LABEL_W = 100                             # the rectangle's label, with a margin


def hot_columns(s, top):
    """Window columns of the hot row's pixels coloured like the palette's top."""
    y = view_y(170)
    cols = []
    for x in range(view_x(0), view_x(IMG_W - 1) + 1):
        if any(close(s.at(x, y + d), top) for d in (-1, 0, 1)):
            cols.append(x)
    return cols


def check(s, label, shots_dir):
    top = s.at(PALETTE_X, PALETTE_TOP + 3)
    bottom = s.at(PALETTE_X, PALETTE_BOTTOM - 3)
    assert not close(top, bottom), f"{label}: palette bar shows one colour {top}"
    cold = s.near(view_x(480), view_y(341), lambda c: close(c, bottom))
    assert cold, f"{label}: cold spot {s.at(view_x(480), view_y(341))} is not the palette's bottom {bottom}"
    cols = hot_columns(s, top)
    assert cols, f"{label}: no pixel of the hot row has the palette's top colour {top}"
    # The hot plateau is 3 image pixels wide: about 3 view pixels.
    assert max(cols) - min(cols) <= 8, f"{label}: hot colour over columns {cols[:20]}"
    hot_x = (min(cols) + max(cols)) // 2
    # The background between the cold spot and the hot row.
    for ix, iy in ((320, 256), (100, 400), (560, 60)):
        c = s.at(view_x(ix), view_y(iy))
        assert not close(c, top) and not close(c, bottom), f"{label}: background at {ix},{iy} is {c}"
    # The maximum marker: a red triangle with its tip on the maximum, 8 pixels high, above it.
    if view_x(20) <= hot_x <= view_x(620):
        red = s.near(hot_x, view_y(170) - 5, lambda c: c[0] >= 200 and c[1] <= 60 and c[2] <= 60, tol=4)
        assert red, f"{label}: no red marker above the hot plateau at x {hot_x}"
    # The rectangle's four view edges are drawn in its exact green, but where its label (about
    # 85 x 75, hanging from just inside its top-left corner) covers the bottom edge.
    x0, x1, y0, y1 = view_x(16), view_x(624), view_y(150), view_y(190)
    # Where the plateau passes under a side edge, its marker (9 pixels wide, 8 high, tip on the
    # hot row) and the plateau itself cover that edge's middle rows.
    hot_y = view_y(170)

    def side(x):
        covered = abs(x - hot_x) <= 5 + TOL
        return [(x, y) for y in range(y0, y1 + 1) if not (covered and hot_y - 9 <= y <= hot_y + 2)]

    edges = [[(x, y0) for x in range(x0, x1 + 1)], [(x, y1) for x in range(x0 + LABEL_W, x1 + 1)], side(x0), side(x1)]
    for n, edge in enumerate(edges):
        horizontal = n < 2
        hits = 0
        for x, y in edge:
            around = [(x, y + d) if horizontal else (x + d, y) for d in range(-TOL, TOL + 1)]
            if any(s.at(px, py) == GREEN for px, py in around):
                hits += 1
        share = hits / len(edge)
        assert share >= 0.9, f"{label}: edge {n} green on {share:.0%} of its pixels"
    return hot_x


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("LIVE_SCREENSHOT_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    ok = False
    p.start()
    try:
        e2e.wait_until("the day log to name OpenGL", lambda: p.log_contains("OpenGL"), e2e.START_TIMEOUT)
        w = e2e.Window.wait(g.TITLE, program=p)
        assert (w.width, w.height) == (1400, 800), f"window size {w.width} x {w.height}"

        def plateau_x(s):
            """The middle column of the hot plateau in a shot of the live image, or None."""
            cols = hot_columns(s, s.at(PALETTE_X, PALETTE_TOP + 3)) if g.live_image_shown(s, close) else []
            return (min(cols) + max(cols)) // 2 if cols else None

        def image_shown(s):
            return plateau_x(s) is not None

        first = w.wait_shot("the canvas to show an image", os.path.join(shots, "live-1.png"), image_shown,
                            e2e.START_TIMEOUT)
        x1 = check(first, "first shot", shots)
        # The plateau walks one image pixel a frame and passes under the rectangle's label once a
        # lap: the second shot is one where it shows again, elsewhere.
        second = w.wait_shot("the hot plateau to move", os.path.join(shots, "live-2.png"),
                             lambda s: plateau_x(s) not in (None, x1))
        x2 = check(second, "second shot", shots)
        assert x1 != x2, f"the hot plateau stayed at x {x1}"
        print(f"hot plateau at window x {x1}, then {x2}; shots in {shots}")
        p.finish()
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
