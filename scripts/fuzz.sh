#!/usr/bin/env bash
# Runs the libFuzzer harnesses for a while each:
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
# SECONDS per harness (default 60); HARNESS scene, robot or network (default:
# all three, one after the other). Builds build-fuzz/ with clang-14 first.
# Each harness starts from the example files of its kind and the inputs in
# fuzz/regressions/HARNESS/; its corpus grows in build-fuzz/corpus/HARNESS/ and
# an input that breaks an invariant or trips a sanitizer is written to
# build-fuzz/findings/HARNESS/. Exit status 1 when any harness found one.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(scene robot network)
for harness in "${harnesses[@]}"; do
  case $harness in
    scene | robot | network) ;;
    *) echo "fuzz.sh: no harness '$harness' (scene, robot or network)" >&2; exit 2 ;;
  esac
done

scripts/configure-sanitized.sh
cmake --build build-fuzz --target "${harnesses[@]/#/fuzz_}"

# The root element tells which harness an example file seeds.
root_of() {
  case $(head -c 400 "$1") in
    *"<world"*) echo scene ;;
    *"<neuralrobot"*) echo robot ;;
    *) echo network ;;
  esac
}

status=0
for harness in "${harnesses[@]}"; do
  corpus=build-fuzz/corpus/$harness
  findings=build-fuzz/findings/$harness
  mkdir -p "$corpus" "$findings"
  for file in examples/*.xml fuzz/regressions/"$harness"/*; do
    [ -f "$file" ] || continue
    if [[ $file == examples/* ]] && [ "$(root_of "$file")" != "$harness" ]; then continue; fi
    cp "$file" "$corpus/seed-$(basename "$file")"
  done
  echo "fuzzing the $harness reader for $seconds s"
  if ! nice -n 10 build-fuzz/fuzz/fuzz_"$harness" -dict=fuzz/korvale.dict -max_total_time="$seconds" \
         -max_len=8192 -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
         -artifact_prefix="$findings/" "$corpus" >build-fuzz/fuzz-"$harness".log 2>&1; then
    status=1
    echo "the $harness harness found a fault: see build-fuzz/fuzz-$harness.log and $findings/" >&2
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' build-fuzz/fuzz-"$harness".log || true
done
exit $status
