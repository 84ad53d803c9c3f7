#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
# clang and libclang-rt-dev (libFuzzer, the sanitizer runtimes) build the
# fuzz targets of .ci/run; lintian checks the Debian package. qt6-charts-dev draws
# the bus statistics window; its CMake files want libqt6opengl6-dev. tshark reads
# the pcap files with the LocoNet dissector in the tests.
set -euo pipefail
exec "$(dirname "$0")/install-missing.sh" qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev xvfb xauth socat fonts-dejavu-core \
  cmake ninja-build g++ libgtest-dev libgmock-dev clang libclang-rt-dev lintian \
  libmosquitto-dev mosquitto mosquitto-clients tshark
