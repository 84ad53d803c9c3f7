#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
# clang and libclang-rt-dev (libFuzzer, the sanitizer runtimes) build the
# fuzz targets of .ci/run.
set -euo pipefail
packages=(qt6-base-dev qt6-serialport-dev xvfb xauth socat fonts-dejavu-core cmake ninja-build g++ libgtest-dev libgmock-dev clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
