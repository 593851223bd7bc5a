#!/usr/bin/env bash
# Runs a Windows program of the build under Wine on a virtual display of its
# own: the Windows suite creates real windows and message boxes, and Wine
# needs a display for them. WINEPREFIX names the prefix; it must not be one
# that a program without a display uses at the same time, since the prefix's
# desktop takes the display of whoever starts it.
# Usage: [DOUMTEO_LOGPIXELS=DPI] run-on-display.sh PROGRAM [args]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [[ "${1:-}" == --inner ]]; then
  shift
  source "$here/../scripts/wine-env"
  # DOUMTEO_LOGPIXELS runs the program at that DPI; Wine reads it at start.
  if [[ -n "${DOUMTEO_LOGPIXELS:-}" ]]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DOUMTEO_LOGPIXELS" /f >/dev/null
    wineserver -w
  fi
  rc=0
  wine "$@" || rc=$?
  timeout 60 wineserver -w || wineserver -k
  exit $rc
fi

source "$here/../scripts/wine-env"
doumteo_ensure_prefix
# Whatever an interrupted run left in this prefix goes first.
wineserver -k 2>/dev/null || true
servernum=$((100 + $(printf '%s' "$WINEPREFIX" | cksum | cut -d' ' -f1) % 800))
exec xvfb-run -a -n "$servernum" -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --inner "$@"
