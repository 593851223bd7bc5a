#!/usr/bin/env bash
# Runs the end-to-end suite under Wine on a virtual display.
# Usage: run-e2e.sh BUILD_DIR E2E_TESTS_EXE DOUMTEO_EXE RECORDER_EXE STAY_RUNNING_EXE TESTWIN_EXE [gtest args]
# With gtest args only that run at 96 DPI is made; without, the screenshot
# scenarios run a second time at 144 DPI.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"

set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  export E2E_DPI="$1"
}

# The part that runs inside the virtual display: seeds the prefix, runs the
# driver, and waits for Wine to finish before the display goes away.
if [[ "${1:-}" == --inner ]]; then
  shift
  tests_exe="$1"
  shift
  source "$here/../../scripts/wine-env"
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$here/catch-url.sh" /f >/dev/null
  set_dpi 96
  rc=0
  wine "$tests_exe" "$@" || rc=$?
  if [[ $# -eq 0 ]]; then
    wineserver -w
    set_dpi 144
    wine "$tests_exe" --gtest_filter='*Screenshot*' || rc=$?
    set_dpi 96
  fi
  timeout 60 wineserver -w || wineserver -k
  exit $rc
fi

build="$(cd "$1" && pwd)"
tests_exe="$2"
bins=("$3" "$4" "$5" "$6")
shift 6

# E2E_INSTANCE lets several runs share one build folder without sharing a
# prefix, a display or work folders.
inst="${E2E_INSTANCE:-}"
export WINEPREFIX="$build/wineprefix-e2e$inst"
# shellcheck source=../../scripts/wine-env
source "$here/../../scripts/wine-env"
doumteo_ensure_prefix
# Whatever an interrupted run left in this prefix goes first.
wineserver -k 2>/dev/null || true

for f in "$tests_exe" "${bins[@]}"; do
  [[ -f "$f" ]] || { echo "run-e2e: missing $f (build e2e_tests, recorder and doumteo first)" >&2; exit 2; }
done

work="$build/e2e-work$inst"
shots="$build/e2e-shots$inst"
drive_d="$build/e2e-drive-d$inst"
rm -rf "$work" "$shots" "$drive_d" "$WINEPREFIX/drive_c/e2e"
mkdir -p "$work/bin" "$shots" "$drive_d/e2e" "$WINEPREFIX/drive_c/e2e"
cp "${bins[@]}" "$work/bin/"
# A second drive for program folders that are not on C:.
ln -sfn "$drive_d" "$WINEPREFIX/dosdevices/d:"

export E2E_BIN_DIR="$work/bin"
export E2E_WORK_DIR="$work"
export E2E_SHOTS_DIR="$shots"
export E2E_URL_FILE="$work/urls.log"
export E2E_C_ROOT='C:\e2e'
export E2E_D_ROOT='D:\e2e'

rc=0
# Each build's suite starts its search for a free display elsewhere, so that
# two suites starting together do not take the same one.
servernum=$((100 + $(printf '%s' "$build$inst" | cksum | cut -d' ' -f1) % 800))
xvfb-run -a -n "$servernum" -s "-screen 0 1600x1200x24 -nolisten tcp" "$0" --inner "$tests_exe" "$@" || rc=$?

shopt -s nullglob
for bmp in "$shots"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "run-e2e: screenshots in $shots"
exit $rc
