#!/usr/bin/env bash
# The window program on a machine without a display: one line that says so
# and what to do, and exit status 3 (which ./run answers with the
# command-line monitor), instead of Qt's abort; --help still works.
set -u
program="$1"
fail() { echo "FAIL: $*"; echo "--- output:"; echo "$out"; exit 1; }
# QT_QPA_PLATFORM unset, set empty (as some login scripts leave it) or naming
# the desktop's own plugin: each needs a display all the same.
for platform in unset "" xcb; do
  if [ "$platform" = unset ]; then
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --simulate 2>&1)
  else
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM="$platform" "$program" --simulate 2>&1)
  fi
  status=$?
  [ "$status" -eq 3 ] || fail "QT_QPA_PLATFORM $platform: exit status $status, expected 3"
  [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "QT_QPA_PLATFORM $platform: more than one line"
  case "$out" in
    *"no display"*xvfb-run*varnscope-cli*) ;;
    *) fail "QT_QPA_PLATFORM $platform: the line does not say what to do" ;;
  esac
done
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help 2>&1) || fail "--help failed: $help"
case "$help" in
  *--simulate*) ;;
  *) fail "--help does not list --simulate" ;;
esac
echo "ok"
