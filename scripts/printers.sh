# Sourced by the scripts that drive virtual printers (scripts/soak.sh,
# bench/fleet/fleet-bench.sh) after they set `root` and `bin`: a work folder
# and every printer started here are gone when the script exits.
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

# start_printer LOG ARGS...: brindle-printer with ARGS in the background, its
# output in LOG; its process id is added to `pids`.
start_printer() {
  local log=$1
  shift
  "$bin/brindle-printer" "$@" >"$log" 2>&1 &
  pids+=($!)
}

# wait_printer LOG WORD: waits up to 5 s for the printer to write WORD
# ("listening" or "linked") to LOG.
wait_printer() {
  for _ in $(seq 50); do grep -q "$2" "$1" && return; sleep 0.1; done
}
