#!/usr/bin/env bash
# The crowded example scenes are what their generator writes, byte for byte:
# whoever changes one changes the other.
set -euo pipefail
examples=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/korvale-crowded-XXXXXX")
trap 'rm -rf "$out"' EXIT
/usr/bin/python3 "$examples/make_crowded.py" "$out"
for name in Crowded1000.xml Crowded10000.xml; do
  if ! cmp -s "$out/$name" "$examples/$name"; then
    echo "examples/$name is not what examples/make_crowded.py writes; run it again." >&2
    exit 1
  fi
done
echo "the crowded examples are as their generator writes them"
