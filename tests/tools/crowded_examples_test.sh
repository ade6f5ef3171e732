#!/usr/bin/env bash
# The crowded and swarm example scenes are what their generators write, byte for byte:
# whoever changes one changes the other.
set -euo pipefail
examples=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/korvale-crowded-XXXXXX")
trap 'rm -rf "$out"' EXIT
/usr/bin/python3 "$examples/make_crowded.py" "$out"
/usr/bin/python3 "$examples/make_swarm.py" "$out"
for name in Crowded1000.xml Crowded10000.xml Swarm1000.xml; do
  if ! cmp -s "$out/$name" "$examples/$name"; then
    echo "examples/$name is not what its generator (examples/make_crowded.py, make_swarm.py) writes; run it again." >&2
    exit 1
  fi
done
echo "the crowded examples are as their generator writes them"
