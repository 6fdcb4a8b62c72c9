#!/usr/bin/python3
"""The settings text with Python's own base64 and json.

Usage: settings_text.py decode <text>  prints the decoded JSON text as it stands (UTF-8), then a
                                       line with the parsed object re-dumped with sorted keys;
       settings_text.py encode <json>  prints the Base64 of the JSON text's UTF-8 bytes.
"""
import base64
import json
import sys

mode, arg = sys.argv[1], sys.argv[2]
if mode == "decode":
    raw = base64.b64decode(arg, validate=True).decode("utf-8")
    sys.stdout.write(raw + "\n")
    sys.stdout.write(json.dumps(json.loads(raw), sort_keys=True, ensure_ascii=False) + "\n")
else:
    sys.stdout.write(base64.b64encode(arg.encode("utf-8")).decode("ascii") + "\n")
