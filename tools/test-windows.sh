#!/usr/bin/env bash
# The Windows build's own test run: installs what the cross-build needs
# (tools/deps-windows.sh), cross-builds (tools/build-windows.sh), then runs the
# core's tests and the zip's programs under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps-windows.sh
tools/build-windows.sh
ctest --test-dir build-windows --output-on-failure -j "$(nproc)" --timeout 900
