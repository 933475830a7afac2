#!/usr/bin/env bash
# Installs npm's mdb-reader, an independent reader of .mdb files that some tests compare our
# reader with (never used by the product), into a folder of the build tree:
#   scripts/install-mdb-reader.sh DIR
# The versions of it and of everything it needs are pinned by package.json and
# package-lock.json in dbaccess/storage/mdb/mdb_reader/. Nothing is done when DIR holds that
# install already. CMake runs this when it configures a build folder; where npm or its
# registry cannot be reached it fails, and the tests that need mdb-reader skip, saying so.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)/dbaccess/storage/mdb/mdb_reader"
dir="${1:?usage: install-mdb-reader.sh DIR}"
mkdir -p "$dir"
if cmp -s "$source_dir/package-lock.json" "$dir/package-lock.json" &&
  [ -f "$dir/node_modules/mdb-reader/package.json" ]; then
  exit 0
fi
command -v npm >/dev/null || { echo "npm is not installed" >&2; exit 1; }
cp "$source_dir/package.json" "$source_dir/package-lock.json" "$dir/"
cd "$dir"
timeout 300 npm ci --no-audit --no-fund --loglevel=error
