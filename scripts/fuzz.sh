#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs one of them for N seconds on a
# copy of its seed corpus:  scripts/fuzz.sh bmp 600
# Findings (crash-*, leak-*, timeout-*) land in fuzz-out/<name>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-bmp}
seconds=${2:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target "${name}_fuzz" -j 2
out=$root/fuzz-out/$name
mkdir -p "$out/corpus"
cp -n "$root/fuzz/corpus/$name/"* "$out/corpus/" 2>/dev/null || true
cd "$out"
"$build/${name}_fuzz" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/corpus"
