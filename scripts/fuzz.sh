#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and runs one of them.
#   scripts/fuzz.sh [TARGET] [SECONDS]     (default: mdb_reader_fuzz for 600 seconds)
# The .mdb reader's targets are seeded with the shared test files; findings go to
# build-fuzz/artifacts/. A crasher, once fixed, belongs in a test beside the code it broke.
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:-mdb_reader_fuzz}"
seconds="${2:-600}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSKARNVEL_BUILD_UI=OFF -DSKARNVEL_BUILD_BENCH=OFF -DSKARNVEL_BUILD_FUZZ=ON \
  -DSKARNVEL_SANITIZE=address,undefined >/dev/null
cmake --build build-fuzz -j2 --target "$target"
corpus="build-fuzz/corpus/$target"
mkdir -p "$corpus" build-fuzz/artifacts
if [ "$target" = mdb_reader_fuzz ]; then
  find ../shared/testdata/mdb -name '*.mdb' -size -400k -exec cp -n {} "$corpus" \;
fi
"build-fuzz/dbaccess/$target" "$corpus" -max_len=400000 -rss_limit_mb=2048 -timeout=10 \
  -max_total_time="$seconds" -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
