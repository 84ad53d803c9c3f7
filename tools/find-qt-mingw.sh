#!/usr/bin/env bash
# Prints the path of the Qt for Windows archive, or fails when there is none:
# VARNSCOPE_QT_MINGW if set, else ../shared/toolchains beside this checkout,
# else beside the local repository this checkout was cloned from (a CI clone
# in a temporary folder still finds the archive of the repository it came from).
set -euo pipefail
cd "$(dirname "$0")/.."
name=shared/toolchains/qt6.4.2-mingw64-posix.tar.xz
if [ -n "${VARNSCOPE_QT_MINGW:-}" ]; then
  [ -f "$VARNSCOPE_QT_MINGW" ] && { echo "$VARNSCOPE_QT_MINGW"; exit 0; }
  exit 1
fi
candidates=("$PWD/../$name")
origin=$(git config --get remote.origin.url 2>/dev/null || true)
origin=${origin#file://}
[ -n "$origin" ] && [ -d "$origin" ] && candidates+=("$(cd "$origin" && pwd)/../$name")
for c in "${candidates[@]}"; do
  [ -f "$c" ] && { echo "$c"; exit 0; }
done
exit 1
