#!/usr/bin/env python3
"""Reads an export of vexlorin-cli with Python's own csv or json module and prints it in
one canonical line per row, so that the test can compare it with the set's arrays.

    read_export.py csv FILE   -> header check, then one line per row
    read_export.py json FILE  -> name/profile/version/sizes/stats lines, then one per row

Row lines: "HLog,<group>,<first tone us>,<first tone ds>,<us>,<ds>" (empty for null) and
"Bins,<tone>,<snr us>,<gain us in tenths>,<bits us>,<snr ds>,<gain ds in tenths>,<bits ds>".
"""
import csv
import json
import sys

HEADER = ["table", "group", "first_tone_us", "first_tone_ds", "us", "ds", "tone", "snr_us",
          "gain_db_us", "bits_us", "snr_ds", "gain_db_ds", "bits_ds"]
GROUP_TABLES = [("HLog", "hlog"), ("QLN", "qln"), ("SNR", "snr")]


def tenths(text):
    # Gains come with one decimal; compare them as whole tenths, free of float rounding.
    value = float(text)
    return str(int(round(value * 10)))


def optional(value):
    return "" if value is None else str(value)


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        data = f.read()
    if "\r\n" not in data or data.replace("\r\n", "").count("\n") != 0:
        sys.exit("CSV lines must end with CR LF")
    rows = list(csv.reader(data.splitlines(keepends=True), strict=True))
    if rows[0] != HEADER:
        sys.exit("bad header: %r" % rows[0])
    for row in rows[1:]:
        if len(row) != len(HEADER):
            sys.exit("bad row length: %r" % row)
        if row[0] == "Bins":
            if any(row[1:6]):
                sys.exit("bins row fills group columns: %r" % row)
            print(",".join(["Bins", row[6], row[7], tenths(row[8]), row[9], row[10],
                            tenths(row[11]), row[12]]))
        else:
            if any(row[6:]):
                sys.exit("group row fills tone columns: %r" % row)
            for cell in row[1:6]:
                if cell != "":
                    int(cell)
            print(",".join(row[0:6]))


def read_json(path):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    print("name=" + doc["name"])
    print("profile=" + doc["profile"])
    print("version=" + str(doc["version"]))
    for _, key in GROUP_TABLES:
        sizes = doc["group_sizes"][key]
        print("sizes %s=%d/%d" % (key, sizes["us"], sizes["ds"]))
    for line in doc["stats"]:
        print("stats=" + line)
    for name, key in GROUP_TABLES:
        for row in doc[key]:
            for field in ("us", "ds"):
                if row[field] is not None and not isinstance(row[field], int):
                    sys.exit("not an integer: %r" % row)
            print(",".join([name, str(row["group"]), str(row["first_tone_us"]),
                            str(row["first_tone_ds"]), optional(row["us"]),
                            optional(row["ds"])]))
    for row in doc["bins"]:
        print(",".join(["Bins", str(row["tone"]), str(row["snr_us"]),
                        tenths(row["gain_db_us"]), str(row["bits_us"]), str(row["snr_ds"]),
                        tenths(row["gain_db_ds"]), str(row["bits_ds"])]))


if __name__ == "__main__":
    {"csv": read_csv, "json": read_json}[sys.argv[1]](sys.argv[2])
