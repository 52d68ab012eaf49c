#!/usr/bin/env bash
# The manual pages generated into the build folder: every placeholder filled
# in, and rendered by man without a warning.
#   tests/install/manPagesTest.sh BUILD_DIR
set -euo pipefail
build="$(cd "${1:?usage: manPagesTest.sh BUILD_DIR}" && pwd)"
fail() { echo "manPagesTest: $*" >&2; exit 1; }
pages=("$build"/man/*.1)
[ -e "${pages[0]}" ] || fail "no manual page in $build/man"
for page in "${pages[@]}"; do
  ! grep -n '@[A-Za-z_]*@' "$page" || fail "$(basename "$page"): a placeholder is left"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
echo "manPagesTest: ${#pages[@]} pages checked"
