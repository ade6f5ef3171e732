#!/usr/bin/env bash
# Installs the Debian packages Korvale needs, only those that are missing.
#   scripts/deps.sh              what run.sh and test.sh need
#   scripts/deps.sh --sanitize   that, and clang with libFuzzer and the
#                                symbolizer for the sanitizer and fuzz builds
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libsdl2-dev libx11-dev libimgui-dev libstb-dev
  libgl1-mesa-dev libegl-dev libgl1-mesa-dri fonts-dejavu-core fontconfig
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
  xvfb xdotool imagemagick x11-apps locales python3
  python3-dev pybind11-dev python3-numpy python3-sklearn python3-distributed python3-deap python3-pytest
  libbox2d-dev
  mkdocs mkdocs-material
  dpkg-dev lintian python3-threadpoolctl python3-skbuild python3-venv
)
if [ "${1:-}" = "--sanitize" ]; then
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo=(sudo)
else
  echo "error: installing packages needs root; run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
