#!/bin/sh
# scripts/release builds the package a maker ships: exactly doumteo.exe and
# 설치안내.txt, the exe a stripped 32-bit GUI program of at most 1 MiB, the
# note UTF-8 with a BOM and CR LF line ends.
# Usage: release.sh SOURCE_DIR
# Signed with a throwaway code-signing certificate, the exe in the zip is
# signed by its subject and the note says so; a wrong password writes no zip.
set -eu
src=$(cd "${1:?source folder}" && pwd)
version=$(sed -n 's/^project(doumteo VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
zip="$src/dist/doumteo-$version-win32.zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 -utf8 \
  -subj "/CN=시험 게시자/O=Doumteo Test" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
DOUMTEO_SIGN_PASSWORD='pass word' openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
  -out "$work/cert.pfx" -passout env:DOUMTEO_SIGN_PASSWORD
subject=$(openssl x509 -in "$work/cert.pem" -noout -subject -nameopt utf8,sep_comma_plus_space | sed 's/^subject=//')
if DOUMTEO_SIGN_PASSWORD=wrong "$src/scripts/release" --sign "$work/cert.pfx" >"$work/out" 2>&1 ||
  [ -e "$zip" ] || ! grep -q "wrong password" "$work/out"; then
  echo "FAIL a wrong password: the release went on, left a zip or did not say why:"; cat "$work/out"; exit 1
fi
DOUMTEO_SIGN_PASSWORD='pass word' "$src/scripts/release" "$src/makers/sample" --sign "$work/cert.pfx"
unzip -p "$zip" doumteo.exe >"$work/signed.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >"$work/verify" 2>&1 ||
  { echo "FAIL the packed exe does not verify:"; cat "$work/verify"; exit 1; }
osslsigncode extract-signature -in "$work/signed.exe" -out "$work/sig.der" >/dev/null
signer=$(openssl pkcs7 -inform DER -in "$work/sig.der" -print_certs |
  openssl x509 -noout -subject -nameopt utf8,sep_comma_plus_space | sed 's/^subject=//')
[ "$signer" = "$subject" ] || { echo "FAIL signed by '$signer', not '$subject'"; exit 1; }
unzip -p "$zip" 설치안내.txt | grep -qF "$subject 의 인증서로 서명" ||
  { echo "FAIL the note does not name the signer"; exit 1; }
echo "ok   signed by $signer; a wrong password wrote no zip"

"$src/scripts/release" "$src/makers/sample"
unzip -p "$zip" 설치안내.txt | grep -qF "서명되어 있지 않습니다" || { echo "FAIL the note does not say unsigned"; exit 1; }

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
