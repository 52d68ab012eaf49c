#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. GUI tests need a
# display: when none is set, a virtual one (Xvfb) is started for the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh "$@"
dir="${KELVRA_BUILD_DIR:-build}"
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
fi
exec ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
