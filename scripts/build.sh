#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh [DIR] [extra cmake options...]
# BUILD_TARGETS="a b" builds only those targets (and what they need), not everything.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$dir" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
