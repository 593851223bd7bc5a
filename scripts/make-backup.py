#!/usr/bin/env python3
"""Writes a settings backup file: a header line and records of TAB-separated
fields, as hex text (four digits per UTF-16 code unit) inside radix-64.

usage: make-backup.py OUT.mdb < records.txt   (one record per line, fields
separated by TAB; the first line is the header)"""
import base64
import sys

PASS = set("abcdefghijklmnopqrstuvwxyz0123456789-_=+\\|[]{}<>,./?~!@$#%^&*():;'\" ")


def hex_text(text):
    out = []
    for line_no, line in enumerate(text.split("\r\n")):
        if line_no:
            out.append("0D0A")
        data = line.encode("utf-16-le")
        for i in range(0, len(data), 2):
            lo, hi = data[i], data[i + 1]
            if hi == 0 and chr(lo).lower() in PASS:
                out.append("00%02X" % lo)      # a plain single-byte character
            elif hi == 0:
                out.append("%02X00" % lo)      # low byte first: code unit lo
            elif lo == 0:
                out.append("00%02X" % hi if chr(hi).lower() not in PASS else None)
            else:
                out.append("%02X%02X" % (lo, hi))
    if None in out:
        raise SystemExit("a code unit of the form XX00 with XX in the pass set cannot be written")
    return "".join(out)


def main():
    lines = sys.stdin.read().splitlines()
    text = "\r\n".join(lines)
    line = base64.b64encode(hex_text(text).encode("ascii"))
    with open(sys.argv[1], "wb") as f:
        f.write(line + b"\r\n")


if __name__ == "__main__":
    main()
