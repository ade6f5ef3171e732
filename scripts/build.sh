#!/usr/bin/env bash
# Configures (once) and builds Korvale into build/. KORVALE_WERROR=ON in the
# environment makes warnings errors (CI does this).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ] || [ -n "${KORVALE_WERROR:-}" ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KORVALE_WERROR:+-DKORVALE_WERROR=$KORVALE_WERROR} >/dev/null
fi
cmake --build build -- -j"$(nproc)"
