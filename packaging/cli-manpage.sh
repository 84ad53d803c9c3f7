#!/usr/bin/env bash
# Writes the manual page of varnscope-cli into OUT, made of the
# program's own help texts: its usage, then each subcommand's --help in the
# order its usage lists them, so that a subcommand added later is in the page
# without a word written here.
# Usage: cli-manpage.sh VARNSCOPE_CLI VERSION OUT
set -euo pipefail
cli=$1
version=$2
exec >"$3"

# Help text as preformatted roff: a paragraph line (the subcommand's
# description, which the program prints as one line) folded at 72 columns,
# backslashes and dashes escaped, no line starting with a control character.
# The option tables are left as the program lays them out.
roff() {
  awk -v width=72 '
    length($0) <= width || /^ / { print; next }
    {
      n = split($0, words, " ")
      line = words[1]
      for (i = 2; i <= n; i++) {
        if (length(line) + 1 + length(words[i]) > width) {
          print line
          line = words[i]
        } else {
          line = line " " words[i]
        }
      }
      print line
    }' |
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

usage=$("$cli" --help)
names=$(printf '%s\n' "$usage" | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[ -n "$names" ] || { echo "cli-manpage.sh: $cli --help lists no subcommands" >&2; exit 1; }

cat <<HEAD
.TH VARNSCOPE\\-CLI 1 "" "varnscope $version" "User Commands"
.SH NAME
varnscope\\-cli \\- LocoNet monitor and Quorvel board configuration on the command line
.SH SYNOPSIS
.B varnscope\\-cli
.I SUBCOMMAND
.RI [ OPTIONS "] [" ARGS ]
.br
.B varnscope\\-cli
.I SUBCOMMAND
.B \\-\\-help
.br
.B varnscope\\-cli help
.RI [ SUBCOMMAND ]
.SH DESCRIPTION
.B varnscope\\-cli
monitors LocoNet, sends messages on it, serves and simulates a LocoNet, and
configures, programs, reads, verifies, discovers and renumbers Quorvel boards.
A port is a serial device, \\fBsim\\fR for the built\\-in simulated LocoNet, or
\\fBtcp:\\fIHOST\\fB:\\fIPORT\\fR for an LbServer on the network.
Each subcommand's text below is what
.B varnscope\\-cli help
.I SUBCOMMAND
prints.
.PP
.nf
HEAD
printf '%s\n' "$usage" | roff
echo ".fi"
echo ".SH SUBCOMMANDS"
for name in $names; do
  echo ".SS $(printf '%s' "$name" | roff)"
  echo ".nf"
  "$cli" help "$name" | roff
  echo ".fi"
done
cat <<TAIL
.SH SEE ALSO
.BR varnscope (1)
TAIL
