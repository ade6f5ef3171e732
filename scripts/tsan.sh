#!/usr/bin/env bash
# The run layer's tests under ThreadSanitizer: the worker pool, the
# population evaluation on pools of several threads and a simulation shared
# between threads. Builds only those tests and the libraries they link, with
# clang-14, in build-tsan/, and runs them; the first report ends the run
# with a failure:
#   scripts/tsan.sh [GTEST ARGUMENTS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --sanitize
# -O1 and line tables only: the build is most of the step's time, and a
# report still names file and line.
if [ ! -f build-tsan/build.ninja ]; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=None \
        -DCMAKE_C_FLAGS="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
        -DKORVALE_TSAN=ON -DKORVALE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-tsan --target korvale_run_tests
cd build-tsan/tests
TSAN_OPTIONS="halt_on_error=1 abort_on_error=0 exitcode=66 second_deadlock_stack=1" \
  ./korvale_run_tests --gtest_brief=1 "$@"
