#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Skarnvel needs.
# Idempotent and non-interactive; run as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang-format                      # the layout check of scripts/test.sh
  clang libclang-rt-14-dev          # libFuzzer and the sanitizer runtimes
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpugixml-dev libsimpleini-dev libcli11-dev
  nettle-dev                        # SHA-256 and PBKDF2
  mdbtools unrtf                     # independent readers used by the tests only
  time                               # peak memory of the benchmarks' processes
  fonts-dejavu-core                  # glyphs for the offscreen screenshots
  fonts-liberation2                  # the widths of the window's Windows fonts
  qt6-translations-l10n              # Qt's own dialogs in Russian
)

# Node and npm for the tests' other independent reader, npm's mdb-reader, which CMake
# installs into the build tree (scripts/install-mdb-reader.sh). A Node from elsewhere that
# brings its own npm is used as it is.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
