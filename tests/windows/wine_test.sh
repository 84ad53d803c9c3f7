#!/usr/bin/env bash
# Builds the Windows zip from a cross-built tree, unpacks it into a throwaway
# folder and runs both programs from there under wine, as a modeller would
# after unzipping it: a DLL or plugin missing from the zip, a product list the
# programs cannot find, a program that cannot reach the simulated bus or a
# window program that cannot draw fails here.
# Usage: wine_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=$2
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A prefix of its own, kept in the build folder: made once (about half a
# minute), without the Mono and Gecko installers that would ask for downloads.
export WINEPREFIX="$build/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine uses the X display for its desktop only when one is there; none is needed.
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi

fail() { echo "FAIL: $*"; exit 1; }
step() { echo "--- $*"; }

"$cpack" --config "$build/CPackConfig.cmake" -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"; exit 1; }
zip=$(ls "$work"/out/varnscope-*-win64.zip)
unzip -q "$zip" -d "$work/unpacked"
pkg=$(ls -d "$work"/unpacked/varnscope-*-win64)

step "the zip's contents"
for f in varnscope.exe varnscope-cli.exe progdevicelist.csv README.md platforms/qwindows.dll \
         platforms/qoffscreen.dll styles/qwindowsvistastyle.dll imageformats/qico.dll \
         Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll Qt6SerialPort.dll Qt6PrintSupport.dll \
         libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll help/topic1.html; do
  [ -e "$pkg/$f" ] || fail "missing from the zip: $f"
done
# Checks of a program's words (whole, so that grep -q ends no pipe early).
has() { grep -q -- "$1" <<<"$2"; }
# The window program opens no console beside it; the command line is a console program.
has 'Subsystem.*(Windows GUI)' "$(objdump -p "$pkg/varnscope.exe")" || fail "varnscope.exe is not a GUI program"
has 'Subsystem.*(Windows CUI)' "$(objdump -p "$pkg/varnscope-cli.exe")" || fail "varnscope-cli.exe is not a console program"
# Stripped: no debugging sections left in the programs or the DLLs.
for f in "$pkg"/*.exe "$pkg"/*.dll "$pkg"/*/*.dll; do
  if has '\.debug_' "$(objdump -h "$f")"; then fail "not stripped: ${f#"$pkg"/}"; fi
done
# The version resource and the icon, as Explorer shows them.
for exe in varnscope.exe varnscope-cli.exe; do
  has "ProductVersion" "$(iconv -f UTF-16LE -t UTF-8 -c <"$pkg/$exe" 2>/dev/null | tr -d '\0')" || fail "$exe has no version resource"
  has 'Resource Directory' "$(objdump -p "$pkg/$exe")" || fail "$exe has no resources"
done

# Runs the command-line program of the zip; Windows line ends are dropped.
cli() { (cd "$work" && wine "$pkg/varnscope-cli.exe" "$@") | tr -d '\r'; }
expect() {  # expect TEXT OUTPUT
  grep -qF -- "$1" <<<"$2" || { echo "$2"; fail "expected: $1"; }
}

step "version and decode"
expect "varnscope-cli 0." "$(cli --version)"
expect "Switch" "$(cli decode B2 00 50 1D)$(cli decode B0 7F 1F 2F)"
# Standard input, lines ended as Windows editors end them.
out=$(printf 'B0 7F 1F 2F\r\nB2 00 50 1D\r\n' | cli decode)
expect "Switch request" "$out"
expect "sensor report" "$out"

step "board files: new, list, image, listing, report"
cli new --type ort50 --count 2 >"$work/panel.csv"
[ -s "$work/panel.csv" ] || fail "new wrote nothing"
expect "ORT50" "$(cli list --type ORT50 panel.csv)"
cli image --type ORT50 panel.csv --index 1 >"$work/panel.img"
[ -s "$work/panel.img" ] || fail "image wrote nothing"
cli decode-image --type ORT50 --base panel.csv --index 1 panel.img >"$work/board1.csv"
[ -s "$work/board1.csv" ] || fail "decode-image wrote nothing"
cli new --type tel90 >"$work/sensors.csv"
cli listing --type tel90 sensors.csv -o sensors.txt
[ -s "$work/sensors.txt" ] || fail "listing -o wrote nothing"
report=$(cli report --type ort50 --index 1 panel.csv)
[ -n "$report" ] || fail "report printed nothing"
# A wrong option is a usage error, as on Linux.
set +e
(cd "$work" && wine "$pkg/varnscope-cli.exe" image --type nosuch panel.csv >/dev/null 2>&1)
status=$?
set -e
[ "$status" -ne 0 ] || fail "an unknown type was taken"

# discover, program, read back and verify one board of each kind of bus.
# Each run on --port sim has a bus of its own, whose boards hold their factory
# image at the start; a simulate process keeps what was written into its boards.
transfers() {  # transfers PORT VERIFY_VERDICT
  local port=$1 verdict=$2 out
  out=$(cli discover --port "$port")
  for product in VELA40 ORT50 VELA80 MUV7 PAX60 TEL90 PAX66; do
    expect "$product" "$out"
  done
  expect "no. boards found: 7" "$out"
  # The ORT50 of the simulated bus has serial 102: the file's board 0 gets that number.
  cli new --type ort50 >"$work/prog.csv"
  awk -F, 'BEGIN { OFS = "," } NR == 1 { $3 = 102 } { print }' "$work/prog.csv" >"$work/prog.tmp"
  tr -d '\r' <"$work/prog.tmp" >"$work/prog.csv"
  expect "102" "$(cli list --type ORT50 prog.csv)"
  expect "Programming Completed Successfully!" "$(cli program --port "$port" --type ORT50 prog.csv --index 0)"
  expect "$verdict" "$(cli verify --port "$port" --type ORT50 prog.csv || true)"
  expect "Saved back.csv" "$(cli read --port "$port" --type ORT50 prog.csv --index 0 -o back.csv)"
  [ -s "$work/back.csv" ] || fail "read saved nothing"
}

step "discover, program, verify, read on the simulated LocoNet inside the program"
# Each run's bus starts with its boards as they leave the factory, which is
# what a new board file computes: the verify of the next run finds it equal.
transfers sim "Verify completed: board matches its configuration!"

step "the same over an LbServer: simulate --no-pty --listen in a second wine process"
# No pseudo-terminal on Windows: without --listen, or with --pty, a usage error that says so.
for args in "simulate" "simulate --pty link --listen 0"; do
  set +e
  # shellcheck disable=SC2086
  (cd "$work" && wine "$pkg/varnscope-cli.exe" $args >"$work/usage.txt" 2>&1)
  status=$?
  set -e
  out=$(tr -d '\r' <"$work/usage.txt")
  [ "$status" -eq 2 ] || { echo "$out"; fail "$args: exit status $status, not 2"; }
  expect "pseudo-terminals" "$out"
done
(cd "$work" && exec wine "$pkg/varnscope-cli.exe" simulate --no-pty --listen 0 >"$work/sim.out" 2>&1) &
sim_pid=$!
for _ in $(seq 1 300); do
  grep -q '^ready' "$work/sim.out" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.out"; fail "simulate ended"; }
  sleep 0.1
done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; fail "simulate never became ready"; }
address=$(tr -d '\r' <"$work/sim.out" | sed -n 's/^listen: //p')
[ -n "$address" ] || { cat "$work/sim.out"; fail "simulate named no address"; }
transfers "tcp:$address" "Verify completed: board matches its configuration!"
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=""

step "the window program's screenshot tour, offscreen"
# Wine hands the programs no QT_ variables from Linux: they are set inside it.
# The window program is a GUI program, which cmd does not wait for unless started with start /wait.
(cd "$work" && wine cmd /c "set QT_QPA_PLATFORM=offscreen&& start /wait $(winepath -w "$pkg/varnscope.exe") --simulate --screenshots shots" \
  >"$work/gui.log" 2>&1) || { cat "$work/gui.log"; fail "the window program failed"; }
for picture in main.png connect.png about.png help.png message-display.png speedometer.png; do
  [ -s "$work/shots/$picture" ] || { ls "$work/shots" 2>/dev/null; fail "no picture $picture"; }
done
count=$(ls "$work/shots"/*.png | wc -l)
[ "$count" -ge 40 ] || fail "only $count pictures"
has 'PNG image data' "$(file "$work/shots/main.png")" || fail "main.png is not a picture"
echo "windows package under wine: ok ($count pictures)"
