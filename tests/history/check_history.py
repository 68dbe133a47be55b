"""Reads the exports of "vexlorin-cli history" with Python's own csv and json modules.

check_history.py csv FILE SAMPLES   -> checks the rows, prints "ok"
check_history.py json FILE SAMPLES
check_history.py integrity DB       -> PRAGMA integrity_check through Python's sqlite3
"""
import csv
import json
import sqlite3
import sys


def fail(message):
    print(message)
    sys.exit(1)


def check_rows(rows, samples):
    if len(rows) != samples:
        fail(f"{len(rows)} rows, expected {samples}")
    completed = [r for r in rows if r["outcome"] == "completed"]
    if not completed:
        fail("no completed sample")
    times = [int(r["time_ms"]) for r in rows]
    if times != sorted(times):
        fail("rows not in time order")
    return completed


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind == "integrity":
        with sqlite3.connect(path) as db:
            print(db.execute("PRAGMA integrity_check").fetchone()[0])
        return
    samples = int(sys.argv[3])
    if kind == "csv":
        with open(path, newline="", encoding="utf-8") as f:
            rows = list(csv.DictReader(f, strict=True))
        completed = check_rows(rows, samples)
        for key in ("ds_actual_rate_bps", "us_actual_rate_bps", "ds_snr_margin_db",
                    "us_snr_margin_db", "state"):
            if not all(r[key] for r in completed):
                fail(f"{key} missing")
        for r in completed:
            float(r["ds_snr_margin_db"])
            int(r["ds_actual_rate_bps"])
        rated = [r for r in completed[1:]]
        for r in rated:
            if r["interval_s"] == "" or float(r["interval_s"]) <= 0:
                fail("interval missing")
            for key in ("ds_crc_delta", "us_crc_delta", "ds_es_delta", "us_fec_delta"):
                if r[key] == "" or int(r[key]) < 0:
                    fail(f"{key} missing or negative: {r[key]!r}")
        if completed[0]["interval_s"] != "":
            fail("the first sample has no interval")
        sets = sum(1 for r in rows if r["has_set"] == "1")
        print(f"ok {sets}")
    elif kind == "json":
        with open(path, encoding="utf-8") as f:
            rows = json.load(f)
        completed = check_rows(rows, samples)
        for r in completed:
            if not isinstance(r["summary"]["ds"]["snr_margin_db"], (int, float)):
                fail("margin is not a number")
        for r in completed[1:]:
            if r["rates"] is None or r["rates"]["ds"]["crc"] < 0:
                fail("rates missing or negative")
        if completed[0]["rates"] is not None:
            fail("the first sample has rates")
        print("ok")
    else:
        fail("unknown kind " + kind)


main()
