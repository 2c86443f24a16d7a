#!/usr/bin/env bash
# The main job, without a display: builds tarnwick, makes a sample planning
# drawing through the program's own drawing model, lists its events, runs
# command 2 (renumbering) on it in file mode and lists them again. It also
# makes the sample reference database (an embedded Firebird file, no server)
# and the "tarnwick.ini" beside the program that points at it, so that
# commands 6 and 7 find their reference data when a display is there.
# Usage: scripts/demo.sh [debug|release]   (default: debug)
# The drawing is left in build/demo/plan.vsdx for a look in Visio or LibreOffice.
set -euo pipefail
preset=${1:-debug}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

echo "== Building ($preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target tarnwick tw_makeplan tw_stencil_file -j"$(nproc)" >/dev/null
bin="$root/build/$preset"

# The demo's own copy of the program, so that its "tarnwick.ini" (which
# always lies beside the executable) does not reach the build's tests.
demo="$root/build/demo"
mkdir -p "$demo/bin"
tarnwick="$demo/bin/tarnwick"
cp "$bin/src/app/tarnwick" "$tarnwick"
plan="$demo/plan.vsdx"
rm -f "$plan"

show() {
  # The heading line, then the tab-separated table, aligned when column(1) is there.
  local heading
  IFS= read -r heading
  echo "$heading"
  if command -v column >/dev/null 2>&1; then column -t -s $'\t'; else cat; fi
}

# Qt wants a private runtime folder even without a display.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

echo
echo "== Making a sample plan: $plan"
"$bin/src/platform/vsdx/tw_makeplan" "$plan"

echo
echo "== Events before renumbering"
"$tarnwick" --drawing "$plan" --list | show

echo
echo "== tarnwick --drawing $plan 2"
"$tarnwick" --drawing "$plan" 2
echo "exit code $?"

echo
echo "== Events after renumbering"
"$tarnwick" --drawing "$plan" --list | show

echo
db="$demo/vartena.fdb"
echo "== Sample reference database: $db (\"tarnwick.ini\" beside $tarnwick)"
rm -f "$db"
bash "$root/scripts/db/make-sample-db.sh" --ini "$(dirname "$tarnwick")" "$db" >/dev/null
echo "With a display, edit event 5 over it:  $tarnwick --drawing $plan --select 5 6"
