#!/usr/bin/env bash
# Soak test: 200 uploads in a row to the virtual printer over TCP and 50
# over its pseudo-terminal as COM1. Every upload must succeed, and the
# printer's memory and open descriptors must stay flat.
#   scripts/soak.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build}/bin
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
samples=("$root"/res/samples/mono-shop.bmp "$root"/res/samples/gray-cafe.bmp
         "$root"/res/samples/colour-fruit.bmp)

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

"$bin/brindle-printer" --port 0 --out "$work/tcp" >"$work/tcp.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$work/tcp.log" && break; sleep 0.1; done
port=$(sed -n 's/^listening on 127.0.0.1://p' "$work/tcp.log")
soak TCP "${pids[0]}" 200 --ip 127.0.0.1 --tcp-port "$port"

mkdir -p "$work/devs"
"$bin/brindle-printer" --link "$work/devs/ttyS0" --out "$work/pty" >"$work/pty.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q linked "$work/pty.log" && break; sleep 0.1; done
BRINDLE_DEVICE_DIR=$work/devs soak "pseudo-terminal" "${pids[1]}" 50 --port COM1 --baud 115200
