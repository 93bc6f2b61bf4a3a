#!/usr/bin/env bash
# Soak test: 200 uploads in a row to the virtual printer over TCP and 50
# over its pseudo-terminal as COM1. Every upload must succeed, and the
# printer's memory and open descriptors must stay flat.
#   scripts/soak.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build}/bin
# shellcheck source=scripts/printers.sh
source "$root/scripts/printers.sh"

rss() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
fds() { ls "/proc/$1/fd" | wc -l; }
# Runs `count` uploads with the given port options against printer `pid`
# and reports its memory and descriptors before and after.
soak() {
  local name=$1 pid=$2 count=$3; shift 3
  (cd "$work" && "$bin/brindle-cli" upload --quiet "$@" "${samples[@]}" >/dev/null)
  local rss0 fds0 i
  rss0=$(rss "$pid"); fds0=$(fds "$pid")
  for i in $(seq "$count"); do
    if ! (cd "$work" && "$bin/brindle-cli" upload --quiet "$@" "${samples[@]}" >/dev/null); then
      echo "$name: upload $i failed" >&2
      exit 1
    fi
  done
  local rss1 fds1
  rss1=$(rss "$pid"); fds1=$(fds "$pid")
  echo "$name: $count uploads ok; printer memory ${rss0} -> ${rss1} KiB, descriptors ${fds0} -> ${fds1}"
  if (( fds1 > fds0 || rss1 > rss0 + 2048 )); then
    echo "$name: the printer grew" >&2
    exit 1
  fi
}

start_printer "$work/tcp.log" --port 0 --out "$work/tcp"
wait_printer "$work/tcp.log" listening
port=$(sed -n 's/^listening on 127.0.0.1://p' "$work/tcp.log")
soak TCP "${pids[0]}" 200 --ip 127.0.0.1 --tcp-port "$port"

mkdir -p "$work/devs"
start_printer "$work/pty.log" --link "$work/devs/ttyS0" --out "$work/pty"
wait_printer "$work/pty.log" linked
BRINDLE_DEVICE_DIR=$work/devs soak "pseudo-terminal" "${pids[1]}" 50 --port COM1 --baud 115200
