#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on the sample databases as Jet 4
# .mdb files, made here from samples/*.sql by skarnvel-cli create and exec: skarnvel-cli sync
# brings the working database's structure into line with the new one's (compare everything,
# back up, execute the actions, write the log), then shows what it did, what a fresh
# comparison still finds, and the changed file as Debian's mdbtools reads it beside our own
# reading.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# A folder of its own: the options here must not leak into the build folder the tests use.
# Only the program the demo runs is built: no test, no benchmark, no window.
BUILD_TARGETS=skarnvel-cli ./scripts/build.sh build-demo -DSKARNVEL_BUILD_UI=OFF \
  -DSKARNVEL_BUILD_BENCH=OFF
cli="$PWD/build-demo/cli/skarnvel-cli"

demo="$(mktemp -d "${TMPDIR:-/tmp}/skarnvel-demo.XXXXXX")"
echo "== the sample databases, made as Jet 4 files in $demo"
samples/make-samples.sh "$cli" "$demo" mdb
echo

echo "== skarnvel-cli compare: the actions that would make work.mdb look like new.mdb"
status=0
"$cli" compare "$demo/work.mdb" "$demo/new.mdb" --rename-fields 2 --lists "$demo" || status=$?
echo "(exit code $status: 0 no differences, 1 differences, 2 trouble)"
echo

echo "== skarnvel-cli check-data: what the ticked actions would do to the working rows"
status=0
"$cli" check-data "$demo/work.mdb" --lists "$demo" || status=$?
echo "(exit code $status: 0 nothing at risk, 1 findings, 2 trouble)"
echo

echo "== skarnvel-cli sync --trial: the whole cycle on a temporary copy; work.mdb stays as it is"
status=0
"$cli" sync "$demo/work.mdb" "$demo/new.mdb" --rename-fields 2 --on-error continue \
  --on-data-loss run --trial --lists "$demo" || status=$?
echo "(exit code $status)"
echo

echo "== skarnvel-cli sync: the unattended cycle; each line is one executed action"
echo "   (the samples drop a table and a column on purpose: --on-data-loss run)"
status=0
"$cli" sync "$demo/work.mdb" "$demo/new.mdb" --rename-fields 2 --on-error continue \
  --on-data-loss run --lists "$demo" || status=$?
echo "(exit code $status: 0 nothing left to do, 1 actions failed or differences left, 2 trouble)"
echo

echo "== what the cycle left in $demo"
ls -l "$demo"
echo
echo "== a fresh comparison of the changed working database with the new one"
status=0
"$cli" compare "$demo/work.mdb" "$demo/new.mdb" --rename-fields 2 --lists "$demo/again" || status=$?
echo "(exit code $status)"
echo
echo "== skarnvel-cli check: the changed file's pages, indexes and usage maps"
"$cli" check "$demo/work.mdb"
echo
echo "== the changed working database's structure, as skarnvel-cli schema reads it"
"$cli" schema "$demo/work.mdb" | grep -v '^INSERT' || true
echo
echo "== the same file as mdbtools reads it: mdb-schema (tables, keys, relationships), mdb-queries"
echo "(mdb-schema says \"can't find index #N\" for a table whose index numbers have gaps, as"
echo " Access leaves them where an index was dropped; it does so for Access's own files too)"
mdb-schema "$demo/work.mdb" postgres | grep -v '^--' | grep -v '^$' || true
mdb-queries "$demo/work.mdb" || true
