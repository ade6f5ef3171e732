#!/usr/bin/env bash
# Configures build-fuzz/ once: clang-14 with AddressSanitizer,
# UndefinedBehaviorSanitizer (any report ends the program) and libFuzzer's
# coverage on every library. scripts/sanitize.sh runs the test suite in it,
# scripts/fuzz.sh the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --sanitize
if [ ! -f build-fuzz/build.ninja ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
        -DKORVALE_FUZZ=ON -DKORVALE_BUILD_BENCH=OFF >/dev/null
fi
