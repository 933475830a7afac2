#!/usr/bin/env bash
# Sets up a fresh Debian machine, checks that the C++ sources keep to .clang-format, and
# runs every test in a normal build. With SKARNVEL_SANITIZERS=1 it then runs them all once
# more under AddressSanitizer and UndefinedBehaviorSanitizer (a Debug build of its own, which
# takes several times as long; CI leaves it out).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# Runs ctest on one build folder with a temporary folder of its own: a test that leaves a
# file or folder behind there fails the run, naming it; a clean folder is removed.
run_tests() {
  local tmp status=0 left
  tmp=$(mktemp -d)
  TMPDIR="$tmp" ctest --test-dir "$1" --output-on-failure -j"$jobs" || status=$?
  left=$(find "$tmp" -mindepth 1 -maxdepth 1 -printf "%f\n" | sort | paste -sd" " -)
  if [ -n "$left" ]; then
    echo "tests of $1 left in their temporary folder $tmp: $left" >&2
    return 1
  fi
  rmdir "$tmp"
  return "$status"
}

# Every C++ file of the project as .clang-format lays it out; a file that drifts fails here.
find actions bench cli dbaccess engine ui \( -name '*.cc' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

# Every part is built and tested, whatever an earlier configuration of the folder chose.
./scripts/build.sh build -DSKARNVEL_BUILD_UI=ON -DSKARNVEL_BUILD_BENCH=ON
run_tests build

if [ "${SKARNVEL_SANITIZERS:-0}" != "1" ]; then exit 0; fi
./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DSKARNVEL_SANITIZE=address,undefined \
  -DSKARNVEL_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_tests build-asan
