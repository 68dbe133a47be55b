#!/usr/bin/env python3
"""Reads a JSON document of vexlorin-cli with Python's own json module and prints every
leaf as one line "path=value", value as JSON (strings quoted, integers without a point),
so that the test can compare it with the capture's own numbers.

    read_summary.py FILE [KEY]  -> the leaves of the document, or of its member KEY
"""
import json
import sys


def leaves(prefix, value):
    if isinstance(value, dict):
        if not value:
            print(prefix + "={}")
        for key, member in value.items():
            leaves(prefix + "." + key if prefix else key, member)
    elif isinstance(value, list):
        if not value:
            print(prefix + "=[]")
        for index, member in enumerate(value):
            leaves("%s[%d]" % (prefix, index), member)
    else:
        print(prefix + "=" + json.dumps(value))


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as f:
        doc = json.load(f)
    if len(sys.argv) > 2:
        doc = {sys.argv[2]: doc[sys.argv[2]]}
    leaves("", doc)
