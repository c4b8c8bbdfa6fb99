#!/usr/bin/env bash
# Installs every Debian package the build and the tests need; quiet when nothing is missing.
#   scripts/install-deps.sh          build and tests
#   scripts/install-deps.sh --bench  the same and what only the benchmarks use (bench/run.sh)
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libjpeg62-turbo-dev zlib1g-dev
  qt6-base-dev
  # the toolbar and menu pictures: the icon theme used when the desktop has none, and Qt's SVG
  # library with its icon engine and image format plugins, which draw the theme and our own pictures
  breeze-icon-theme libqt6svg6
  # the desktop mail composer the Mail command starts
  xdg-utils
  # the metrics of the angled labels' "Arial"
  fonts-liberation
  # scanners: the SANE headers and library (loaded at run time); scanimage is used by the tests only
  libsane-dev libsane1 sane-utils
  googletest libgtest-dev libbenchmark-dev
  # the fuzz stage of ./test.sh: clang and its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # test and benchmark tools only: independent producers of fixtures and speed references
  imagemagick netpbm python3-pil libjpeg-turbo-progs libtiff-tools
  # the LZW speed references of the benchmarks (built with the tests)
  libtiff-dev libgif-dev
)
# benchmarks only: the real photographs they measure on and the speed references
BENCH_PACKAGES=(
  mate-backgrounds python3-opencv
)
[ "${1:-}" = "--bench" ] && PACKAGES+=("${BENCH_PACKAGES[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
