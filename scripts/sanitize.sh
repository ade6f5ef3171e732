#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-fuzz/, clang-14) and runs the whole test suite there:
#   scripts/sanitize.sh [CTEST ARGUMENTS]
# Leaks are reported too, except a few that the C library and the desktop
# libraries keep on purpose (scripts/lsan-suppressions.txt). The window and
# X display tests run without leak checks: the OpenGL and D-Bus libraries
# they load keep memory to the end. The Python tests do not run here: an
# instrumented extension module needs an instrumented interpreter; nor do
# the docs' blocks (label docs), which run the programs and the module, nor
# the check of the installation (label install): the ordinary build's suite
# runs both. Window tests that train (label python as well) are left out too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure-sanitized.sh
cmake --build build-fuzz
cd build-fuzz
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan-suppressions.txt"
ctest --output-on-failure -j"$(nproc)" -LE 'python|e2e|install|docs' "$@"
ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -L e2e -LE python "$@"
