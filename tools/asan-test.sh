#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs every test under them. Any sanitizer report fails
# the test that made it. Leaks are suppressed only inside Qt's own libraries
# (tools/lsan-qt.supp).
set -euo pipefail
cd "$(dirname "$0")/.."
# With ccache, paths relative to the checkout let clones in other folders share its cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# Debug keeps Qt's and our assertions on; -g1 (line tables) is enough for the
# reports' stack traces and builds faster than full debug information.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$flags -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g1" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
# A leak suppression matches any frame of the allocation's stack, and in a
# Qt program nearly every stack passes through Qt: with four frames kept per
# allocation, only what Qt itself allocated matches the Qt suppressions, and a
# leak made by this project's code (even through a Qt call) is still reported.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:malloc_context_size=4"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-qt.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 900
