#!/usr/bin/env python3
"""Packs icon images into one .ico file: OUT.ico followed by inputs, each
either a .png (stored as a PNG-compressed frame, as Windows Vista and later
read them) or an .ico (its frames copied as they are, typically the small
uncompressed ones ImageMagick writes). Frames are sorted by size.

Used by render.sh; the large frames are most of an icon's bytes, and PNG
makes them about five times smaller than the uncompressed bitmap."""
import struct
import sys


def png_frame(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"pack_ico.py: {path} is not a PNG file")
    width, height = struct.unpack(">II", data[16:24])
    if width > 256 or height > 256:
        sys.exit(f"pack_ico.py: {path} is larger than 256 px")
    return (width, height, 0, 1, 32, data)


def ico_frames(path):
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        sys.exit(f"pack_ico.py: {path} is not an icon file")
    frames = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i : 22 + 16 * i])
        frames.append((w or 256, h or 256, colours, planes, bits, data[offset : offset + size]))
    return frames


def main(argv):
    if len(argv) < 3:
        sys.exit("usage: pack_ico.py OUT.ico INPUT.png|INPUT.ico...")
    frames = []
    for path in argv[2:]:
        frames.extend(ico_frames(path) if path.lower().endswith(".ico") else [png_frame(path)])
    frames.sort(key=lambda f: (f[0], f[1]))
    out = bytearray(struct.pack("<HHH", 0, 1, len(frames)))
    offset = 6 + 16 * len(frames)
    for w, h, colours, planes, bits, blob in frames:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    for frame in frames:
        out += frame[5]
    with open(argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)
