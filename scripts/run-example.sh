#!/usr/bin/env bash
# The main job on the shipped example: builds Kelvra, then opens the example
# in the desktop program when a display is available, or renders it headless
# to example.png when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
dir="${KELVRA_BUILD_DIR:-build}"
example="${1:-examples/surface.csv}"
if [ -n "${DISPLAY:-}" ] && [ -x "$dir/kelvra" ]; then
  exec "$dir/kelvra" "$example"
fi
"$dir/kelvra-render" "$example" -o example.png --size 800x600
echo "wrote example.png"
