#!/usr/bin/env bash
# Builds the fuzz preset (clang-14, libFuzzer) and fuzzes the drawing reader
# for SECONDS in all (default 60), seeded from the sample drawings: half the
# time on whole containers, half on page parts inside a sound drawing.
# Usage: scripts/fuzz.sh [SECONDS]
# Crashes land in build/fuzz/artifacts/; a crash makes this script fail.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
targets=(vsdx_fuzz)
grep -q '^build fuzz/model_fuzz' build/fuzz/build.ninja 2>/dev/null && targets+=(model_fuzz)
cmake --build --preset fuzz --target "${targets[@]}" -j"$(nproc)"

samples="${TW_SAMPLES_DIR:-$root/../shared/samples}"
out="$root/build/fuzz"
mkdir -p "$out/corpus/container" "$out/corpus/page" "$out/artifacts"
if [ -d "$samples" ]; then
  cp -n "$samples"/*.vsdx "$samples"/*.vssx "$out/corpus/container"/ 2>/dev/null || true
  if command -v unzip >/dev/null 2>&1; then
    for f in "$samples"/*.vsdx; do
      for part in $(unzip -Z1 "$f" 2>/dev/null | grep -E '^visio/pages/page[0-9]+\.xml$' || true); do
        unzip -p "$f" "$part" >"$out/corpus/page/$(basename "$f" .vsdx)-$(basename "$part")" 2>/dev/null || true
      done
    done
  fi
fi

run() {
  local target=$1 corpus=$2 time=$3
  echo "== $target for ${time}s"
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    "$out/fuzz/$target" "$corpus" \
    -max_total_time="$time" -max_len=1048576 -rss_limit_mb=2048 -timeout=20 \
    -artifact_prefix="$out/artifacts/$target-" -print_final_stats=1
}
if [ ${#targets[@]} -gt 1 ]; then
  run vsdx_fuzz "$out/corpus/container" $((seconds / 2))
  run model_fuzz "$out/corpus/page" $((seconds - seconds / 2))
else
  run vsdx_fuzz "$out/corpus/container" "$seconds"
fi
