#!/usr/bin/env bash
# Runs the three fuzz targets side by side for SECONDS each (default 600), one
# job each, at low priority. The committed seeds in fuzz/corpus/ are read only;
# what the fuzzers find grows a working corpus in build-fuzz/corpus/. Any input
# that crashes, hangs (10 s) or trips a sanitizer is copied to
# tests/data/fuzz-regressions/, which fuzzRegressionTest replays on every test run.
# Logs: build-fuzz/logs/<target>.log (the last lines hold libFuzzer's stats).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
fuzz/build.sh >/dev/null
root="$PWD"
regressions="$root/tests/data/fuzz-regressions"
mkdir -p "$regressions" build-fuzz/logs build-fuzz/artifacts
declare -A seeds=([dataReaderFuzz]=data [settingsFileFuzz]=settings [launchFileFuzz]=launch)
pids=()
for target in "${!seeds[@]}"; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  dict=()
  [ -f "fuzz/${seeds[$target]}.dict" ] && dict=(-dict="fuzz/${seeds[$target]}.dict")
  nice -n 10 "build-fuzz/fuzz/$target" "$corpus" "fuzz/corpus/${seeds[$target]}" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$target-" >"build-fuzz/logs/$target.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
found=0
for f in build-fuzz/artifacts/*; do
  [ -f "$f" ] || continue
  cp "$f" "$regressions/" && found=$((found + 1))
done
for target in "${!seeds[@]}"; do
  echo "== $target: $(find "build-fuzz/corpus/$target" -type f | wc -l) corpus files"
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "build-fuzz/logs/$target.log"
done
[ "$found" -gt 0 ] && echo "$found crash input(s) copied to tests/data/fuzz-regressions/"
exit $status
