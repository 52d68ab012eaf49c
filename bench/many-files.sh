#!/usr/bin/env bash
# kelvra-render FILE... -O DIR on one core against two: the wall time of
# drawing a folder of 300 x 300 grids (800 x 600 PNG, default settings) with
# one worker held to core 0 (taskset) and with two workers on cores 0 and 1,
# the two runs alternated, the median of each, and the speed-up. Held to
# their cores, both runs meet the same share of any other load there.
#   bench/many-files.sh [-n FILES] [-r RUNS] [-s SIZE] [-b BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
files=40 runs=5 size=300 build="${KELVRA_BUILD_DIR:-build}"
while getopts "n:r:s:b:" opt; do
  case "$opt" in
    n) files="$OPTARG" ;; r) runs="$OPTARG" ;; s) size="$OPTARG" ;; b) build="$OPTARG" ;;
    *) echo "usage: $0 [-n FILES] [-r RUNS] [-s SIZE] [-b BUILD_DIR]" >&2; exit 2 ;;
  esac
done
out=out/bench/many-files
grid="out/bench/grid-f1-${size}x${size}.csv"
[ -f "$grid" ] || "$build/bench/kelvra-make-grids" --out out/bench "$size" >/dev/null
rm -rf "$out" && mkdir -p "$out/in"
for i in $(seq -w 1 "$files"); do cp "$grid" "$out/in/grid-$i.csv"; done

# Seconds of one run with N workers on cores 0..N-1; every picture must be there afterwards.
run() {
  rm -rf "$out/pictures"
  local start end
  start=$(date +%s.%N)
  taskset -c "$(seq -s, 0 $(($1 - 1)))" \
    "$build/kelvra-render" "$out"/in/*.csv -O "$out/pictures" -j "$1" --size 800x600 2>/dev/null
  end=$(date +%s.%N)
  [ "$(ls "$out/pictures" | wc -l)" -eq "$files" ] || { echo "many-files: pictures missing" >&2; exit 1; }
  echo "$end - $start" | bc -l
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

one=() two=()
for r in $(seq 1 "$runs"); do
  one+=("$(run 1)")
  two+=("$(run 2)")
done
m1=$(printf '%s\n' "${one[@]}" | median)
m2=$(printf '%s\n' "${two[@]}" | median)
printf '%d grids of %s x %s, %d runs each (cores: %d)\n' "$files" "$size" "$size" "$runs" "$(nproc)"
printf '  1 core,  -j 1: %.2f s (%.1f files/s)   runs: %s\n' "$m1" "$(echo "$files / $m1" | bc -l)" "${one[*]}"
printf '  2 cores, -j 2: %.2f s (%.1f files/s)   runs: %s\n' "$m2" "$(echo "$files / $m2" | bc -l)" "${two[*]}"
printf '  speed-up: %.2f\n' "$(echo "$m1 / $m2" | bc -l)"
