#!/usr/bin/env bash
# Sets everything up and runs Brindle's main job.
#
# Builds what is missing and starts the virtual printer on 127.0.0.1:9100
# when nothing listens there. With a display it opens the main window (choose
# "TCP/IP" and 127.0.0.1 to reach the virtual printer); without one it
# uploads the sample logos with brindle-cli, prints them and says where the
# printed page is. BRINDLE_PRINTER_IP names a real network printer instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)" --target brindle brindle-cli brindle-printer

ip=${BRINDLE_PRINTER_IP:-127.0.0.1}
out=$build/printer-out
printer_pid=""
cleanup() { [ -n "$printer_pid" ] && kill "$printer_pid" 2>/dev/null || true; }
trap cleanup EXIT

listening() { (exec 3<>"/dev/tcp/$ip/9100") 2>/dev/null; }
if [ -z "${BRINDLE_PRINTER_IP:-}" ] && ! listening; then
  mkdir -p "$out"
  rm -f "$out"/page-*.png
  "$build/bin/brindle-printer" --port 9100 --out "$out" >"$out/printer.log" 2>&1 &
  printer_pid=$!
  for _ in $(seq 50); do listening && break; sleep 0.1; done
  echo "Virtual printer on 127.0.0.1:9100 (output in $out)"
fi

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  "$build/bin/brindle"
  exit 0
fi

echo "No display: uploading the sample logos with brindle-cli instead."
cli=("$build/bin/brindle-cli")
port=(--port TCP/IP --ip "$ip")
samples=("$root"/res/samples/mono-shop.bmp "$root"/res/samples/gray-cafe.bmp
         "$root"/res/samples/colour-fruit.bmp)
(cd "$build" && "${cli[@]}" upload "${port[@]}" --halftone diffusion "${samples[@]}")
"${cli[@]}" printout "${port[@]}"
if [ -n "$printer_pid" ]; then
  for _ in $(seq 50); do compgen -G "$out/page-*.png" >/dev/null && break; sleep 0.1; done
  page=$(ls -t "$out"/page-*.png 2>/dev/null | head -n 1)
  if [ -z "$page" ]; then
    echo "The virtual printer printed no page; see $out/printer.log" >&2
    exit 1
  fi
  echo "Printed page: $page"
fi
