#!/usr/bin/env bash
# Installs what is missing, builds, and starts Korvale.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
if [ -x build/app/korvale ]; then
  cd examples
  exec ../build/app/korvale "$@"
fi
echo "The Korvale window is not built yet; the simulation itself can be tried with build/tools/korvale-sim." >&2
exit 1
