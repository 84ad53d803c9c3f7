#!/usr/bin/env bash
# Configures and builds into build/ (Release, Ninja).
set -euo pipefail
cd "$(dirname "$0")/.."
# With ccache, paths relative to the checkout let clones in other folders share its cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
