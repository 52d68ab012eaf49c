#!/usr/bin/env bash
# Configures and builds Kelvra into build/ (or $KELVRA_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KELVRA_BUILD_DIR:-build}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${KELVRA_BUILD_TYPE:-Release}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
