#!/usr/bin/env python3
"""check-translations.py [--lupdate LUPDATE] <en_US.ts> <zh_CN.ts> <source folder>...

Checks one program's id-based translation files against its sources (the program's own folder and
the shared folders whose texts it shows, e.g. controls/ and foundation/). Exit code 0 when every
check holds, 1 with one line per fault on stderr, 2 on a usage error.

1. Every id the sources name - qsTrId("..."), qtTrId("..."), or marked for a table built at run
   time with QT_TRID_NOOP("...") - has a non-empty, finished text in both files.
2. No English text of an id that is not a plain word equals its id. An id is not a plain word when
   it holds "_" or a small letter directly before a capital ("SaveInputPrompt", "Stats_Max");
   for a plain word ("Cancel", "FFC") the text may be the id itself.
3. Every Chinese text holds CJK characters, unless it equals the English text (a name kept as it
   stands: "FFC", an address, a language's own name).
4. lupdate (--lupdate, default /usr/lib/qt6/bin/lupdate) run over the source folders into a
   temporary file finds no id that the files lack.

Sources are the .qml, .js, .cpp and .h files below the source folders.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SOURCE_EXT = (".qml", ".js", ".cpp", ".h")
ID_CALL = re.compile(r"""\b(?:qsTrId|qtTrId|QT_TRID_NOOP|QT_TRID_N_NOOP)\(\s*(["'])((?:(?!\1)[^\\]|\\.)+)\1""")
CJK = re.compile(r"[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]")


def not_plain(ident):
    return "_" in ident or re.search(r"[a-z][A-Z]", ident) is not None


def read_ts(path):
    """id -> (text, finished) of a .ts file."""
    texts = {}
    for m in ET.parse(path).getroot().iter("message"):
        ident = m.get("id")
        if not ident:
            continue
        tr = m.find("translation")
        text = "" if tr is None or tr.text is None else tr.text
        finished = tr is not None and tr.get("type") not in ("unfinished", "vanished", "obsolete")
        texts[ident] = (text, finished)
    return texts


def source_ids(folders):
    ids = {}
    for folder in folders:
        for base, dirs, files in os.walk(folder):
            dirs[:] = [d for d in dirs if not d.startswith(".")]
            for name in files:
                if not name.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(base, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for _, ident in ID_CALL.findall(f.read()):
                        ids.setdefault(ident, path)
    return ids


def lupdate_ids(lupdate, folders):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "found.ts")
        cmd = [lupdate, "-silent", "-locations", "none", "-extensions", "qml,js,cpp,h"]
        cmd += [os.path.abspath(f) for f in folders] + ["-ts", out]
        run = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0 or not os.path.exists(out):
            raise RuntimeError("lupdate failed (%d): %s" % (run.returncode, run.stdout.strip()))
        return set(read_ts(out))


def main(argv):
    args = argv[1:]
    lupdate = "/usr/lib/qt6/bin/lupdate"
    if len(args) >= 2 and args[0] == "--lupdate":
        lupdate = args[1]
        args = args[2:]
    if len(args) < 3:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    en_path, zh_path, folders = args[0], args[1], args[2:]
    for p in [en_path, zh_path] + folders:
        if not os.path.exists(p):
            print("check-translations: %s does not exist" % p, file=sys.stderr)
            return 2
    en, zh = read_ts(en_path), read_ts(zh_path)
    faults = []
    named = source_ids(folders)
    for ident in sorted(named):
        for lang, texts in (("en_US", en), ("zh_CN", zh)):
            text, finished = texts.get(ident, ("", False))
            if not text.strip() or not finished:
                faults.append("%s: no finished %s text for id %r (named in %s)" % (lang, lang, ident, named[ident]))
    for ident, (text, _) in sorted(en.items()):
        if not_plain(ident) and text == ident:
            faults.append("en_US: the English text of %r is the id itself" % ident)
    for ident, (text, _) in sorted(zh.items()):
        if text and not CJK.search(text) and text != en.get(ident, ("",))[0]:
            faults.append("zh_CN: the text of %r holds no Chinese: %r" % (ident, text))
    try:
        found = lupdate_ids(lupdate, folders)
    except (OSError, RuntimeError) as e:
        faults.append("lupdate: %s" % e)
        found = set()
    for ident in sorted(found):
        for lang, texts in (("en_US", en), ("zh_CN", zh)):
            if ident not in texts:
                faults.append("%s: lupdate finds id %r that the file lacks" % (lang, ident))
    for f in faults:
        print(f, file=sys.stderr)
    print("check-translations: %d ids named in the sources, %d found by lupdate, %d en_US and %d zh_CN texts, %d faults"
          % (len(named), len(found), len(en), len(zh), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
