#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on copies of the sample databases:
# skarnvel-cli sync brings the working database's structure into line with the new one's
# (compare everything, back up, execute the actions, write the log), then shows what it did
# and what a fresh comparison still finds.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# A folder of its own: the options here must not leak into the build folder the tests use.
# Only the program the demo runs is built: no test, no benchmark, no window.
BUILD_TARGETS=skarnvel-cli ./scripts/build.sh build-demo -DSKARNVEL_BUILD_UI=OFF \
  -DSKARNVEL_BUILD_BENCH=OFF
cli="$PWD/build-demo/cli/skarnvel-cli"

demo="$(mktemp -d "${TMPDIR:-/tmp}/skarnvel-demo.XXXXXX")"
cp samples/work.skdb "$demo/work.skdb"
cp samples/new.skdb "$demo/new.skdb"
echo "== working copies in $demo"
echo

echo "== skarnvel-cli compare: the actions that would make work.skdb look like new.skdb"
status=0
"$cli" compare "$demo/work.skdb" "$demo/new.skdb" --rename-fields 2 --lists "$demo" || status=$?
echo "(exit code $status: 0 no differences, 1 differences, 2 trouble)"
echo

echo "== skarnvel-cli sync: the unattended cycle; each line is one executed action"
status=0
"$cli" sync "$demo/work.skdb" "$demo/new.skdb" --rename-fields 2 --on-error continue \
  --lists "$demo" || status=$?
echo "(exit code $status: 0 nothing left to do, 1 actions failed or differences left, 2 trouble)"
echo

echo "== what the cycle left in $demo"
ls -l "$demo"
echo
echo "== the changed working database's structure"
"$cli" schema "$demo/work.skdb" | grep -v '^INSERT' || true
