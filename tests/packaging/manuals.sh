#!/usr/bin/env bash
# The manual pages: each one lints without a warning, and the options in
# its OPTIONS section are exactly those the program's --help lists.
# Arguments: the folder of the manuals, then the programs.
set -uo pipefail
manuals=$1
shift
status=0
for program in "$@"; do
  name=$(basename "$program")
  page=$manuals/$name.1
  warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings"; status=1; }
  listed=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" |
    grep -o '\\-\\-[a-z][a-z0-9]*\(\\-[a-z0-9]\+\)*' | sed 's/\\-/-/g' | sort -u)
  helped=$("$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
  if [ "$listed" != "$helped" ]; then
    echo "$name: its manual and its --help list different options"
    diff <(echo "$listed") <(echo "$helped") |
      sed -n 's/^</  only in the manual:/p; s/^>/  only in --help:/p'
    status=1
  fi
done
exit $status
