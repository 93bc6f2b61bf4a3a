#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the full
# build (display tests under Xvfb), the Debian package built from it and
# checked unpacked (lintian, the programs run from the unpacked tree), then
# the display-free tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer, and brindle-cli's tests with ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

echo "== build and test (build/)"
BUILD_DIR=$root/build "$root/scripts/build.sh" -DBRINDLE_TEST_DIRS=
(cd "$root/build" && ctest --output-on-failure -j 2)

echo "== package (build/brindle_3.10-1_*.deb), checked without installing it"
BUILD_DIR=$root/build "$root/scripts/package.sh"
BUILD_DIR=$root/build "$root/scripts/check-package.sh"

echo "== sanitizer build and test (build-asan/)"
BUILD_DIR=$root/build-asan "$root/scripts/build.sh" -DBRINDLE_GUI=OFF -DBRINDLE_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_TEST_DIRS=
(cd "$root/build-asan" && ctest --output-on-failure -j 2)

echo "== thread sanitizer build and test of brindle-cli (build-tsan/)"
BUILD_DIR=$root/build-tsan "$root/scripts/build.sh" -DBRINDLE_GUI=OFF -DBRINDLE_SANITIZE=thread \
  -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_BENCH=OFF -DBRINDLE_TEST_DIRS=cli
(cd "$root/build-tsan" && ctest --output-on-failure -j 2)
