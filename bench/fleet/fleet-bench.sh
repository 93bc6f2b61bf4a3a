#!/usr/bin/env bash
# Uploads the three sample logos to 100 virtual printers on loopback with
# brindle-cli --printers --jobs 16, and compares the whole run with one
# upload to one printer: it should take at most 1.5 x ceil(100 / 16) x the
# single upload, with brindle-cli's peak memory under 64 MiB.
#   bench/fleet/fleet-bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build}/bin
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for i in $(seq 100); do
  "$bin/brindle-printer" --port 0 --out "$work/out$i" >"$work/p$i.log" 2>&1 &
  pids+=($!)
done
for i in $(seq 100); do
  for _ in $(seq 50); do grep -q listening "$work/p$i.log" && break; sleep 0.1; done
  sed -n 's/^listening on //p' "$work/p$i.log" >>"$work/printers.txt"
done

samples=("$root"/res/samples/mono-shop.bmp "$root"/res/samples/gray-cafe.bmp
         "$root"/res/samples/colour-fruit.bmp)
first=$(head -n 1 "$work/printers.txt")
start=$(date +%s.%N)
(cd "$work" && "$bin/brindle-cli" upload --quiet --ip "${first%:*}" --tcp-port "${first#*:}" \
  "${samples[@]}" >/dev/null)
one=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
(cd "$work" && /usr/bin/time -f '%M' -o "$work/rss" "$bin/brindle-cli" upload --printers \
  "$work/printers.txt" --jobs 16 "${samples[@]}" >"$work/report.txt")
all=$(echo "$(date +%s.%N) - $start" | bc)
rss_kib=$(cat "$work/rss")
bound=$(echo "1.5 * 7 * $one" | bc)

tail -n 1 "$work/report.txt"
printf 'one upload: %.3f s; 100 printers with --jobs 16: %.3f s (bound %.3f s); ' "$one" "$all" "$bound"
printf 'brindle-cli peak memory %d KiB (bound 65536 KiB)\n' "$rss_kib"
if (( $(echo "$all > $bound" | bc) )) || (( rss_kib >= 65536 )); then exit 1; fi
