#!/usr/bin/env bash
# Sets everything up and runs Brindle's main job: builds what is missing and
# opens the main window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
BUILD_DIR=$root/build "$root/scripts/build.sh"
exec "$root/build/bin/brindle" "$@"
