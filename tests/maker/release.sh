#!/bin/sh
# scripts/release builds the package a maker ships: exactly doumteo.exe and
# 설치안내.txt, the exe a stripped 32-bit GUI program of at most 1 MiB, the
# note UTF-8 with a BOM and CR LF line ends.
# Usage: release.sh SOURCE_DIR
set -eu
src=$(cd "${1:?source folder}" && pwd)
"$src/scripts/release" "$src/makers/sample"
version=$(sed -n 's/^project(doumteo VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
zip="$src/dist/doumteo-$version-win32.zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$zip" "$work" <<'PY'
import struct, sys, zipfile
zip_path, work = sys.argv[1], sys.argv[2]
fail = []
with zipfile.ZipFile(zip_path) as z:
    names = sorted(z.namelist())
    if names != sorted(["doumteo.exe", "설치안내.txt"]):
        sys.exit(f"FAIL the package holds {names}")
    exe = z.read("doumteo.exe")
    note = z.read("설치안내.txt")
if len(exe) > 1024 * 1024:
    fail.append(f"doumteo.exe is {len(exe)} B, more than 1 MiB")
pe = struct.unpack_from("<I", exe, 0x3C)[0]
if exe[:2] != b"MZ" or exe[pe:pe + 4] != b"PE\0\0":
    sys.exit("FAIL doumteo.exe is not a PE file")
machine, _, _, _, nsymbols, optional_size, characteristics = struct.unpack_from("<HHIIIHH", exe, pe + 4)
magic = struct.unpack_from("<H", exe, pe + 24)[0]
subsystem = struct.unpack_from("<H", exe, pe + 24 + 68)[0]
if machine != 0x14C or magic != 0x10B:
    fail.append(f"doumteo.exe is not PE32 i386 (machine {machine:#x}, magic {magic:#x})")
if subsystem != 2:
    fail.append(f"doumteo.exe is not a GUI program (subsystem {subsystem})")
# Stripped: no symbols (the linker's output has some, also in Release) and
# marked so (IMAGE_FILE_DEBUG_STRIPPED).
if nsymbols or not characteristics & 0x200:
    fail.append(f"doumteo.exe is not stripped ({nsymbols} symbols, characteristics {characteristics:#x})")
if not note.startswith(b"\xef\xbb\xbf"):
    fail.append("설치안내.txt has no UTF-8 BOM")
text = note[3:].decode("utf-8")
if text.replace("\r\n", "").count("\n") or text.replace("\r\n", "").count("\r") or not text.endswith("\r\n"):
    fail.append("설치안내.txt has line ends other than CR LF")
for needed in ("VB and VBA Program Settings", "복원지점", "reg import", "DBS"):
    if needed not in text:
        fail.append(f"설치안내.txt does not mention {needed}")
if fail:
    sys.exit("FAIL " + "\nFAIL ".join(fail))
print(f"ok   {zip_path}: doumteo.exe {len(exe)} B, PE32 i386 GUI, stripped; 설치안내.txt")
PY
