#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and runs one of them.
#   scripts/fuzz.sh [TARGET] [SECONDS]     (default: mdb_reader_fuzz for 600 seconds)
# Targets: mdb_reader_fuzz, mdb_decoders_fuzz (the .mdb reader, and the writer's decoders and
# encoders), page_journal_fuzz (rolling back a fuzzed journal), text_script_fuzz (the text
# storage's loader and with it the Jet SQL parser), list_file_fuzz (the list-file reader),
# settings_fuzz (the settings-file reader). Each is seeded with the project's own files of
# its kind; findings go to build-fuzz/artifacts/. A crasher, once fixed, belongs in a test
# beside the code it broke.
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:-mdb_reader_fuzz}"
seconds="${2:-600}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSKARNVEL_BUILD_UI=ON -DSKARNVEL_BUILD_BENCH=OFF -DSKARNVEL_BUILD_FUZZ=ON \
  -DSKARNVEL_SANITIZE=address,undefined >/dev/null
cmake --build build-fuzz -j2 --target "$target"
corpus="build-fuzz/corpus/$target"
mkdir -p "$corpus" build-fuzz/artifacts
case "$target" in
  mdb_reader_fuzz)
    find ../shared/testdata/mdb -name '*.mdb' -size -400k -exec cp -n {} "$corpus" \; ;;
  mdb_decoders_fuzz)
    # Pages of the Jet 4 test files, each behind the byte that picks its decoder: table
    # definitions (0), index pages (7), and page 1 with the global usage map in row 0 (8).
    python3 - "$corpus" ../shared/testdata/mdb/*.mdb <<'PY'
import os, sys
corpus, files = sys.argv[1], sys.argv[2:]
for path in files:
    data = open(path, 'rb').read()
    if len(data) < 4096 or data[0x14] == 0:  # Jet 3 files have 2 KiB pages
        continue
    name = os.path.basename(path)
    for number in range(1, len(data) // 4096):
        page = data[number * 4096:(number + 1) * 4096]
        picks = {0x02: b'\x00', 0x03: b'\x07', 0x04: b'\x07'}.get(page[0])
        if number == 1:
            picks = b'\x08'
            page += bytes(8)  # the edits: none
        if picks:
            open(os.path.join(corpus, '%s-%d' % (name, number)), 'wb').write(picks + page)
PY
    ;;
  text_script_fuzz)
    cp -n samples/*.skdb samples/*.sql "$corpus" ;;
  list_file_fuzz)
    cp -n actions/testdata/*.xml "$corpus" ;;
  settings_fuzz)
    printf '[Start]\r\nPath1="work.mdb"\r\nPath2="new.mdb"\r\nPwd1=""\r\nPwd2="x"\r\n%s\r\n' \
      'cbRenameField=1' >"$corpus/seed.ini"
    printf 'rgRenameField=0x2\r\ncbRefresh=0\r\ncbPre=-1\r\n' >>"$corpus/seed.ini" ;;
esac
binary="$(find build-fuzz -type f -name "$target" -perm -u+x | head -n 1)"
"$binary" "$corpus" -max_len=400000 -rss_limit_mb=2048 -timeout=10 \
  -max_total_time="$seconds" -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
