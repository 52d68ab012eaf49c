#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ with clang (installed here when
# missing, with the compiler runtime that holds libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVRA_FUZZ=ON -DKELVRA_BUILD_GUI=OFF -DKELVRA_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target dataReaderFuzz settingsFileFuzz launchFileFuzz
