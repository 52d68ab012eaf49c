#!/usr/bin/env bash
# Builds the threaded stages with ThreadSanitizer into build-tsan/ (gcc,
# optimised with debug info, no desktop program) and runs them: the row
# parser on every core (kelvra-reader-bench on a 1000 x 1000 column grid, no
# GL), the per-cell work in stripes
# (tests cellBatchTest, subPixelCellsTest and reducedGraphTest), the PNG
# encoder's bands (imageFilesTest's encoder tests), and
# kelvra-render drawing the 1000 x 1000 grid and a rough 400 x 250 one, whose
# fill is banded). Any report stops the run with a failure. Mesa's software
# GL driver runs threads of its own that are not built for the checker: only
# its own frames may be suppressed, in tests/tsan-suppressions.txt when a run
# shows it is needed, never Kelvra's.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KELVRA_TSAN_DIR:-build-tsan}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVRA_TSAN=ON -DKELVRA_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target cellBatchTest subPixelCellsTest reducedGraphTest imageFilesTest \
  kelvra-render kelvra-make-grids kelvra-reader-bench
options="halt_on_error=1:second_deadlock_stack=1"
[ -f tests/tsan-suppressions.txt ] && options="$options:suppressions=$PWD/tests/tsan-suppressions.txt"
export TSAN_OPTIONS="$options"
export KELVRA_THREADS="${KELVRA_THREADS:-2}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$dir/bench/kelvra-make-grids" --out "$work" --format 1 1000 >/dev/null
"$dir/bench/kelvra-make-grids" --out "$work" --format 2 --rough 400x250 >/dev/null
echo "== kelvra-reader-bench, 1000 x 1000"
"$dir/bench/kelvra-reader-bench" --repeat 1 "$work/grid-f1-1000x1000.csv"
for test in cellBatchTest subPixelCellsTest reducedGraphTest; do
  echo "== $test"
  "$dir/tests/$test" --gtest_brief=1
done
echo "== imageFilesTest, encoders"
"$dir/tests/imageFilesTest" --gtest_brief=1 --gtest_filter='ImageEncoders.*'
echo "== kelvra-render, 1000 x 1000"
"$dir/kelvra-render" "$work/grid-f1-1000x1000.csv" -s bench/peers/kelvra-bench-settings.txt \
  -o "$work/grid.png" --size 800x600
echo "== kelvra-render, rough 400 x 250"
"$dir/kelvra-render" "$work/rough-f2-400x250.csv" -s bench/peers/kelvra-bench-settings.txt \
  -o "$work/rough.png" --size 800x600
echo "tsan: no reports"
