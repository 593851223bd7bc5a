#!/usr/bin/env python3
"""Fails when an executable built from one maker profile holds a word or path
that only another profile (the sample) holds, in UTF-16LE, UTF-8 or CP949.
As a check of the check, every value of the profile it was built from must
be there in UTF-16LE.
usage: no_sample_words.py SAMPLE_INI BUILT_INI EXE"""
import sys


def values(ini):
    out = {}
    for line in open(ini, encoding="utf-8-sig"):
        line = line.strip()
        if line and not line.startswith(";") and "=" in line:
            key, value = (part.strip() for part in line.split("=", 1))
            if value:
                out[key] = value
    return out


sample, built, exe = values(sys.argv[1]), values(sys.argv[2]), open(sys.argv[3], "rb").read()
faults = [f"{key} = {value} of the built profile is not in the program"
          for key, value in built.items() if value.encode("utf-16-le") not in exe]
own = set(built.values())
for key, value in sample.items():
    if value in own:
        continue
    for encoding in ("utf-16-le", "utf-8", "cp949"):
        try:
            if value.encode(encoding) in exe:
                faults.append(f"the sample's {key} = {value} is in the program ({encoding})")
        except UnicodeEncodeError:
            pass
for fault in faults:
    print("FAIL", fault)
if not faults:
    print(f"ok   {sys.argv[3]}: the {len(built)} values of its profile, "
          f"none of the {len(set(sample.values()) - own)} that only the sample holds")
sys.exit(1 if faults else 0)
