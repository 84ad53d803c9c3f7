#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each for the given number of seconds.
#   fuzz/run.sh [seconds per target] [target ...]
# Each target starts from its seed corpus in fuzz/corpus/<name> and keeps what
# it learns in build-fuzz/corpus/<name>; a finding stops the run and is left as
# build-fuzz/findings/<name>/crash-* (exit status 1). Reproduce one with
#   build-fuzz/fuzz/fuzz_<name> build-fuzz/findings/<name>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
# With ccache, paths relative to the checkout let clones in other folders share its cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
seconds=${1:-60}
shift || true
all=(hexdecode framer boardfile svimage svaccess productlist lbline recording)
[ $# -gt 0 ] && targets=("$@") || targets=("${all[@]}")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNSCOPE_FUZZ=ON -DVARNSCOPE_BUILD_GUI=OFF -DVARNSCOPE_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_all

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for name in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$name
  findings=build-fuzz/findings/$name
  mkdir -p "$corpus" "$findings"
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  if ! "build-fuzz/fuzz/fuzz_$name" "${options[@]}" "$corpus" "fuzz/corpus/$name" \
       >"build-fuzz/fuzz_$name.log" 2>&1; then
    echo "fuzz_$name: FINDING (see build-fuzz/fuzz_$name.log and $findings/)"
    grep -E "ERROR|runtime error|check failed|SUMMARY" "build-fuzz/fuzz_$name.log" | head -5 || true
    status=1
  fi
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "build-fuzz/fuzz_$name.log" || true
  grep -E "(DONE|pulse|NEW|REDUCE) +cov:" "build-fuzz/fuzz_$name.log" | tail -1 | sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [^ ]+).*/\1/' || true
done
exit $status
