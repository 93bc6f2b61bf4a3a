#!/usr/bin/env bash
# brindle-cli's bash completion as a user gets it after Tab: commands,
# options, option values, logo files. Arguments: brindle-cli, the script.
set -uo pipefail
cli=$1
source "$2"
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
touch a.bmp B.BMP c.Png d.jpeg e.JPG f.gif notes.txt && mkdir logos
status=0

# expect LINE OFFERED: completing the last word of LINE offers OFFERED.
expect() {
  local -a COMP_WORDS
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  local COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _brindle_cli "$cli" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs)
  [ "$got" = "$2" ] || { echo "'$1': offered '$got', expected '$2'"; status=1; }
}

expect "brindle-cli " "--help --version convert erase info ports printout status upload"
expect "brindle-cli up" "upload"
expect "brindle-cli upload --ha" "--halftone"
expect "brindle-cli upload --halftone " "diffusion none"
expect "brindle-cli printout --size " "0 1 2 3"
expect "brindle-cli erase --port COM1" "COM1 COM10 COM11 COM12"
expect "brindle-cli erase --port " \
  "COM1 COM10 COM11 COM12 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 LPT1 LPT2 TCP/IP USB"
expect "brindle-cli upload --ip " ""
expect "brindle-cli info " "B.BMP a.bmp c.Png d.jpeg e.JPG f.gif logos"
expect "brindle-cli convert a.bmp --output " "B.BMP a.bmp c.Png d.jpeg e.JPG f.gif logos"
expect "brindle-cli erase " ""
expect "brindle-cli erase --printers " "B.BMP a.bmp c.Png d.jpeg e.JPG f.gif logos notes.txt"
exit $status
