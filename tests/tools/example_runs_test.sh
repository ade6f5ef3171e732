#!/usr/bin/env bash
# Pins what korvale-sim makes of the example files, byte for byte: traces,
# logs and plots of every example scene driven by the obstacle avoider, by
# the forward network at another frame time, and by a key script. A change
# meant to keep behaviour (a refactor, a faster engine) must leave these
# digests as they are; a change meant to alter behaviour updates them:
#   tests/tools/example_runs_test.sh build/tools/korvale-sim examples --update
set -euo pipefail
sim=$1
examples=$2
digests="$(cd "$(dirname "$0")" && pwd)/example-runs.sha256"
out=$(mktemp -d "${TMPDIR:-/tmp}/korvale-example-runs-XXXXXX")
trap 'rm -rf "$out"' EXIT

printf '0 Up down\n2 Left down\n3 Left up\n5 Right down\n5.5 Right up\n7 Up up\n7 Down down\n9 Down up\n9 Up down\n' \
  >"$out/keys.txt"
for scene in Default OpenArena Rooms Crowded; do
  "$sim" --scene "$examples/$scene.xml" --robot "$examples/Robot.xml" --network "$examples/AvoidObstacles.xml" \
    --seconds 60 --trace "$out/$scene-avoid.csv" --log "$out/$scene-avoid.log" --plot "$out/$scene-avoid.svg" --quiet
  "$sim" --scene "$examples/$scene.xml" --robot "$examples/Robot.xml" --network "$examples/DriveForward.xml" \
    --steps 2000 --dt 0.03 --trace "$out/$scene-fwd.csv" --log "$out/$scene-fwd.log" --quiet
  "$sim" --scene "$examples/$scene.xml" --robot "$examples/Robot.xml" --keys "$out/keys.txt" \
    --seconds 12 --trace "$out/$scene-keys.csv" --log "$out/$scene-keys.log" --quiet
done
rm "$out/keys.txt"

if [ "${3:-}" = "--update" ]; then
  (cd "$out" && sha256sum -- *) >"$digests"
  echo "updated $digests"
  exit 0
fi
if ! (cd "$out" && sha256sum --quiet --check "$digests"); then
  echo "The example runs differ from the pinned digests in $digests (files listed above)." >&2
  echo "If the change is meant to alter behaviour, update them with: $0 $sim $examples --update" >&2
  exit 1
fi
echo "all $(wc -l <"$digests") example outputs as pinned"
