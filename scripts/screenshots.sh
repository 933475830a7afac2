#!/usr/bin/env bash
# Builds the desktop program and renders what its user sees into PNG files, without a
# display: scripts/screenshots.sh [OUTDIR] (default out/screenshots). The main window on each
# page with its lists filled from copies of the sample databases, the query result dialog and
# the About dialog. BUILD_DIR chooses the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-out/screenshots}"
dir="${BUILD_DIR:-build}"
CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}" \
  ./scripts/build.sh "$dir" -DSKARNVEL_BUILD_UI=ON
QT_QPA_PLATFORM=offscreen "$dir/ui/skarnvel-screenshots" "$out" samples
