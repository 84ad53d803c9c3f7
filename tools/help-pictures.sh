#!/usr/bin/env bash
# Makes the pictures of the help pages anew from the windows as they are now:
# builds, runs the screenshot tour on the simulated LocoNet on a virtual
# screen, copies the scaled pictures it made for the help into
# app/common/help/pictures/ and builds again so the program carries them.
# The pictures are listed in app/common/help.qrc and in the tour's table
# (app/tour/Screenshottour.cpp): a new one goes into both.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# Settings of its own, so the tour starts as on a new installation and leaves
# the user's alone.
XDG_CONFIG_HOME="$shots/config" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/varnscope --simulate --screenshots "$shots"
shopt -s nullglob
made=("$shots"/help/*.png)
if [ ${#made[@]} -eq 0 ]; then
  echo "help-pictures: the tour made no pictures for the help" >&2
  exit 1
fi
mkdir -p app/common/help/pictures
cp "${made[@]}" app/common/help/pictures/
du -cb app/common/help/pictures/*.png | tail -1 | awk '{print "help pictures: " $1 " bytes"}'
tools/build.sh
