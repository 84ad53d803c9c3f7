#!/usr/bin/env bash
# Cross-builds varnscope.exe and varnscope-cli.exe for 64-bit Windows into
# build-windows/ (Release, Ninja, MinGW-w64) and makes the zip modellers unpack
# and run (build-windows/varnscope-VERSION-win64.zip). Needs the packages of
# tools/deps-windows.sh.
#
# Debian has no Qt for Windows: the build uses a Qt 6.4.2 cross-built for
# MinGW-w64, kept as an archive outside this checkout (VARNSCOPE_QT_MINGW,
# by default ../shared/toolchains/qt6.4.2-mingw64-posix.tar.xz beside the
# checkout or beside the local repository it was cloned from), unpacked into build-windows/qt6-mingw. Qt's host tools (moc,
# rcc) are Debian's own 6.4.2.
#
# VARNSCOPE_WINDOWS_TESTS=OFF leaves out the test programs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
qt=$out/qt6-mingw
archive=$(tools/find-qt-mingw.sh) || {
  echo "error: the Qt for Windows archive is not beside this checkout nor beside the one it was cloned from (set VARNSCOPE_QT_MINGW to its path)" >&2
  exit 1
}

# Unpacked again only when the archive changes.
mkdir -p "$out"
stamp="$(stat -c '%s %Y' "$archive") $archive"
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ] || [ "$(cat "$out/qt6-mingw.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$qt"
  tar -xJf "$archive" -C "$out"
  echo "$stamp" > "$out/qt6-mingw.stamp"
fi

# With ccache, paths relative to the checkout let clones in other folders share its cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64.cmake" \
  -DQT_MINGW_PREFIX="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DVARNSCOPE_BUILD_TESTS="${VARNSCOPE_WINDOWS_TESTS:-ON}" \
  -DVARNSCOPE_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$out" -j "$(nproc)"
(cd "$out" && cpack -G ZIP >/dev/null)
echo "$(ls "$out"/varnscope-*-win64.zip)"
