#!/usr/bin/env bash
# Checks Korvale installed as users install it, from a finished build:
#   scripts/check-install.sh [BUILD_FOLDER]      (default: build)
# 1. cmake --install into a scratch prefix, then moved elsewhere: every
#    program runs from another folder with nothing set but PATH and HOME.
# 2. cpack -G DEB; the package unpacked (dpkg-deb -x) runs the same way, its
#    Python package named by PYTHONPATH as /usr/lib/python3/dist-packages is
#    for Debian's interpreter once installed.
# 3. lintian reports no errors on the package.
# In both trees `import korvale` runs from another folder.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d /tmp/korvale-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/work" "$scratch/home"
examples=$source_dir/examples

fail() { echo "check-install: $*" >&2; exit 1; }

# Runs a command in $scratch/work with a bare environment plus the
# assignments given before "--".
bare() {
  local assignments=()
  while [ "$1" != -- ]; do assignments+=("$1"); shift; done
  shift
  (cd "$scratch/work" && env -i HOME="$scratch/home" PATH=/usr/bin:/bin LANG=C.UTF-8 "${assignments[@]}" "$@")
}

# Each program of the tree whose bin/ is $1; $2.. are assignments for Python.
check_tree() {
  local bin=$1; shift
  local log=$scratch/work/run.log
  rm -f "$scratch"/work/*
  for program in korvale-sim korvale-net korvale-train korvale-batch korvale-evolve; do
    [ -x "$bin/$program" ] || fail "$bin/$program is missing"
    bare "$@" -- "$bin/$program" --help > "$scratch/help.txt" 2>&1 || fail "$program --help failed: $(cat "$scratch/help.txt")"
    grep -q "^usage: $program" "$scratch/help.txt" || fail "$program --help printed: $(head -3 "$scratch/help.txt")"
  done
  bare "$@" -- "$bin/korvale-sim" --scene "$examples/Crowded.xml" --robot "$examples/Robot.xml" \
      --network "$examples/AvoidObstacles.xml" --seconds 20 --log "$log" --quiet \
    || fail "korvale-sim could not log a run"
  bare "$@" -- "$bin/korvale-sim" --scene "$examples/Crowded.xml" --robot "$examples/Robot.xml" --seconds 1 \
      --video film.mp4 --size 160x120 --quiet || fail "korvale-sim could not make a film"
  [ -s "$scratch/work/film.mp4" ] || fail "korvale-sim made no film"
  bare "$@" -- "$bin/korvale-train" "$log" -o student.xml --epochs 5 --quiet \
    || fail "korvale-train could not train on the run"
  bare "$@" -- "$bin/korvale-net" student.xml "$log" > "$scratch/outputs.txt" \
    || fail "korvale-net could not run the student"
  [ -s "$scratch/outputs.txt" ] || fail "korvale-net printed nothing"
  # A sweep on a local cluster: its worker processes import the package too.
  printf 'scenes = ["%s"]\nrobots = ["%s"]\nnetworks = ["student.xml"]\nseeds = [1]\nduration = 2\n' \
    "$examples/Default.xml" "$examples/Robot.xml" > "$scratch/work/sweep.toml"
  timeout 120 env -i HOME="$scratch/home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@" \
    sh -c 'cd "$0" && "$1/korvale-batch" sweep.toml -o results.csv --workers 1 --quiet' "$scratch/work" "$bin" \
    || fail "korvale-batch could not run a sweep"
  [ "$(wc -l < "$scratch/work/results.csv")" -eq 2 ] || fail "korvale-batch wrote no row"
  # The window opens, draws a few frames and quits (it needs a display).
  bare "$@" -- xvfb-run -a -s "-screen 0 1024x768x24" "$bin/korvale" -quitafterframe:5 -nostats \
    || fail "the window did not start"
}

check_import() {
  local python_dir=$1
  bare PYTHONPATH="$python_dir" -- /usr/bin/python3 -c "
import korvale, korvale.train, korvale.batch, korvale.evolve
assert korvale.__file__.startswith('$python_dir/'), korvale.__file__
simulation = korvale.Simulation('$examples/Crowded.xml', robot='$examples/Robot.xml', seed=1)
assert len(simulation.trace(60)) == 60
" || fail "import korvale from $python_dir failed"
}

# 1. An installation, moved after installing: the launchers find their package
# beside them, not by the path they were installed to.
cmake --install "$build" --prefix "$scratch/installed" > /dev/null
mv "$scratch/installed" "$scratch/moved"
check_tree "$scratch/moved/bin"
check_import "$scratch/moved/lib/python3/dist-packages"
for file in share/applications/korvale.desktop share/icons/hicolor/scalable/apps/korvale.svg \
            share/man/man1/korvale.1.gz share/doc/korvale/README.md share/doc/korvale/examples/Crowded.xml \
            lib/korvale/libkorvale_mp4.so lib/python3/dist-packages/korvale/libkorvale_mp4.so; do
  [ -f "$scratch/moved/$file" ] || fail "the installation has no $file"
done
echo "check-install: cmake --install: every program and import korvale work from another folder"

# 2. The Debian package, unpacked.
(cd "$build" && cpack -G DEB -B "$scratch/package" > "$scratch/cpack.txt" 2>&1) \
  || fail "cpack failed: $(tail -5 "$scratch/cpack.txt")"
deb=$(ls "$scratch"/package/korvale_*.deb)
dpkg-deb -x "$deb" "$scratch/unpacked"
dpkg-deb -f "$deb" Depends | grep -q python3-distributed || fail "the package does not depend on python3-distributed"
check_tree "$scratch/unpacked/usr/bin" PYTHONPATH="$scratch/unpacked/usr/lib/python3/dist-packages"
check_import "$scratch/unpacked/usr/lib/python3/dist-packages"
echo "check-install: $(basename "$deb"): every program and import korvale work from the unpacked package"

# 3. lintian: warnings may stay, errors may not.
command -v lintian > /dev/null || fail "lintian is not installed (scripts/deps.sh installs it)"
lintian --tag-display-limit 0 "$deb" > "$scratch/lintian.txt" 2>&1 || true
if grep -q '^E: ' "$scratch/lintian.txt"; then
  fail "lintian found errors: $(grep '^E: ' "$scratch/lintian.txt")"
fi
echo "check-install: lintian: no errors ($(grep -c '^W: ' "$scratch/lintian.txt" || true) warnings)"
