#!/usr/bin/env bash
# The windows' folders stay layered: common/ (what every window uses) below
# monitor/ and boards/, those below shell/ (the main window), that below tour/
# and main.cpp. A file includes only from its own folder family or a lower
# layer, and no two parts (a header with its source) include each other round
# a loop. Usage: include_rules.sh APP_DIR
set -u
cd "$1" || exit 1
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

# Prints each include as "part included-part" to the edge file and each broken
# rule on standard output.
broken=$(find . -type f \( -name '*.h' -o -name '*.cpp' \) -print | sed 's|^\./||' | sort |
  awk -v edges="$edges" '
    function folder(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "." }
    function layer(dir) {
      if (dir ~ /^common(\/|$)/) return 0
      if (dir ~ /^(monitor|boards)(\/|$)/) return 1
      if (dir ~ /^shell(\/|$)/) return 2
      if (dir ~ /^tour(\/|$)/) return 3
      if (dir == ".") return 4
      return -1
    }
    function family(dir) { return dir ~ /^boards(\/|$)/ ? "boards" : dir }
    function part(path) { sub(/\.[^.\/]*$/, "", path); return path }
    { files[$0] = 1; order[++count] = $0 }
    END {
      for (i = 1; i <= count; ++i) {
        file = order[i]; from = folder(file)
        if (layer(from) < 0) print file ": a folder no layer is given for"
        while ((getline line < file) > 0) {
          if (line !~ /^[ \t]*#[ \t]*include[ \t]*"app\//) continue
          included = line
          sub(/^[^"]*"app\//, "", included)
          sub(/".*/, "", included)
          if (!(included in files)) { print file " includes app/" included ", which does not exist"; continue }
          to = folder(included)
          if (family(from) != family(to) && !(layer(to) < layer(from)))
            print file " includes app/" included " from a layer that is not below it"
          if (part(file) != part(included)) print part(file) " " part(included) > edges
        }
        close(file)
      }
    }')
status=0
if [ -n "$broken" ]; then
  sed 's/^/FAIL: /' <<<"$broken"
  status=1
fi
if ! loops=$(tsort "$edges" 2>&1 >/dev/null) || [ -n "$loops" ]; then
  echo "FAIL: parts include each other round a loop:"
  echo "$loops"
  status=1
fi
[ "$status" -eq 0 ] && echo "include rules: ok ($(wc -l <"$edges") includes between parts)"
exit "$status"
