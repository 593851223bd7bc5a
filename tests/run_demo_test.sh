#!/usr/bin/env bash
# scripts/run without a display must build, start the program, save a
# screenshot of its main window, close the program and end by itself.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

log="$(mktemp)"
# A screenshot left by an earlier run must not count.
started="$(mktemp)"
trap 'rm -f "$log" "$started"' EXIT
env -u DISPLAY timeout 600 scripts/run 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
if ((rc == 124)); then
  echo "run_demo_test: scripts/run did not end within 600 s" >&2
  exit 1
fi
if ((rc != 0)); then
  echo "run_demo_test: scripts/run failed with exit code $rc" >&2
  exit 1
fi
shot="$(sed -n 's/^screenshot of the main window: //p' "$log" | tail -1)"
if [[ -z "$shot" ]]; then
  echo "run_demo_test: scripts/run printed no screenshot path" >&2
  exit 1
fi
if [[ ! -s "$shot" ]]; then
  echo "run_demo_test: the screenshot $shot does not exist or is empty" >&2
  exit 1
fi
if [[ ! "$shot" -nt "$started" ]]; then
  echo "run_demo_test: the screenshot $shot is older than this run" >&2
  exit 1
fi
echo "run_demo_test: ok ($shot)"
