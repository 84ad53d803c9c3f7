#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a throwaway
# root and runs the installed programs from there: a broken install layout
# (a missing file, a product list the programs cannot find) fails here.
# Usage: package_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/varnscope_*.deb)
dpkg-deb -x "$deb" "$work/root"

depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  *-dev*) echo "the package depends on development packages: $depends"; exit 1 ;;
esac
for needed in libqt6core6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
  [[ "$depends" == *"$needed"* ]] || { echo "the package does not depend on $needed: $depends"; exit 1; }
done

for f in usr/bin/varnscope usr/bin/varnscope-cli usr/share/varnscope/progdevicelist.csv \
         usr/share/applications/varnscope.desktop usr/share/icons/hicolor/scalable/apps/varnscope.svg \
         usr/share/man/man1/varnscope.1.gz usr/share/man/man1/varnscope-cli.1.gz \
         usr/share/doc/varnscope/copyright usr/share/doc/varnscope/changelog.gz \
         usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo x86_64-linux-gnu)/wireshark/plugins/varnscope-loconet.lua; do
  [ -e "$work/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
grep -q '^Categories=Utility;' "$work/root/usr/share/applications/varnscope.desktop"
grep -qx 'Exec=varnscope %F' "$work/root/usr/share/applications/varnscope.desktop"

cli="$work/root/usr/bin/varnscope-cli"
"$cli" --version | grep -q 'varnscope-cli'
# The installed program must find the installed product list: the
# simulated boards are named from it.
out=$("$cli" discover --port sim)
echo "$out"
for product in VELA40 ORT50 VELA80 MUV7 PAX60 TEL90 PAX66; do
  grep -q "$product" <<<"$out" || { echo "discover named no $product: the product list was not found"; exit 1; }
done
# The command line's manual page holds every subcommand, in the words of its help.
page=$(gzip -dc "$work/root/usr/share/man/man1/varnscope-cli.1.gz")
for name in $("$cli" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }'); do
  grep -qx ".SS $(sed 's/-/\\\\-/g' <<<"$name")" <<<"$page" || { echo "varnscope-cli.1 has no section for $name"; exit 1; }
done
# The window program's page names every option its --help lists.
wpage=$(gzip -dc "$work/root/usr/share/man/man1/varnscope.1.gz" | sed 's/\\-/-/g')
options=$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/varnscope" --help | grep -oE -- '--[a-z-]+|nofiles' | sort -u)
[[ "$options" == *--simulate* ]] || { echo "varnscope --help lists no --simulate: $options"; exit 1; }
for option in $options; do
  grep -q -- "$option" <<<"$wpage" || { echo "varnscope.1 does not name $option"; exit 1; }
done

# Debian's own checker: no error and no warning.
command -v lintian >/dev/null || { echo "lintian is not installed (tools/deps.sh installs it)"; exit 1; }
lintian --fail-on error,warning "$deb" || { echo "lintian found errors or warnings in the package"; exit 1; }
echo "package install: ok"
