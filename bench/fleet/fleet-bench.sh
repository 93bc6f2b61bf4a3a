#!/usr/bin/env bash
# Uploads the three sample logos to 100 virtual printers on loopback with
# brindle-cli --printers --jobs 16, and compares the whole run with one
# upload to one printer: it should take at most 1.5 x ceil(100 / 16) x the
# single upload, with brindle-cli's peak memory under 64 MiB.
#   bench/fleet/fleet-bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build}/bin
# shellcheck source=scripts/printers.sh
source "$root/scripts/printers.sh"

for i in $(seq 100); do start_printer "$work/p$i.log" --port 0 --out "$work/out$i"; done
for i in $(seq 100); do
  wait_printer "$work/p$i.log" listening
  sed -n 's/^listening on //p' "$work/p$i.log" >>"$work/printers.txt"
done

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
