#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and look at the program.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev
  libudev-dev libbenchmark-dev
  umockdev libumockdev-dev
  fonts-liberation
  xvfb xauth xdotool poppler-utils python3 python3-pandas linux-perf
  help2man man-db groff-base dpkg-dev lintian desktop-file-utils appstream
  clang libclang-rt-14-dev
  libcups2-dev cups cups-bsd printer-driver-cups-pdf chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
