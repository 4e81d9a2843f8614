#!/usr/bin/env bash
# tools/wine-run, CTest's emulator, starts Wine only in this run's own prefix
# and on its own X display (tools/test sets both up); anywhere else it says
# how to run the tests and starts nothing. Usage: WineRunGuardTest.sh WINE_RUN
set -u
runner="$1"
if [ -z "${KEL_HARNESS_WINEPREFIX:-}" ] || [ -z "${KEL_HARNESS_DISPLAY:-}" ]; then
  echo "FAIL: not run by tools/test (no KEL_HARNESS_WINEPREFIX or KEL_HARNESS_DISPLAY)"
  exit 1
fi
work=$(mktemp -d /tmp/kel-wine-run-guard.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Stands for the user's everyday prefix: Wine would fill it if started there.
# HOME is the work folder too, so a run without WINEPREFIX would fill
# $work/.wine instead of the real ~/.wine.
everyday="$work/everyday-prefix"
mkdir "$everyday"
failures=0

# Usage: refused NAME [NAME=VALUE...]: wine-run in exactly that environment.
refused() {
  local name="$1"
  shift
  local output code=0
  output=$(env -i PATH="$PATH" HOME="$work" "$@" timeout 60 "$runner" cmd /c exit 0 2>&1) || code=$?
  local problems=""
  [ "$code" -eq 2 ] || problems="$problems exit code $code, not 2;"
  grep -q "tools/test" <<<"$output" || problems="$problems no word of tools/test;"
  [ -z "$(ls -A "$everyday")" ] || problems="$problems Wine wrote into the everyday prefix;"
  [ ! -e "$work/.wine" ] || problems="$problems Wine made ~/.wine;"
  if [ -n "$problems" ]; then
    echo "FAIL: $name:$problems output: $output"
    failures=$((failures + 1))
  else
    echo "ok: refused $name"
  fi
}

harness=(KEL_HARNESS_WINEPREFIX="$KEL_HARNESS_WINEPREFIX" KEL_HARNESS_DISPLAY="$KEL_HARNESS_DISPLAY")
refused "a plain ctest on the user's desktop" DISPLAY=:0
refused "a plain ctest with the user's own prefix" WINEPREFIX="$everyday" DISPLAY=:0
refused "the user's prefix on the harness's display" "${harness[@]}" WINEPREFIX="$everyday" \
  DISPLAY="$KEL_HARNESS_DISPLAY"
refused "the harness's prefix on another display" "${harness[@]}" WINEPREFIX="$KEL_HARNESS_WINEPREFIX" \
  DISPLAY=:4242
refused "the harness's prefix with no display" "${harness[@]}" WINEPREFIX="$KEL_HARNESS_WINEPREFIX"
refused "no prefix on the harness's display" "${harness[@]}" DISPLAY="$KEL_HARNESS_DISPLAY"

# In the harness's own prefix and display it runs, and keeps the exit code.
code=0
output=$(WINEPREFIX="$KEL_HARNESS_WINEPREFIX" DISPLAY="$KEL_HARNESS_DISPLAY" "$runner" cmd /c exit 7 2>&1) || code=$?
if [ "$code" -ne 7 ]; then
  echo "FAIL: in the harness's prefix and display: exit code $code, not 7; output: $output"
  failures=$((failures + 1))
else
  echo "ok: runs in the harness's prefix and display"
fi
exit $((failures > 0))
