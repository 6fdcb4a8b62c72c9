#!/usr/bin/env python3
"""Writes the 90 shade colours of the controls' theme (controls/XTheme.qml).

Light shade k of a base colour B: B + (255 - B) * k / 10; dark shade k: B + (20 - B) * k / 10
(20 is the channel value of the theme's dark colour), per channel, in exact arithmetic, rounded to
the nearest integer with halves rounded up. Floating-point evaluation can land one below on an
exact .5, so the values are worked out in integers (tenths) here and stored as constants.

  gen_theme_shades.py          rewrite the generated block of XTheme.qml
  gen_theme_shades.py --check  exit 1 when the checked-in block differs from the rule
"""
import pathlib
import sys

BASES = [
    ("primary", 0x409EFF),
    ("success", 0x67C23A),
    ("warning", 0xE6A23C),
    ("danger", 0xF56C6C),
    ("info", 0x909399),
]
BEGIN = "    // BEGIN generated shades (scripts/gen_theme_shades.py)\n"
END = "    // END generated shades\n"
THEME = pathlib.Path(__file__).resolve().parent.parent / "controls" / "XTheme.qml"


def shade(base, target, k):
    out = 0
    for shift in (16, 8, 0):
        b = (base >> shift) & 0xFF
        tenths = 10 * b + (target - b) * k  # exact value times 10, never negative
        out |= ((tenths + 5) // 10) << shift  # halves round up
    return out


def block():
    lines = []
    for name, base in BASES:
        for kind, target in (("light", 255), ("dark", 20)):
            for k in range(1, 10):
                lines.append('    readonly property color color_%s_%s_%d: "#%06x"\n'
                             % (name, kind, k, shade(base, target, k)))
    return "".join(lines)


def main():
    text = THEME.read_text(encoding="utf-8")
    start = text.index(BEGIN) + len(BEGIN)
    stop = text.index(END)
    updated = text[:start] + block() + text[stop:]
    if "--check" in sys.argv[1:]:
        if updated != text:
            print("XTheme.qml shades differ from the rule; run scripts/gen_theme_shades.py")
            return 1
        print("XTheme.qml shades follow the rule")
        return 0
    if updated != text:
        THEME.write_text(updated, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
