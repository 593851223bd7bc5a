#!/usr/bin/env python3
"""Prints the benchmark summary from the raw figures of bench/run.sh.

usage: summarize.py RESULTS_FOLDER STEPS_LOG_NONE STEPS_LOG_DBS5000 SIZE64 SIZE32"""
import statistics
import sys


def records(path, kind):
    """The key=value fields of every line starting with kind."""
    out = []
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                words = line.split()
                if words and words[0] == kind:
                    out.append(dict(w.split("=", 1) for w in words[1:] if "=" in w) | {"_": words[1]})
    except FileNotFoundError:
        pass
    return out


def by(rows, key):
    return {r[key]: r for r in rows}


def steps_medians(path):
    rows = records(path, "steps")
    if not rows:
        return "no steps recorded"
    keys = [k for k in rows[0] if k != "_"]
    return " ".join("%s=%g" % (k, statistics.median(float(r[k]) for r in rows)) for k in keys) + \
        " (median of %d)" % len(rows)


def main():
    out, steps_none, steps_5000, size64, size32 = sys.argv[1:6]
    startup = by(records(out + "/startup.txt", "median"), "name")
    ratios = by(records(out + "/startup.txt", "ratio"), "_")
    breakdown = by(records(out + "/breakdown.txt", "median"), "name")
    restore = by(records(out + "/restore.txt", "median"), "side")
    restore_ratios = by(records(out + "/restore.txt", "ratio"), "_")
    dialogs = by(records(out + "/dialogs.txt", "median"), "name")
    dialog_ratios = by(records(out + "/dialogs.txt", "ratio"), "_")

    def get(table, name, field):
        return table.get(name, {}).get(field, "?")

    def fastest_ratio(table, a, b):
        try:
            return "%.2f" % (float(table[a]["fastest_ms"]) / float(table[b]["fastest_ms"]))
        except (KeyError, ValueError, ZeroDivisionError):
            return "?"

    print("start-up to idle window   doumteo %s ms / floor %s ms = %s x (target <= 1.2); fastest runs %s / %s = %s x" %
          (get(startup, "doumteo", "startup_ms"), get(startup, "floor", "startup_ms"),
           get(ratios, "doumteo/floor", "startup"), get(startup, "doumteo", "fastest_ms"),
           get(startup, "floor", "fastest_ms"), fastest_ratio(startup, "doumteo", "floor")))
    print("peak working set          doumteo %s KB / floor %s KB = %s x (target <= 1.5)" %
          (get(startup, "doumteo", "peak_ws_kb"), get(startup, "floor", "peak_ws_kb"),
           get(ratios, "doumteo/floor", "peak_ws")))
    print("start-up, 5,000 in DBS    %s ms / none %s ms = %s x (target <= 1.2); fastest runs %s / %s = %s x" %
          (get(startup, "dbs5000", "startup_ms"), get(startup, "doumteo", "startup_ms"),
           get(ratios, "dbs5000/doumteo", "startup"), get(startup, "dbs5000", "fastest_ms"),
           get(startup, "doumteo", "fastest_ms"), fastest_ratio(startup, "dbs5000", "doumteo")))
    print("restore 5,000 settings    RegLogRead %s ms / regedit /s %s ms = %s x (target <= 1.0)" %
          (get(restore, "reglogread", "ms"), get(restore, "regedit", "ms"),
           get(restore_ratios, "reglogread/regedit", "restore")))
    print("support page, opening     %s ms / restore points dialog %s ms = %s x (target <= 1.5); fastest %s / %s" %
          (get(dialogs, "support", "open_ms"), get(dialogs, "restore", "open_ms"),
           get(dialog_ratios, "support/restore", "open"), get(dialogs, "support", "fastest_ms"),
           get(dialogs, "restore", "fastest_ms")))
    print("size of doumteo.exe       win64 %s bytes, win32 %s" %
          (size64, (size32 + " bytes") if size32 != "0" else "(not built)"))
    if breakdown:
        print("start-up, where it goes (medians, ms): floor %s, + the program's DLLs and manifest %s (%s x), "
              "+ its 42 child windows %s (%s x), the program's own start-up %s (%s x)" %
              (get(breakdown, "floor", "startup_ms"), get(breakdown, "floor_imports", "startup_ms"),
               get(by(records(out + "/breakdown.txt", "ratio"), "_"), "floor_imports/floor", "startup"),
               get(breakdown, "floor_children", "startup_ms"),
               get(by(records(out + "/breakdown.txt", "ratio"), "_"), "floor_children/floor", "startup"),
               get(breakdown, "steps", "startup_ms"),
               get(by(records(out + "/breakdown.txt", "ratio"), "_"), "steps/floor", "startup")))
        print("  steps, DBS empty:    " + steps_medians(steps_none))
        print("  steps, 5,000 in DBS: " + steps_medians(steps_5000))
    if restore:
        calls = records(out + "/restore.txt", "calls")
        print("restore, where it goes: registry calls of one RegLogRead: %s" %
              (" ".join(w for w in open(out + "/restore.txt").read().split("\n") if w.startswith("calls "))[6:]
               if calls else "?"))
        print("  same file, section key opened once per setting in one call (3 calls a setting): %s ms (%s x regedit)"
              % (get(restore, "direct", "ms"), get(restore_ratios, "direct/regedit", "restore")))
        print("  same file, section key kept open for its settings (1 call a setting): %s ms (%s x regedit)" %
              (get(restore, "section", "ms"), get(restore_ratios, "section/regedit", "restore")))
        print("  decoding alone: %s ms" % get(restore, "decode", "ms"))


if __name__ == "__main__":
    main()
