#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (gcc, optimised with debug info) and runs the whole test suite
# there; GUI tests on a virtual display when none is set. Any sanitizer report
# fails the test that caused it. Leaks inside the system's GL, font and GTK
# libraries are not ours and are listed in tests/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
dir="${KELVRA_ASAN_DIR:-build-asan}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVRA_SANITIZE=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
run=(ctest --test-dir "$dir" --output-on-failure -j"$(nproc)")
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
fi
exec "${run[@]}"
