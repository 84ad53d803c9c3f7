#!/usr/bin/env bash
# Installs what the Windows cross-build and its tests under wine need, only
# when some are missing: kept apart from tools/deps.sh so that the Linux build
# and ./test never pull in wine.
# Qt's host tools and their CMake packages (moc, rcc, uic) are Debian's own
# Qt 6.4.2 (qt6-base-dev); GoogleTest is built from Debian's sources
# (libgtest-dev); unzip and file check the zip under test.
set -euo pipefail
exec "$(dirname "$0")/install-missing.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip unzip file \
  xz-utils cmake ninja-build qt6-base-dev qt6-base-dev-tools libgtest-dev
