#!/usr/bin/env python3
"""Checks a diff of vexlorin-cli against the exports of its two sets, each read with Python's
own csv or json module: every per-group and per-tone value of the diff must be B minus A,
computed here from the exports alone, and empty (CSV) or null (JSON) where either set has
no value.

    check_diff.py json A.json B.json DIFF.json
    check_diff.py csv  A.csv  B.csv  DIFF.csv   (with --tones N: the tones both profiles have)

Prints how much it compared; exits non-zero on the first mismatch.
"""
import csv
import json
import sys

GROUP_TABLES = [("HLog", "hlog"), ("QLN", "qln"), ("SNR", "snr")]
DIRECTIONS = ("us", "ds")
TONE_VALUES = ("snr", "gain_db", "bits")


def fail(message):
    sys.exit("mismatch: " + message)


def read_json(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def read_csv(path):
    """The CSV as export's JSON shape: tables of group rows and bins rows, None for empty."""
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f, strict=True))

    def number(text):
        return None if text == "" else float(text)

    doc = {key: [] for _, key in GROUP_TABLES}
    doc["bins"] = []
    names = {name: key for name, key in GROUP_TABLES}
    for row in rows:
        if row["table"] == "Bins":
            doc["bins"].append({"tone": int(row["tone"]),
                                **{"%s_%s" % (v, d): number(row["%s_%s" % (v, d)])
                                   for v in TONE_VALUES for d in DIRECTIONS}})
        else:
            doc[names[row["table"]]].append({
                "group": int(row["group"]),
                "first_tone_us": int(row["first_tone_us"]),
                "first_tone_ds": int(row["first_tone_ds"]),
                "us": number(row["us"]), "ds": number(row["ds"])})
    return doc


def group_size(table, direction):
    # The export's first tones give the group size: group 1 starts at tone 1 x size.
    return table[1]["first_tone_" + direction]


def value_at_tone(table, direction, tone):
    size = group_size(table, direction)
    if size == 0 or tone // size >= len(table):
        return None
    return table[tone // size][direction]


def holds_bins(bins, direction):
    return any(row[v + "_" + direction] for row in bins for v in TONE_VALUES)


def check(a, b, diff, common):
    groups = 0
    for _, key in GROUP_TABLES:
        for direction in DIRECTIONS:
            for row in diff[key]:
                tone = row["first_tone_" + direction]
                va = value_at_tone(a[key], direction, tone)
                vb = value_at_tone(b[key], direction, tone)
                expected = None
                if va is not None and vb is not None and tone < common:
                    expected = vb - va
                if row[direction] != expected:
                    fail("%s %s group %d (tone %d): %r, expected %r"
                         % (key, direction, row["group"], tone, row[direction], expected))
                if expected is not None:
                    groups += 1
    tones = 0
    for direction in DIRECTIONS:
        compared = holds_bins(a["bins"], direction) and holds_bins(b["bins"], direction)
        for ra, rb, rd in zip(a["bins"], b["bins"], diff["bins"]):
            for v in TONE_VALUES:
                k = v + "_" + direction
                if not compared or rd["tone"] >= common:
                    expected = None
                elif v == "gain_db":
                    # Tenths of a dB, free of float rounding.
                    expected = round(rb[k] * 10) - round(ra[k] * 10)
                    actual = None if rd[k] is None else round(rd[k] * 10)
                    if actual != expected:
                        fail("bins %s tone %d: %r, expected %r tenths" % (k, rd["tone"], rd[k], expected))
                    tones += 1
                    continue
                else:
                    expected = rb[k] - ra[k]
                if rd[k] != expected:
                    fail("bins %s tone %d: %r, expected %r" % (k, rd["tone"], rd[k], expected))
                if expected is not None:
                    tones += 1
    print("groups=%d tone values=%d" % (groups, tones))


def main():
    form, path_a, path_b, path_diff = sys.argv[1:5]
    if form == "json":
        a, b, diff = read_json(path_a), read_json(path_b), read_json(path_diff)
        common = diff["tones"]["common"]
        for key in ("reference", "selected"):
            print("%s=%s %s" % (key, diff[key]["name"], diff[key]["profile"]))
    else:
        a, b, diff = read_csv(path_a), read_csv(path_b), read_csv(path_diff)
        common = int(sys.argv[sys.argv.index("--tones") + 1])
    if len(diff["bins"]) != len(a["bins"]):
        fail("%d bins rows, the export has %d" % (len(diff["bins"]), len(a["bins"])))
    check(a, b, diff, common)


if __name__ == "__main__":
    main()
