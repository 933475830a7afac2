#!/usr/bin/env bash
# Installs what is needed, builds, and shows the sample databases through skarnvel-cli:
# their four schema rowsets and their scripts.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build -DSKARNVEL_BUILD_UI=OFF -DSKARNVEL_BUILD_BENCH=OFF
cli=build/cli/skarnvel-cli

for db in samples/work.skdb samples/new.skdb; do
  for rowset in tables columns indexes foreign_keys; do
    echo "== $db: $rowset"
    "$cli" rowset "$db" "$rowset"
    echo
  done
  echo "== $db: saved queries"
  "$cli" query "$db" list
  echo
  echo "== $db: schema"
  "$cli" schema "$db"
  echo
done
