#!/usr/bin/env bash
# The main job, without a display: builds tarnwick, makes a sample planning
# drawing through the program's own drawing model, lists its events, runs
# command 2 (renumbering) on it in file mode and lists them again.
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
tarnwick="$bin/src/app/tarnwick"

demo="$root/build/demo"
mkdir -p "$demo"
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
